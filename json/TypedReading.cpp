#include "json/TypedReading.h"

#include "json/HexDigits.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

namespace ujson {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

template <typename Signed> std::optional<Signed> TextToInteger(std::u16string_view text) {
  using Unsigned = std::make_unsigned_t<Signed>;
  // A digit is refused once the value has no room left for it, which bounds a hexadecimal number
  // to the width of the type and a decimal one to just past its range.
  constexpr Unsigned hexLimit = std::numeric_limits<Unsigned>::max() >> 4;
  constexpr Unsigned decimalLimit = std::numeric_limits<Signed>::max() / 10;
  constexpr Unsigned largest = std::numeric_limits<Signed>::max();

  const std::size_t n = text.size();
  std::size_t p = 0;
  while (p < n && text[p] == u' ')
    ++p;
  bool negative = false;
  if (p < n && (text[p] == u'+' || text[p] == u'-')) {
    negative = text[p] == u'-';
    ++p;
  }
  bool hex = false;
  if (p < n && (text[p] == u'$' || text[p] == u'x' || text[p] == u'X')) {
    hex = true;
    ++p;
  } else if (p + 1 < n && text[p] == u'0' && (text[p + 1] == u'x' || text[p + 1] == u'X')) {
    hex = true;
    p += 2;
  }

  Unsigned value = 0;
  const std::size_t firstDigit = p;
  if (hex) {
    for (; p < n && value <= hexLimit; ++p) {
      const int digit = HexDigitValue(text[p]);
      if (digit < 0)
        break;
      value = value * 16 + static_cast<Unsigned>(digit);
    }
  } else {
    for (; p < n && value <= decimalLimit && IsDigit(text[p]); ++p)
      value = value * 10 + static_cast<Unsigned>(text[p] - u'0');
  }
  if (p == firstDigit || p != n)
    return std::nullopt;

  if (hex) {
    // The bits are taken as they are: 0xFFFFFFFF is -1 for a 32-bit result.
    return static_cast<Signed>(negative ? Unsigned{0} - value : value);
  }
  if (negative) {
    if (value > largest + 1)
      return std::nullopt;
    return static_cast<Signed>(Unsigned{0} - value);
  }
  if (value > largest)
    return std::nullopt;
  return static_cast<Signed>(value);
}

// 800 significant digits decide the nearest double exactly (no halfway point between two doubles
// needs more than 767). Further digits only matter as far as any of them is not zero, so they
// shrink to one nonzero digit.
constexpr std::size_t kSignificantDigits = 800;

// Beyond these powers of ten the result is surely infinite or surely zero, so strtod never sees
// absurd exponents.
constexpr std::int64_t kOverflowPower = 400;
constexpr std::int64_t kUnderflowPower = -400;

constexpr std::int64_t kExponentCap = 1024;

} // namespace

std::u16string DecodeStringEscapes(std::u16string_view valueText) {
  std::size_t k = valueText.find(u'\\');
  if (k == std::u16string_view::npos)
    return std::u16string(valueText);
  std::u16string result;
  result.reserve(valueText.size());
  std::size_t copied = 0;
  while (k != std::u16string_view::npos && k + 1 < valueText.size()) {
    char16_t decoded = 0;
    switch (valueText[k + 1]) {
    case u'"':
    case u'\\':
    case u'/':
      decoded = valueText[k + 1];
      break;
    case u'b':
      decoded = u'\b';
      break;
    case u'f':
      decoded = u'\f';
      break;
    case u'n':
      decoded = u'\n';
      break;
    case u'r':
      decoded = u'\r';
      break;
    case u't':
      decoded = u'\t';
      break;
    default:
      // Not an escape: the backslash stays, and the next character is looked at in its turn.
      k = valueText.find(u'\\', k + 1);
      continue;
    }
    result.append(valueText.substr(copied, k - copied));
    result += decoded;
    copied = k + 2;
    k = valueText.find(u'\\', copied);
  }
  result.append(valueText.substr(copied));
  return result;
}

std::optional<int32_t> TextToInt32(std::u16string_view text) {
  return TextToInteger<int32_t>(text);
}

std::optional<int64_t> TextToInt64(std::u16string_view text) {
  return TextToInteger<int64_t>(text);
}

std::optional<double> TextToDouble(std::u16string_view text, char16_t decimalSeparator) {
  const std::size_t n = text.size();
  std::size_t p = 0;
  while (p < n && text[p] == u' ')
    ++p;
  if (p == n)
    return std::nullopt;
  bool negative = false;
  if (text[p] == u'+' || text[p] == u'-') {
    negative = text[p] == u'-';
    ++p;
    if (p == n)
      return std::nullopt;
  }

  // The digits before and after the separator form one integer; the power of ten that scales it
  // is collected apart, so no decimal point ever reaches strtod and its locale.
  std::string digits;
  std::int64_t power = 0;
  bool droppedNonZero = false;
  auto takeDigit = [&](char16_t c) {
    if (digits.empty() && c == u'0')
      return;
    if (digits.size() < kSignificantDigits) {
      digits += static_cast<char>(c);
    } else {
      ++power;
      droppedNonZero = droppedNonZero || c != u'0';
    }
  };
  for (; p < n && IsDigit(text[p]); ++p)
    takeDigit(text[p]);
  if (p < n && text[p] == decimalSeparator) {
    for (++p; p < n && IsDigit(text[p]); ++p) {
      takeDigit(text[p]);
      --power;
    }
  }
  if (p < n && (text[p] == u'E' || text[p] == u'e')) {
    ++p;
    bool negativeExponent = false;
    if (p < n && (text[p] == u'+' || text[p] == u'-')) {
      negativeExponent = text[p] == u'-';
      ++p;
    }
    std::int64_t exponent = 0;
    for (; p < n && IsDigit(text[p]); ++p)
      exponent = std::min(exponent * 10 + (text[p] - u'0'), kExponentCap);
    power += negativeExponent ? -exponent : exponent;
  }
  while (p < n && text[p] == u' ')
    ++p;
  if (p != n)
    return std::nullopt;

  const double zero = negative ? -0.0 : 0.0;
  if (digits.empty())
    return zero;
  if (droppedNonZero) {
    digits += '1';
    --power;
  }
  const std::int64_t magnitude = static_cast<std::int64_t>(digits.size()) - 1 + power;
  if (magnitude > kOverflowPower)
    return std::nullopt;
  if (magnitude < kUnderflowPower)
    return zero;

  digits += 'e';
  digits += std::to_string(power);
  const double value = std::strtod(digits.c_str(), nullptr);
  if (std::isinf(value))
    return std::nullopt;
  return negative ? -value : value;
}

std::optional<bool> TextToBoolean(std::u16string_view text, char16_t decimalSeparator) {
  if (const auto number = TextToDouble(text, decimalSeparator))
    return *number != 0;
  auto equalsIgnoringCase = [text](std::u16string_view lowerWord) {
    if (text.size() != lowerWord.size())
      return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
      char16_t c = text[k];
      if (c >= u'A' && c <= u'Z')
        c = static_cast<char16_t>(c - u'A' + u'a');
      if (c != lowerWord[k])
        return false;
    }
    return true;
  };
  if (equalsIgnoringCase(u"true"))
    return true;
  if (equalsIgnoringCase(u"false"))
    return false;
  return std::nullopt;
}

} // namespace ujson
