#include "json/NormalizeText.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ujson {

namespace {

// A character that the scan passes on unchanged, whatever stands next to it.
bool IsPlain(char16_t c) {
  if (c > u' ')
    return c != u'\\';
  return c != u' ' && c != u'\t' && c != u'\n' && c != u'\r';
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

// Reads the four characters after "\u" as a hexadecimal number. A NUL (which is also what the
// positions past the end read as) ends the number early; no digit before it, or any other
// character that is no hex digit, means there is no number.
std::optional<char16_t> ReadEscapeDigits(const char16_t* digits, std::size_t available) {
  unsigned value = 0;
  int taken = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    const char16_t c = k < available ? digits[k] : u'\0';
    if (c == u'\0')
      break;
    const int digit = HexDigitValue(c);
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

void NormalizeText(std::u16string& text) {
  const std::size_t length = text.size();
  if (length < 2)
    return;
  char16_t* buf = text.data();

  // The scan runs from the end to the start, and whatever it does at a position changes only that
  // position and the ones behind it. So the part still to be scanned, buf[0, pending), is always
  // the original text, and the part already done can be kept right-aligned in the same buffer, in
  // buf[front, length): it never grows faster than the scan eats the original. Every edit then
  // costs O(1) instead of shifting the tail of the string. The last character is never scanned.
  std::size_t pending = length - 1;
  std::size_t front = length - 1;

  while (pending > 0) {
    // Eight characters at a time while none of them is a space, a control or a backslash
    // (the only characters the scan may change; other controls go on to the exact test below).
#ifdef __SSE2__
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i backslash = _mm_set1_epi16(0x5C);
    while (pending >= 8) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + pending - 8));
      const __m128i special =
          _mm_or_si128(_mm_cmpeq_epi16(_mm_subs_epu16(block, space), _mm_setzero_si128()),
                       _mm_cmpeq_epi16(block, backslash));
      if (_mm_movemask_epi8(special) != 0)
        break;
      if (front != pending)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(buf + front - 8), block);
      pending -= 8;
      front -= 8;
    }
#endif
    if (front == pending) {
      // Until the first removal the done part sits where it always was and nothing moves.
      while (pending > 0 && IsPlain(buf[pending - 1]))
        --pending;
      front = pending;
    } else {
      for (char16_t c; pending > 0 && IsPlain(c = buf[pending - 1]); --pending)
        buf[--front] = c;
    }
    if (pending == 0)
      break;

    // A run of spaces, tabs and line breaks leaves one space when it holds a space and the text
    // in front does not start with one, and nothing otherwise.
    if (const char16_t c = buf[pending - 1]; c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
      bool hasSpace = false;
      while (pending > 0) {
        const char16_t w = buf[pending - 1];
        if (w == u' ')
          hasSpace = true;
        else if (w != u'\t' && w != u'\n' && w != u'\r')
          break;
        --pending;
      }
      if (hasSpace && buf[front] != u' ')
        buf[--front] = u' ';
      continue;
    }

    const std::size_t index = --pending;
    const char16_t c = buf[index];
    const char16_t next = buf[front];
    if (c == u'\t' || c == u'\n' || c == u'\r')
      continue;
    if (c == u' ') {
      // Of a pair of spaces the second goes, so a space already in front stands for both.
      if (next != u' ')
        buf[--front] = u' ';
      continue;
    }
    // A backslash. The room for the four digits is measured against the original length, so
    // an escape can reach past the current end, where the digits read as NUL.
    if ((next == u'u' || next == u'U') && index + 6 <= length) {
      if (const auto unit = ReadEscapeDigits(buf + front + 1, length - front - 1)) {
        front += std::min<std::size_t>(5, length - front);
        buf[--front] = *unit;
        // A decoded quote or backslash stays escaped, or it would end or escape the string it
        // stands in. Six characters gave way, so the two fit.
        if (*unit == u'"' || *unit == u'\\')
          buf[--front] = u'\\';
        continue;
      }
      // Digits that are not hexadecimal are ordinary text, as in a path "C:\\Users".
    }
    buf[--front] = u'\\';
  }

  text.erase(0, front);
}

} // namespace ujson
