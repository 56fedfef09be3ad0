#include "json/UnicodeConversion.h"

#include <cstdint>
#include <cstring>

namespace ujson {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr std::size_t kBlock = 16;

bool IsAsciiBlock(const unsigned char* p) {
  std::uint64_t a;
  std::uint64_t b;
  std::memcpy(&a, p, sizeof a);
  std::memcpy(&b, p + sizeof a, sizeof b);
  return ((a | b) & 0x8080808080808080u) == 0;
}

// A fixed trip count lets the compiler turn this into a few vector widening moves.
void WidenBlock(const unsigned char* in, char16_t* out) {
  for (std::size_t k = 0; k < kBlock; ++k)
    out[k] = in[k];
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

} // namespace

Utf8Sequence DecodeUtf8Sequence(const unsigned char* p, std::size_t n, char16_t* out) {
  const unsigned lead = p[0];
  if (lead < 0x80) {
    out[0] = static_cast<char16_t>(lead);
    return {1, 1, true};
  }
  // The ranges of the second byte exclude overlongs, surrogates and code points past U+10FFFF,
  // so a mismatch at any byte ends the maximal subpart there.
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0)
      low = 0xA0;
    else if (lead == 0xED)
      high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    if (lead == 0xF0)
      low = 0x90;
    else if (lead == 0xF4)
      high = 0x8F;
  }
  std::size_t matched = 1;
  while (matched < length && matched < n) {
    const unsigned next = p[matched];
    if (next < low || next > high)
      break;
    cp = (cp << 6) | (next & 0x3F);
    low = 0x80;
    high = 0xBF;
    ++matched;
  }
  if (length == 0 || matched < length) {
    out[0] = kReplacement;
    return {matched, 1, false};
  }
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    return {length, 2, true};
  }
  out[0] = static_cast<char16_t>(cp);
  return {length, 1, true};
}

std::optional<std::size_t> DecodeUtf8(std::string_view bytes, char16_t* out, Utf8Errors errors,
                                      Utf8Tally* tally) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  std::size_t o = 0;
  while (i < n) {
    while (n - i >= kBlock && IsAsciiBlock(p + i)) {
      WidenBlock(p + i, out + o);
      i += kBlock;
      o += kBlock;
    }
    if (i == n)
      break;
    const Utf8Sequence sequence = DecodeUtf8Sequence(p + i, n - i, out + o);
    if (!sequence.WellFormed && errors == Utf8Errors::Stop)
      return std::nullopt;
    if (tally && p[i] >= 0x80)
      ++(sequence.WellFormed ? tally->WellFormed : tally->IllFormed);
    i += sequence.Bytes;
    o += sequence.Units;
  }
  return o;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(*DecodeUtf8(bytes, out.data(), Utf8Errors::Replace));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0xD800 || unit > 0xDFFF) {
      AppendUtf8(out, unit);
    } else if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, kReplacement);
    }
  }
  return out;
}

} // namespace ujson
