#pragma once

#include <cstdint>

namespace tk {

// The colours a form's controls use.
enum class ColourScheme {
  System,     // the system's own colours
  Dark,       // dark background, light text
  DarkNative, // dark, and the system's dark scroll bars and theme parts where it has them
};

// 0x00BBGGRR, as the platform writes colours.
using Colour = uint32_t;
constexpr Colour Rgb(uint8_t Red, uint8_t Green, uint8_t Blue) {
  return static_cast<Colour>(Red) | (static_cast<Colour>(Green) << 8) |
         (static_cast<Colour>(Blue) << 16);
}

// The dark scheme's colours, the same on every toolkit. The selection keeps a clear contrast
// with both the background and its own text.
struct DarkPalette {
  static constexpr Colour Background = Rgb(0x20, 0x20, 0x20);
  static constexpr Colour Text = Rgb(0xE6, 0xE6, 0xE6);
  static constexpr Colour Lines = Rgb(0x80, 0x80, 0x80);
  static constexpr Colour SelectionBackground = Rgb(0x26, 0x4F, 0x78);
  static constexpr Colour SelectionText = Rgb(0xFF, 0xFF, 0xFF);
  static constexpr Colour BarBackground = Rgb(0x2B, 0x2B, 0x2B);
};

constexpr bool IsDark(ColourScheme Scheme) { return Scheme != ColourScheme::System; }

} // namespace tk
