#pragma once

#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/LabelParts.h"

#include <array>
#include <cmath>

namespace tk {

// The colours of a label's parts on one background. Every colour keeps a contrast ratio of at
// least 4.5:1 with Background (WCAG 2), so each kind stays readable. A selected row draws its
// whole label in the selection's text colour instead: the kinds' colours are made for the
// background, not for the selection.
struct LabelPalette {
  Colour Background;
  std::array<Colour, kLabelPartKinds> Kinds; // indexed by LabelPartKind

  constexpr Colour Of(LabelPartKind Kind) const { return Kinds.at(static_cast<std::size_t>(Kind)); }
};

// On the light system background (white), after the browsers' and editors' JSON colours.
inline constexpr LabelPalette LightLabelPalette{
    Rgb(0xFF, 0xFF, 0xFF),
    {Rgb(0x00, 0x00, 0x00), Rgb(0x88, 0x13, 0x91), Rgb(0x5F, 0x63, 0x68), Rgb(0xA3, 0x15, 0x15),
     Rgb(0x06, 0x7A, 0x50), Rgb(0x00, 0x00, 0xFF), Rgb(0x8A, 0x53, 0x00), Rgb(0x00, 0x67, 0x7A)}};

// On the dark scheme's background.
inline constexpr LabelPalette DarkLabelPalette{
    DarkPalette::Background,
    {DarkPalette::Text, Rgb(0x9C, 0xDC, 0xFE), Rgb(0xA8, 0xA8, 0xA8), Rgb(0xCE, 0x91, 0x78),
     Rgb(0xB5, 0xCE, 0xA8), Rgb(0x56, 0x9C, 0xD6), Rgb(0xC5, 0x86, 0xC0), Rgb(0xDC, 0xDC, 0xAA)}};

// WCAG 2 relative luminance of a colour, 0 (black) to 1 (white).
inline double RelativeLuminance(Colour C) {
  const auto channel = [](uint32_t Value) {
    const double c = static_cast<double>(Value & 0xFFu) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(C) + 0.7152 * channel(C >> 8) + 0.0722 * channel(C >> 16);
}

// WCAG 2 contrast ratio of two colours, 1 to 21.
inline double ContrastRatio(Colour A, Colour B) {
  const double a = RelativeLuminance(A);
  const double b = RelativeLuminance(B);
  return a > b ? (a + 0.05) / (b + 0.05) : (b + 0.05) / (a + 0.05);
}

// The palette for a tree whose background is Background (the colour the tree really has): the
// dark one on the dark scheme's background, and on a dark system or host theme too, so that
// such a host does not get dark colours on dark.
inline const LabelPalette& LabelPaletteOn(Colour Background) {
  return RelativeLuminance(Background) < 0.2 ? DarkLabelPalette : LightLabelPalette;
}

} // namespace tk
