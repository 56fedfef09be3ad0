#pragma once

#include <cstdint>

// Key presses as the toolkit hands them to the viewer. Key codes are the platform's
// virtual-key numbers (the Windows VK_ values); other toolkits map their keys onto them, so the
// viewer sorts keys in one place for every platform.
namespace tk {

namespace key {
inline constexpr uint32_t Back = 0x08;
inline constexpr uint32_t Tab = 0x09;
inline constexpr uint32_t Return = 0x0D;
inline constexpr uint32_t Shift = 0x10;
inline constexpr uint32_t Control = 0x11;
inline constexpr uint32_t Menu = 0x12; // Alt
inline constexpr uint32_t Escape = 0x1B;
inline constexpr uint32_t Space = 0x20;
inline constexpr uint32_t Prior = 0x21; // Page Up
inline constexpr uint32_t Next = 0x22;  // Page Down
inline constexpr uint32_t End = 0x23;
inline constexpr uint32_t Home = 0x24;
inline constexpr uint32_t Left = 0x25;
inline constexpr uint32_t Up = 0x26;
inline constexpr uint32_t Right = 0x27;
inline constexpr uint32_t Down = 0x28;
inline constexpr uint32_t Insert = 0x2D;
inline constexpr uint32_t Delete = 0x2E;
inline constexpr uint32_t Digit0 = 0x30;  // '0' .. '9' are 0x30 .. 0x39
inline constexpr uint32_t LetterA = 0x41; // 'A' .. 'Z' are 0x41 .. 0x5A
inline constexpr uint32_t Apps = 0x5D;    // the menu key
inline constexpr uint32_t Multiply = 0x6A;
inline constexpr uint32_t Add = 0x6B;
inline constexpr uint32_t Subtract = 0x6D;
inline constexpr uint32_t F1 = 0x70; // F1 .. F24 are 0x70 .. 0x87

constexpr uint32_t Letter(char Upper) { return static_cast<uint32_t>(Upper); }
constexpr uint32_t Function(int Number) { return F1 + static_cast<uint32_t>(Number - 1); }
} // namespace key

struct KeyPress {
  uint32_t Key = 0;
  // The character the key types with the keyboard layout and modifiers in force; 0 for none.
  char16_t Character = 0;
  bool Shift = false;
  bool Control = false;
  bool Alt = false;
};

// Where a key press goes once the viewer has seen it.
enum class KeyRoute {
  Tree,    // the tree's own handling: navigation
  Handled, // the viewer acted on it; nothing else sees it
  Host,    // handed on to the host's lister window, as the same key press
};

} // namespace tk
