#include "json/NormalizeText.h"

#include "json/MemoryBlocks.h"
#include "json/NormalizeEscapes.h"
#include "json/UnicodeConversion.h"

#include <algorithm>
#include <array>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ujson {

namespace {

using normalize_detail::ReadEscapeDigits;

bool IsLayout(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// A character that the scan passes on unchanged where it stands. Inside a string that is
// everything but the quote that ends it and the backslash that may start an escape; outside, the
// space and the removed controls need work too.
bool IsPlain(char16_t c, bool inString) {
  if (c == u'"' || c == u'\\')
    return false;
  return inString || !IsLayout(c);
}

// Copies the plain characters from in[r] on to out[w], up to the first character that needs work
// or the end; both positions end behind them. In place (out == in, w <= r) nothing is moved
// while nothing has been dropped yet.
void CopyPlain(const char16_t* in, std::size_t& r, std::size_t end, char16_t* out, std::size_t& w,
               bool inString) {
#ifdef __SSE2__
  // Eight characters at a time while none of them is a quote, a backslash or (outside strings)
  // a character up to the space; the exact test below sorts out the other controls.
  const __m128i quote = _mm_set1_epi16(0x22);
  const __m128i backslash = _mm_set1_epi16(0x5C);
  const __m128i space = _mm_set1_epi16(0x20);
  const __m128i layoutMask = inString ? _mm_setzero_si128() : _mm_set1_epi16(-1);
  const bool moves = out + w != in + r;
  while (r + 8 <= end) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + r));
    const __m128i low = _mm_and_si128(
        _mm_cmpeq_epi16(_mm_subs_epu16(block, space), _mm_setzero_si128()), layoutMask);
    const __m128i special = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(block, quote), _mm_cmpeq_epi16(block, backslash)), low);
    if (_mm_movemask_epi8(special) != 0)
      break;
    if (moves)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + w), block);
    r += 8;
    w += 8;
  }
#endif
  if (out + w == in + r) {
    while (r < end && IsPlain(in[r], inString))
      ++r;
    w = r;
    return;
  }
  for (char16_t c; r < end && IsPlain(c = in[r], inString); ++r)
    out[w++] = c;
}

} // namespace

void NormalizeSome(const char16_t* in, std::size_t& r, std::size_t avail, bool final, char16_t* out,
                   std::size_t& w, NormalizeState& state) {
  // When more text is to come, a step stops where the rest of the text could change what it
  // writes: in a run of layout, in a run of backslashes and before an escape's six characters.
  auto put = [&](char16_t c) { out[w++] = c; };

  while (r < avail) {
    CopyPlain(in, r, avail, out, w, state.InString);
    if (r == avail)
      break;

    const char16_t c = in[r];
    if (c == u'"') {
      state.InString = !state.InString;
      put(c);
      ++r;
      continue;
    }

    if (c != u'\\') {
      // Layout between tokens: a run of spaces, tabs and line breaks leaves one space when it
      // holds a space, and nothing otherwise. The last character of the text stays as it is.
      std::size_t end = r;
      bool hasSpace = state.SpaceInRun;
      state.SpaceInRun = false;
      for (; end < avail - 1 && IsLayout(in[end]); ++end)
        hasSpace = hasSpace || in[end] == u' ';
      const bool toTheEnd = end == avail - 1 && IsLayout(in[end]);
      if (toTheEnd && !final) {
        // The run goes on to what is known so far; its last character may be the text's last.
        state.SpaceInRun = hasSpace;
        r = end;
        return;
      }
      if (hasSpace && !(toTheEnd && in[end] == u' '))
        put(u' ');
      if (toTheEnd)
        put(in[end++]);
      r = end;
      continue;
    }

    // A run of backslashes: each pair is one escaped backslash and stays; only an odd one out
    // starts an escape, the same rule that decides whether a quote ends a string.
    std::size_t run = r;
    while (run < avail && in[run] == u'\\')
      ++run;
    const std::size_t pairs = (run - r) / 2;
    for (std::size_t k = 0; k < pairs; ++k) {
      put(u'\\');
      put(u'\\');
    }
    r += 2 * pairs;
    if (r == run)
      continue;
    // The odd backslash may be the first of a longer run, or of an escape, still to come.
    if (!final && r + 6 > avail)
      return;

    // The escape's backslash is at r. "\u" or "\U" and four hexadecimal digits, all inside the
    // text, give one UTF-16 code unit; anything else stays as it stands.
    if (r + 6 <= avail && (in[r + 1] == u'u' || in[r + 1] == u'U')) {
      if (const auto digits = ReadEscapeDigits(in + r + 2)) {
        r += 6;
        // A decoded quote or backslash stays escaped, or it would end or escape the string it
        // stands in. Six characters gave way, so the two fit.
        if (digits->Unit == u'"' || digits->Unit == u'\\')
          put(u'\\');
        put(digits->Unit);
        continue;
      }
      // Digits that are not hexadecimal are ordinary text.
    }
    put(u'\\');
    ++r;
    // An escaped quote neither ends nor starts a string.
    if (r < avail && in[r] == u'"')
      put(in[r++]);
  }
}

