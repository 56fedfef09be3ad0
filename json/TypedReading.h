#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Conversions behind the typed readings of a node's value text. Each returns no value when the
// text does not have the required form; the caller decides what a failed reading yields.
namespace ujson {

// The value text with the JSON escapes \" \\ \/ \b \f \n \r \t decoded (AsString's reading
// rule). A backslash before any other character, or at the very end, stays as it stands; "\u"
// escapes were decoded when the text was loaded.
std::u16string DecodeStringEscapes(std::u16string_view valueText);

// Optional spaces, an optional sign, then decimal digits or hexadecimal digits after one of the
// prefixes "$", "x", "X", "0x", "0X", and nothing after the digits. Hexadecimal numbers take the
// bits as they are, so "$FFFFFFFF" is -1; decimal numbers must be in range.
std::optional<int32_t> TextToInt32(std::u16string_view text);
std::optional<int64_t> TextToInt64(std::u16string_view text);

// Optional spaces, sign, digits, decimalSeparator and digits, exponent, spaces. Any run of digits
// may be empty, so "." and "e" read as 0. Out of the double range there is no value; a number too
// small becomes 0 or the nearest subnormal.
std::optional<double> TextToDouble(std::u16string_view text, char16_t decimalSeparator);

// A number is true when it is not zero; otherwise "True" or "False" in any letter case.
std::optional<bool> TextToBoolean(std::u16string_view text, char16_t decimalSeparator);

} // namespace ujson
