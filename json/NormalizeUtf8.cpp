#include "json/NormalizeEscapes.h"
#include "json/NormalizeText.h"
#include "json/UnicodeConversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ujson {

namespace {

using normalize_detail::ReadEscapeDigits;

bool IsLayoutByte(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// What 64 bytes hold, bit k for byte k.
struct ByteClasses {
  std::uint64_t Quotes = 0;
  std::uint64_t Backslashes = 0;
  std::uint64_t Us = 0;   // "u" and "U"
  std::uint64_t High = 0; // bytes from 0x80 on
  std::uint64_t Layout = 0;
  std::uint64_t Spaces = 0;
};

ByteClasses Classify64(const unsigned char* p) {
  ByteClasses classes;
#ifdef __SSE2__
  auto bits = [](__m128i lanes) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(lanes)));
  };
  auto equal = [](__m128i block, char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
  auto load = [p](int k) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + std::ptrdiff_t{16} * k));
  };
  __m128i backslashes = _mm_setzero_si128();
  __m128i high = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    const __m128i block = load(k);
    const __m128i spaces = equal(block, ' ');
    const __m128i layout = _mm_or_si128(_mm_or_si128(spaces, equal(block, '\t')),
                                        _mm_or_si128(equal(block, '\n'), equal(block, '\r')));
    const int shift = 16 * k;
    classes.Quotes |= bits(equal(block, '"')) << shift;
    classes.Layout |= bits(layout) << shift;
    classes.Spaces |= bits(spaces) << shift;
    backslashes = _mm_or_si128(backslashes, equal(block, '\\'));
    high = _mm_or_si128(high, block);
  }
  // Most chunks hold neither backslashes nor bytes from 0x80 on: one test each for all 64.
  if (_mm_movemask_epi8(backslashes) != 0) {
    for (int k = 0; k < 4; ++k) {
      classes.Backslashes |= bits(equal(load(k), '\\')) << 16 * k;
      classes.Us |= bits(equal(_mm_or_si128(load(k), _mm_set1_epi8(0x20)), 'u')) << 16 * k;
    }
  }
  if (_mm_movemask_epi8(high) != 0) {
    for (int k = 0; k < 4; ++k)
      classes.High |= bits(load(k)) << 16 * k;
  }
#else
  for (int k = 0; k < 64; ++k) {
    const unsigned char c = p[k];
    const std::uint64_t bit = std::uint64_t{1} << k;
    classes.Quotes |= c == '"' ? bit : 0;
    classes.Backslashes |= c == '\\' ? bit : 0;
    classes.Us |= (c | 0x20) == 'u' ? bit : 0;
    classes.High |= c >= 0x80 ? bit : 0;
    classes.Layout |= IsLayoutByte(c) ? bit : 0;
    classes.Spaces |= c == ' ' ? bit : 0;
  }
#endif
  return classes;
}

// Bit k set when an odd number of bits up to k (included) are.
std::uint64_t PrefixXor(std::uint64_t bits) {
  for (int shift = 1; shift < 64; shift *= 2)
    bits ^= bits << shift;
  return bits;
}

// Bit k set for a byte right after a run of backslashes of odd length, which escapes it. Every
// run lies within the 64 bits.
std::uint64_t EscapedBytes(std::uint64_t backslashes) {
  constexpr std::uint64_t kEvenBits = 0x5555555555555555;
  const std::uint64_t starts = backslashes & ~(backslashes << 1);
  // Adding a run's first bit carries to the byte after the run, where the run's length shows as
  // the place's parity against the start's.
  const std::uint64_t afterEvenStarts = (backslashes + (starts & kEvenBits)) & ~backslashes;
  const std::uint64_t afterOddStarts = (backslashes + (starts & ~kEvenBits)) & ~backslashes;
  return (afterEvenStarts & ~kEvenBits) | (afterOddStarts & kEvenBits);
}

std::uint64_t LowBits(int count) {
  return count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

// Widens length bytes (ASCII) into units, 32 at least: up to 31 bytes past them are read and as
// many units past them written. Lines of pretty-printed text mostly fit the first 32, without a
// branch on their length.
void WidenAscii(const unsigned char* in, std::size_t length, char16_t* out) {
  std::size_t k = 0;
  do {
    for (std::size_t half = k; half < k + 32; half += 16) {
#ifdef __SSE2__
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + half));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + half),
                       _mm_unpacklo_epi8(block, _mm_setzero_si128()));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + half + 8),
                       _mm_unpackhi_epi8(block, _mm_setzero_si128()));