void NormalizeText(std::u16string& text, bool InsideString) {
  const std::size_t length = text.size();
  if (length < 2)
    return;
  // Nothing the pass does makes the text longer, so what it has done is kept in the same buffer
  // in front of what it still reads.
  std::size_t r = 0;
  std::size_t w = 0;
  NormalizeState state{InsideString};
  NormalizeSome(text.data(), r, length, true, text.data(), w, state);
  text.resize(w);
}

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// UTF-16 bytes of either order, decoded a piece at a time for NormalizeSome.
class Utf16Source {
public:
  Utf16Source(std::string_view bytes, bool bigEndian)
      : p_(reinterpret_cast<const unsigned char*>(bytes.data())), n_(bytes.size()),
        high_(bigEndian ? 0 : 1) {}

  bool Done() const { return i_ == n_; }
  std::size_t MostUnits() const { return n_ / 2 + n_ % 2; }

  std::size_t Fill(char16_t* out, std::size_t room) {
    std::size_t o = 0;
    for (; n_ - i_ >= 2 && o < room; i_ += 2)
      out[o++] = static_cast<char16_t>(p_[i_ + high_] << 8 | p_[i_ + 1 - high_]);
    if (n_ - i_ == 1 && o < room) {
      out[o++] = kReplacement;
      ++i_;
    }
    return o;
  }

private:
  const unsigned char* p_;
  std::size_t n_;
  std::size_t i_ = 0;
  unsigned high_;
};

// The text grows ahead of the writing in steps of this many characters, so that only what it
// will hold is ever touched.
constexpr std::size_t kGrowStep = std::size_t{1} << 14;
// Decoded characters wait here, a piece at a time, for the normalisation.
constexpr std::size_t kPieceLength = std::size_t{1} << 13;

// Makes text.size() at least need, within most (the most the text can come to, for which room
// is reserved: growing never moves the text).
void GrowTo(std::u16string& text, std::size_t need, std::size_t most) {
  if (text.size() < need)
    text.resize(std::min(most, std::max(need, text.size() + kGrowStep)));
}

} // namespace

std::u16string NormalizeUtf8Bytes(std::string_view bytes, Utf8Tally* tally) {
  // Each call gets the room it may write (its bytes and one), within the whole text's bound: from
  // the start of a text the pass writes no more units than it has read bytes.
  const std::size_t most = bytes.size();
  std::u16string text = TextWithRoom(most);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t r = 0;
  std::size_t w = 0;
  NormalizeState state;
  do {
    const std::size_t avail = std::min(most, r + kGrowStep);
    GrowTo(text, w + (avail - r) + 1, most);
    NormalizeUtf8Some(in, r, avail, avail == most, text.data(), w, state, tally);
  } while (r < most);
  text.resize(w);
  return text;
}

std::u16string NormalizeUtf16Bytes(std::string_view bytes, bool bigEndian) {
  Utf16Source source(bytes, bigEndian);
  const std::size_t most = source.MostUnits();
  std::u16string text = TextWithRoom(most);
  std::array<char16_t, kPieceLength> piece;
  std::size_t waiting = 0; // decoded characters at the front of piece, not yet normalised
  std::size_t w = 0;
  NormalizeState state;
  for (;;) {
    waiting += source.Fill(piece.data() + waiting, piece.size() - waiting);
    const bool final = source.Done();
    // Normalising writes no more than it reads, and one more only after it read one without
    // writing; so the text never needs more than most.
    GrowTo(text, w + waiting + 1, most);
    std::size_t r = 0;
    NormalizeSome(piece.data(), r, waiting, final, text.data(), w, state);
    if (final)
      break;
    std::copy(piece.begin() + static_cast<std::ptrdiff_t>(r),
              piece.begin() + static_cast<std::ptrdiff_t>(waiting), piece.begin());
    waiting -= r;
  }
  text.resize(w);
  return text;
}

} // namespace ujson
