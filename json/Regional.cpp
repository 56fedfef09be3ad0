#ifndef _WIN32

#include "json/Regional.h"

#include "json/UnicodeConversion.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <stdexcept>
#include <utility>

namespace ujson {

namespace {

using HighHalf = std::array<char16_t, 128>;

// Bytes 0x80 to 0xFF. The bytes Windows leaves undefined map to the C1 control of the same value,
// as MultiByteToWideChar does, so that every byte survives a round trip.
constexpr HighHalf kWindows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF, // F8
};

constexpr HighHalf kWindows1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

struct CodePage {
  std::array<char16_t, 256> decode;
  // (character, byte) sorted by character, for encoding.
  std::array<std::pair<char16_t, unsigned char>, 128> encode;
};

CodePage MakeCodePage(const HighHalf& high) {
  CodePage page{};
  for (unsigned b = 0; b < 128; ++b)
    page.decode[b] = static_cast<char16_t>(b);
  for (unsigned b = 0; b < 128; ++b) {
    page.decode[128 + b] = high[b];
    page.encode[b] = {high[b], static_cast<unsigned char>(128 + b)};
  }
  std::sort(page.encode.begin(), page.encode.end());
  return page;
}

const CodePage& PageFor(uint32_t codePage) {
  static const CodePage windows1252 = MakeCodePage(kWindows1252);
  static const CodePage windows1251 = MakeCodePage(kWindows1251);
  return codePage == 1251 ? windows1251 : windows1252;
}

uint32_t& SelectedCodePage() {
  static uint32_t codePage = 1252;
  return codePage;
}

char16_t ProcessDecimalSeparator() {
  const std::lconv* conventions = std::localeconv();
  if (conventions == nullptr || conventions->decimal_point == nullptr ||
      conventions->decimal_point[0] == '\0')
    return u'.';
  // Locales outside ASCII spell their separator in UTF-8 on the systems we build for.
  const std::u16string separator = Utf8ToUtf16(conventions->decimal_point);
  return separator.empty() || separator[0] == u'\uFFFD' ? u'.' : separator[0];
}

char16_t& SelectedDecimalSeparator() {
  static char16_t separator = ProcessDecimalSeparator();
  return separator;
}

} // namespace

uint32_t AnsiCodePage() { return SelectedCodePage(); }

void SelectAnsiCodePage(uint32_t codePage) {
  if (codePage != 1252 && codePage != 1251)
    throw std::invalid_argument("Code page " + std::to_string(codePage) +
                                " is not supported; only 1252 and 1251 are");
  SelectedCodePage() = codePage;
}

char16_t DecimalSeparator() { return SelectedDecimalSeparator(); }

void SelectDecimalSeparator(char16_t separator) { SelectedDecimalSeparator() = separator; }

std::u16string AnsiToUtf16(std::string_view bytes) {
  const auto& decode = PageFor(AnsiCodePage()).decode;
  std::u16string text(bytes.size(), u'\0');
  // Every byte has a character in both tables, so unlike on Windows this cannot fail.
  for (std::size_t i = 0; i < bytes.size(); ++i)
    text[i] = decode[static_cast<unsigned char>(bytes[i])];
  return text;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  const auto& encode = PageFor(AnsiCodePage()).encode;
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      bytes += static_cast<char>(unit);
      continue;
    }
    // A surrogate pair is one character and becomes one '?'.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      bytes += '?';
      ++i;
      continue;
    }
    const auto found =
        std::lower_bound(encode.begin(), encode.end(), unit,
                         [](const auto& entry, char16_t c) { return entry.first < c; });
    bytes += found != encode.end() && found->first == unit ? static_cast<char>(found->second) : '?';
  }
  return bytes;
}

} // namespace ujson

#endif // _WIN32
