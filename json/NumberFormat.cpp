#include "json/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <system_error>

namespace ujson {

namespace {

constexpr int SignificantDigits = 15;
// Enough fraction digits to write any double exactly, so the rounding below sees its true value.
constexpr int ExactPrecision = 767;

std::u16string Widen(const std::string& text) { return {text.begin(), text.end()}; }

} // namespace

std::u16string FormatGeneralNumber(double value) {
  if (std::isnan(value))
    return u"NAN";
  if (std::isinf(value))
    return value > 0 ? u"INF" : u"-INF";
  if (value == 0)
    return u"0";

  char buffer[ExactPrecision + 16];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                     std::chars_format::scientific, ExactPrecision);
  if (written.ec != std::errc())
    throw std::length_error("Number format buffer too small");
  // The exact value as "d.ddd...e+XX".
  const std::string exact(buffer, written.ptr);
  const std::size_t mark = exact.find('e');
  std::string digits = exact.substr(0, 1) + exact.substr(2, mark - 2);
  int exponent = std::stoi(exact.substr(mark + 1));

  const bool roundUp = digits[SignificantDigits] >= '5';
  digits.resize(SignificantDigits);
  if (roundUp) {
    int i = SignificantDigits - 1;
    while (i >= 0 && digits[i] == '9')
      digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    }
  }
  digits.erase(digits.find_last_not_of('0') + 1);

  std::string text = value < 0 ? "-" : "";
  const int count = static_cast<int>(digits.size());
  if (exponent >= -4 && exponent < SignificantDigits) {
    if (exponent < 0) {
      text += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (count <= exponent + 1) {
      text += digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    } else {
      const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
      text += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
    }
  } else {
    text += digits.substr(0, 1);
    if (count > 1)
      text += "." + digits.substr(1);
    text += "E" + std::to_string(exponent);
  }
  return Widen(text);
}

std::u16string FormatCurrency(int64_t tenThousandths) {
  // Unsigned, so that the most negative amount has a magnitude too.
  const uint64_t magnitude = tenThousandths < 0 ? 0 - static_cast<uint64_t>(tenThousandths)
                                                : static_cast<uint64_t>(tenThousandths);
  std::string text = tenThousandths < 0 ? "-" : "";
  text += std::to_string(magnitude / 10000);
  if (const uint64_t fraction = magnitude % 10000; fraction != 0) {
    std::string decimals = std::to_string(fraction + 10000).substr(1);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += "." + decimals;
  }
  return Widen(text);
}

} // namespace ujson
