#pragma once

// The document text of a file the plain way, slow but easy to hold against the rules: decode the
// bytes whole, then normalise the decoded text. The load's one pass must give the same text; the
// library's own two steps (DecodeFileBytes, NormalizeText) are held against it as well.

#include "json/Regional.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reference_text {

// The rule written out in two plain steps, slow but easy to hold against its description.
// First the text is cut into pieces: each character, each escaped backslash, escaped quote and
// decoded escape, each piece knowing whether it stands inside a string. Then, outside strings,
// TAB, LF and CR go (the text's last character stays) and a space goes when the next piece left
// is a space as well.
inline std::u16string Normalize(const std::u16string& text) {
  struct Piece {
    std::u16string text;
    bool inString;
    bool layout; // a space, TAB, LF or CR of the text itself
    bool last;   // the text's last character
  };
  // "$" and the four characters, read as a C string would be: up to the first NUL.
  auto hexValue = [](std::u16string digits) -> std::optional<char16_t> {
    digits = digits.substr(0, digits.find(u'\0'));
    if (digits.empty())
      return std::nullopt;
    unsigned value = 0;
    for (const char16_t d : digits) {
      const std::u16string hexDigits = u"0123456789abcdef";
      const std::size_t k = hexDigits.find(d >= u'A' && d <= u'F' ? d - u'A' + u'a' : d);
      if (k == std::u16string::npos)
        return std::nullopt;
      value = value * 16 + static_cast<unsigned>(k);
    }
    return static_cast<char16_t>(value);
  };

  const std::size_t n = text.size();
  std::vector<Piece> pieces;
  bool inString = false;
  for (std::size_t i = 0; i < n;) {
    const char16_t c = text[i];
    const bool isLayout = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
    if (c == u'\\' && i + 1 < n && text[i + 1] == u'\\') {
      pieces.push_back({u"\\\\", inString, false, false});
      i += 2;
    } else if (c == u'\\' && i + 6 <= n && (text[i + 1] == u'u' || text[i + 1] == u'U') &&
               hexValue(text.substr(i + 2, 4))) {
      const char16_t unit = *hexValue(text.substr(i + 2, 4));
      const bool needsEscape = unit == u'"' || unit == u'\\';
      pieces.push_back({needsEscape ? std::u16string{u'\\', unit} : std::u16string(1, unit),
                        inString, false, false});
      i += 6;
    } else if (c == u'\\' && i + 1 < n && text[i + 1] == u'"') {
      pieces.push_back({u"\\\"", inString, false, false});
      i += 2;
    } else {
      if (c == u'"')
        inString = !inString;
      pieces.push_back({std::u16string(1, c), inString && c != u'"', isLayout, i == n - 1});
      ++i;
    }
  }
  std::vector<Piece> kept;
  for (const Piece& piece : pieces) {
    if (!piece.inString && piece.layout && piece.text != u" " && !piece.last)
      continue;
    kept.push_back(piece);
  }
  std::u16string result;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const bool rawSpace = !kept[k].inString && kept[k].layout && kept[k].text == u" ";
    const bool nextRawSpace = k + 1 < kept.size() && !kept[k + 1].inString && kept[k + 1].layout &&
                              kept[k + 1].text == u" ";
    if (rawSpace && nextRawSpace)
      continue;
    result += kept[k].text;
  }
  return result;
}

// UTF-8 one code point at a time. An ill-formed sequence becomes one U+FFFD per maximal subpart:
// the lead byte and the continuation bytes that can still begin a well-formed sequence with it.
struct Utf8Decoded {
  std::u16string text;
  std::size_t wellFormed = 0; // multi-byte sequences
  std::size_t illFormed = 0;
};

inline Utf8Decoded DecodeUtf8(std::string_view bytes) {
  Utf8Decoded out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.text += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    char32_t cp = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    std::size_t taken = 1;
    for (; taken < length && i + taken < bytes.size(); ++taken) {
      const unsigned next = static_cast<unsigned char>(bytes[i + taken]);
      if ((next & 0xC0) != 0x80)
        break;
      const char32_t longer = cp << 6 | (next & 0x3F);
      // After the second byte the code point's range is known: no overlong, surrogate or value
      // past U+10FFFF may follow.
      if (taken == 1) {
        const char32_t least = length == 3 ? 0x800 >> 6 : length == 4 ? 0x10000 >> 12 : 0;
        const char32_t most = length == 3 ? 0xFFFF >> 6 : 0x10FFFF >> 12;
        const bool surrogate = length == 3 && longer >= (0xD800 >> 6) && longer <= (0xDFFF >> 6);
        if (length > 2 && (longer < least || longer > most || surrogate))
          break;
      }
      cp = longer;
    }
    if (length == 0 || taken < length) {
      out.text += u'\uFFFD';
      ++out.illFormed;
      i += taken;
      continue;
    }
    ++out.wellFormed;
    if (cp >= 0x10000) {
      out.text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out.text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out.text += static_cast<char16_t>(cp);
    }
    i += length;
  }
  return out;
}

inline std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned first = static_cast<unsigned char>(bytes[i]);
    const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  if (bytes.size() % 2 != 0)
    text += u'\uFFFD';
  return text;
}

// The mark decides; without one, UTF-8 unless its ill-formed sequences are more than a quarter
// of its well-formed ones, else the ANSI code page in force.
inline std::u16string Decode(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF"))
    return DecodeUtf8(bytes.substr(3)).text;
  if (bytes.starts_with("\xFF\xFE"))
    return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF"))
    return DecodeUtf16(bytes.substr(2), true);
  const Utf8Decoded utf8 = DecodeUtf8(bytes);
  if (utf8.illFormed == 0 || utf8.wellFormed / 4 >= utf8.illFormed)
    return utf8.text;
  return ujson::AnsiToUtf16(bytes);
}

inline std::u16string FileText(std::string_view bytes) { return Normalize(Decode(bytes)); }

} // namespace reference_text
