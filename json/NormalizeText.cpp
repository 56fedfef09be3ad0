#include "json/NormalizeText.h"

#include <cstddef>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ujson {

namespace {

bool IsLayout(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// A character that the scan passes on unchanged where it stands. Inside a string that is
// everything but the quote that ends it and the backslash that may start an escape; outside, the
// space and the removed controls need work too.
bool IsPlain(char16_t c, bool inString) {
  if (c == u'"' || c == u'\\')
    return false;
  return inString || !IsLayout(c);
}

// Moves the plain characters from buf[r] on to buf[w] (w <= r), up to the first character that
// needs work or the end; both positions end behind them.
void CopyPlain(char16_t* buf, std::size_t& r, std::size_t& w, std::size_t end, bool inString) {
#ifdef __SSE2__
  // Eight characters at a time while none of them is a quote, a backslash or (outside strings)
  // a character up to the space; the exact test below sorts out the other controls.
  const __m128i quote = _mm_set1_epi16(0x22);
  const __m128i backslash = _mm_set1_epi16(0x5C);
  const __m128i space = _mm_set1_epi16(0x20);
  const __m128i layoutMask = inString ? _mm_setzero_si128() : _mm_set1_epi16(-1);
  while (r + 8 <= end) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + r));
    const __m128i low = _mm_and_si128(
        _mm_cmpeq_epi16(_mm_subs_epu16(block, space), _mm_setzero_si128()), layoutMask);
    const __m128i special = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(block, quote), _mm_cmpeq_epi16(block, backslash)), low);
    if (_mm_movemask_epi8(special) != 0)
      break;
    if (w != r)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(buf + w), block);
    r += 8;
    w += 8;
  }
#endif
  if (w == r) {
    while (r < end && IsPlain(buf[r], inString))
      ++r;
    w = r;
    return;
  }
  for (char16_t c; r < end && IsPlain(c = buf[r], inString); ++r)
    buf[w++] = c;
}

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9')
    return c - u'0';
  if (c >= u'A' && c <= u'F')
    return c - u'A' + 10;
  if (c >= u'a' && c <= u'f')
    return c - u'a' + 10;
  return -1;
}

// Reads the four characters after "\u" as a hexadecimal number. A NUL ends the number early; no
// digit before it, or any other character that is no hex digit, means there is no number.
std::optional<char16_t> ReadEscapeDigits(const char16_t* digits) {
  unsigned value = 0;
  int taken = 0;
  for (std::size_t k = 0; k < 4 && digits[k] != u'\0'; ++k) {
    const int digit = HexDigitValue(digits[k]);
    if (digit < 0)
      return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
    ++taken;
  }
  if (taken == 0)
    return std::nullopt;
  return static_cast<char16_t>(value);
}

} // namespace

void NormalizeText(std::u16string& text, bool InsideString) {
  const std::size_t length = text.size();
  if (length < 2)
    return;
  char16_t* buf = text.data();

  // One forward pass. Nothing the pass does makes the text longer, so what it has done is kept
  // in the same buffer in front of what it still reads: buf[0, w) is done, buf[r, length) is the
  // original text still to be read, and w <= r throughout.
  std::size_t r = 0;
  std::size_t w = 0;
  bool inString = InsideString;
  auto put = [&](char16_t c) { buf[w++] = c; };

  while (r < length) {
    CopyPlain(buf, r, w, length, inString);
    if (r == length)
      break;

    const char16_t c = buf[r];
    if (c == u'"') {
      inString = !inString;
      put(c);
      ++r;
      continue;
    }

    if (c != u'\\') {
      // Layout between tokens: a run of spaces, tabs and line breaks leaves one space when it
      // holds a space, and nothing otherwise. The last character of the text stays as it is.
      std::size_t end = r;
      bool hasSpace = false;
      for (; end < length - 1 && IsLayout(buf[end]); ++end)
        hasSpace = hasSpace || buf[end] == u' ';
      const bool toTheEnd = end == length - 1 && IsLayout(buf[end]);
      if (hasSpace && !(toTheEnd && buf[end] == u' '))
        put(u' ');
      if (toTheEnd)
        put(buf[end++]);
      r = end;
      continue;
    }

    // A run of backslashes: each pair is one escaped backslash and stays; only an odd one out
    // starts an escape, the same rule that decides whether a quote ends a string.
    std::size_t run = r;
    while (run < length && buf[run] == u'\\')
      ++run;
    const std::size_t pairs = (run - r) / 2;
    for (std::size_t k = 0; k < pairs; ++k) {
      put(u'\\');
      put(u'\\');
    }
    r += 2 * pairs;
    if (r == run)
      continue;

    // The escape's backslash is at r. "\u" or "\U" and four hexadecimal digits, all inside the
    // text, give one UTF-16 code unit; anything else stays as it stands.
    if (r + 6 <= length && (buf[r + 1] == u'u' || buf[r + 1] == u'U')) {
      if (const auto unit = ReadEscapeDigits(buf + r + 2)) {
        r += 6;
        // A decoded quote or backslash stays escaped, or it would end or escape the string it
        // stands in. Six characters gave way, so the two fit.
        if (*unit == u'"' || *unit == u'\\')
          put(u'\\');
        put(*unit);
        continue;
      }
      // Digits that are not hexadecimal are ordinary text.
    }
    put(u'\\');
    ++r;
    // An escaped quote neither ends nor starts a string.
    if (r < length && buf[r] == u'"')
      put(buf[r++]);
  }

  text.resize(w);
}

} // namespace ujson