#else
      for (std::size_t m = half; m < half + 16; ++m)
        out[m] = in[m];
#endif
    }
    k += 32;
  } while (k < length);
}

// NormalizeSome over UTF-8 bytes, decoding as it goes. Positions and state are copied in and
// written back at the end, so that the loops keep them in registers.
class Utf8Pass {
public:
  Utf8Pass(const unsigned char* in, std::size_t r, std::size_t avail, bool final, char16_t* out,
           std::size_t w, NormalizeState state, Utf8Tally* tally)
      : in_(in), i_(r), avail_(avail), final_(final), out_(out), o_(w), state_(state),
        tally_(tally) {}

  void Run();
  std::size_t Read() const { return i_; }
  std::size_t Written() const { return o_; }
  NormalizeState State() const { return state_; }

private:
  // What an odd backslash starts.
  enum class Escape { Undecided, None, Decoded };
  struct DecodedEscape {
    std::size_t Bytes = 0;
    char16_t Unit = 0;
    // The second half of a surrogate pair whose first half was the escape's last character.
    char16_t Trailing = 0;
    Utf8Tally Tally;
  };

  // A chunk reads 64 bytes and the byte after them, and its widened copies up to 31 more.
  static constexpr std::size_t kChunkReach = 96;

  bool Chunk();
  void WriteKept(std::uint64_t keep, std::uint64_t toSpace);
  bool Step();
  void CopyPlain();
  bool Layout();
  bool Backslashes();
  Escape ReadEscape(DecodedEscape& escape) const;
  bool Sequences();
  void Put(char16_t c) { out_[o_++] = c; }

  const unsigned char* in_;
  std::size_t i_;
  std::size_t avail_;
  bool final_;
  char16_t* out_;
  std::size_t o_;
  NormalizeState state_;
  Utf8Tally* tally_;
};

// Steps return false where they stop early: when more bytes are to come and they may decide what
// the step writes.
void Utf8Pass::Run() {
  while (i_ < avail_) {
    if (avail_ - i_ >= kChunkReach && Chunk())
      continue;
    CopyPlain();
    if (i_ == avail_ || !Step())
      return;
  }
}

// How far a chunk may go: up to the first byte from 0x80 on, and to the start of the first run of
// backslashes that may begin a "\u" escape or that may go on past the 64 bytes. The chunk never
// begins inside a run either, so it gets whole runs.
int ChunkLength(const ByteClasses& classes, std::uint64_t& escaped) {
  int length = std::countr_zero(classes.High);
  std::uint64_t backslashes = classes.Backslashes;
  if ((backslashes >> 63) != 0)
    length = std::min(length, 64 - std::countl_one(backslashes));
  backslashes &= LowBits(length);
  escaped = EscapedBytes(backslashes);
  if (const std::uint64_t escapes = escaped & classes.Us & LowBits(length); escapes != 0) {
    // The run ends right before the escaped "u", and begins after the last other byte before it.
    const int u = std::countr_zero(escapes);
    const std::uint64_t others = ~backslashes & LowBits(u - 1);
    length = others == 0 ? 0 : 64 - std::countl_zero(others);
  }
  escaped &= LowBits(length);
  return length;
}

