#pragma once

// The escape digits as the normalisation reads them, from decoded text and from UTF-8 bytes
// alike: digits and NUL are ASCII. Shared by NormalizeText.cpp and NormalizeUtf8.cpp only.

#include "json/HexDigits.h"

#include <cstddef>
#include <optional>

namespace ujson::normalize_detail {

// The four characters after "\u" as a hexadecimal number, and how many of them are digits: a NUL
// ends the number early; no digit before it, or any other character that is no hex digit, means
// there is no number.
struct EscapeDigits {
  char16_t Unit;
  std::size_t Taken;
};

template <class Char> std::optional<EscapeDigits> ReadEscapeDigits(const Char* digits) {
  unsigned value = 0;
  std::size_t taken = 0;
  for (; taken < 4 && digits[taken] != 0; ++taken) {
    const int digit = HexDigitValue(digits[taken]);
    if (digit < 0)
      return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  if (taken == 0)
    return std::nullopt;
  return EscapeDigits{static_cast<char16_t>(value), taken};
}

} // namespace ujson::normalize_detail