// Up to 64 bytes at once, by masks, as far as ChunkLength lets them go; false when not even the
// first. A branch for each quote and each run of layout would cost more than the whole chunk:
// pretty-printed text has one every few bytes.
bool Utf8Pass::Chunk() {
  const ByteClasses classes = Classify64(in_ + i_);
  if ((classes.Quotes | classes.Backslashes | classes.High | classes.Layout) == 0) {
    // Numbers and names without layout, as in long arrays of coordinates: all 64 stay.
    WidenAscii(in_ + i_, 64, out_ + o_);
    i_ += 64;
    o_ += 64;
    return true;
  }
  std::uint64_t escaped = 0;
  const int length = ChunkLength(classes, escaped);
  if (length == 0)
    return false;
  const std::uint64_t valid = LowBits(length);
  // Every quote that no backslash escapes opens or closes a string; an opening quote is inside.
  const std::uint64_t inside =
      PrefixXor(classes.Quotes & ~escaped & valid) ^ (state_.InString ? ~std::uint64_t{0} : 0);
  const std::uint64_t layout = classes.Layout & ~inside & valid;
  // Whether a run of layout at the end goes on past the chunk. Otherwise the byte after it is a
  // backslash or from 0x80 on, no layout.
  const bool layoutAfter = length == 64 && (inside >> 63 & 1) == 0 && IsLayoutByte(in_[i_ + 64]);
  // Adding a run's first space carries through to the run's end, clearing the bits it passes:
  // what it cleared, and the spaces themselves, are the run from its first space on.
  const std::uint64_t spaces = (classes.Spaces & layout) | (state_.SpaceInRun ? layout & 1 : 0);
  const std::uint64_t fromFirstSpace = (layout & ~(layout + spaces)) | spaces;
  const std::uint64_t ends = layout & ~((layout >> 1) | (layoutAfter ? std::uint64_t{1} << 63 : 0));
  // Each run leaves its last byte, when it held a space, written as a space. Backslashes and the
  // bytes they escape stay as they are.
  const std::uint64_t spaceEnds = ends & fromFirstSpace;
  state_.SpaceInRun = layoutAfter && (fromFirstSpace >> 63 & 1) != 0;
  state_.InString = (inside >> (length - 1) & 1) != 0;
  WriteKept((~layout & valid) | spaceEnds, spaceEnds & ~classes.Spaces);
  i_ += static_cast<std::size_t>(length);
  return true;
}

// Copies the chunk's bytes whose bits are in keep, each stretch of them at once. A bit in toSpace
// (an end of layout that is no space) is always a stretch's first, the rest of its run having
// gone.
void Utf8Pass::WriteKept(std::uint64_t keep, std::uint64_t toSpace) {
  while (keep != 0) {
    const int start = std::countr_zero(keep);
    const int length = std::countr_one(keep >> start);
    WidenAscii(in_ + i_ + start, static_cast<std::size_t>(length), out_ + o_);
    if ((toSpace >> start & 1) != 0)
      out_[o_] = u' ';
    o_ += static_cast<std::size_t>(length);
    // Adding the stretch's first bit carries through it and clears it.
    keep &= keep + (keep & (~keep + 1));
  }
}

// The byte at i_, which CopyPlain stopped at.
bool Utf8Pass::Step() {
  const unsigned char c = in_[i_];
  if (c == '"') {
    state_.InString = !state_.InString;
    Put(u'"');
    ++i_;
    return true;
  }
  if (c == '\\')
    return Backslashes();
  if (c >= 0x80)
    return Sequences();
  // Layout outside strings: inside, CopyPlain passed it on.
  return Layout();
}

// Copies plain ASCII up to the first byte that needs work: a quote, a backslash, a byte of a
// multi-byte sequence and, outside strings, layout. Only the last bytes before avail and those
// right after a multi-byte sequence or an escape come here.
void Utf8Pass::CopyPlain() {
  const bool inString = state_.InString;
  for (unsigned char c; i_ < avail_ && (c = in_[i_]) < 0x80 && c != '"' && c != '\\' &&
                        (inString || !IsLayoutByte(c));
       ++i_)
    Put(c);
}

// A run of layout between tokens leaves one space when it holds a space, and nothing otherwise;
// the last character of the text stays as it is.
bool Utf8Pass::Layout() {
  bool hasSpace = state_.SpaceInRun;
  state_.SpaceInRun = false;
  // The run is looked at up to the last byte known, which may be the text's last.
  const std::size_t last = avail_ - 1;
  std::size_t end = i_;
  for (; end < last && IsLayoutByte(in_[end]); ++end)
    hasSpace = hasSpace || in_[end] == ' ';
  const bool toTheEnd = end == last && IsLayoutByte(in_[end]);
  if (toTheEnd && !final_) {
    // The run goes on to what is known so far; its last byte may be the text's last.
    state_.SpaceInRun = hasSpace;
    i_ = end;
    return false;
  }
  if (hasSpace && !(toTheEnd && in_[end] == ' '))
    Put(u' ');
  if (toTheEnd)
    Put(in_[end++]);
  i_ = end;
  return true;
}

// A run of backslashes: each pair is one escaped backslash and stays; only an odd one out starts
// an escape.
bool Utf8Pass::Backslashes() {
  std::size_t run = i_;
  while (run < avail_ && in_[run] == '\\')
    ++run;
  for (std::size_t k = 0; k < (run - i_) / 2; ++k) {
    Put(u'\\');
    Put(u'\\');
  }
  i_ += (run - i_) / 2 * 2;
  if (i_ == run)
    return true;
  DecodedEscape escape;
  const Escape kind = ReadEscape(escape);
  if (kind == Escape::Undecided)
    return false;
  if (kind == Escape::Decoded) {
    i_ += escape.Bytes;
    // A decoded quote or backslash stays escaped, or it would end or escape the string it stands
    // in. Six bytes or more gave way to at most three units.
    if (escape.Unit == u'"' || escape.Unit == u'\\')
      Put(u'\\');
    Put(escape.Unit);
    if (escape.Trailing != 0)
      Put(escape.Trailing);
    if (tally_) {
      tally_->WellFormed += escape.Tally.WellFormed;
      tally_->IllFormed += escape.Tally.IllFormed;
    }
    return true;
  }
  Put(u'\\');
  ++i_;
  // An escaped quote neither ends nor starts a string.
  if (i_ < avail_ && in_[i_] == '"')
    Put(static_cast<char16_t>(in_[i_++]));
  return true;
}

// The odd backslash at i_: "\u" or "\U" and four hexadecimal digits give one UTF-16 unit. A NUL
// ends the digits early, and the escape still takes six characters of the decoded text, which
// past the NUL may be any, each decoded from up to four bytes.
Utf8Pass::Escape Utf8Pass::ReadEscape(DecodedEscape& escape) const {
  // Fewer than six bytes never make six characters, and what follows decides an escaped quote.
  if (avail_ - i_ < 6)
    return final_ ? Escape::None : Escape::Undecided;
  if (in_[i_ + 1] != 'u' && in_[i_ + 1] != 'U')
    return Escape::None;
  const auto digits = ReadEscapeDigits(in_ + i_ + 2);
  if (!digits)
    return Escape::None;
  escape.Unit = digits->Unit;
  // The digits, and the NUL that ended them, are one byte a character.
  std::size_t j = i_ + 2 + std::min<std::size_t>(digits->Taken + 1, 4);
  std::size_t characters = j - i_;
  while (characters < 6) {
    if (j == avail_)
      return final_ ? Escape::None : Escape::Undecided;
    std::array<char16_t, 2> units{};
    const Utf8Sequence sequence = DecodeUtf8Sequence(in_ + j, avail_ - j, units.data());
    if (!final_ && !sequence.WellFormed && j + sequence.Bytes == avail_)
      return Escape::Undecided;
    if (in_[j] >= 0x80)
      ++(sequence.WellFormed ? escape.Tally.WellFormed : escape.Tally.IllFormed);
    if (characters + sequence.Units > 6)
      escape.Trailing = units[1];
    characters += sequence.Units;
    j += sequence.Bytes;
  }
  escape.Bytes = j - i_;
  return Escape::Decoded;
}

// Multi-byte sequences, one after another (ill-formed ones become U+FFFD each).
bool Utf8Pass::Sequences() {
  while (i_ < avail_ && in_[i_] >= 0x80) {
    const Utf8Sequence sequence = DecodeUtf8Sequence(in_ + i_, avail_ - i_, out_ + o_);
    // A sequence cut short by the end of what is known may go on in the bytes still to come.
    if (!final_ && !sequence.WellFormed && i_ + sequence.Bytes == avail_)
      return false;
    if (tally_)
      ++(sequence.WellFormed ? tally_->WellFormed : tally_->IllFormed);
    i_ += sequence.Bytes;
    o_ += sequence.Units;
  }
  return true;
}

} // namespace

void NormalizeUtf8Some(const unsigned char* in, std::size_t& r, std::size_t avail, bool final,
                       char16_t* out, std::size_t& w, NormalizeState& state, Utf8Tally* tally) {
  Utf8Pass pass(in, r, avail, final, out, w, state, tally);
  pass.Run();
  r = pass.Read();
  w = pass.Written();
  state = pass.State();
}

} // namespace ujson
