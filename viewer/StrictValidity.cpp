#include "viewer/StrictValidity.h"

#include "viewer/Decimal.h"

#include "json/UnicodeConversion.h"

#include <algorithm>
#include <array>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Space, LF, CR and TAB, as one bit test: the checker asks this more than anything else.
bool IsSpace(char16_t c) {
  constexpr uint64_t kSpaces = 1ULL << 0x20 | 1ULL << 0x0A | 1ULL << 0x0D | 1ULL << 0x09;
  return c <= 0x20 && ((kSpaces >> c) & 1) != 0;
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Where the open containers stand. One bit per level for its kind, so hostile nesting costs
// an eighth of a byte per bracket; the child indices only for the levels a path can show.
class OpenContainers {
public:
  bool Empty() const { return depth_ == 0; }
  bool InObject() const { return inObject_; }
  void Open(bool IsObject) {
    isObject_.push_back(IsObject);
    inObject_ = IsObject;
    if (++depth_ <= MaxPathDepth)
      children_.push_back(0);
  }
  void Close() {
    if (depth_-- <= MaxPathDepth)
      children_.pop_back();
    isObject_.pop_back();
    inObject_ = depth_ != 0 && isObject_.back();
  }
  // A comma: the next child is read.
  void NextChild() {
    if (depth_ <= MaxPathDepth)
      ++children_.back();
  }
  // The path of the child being read in each open container.
  const std::vector<uint32_t>& Path() const { return children_; }

private:
  std::vector<bool> isObject_;
  std::vector<uint32_t> children_;
  // The innermost container's kind and the depth, asked after every value.
  std::size_t depth_ = 0;
  bool inObject_ = false;
};

// Checks UTF-16 text, or UTF-8 bytes as if decoded (ill-formed sequences standing for U+FFFD),
// with the same findings: every byte that JSON's grammar looks at is ASCII, so only the plain
// run of a string, the leading U+FEFF and the counting of lines and columns tell the two apart.
template <class Unit> class StrictChecker {
public:
  static constexpr bool kBytes = sizeof(Unit) == 1;
  using View = std::basic_string_view<Unit>;

  explicit StrictChecker(View Text) : text_(Text) {}

  // The offset and reason of the first departure, or nothing.
  std::optional<StrictDeparture> Run();

private:
  enum class Expect : uint8_t { Value, AfterValue, Name };

  char16_t At(std::size_t Offset) const { return Offset < text_.size() ? text_[Offset] : 0; }
  // The length of the U+FEFF at the start of the text, if one stands there.
  std::size_t LeadingMarkLength() const;
  // How many UTF-16 units, lines and columns the text up to Offset makes.
  void Locate(std::size_t Offset, StrictDeparture& Departure) const;
  // Most values follow their comma or colon at once or after one space: only a longer run
  // of white space costs a call.
  void SkipSpace() {
    if (IsSpace(At(pos_))) {
      ++pos_;
      if (IsSpace(At(pos_)))
        SkipSpaceRun();
    }
  }
  void SkipSpaceRun();
  std::size_t PlainStringRun(std::size_t From) const;
  std::optional<StrictFault> ScanString();
  std::optional<StrictFault> ScanNumber();
  bool ScanLiteral(std::u16string_view Literal);
  std::optional<StrictFault> ScanValue(Expect& Next);
  std::optional<StrictFault> AfterValue(Expect& Next);
  std::optional<StrictFault> ScanName(Expect& Next);
  StrictDeparture Departure(StrictFault Fault, std::size_t Offset) const;

  View text_;
  std::size_t pos_ = 0;
  bool done_ = false;
  OpenContainers open_;
};

#ifdef __SSE2__
// A mask of the units at p, eight of UTF-16 or sixteen bytes, with two bits or one per unit.
inline unsigned SpaceMask(const char16_t* p) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(0x20)),
                                                  _mm_cmpeq_epi16(block, _mm_set1_epi16(0x0A))),
                                     _mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(0x0D)),
                                                  _mm_cmpeq_epi16(block, _mm_set1_epi16(0x09))))));
}
inline unsigned SpaceMask(const unsigned char* p) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(0x20)),
                                                  _mm_cmpeq_epi8(block, _mm_set1_epi8(0x0A))),
                                     _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(0x0D)),
                                                  _mm_cmpeq_epi8(block, _mm_set1_epi8(0x09))))));
}

// Quotes, backslashes, controls and, in UTF-16, surrogates (which need a look at their pair):
// what ends a string's plain run. Bytes from 0x80 on are plain: UTF-8 makes no lone surrogates.
inline unsigned StringSpecialMask(const char16_t* p) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i control =
      _mm_cmpeq_epi16(_mm_subs_epu16(block, _mm_set1_epi16(0x1F)), _mm_setzero_si128());
  const __m128i surrogate =
      _mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(static_cast<short>(0xF800))),
                      _mm_set1_epi16(static_cast<short>(0xD800)));
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(0x22)),
                                                  _mm_cmpeq_epi16(block, _mm_set1_epi16(0x5C))),
                                     _mm_or_si128(control, surrogate))));
}
inline unsigned StringSpecialMask(const unsigned char* p) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i control =
      _mm_cmpeq_epi8(_mm_subs_epu8(block, _mm_set1_epi8(0x1F)), _mm_setzero_si128());
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(0x22)),
                                                  _mm_cmpeq_epi8(block, _mm_set1_epi8(0x5C))),
                                     control)));
}
#endif

template <class Unit> void StrictChecker<Unit>::SkipSpaceRun() {
  const std::size_t size = text_.size();
  while (pos_ < size && IsSpace(text_[pos_])) {
#ifdef __SSE2__
    // Pretty-printed files indent with runs of white space: a block of sixteen bytes at a time.
    constexpr std::size_t kBlock = 16 / sizeof(Unit);
    if (pos_ + kBlock <= size) {
      const unsigned other = ~SpaceMask(text_.data() + pos_) & 0xFFFFu;
      if (other != 0) {
        pos_ += static_cast<std::size_t>(__builtin_ctz(other)) / sizeof(Unit);
        return;
      }
      pos_ += kBlock;
      continue;
    }
#endif
    ++pos_;
  }
}

// The end of the run of plain string characters from From: no quote, backslash, control
// character or surrogate.
template <class Unit> std::size_t StrictChecker<Unit>::PlainStringRun(std::size_t From) const {
  const std::size_t size = text_.size();
  std::size_t at = From;
#ifdef __SSE2__
  constexpr std::size_t kBlock = 16 / sizeof(Unit);
  while (at + kBlock <= size) {
    const unsigned found = StringSpecialMask(text_.data() + at);
    if (found != 0)
      return at + static_cast<std::size_t>(__builtin_ctz(found)) / sizeof(Unit);
    at += kBlock;
  }
#endif
  for (; at < size; ++at) {
    const char16_t c = text_[at];
    if (c == u'"' || c == u'\\' || c < 0x20 || (!kBytes && (c & 0xF800) == 0xD800))
      break;
  }
  return at;
}

template <class Unit> std::optional<StrictFault> StrictChecker<Unit>::ScanString() {
  const std::size_t opening = pos_;
  std::size_t at = opening + 1;
  for (;;) {
    at = PlainStringRun(at);
    if (at >= text_.size()) {
      pos_ = opening;
      return StrictFault::UnterminatedString;
    }
    const char16_t c = text_[at];
    if (c == u'"') {
      pos_ = at + 1;
      return std::nullopt;
    }
    if (c == u'\\') {
      const char16_t escaped = At(at + 1);
      if (at + 1 >= text_.size()) {
        pos_ = opening;
        return StrictFault::UnterminatedString;
      }
      if (escaped == u'u') {
        for (std::size_t k = 2; k < 6; ++k) {
          if (!IsHexDigit(At(at + k))) {
            pos_ = at;
            return StrictFault::InvalidEscape;
          }
        }
        at += 6;
        continue;
      }
      if (std::u16string_view(u"\"\\/bfnrt").find(escaped) == std::u16string_view::npos) {
        pos_ = at;
        return StrictFault::InvalidEscape;
      }
      at += 2;
      continue;
    }
    if (c < 0x20) {
      pos_ = at;
      return StrictFault::ControlCharacter;
    }
    // Only UTF-16 comes here with anything else: a surrogate.
    if (IsHighSurrogate(c) && IsLowSurrogate(At(at + 1))) {
      at += 2;
      continue;
    }
    pos_ = at;
    return StrictFault::LoneSurrogate;
  }
}

template <class Unit> std::optional<StrictFault> StrictChecker<Unit>::ScanNumber() {
  auto digits = [this] {
    const std::size_t first = pos_;
    while (IsDigit(At(pos_)))
      ++pos_;
    return pos_ > first;
  };
  if (At(pos_) == u'-')
    ++pos_;
  if (At(pos_) == u'0') {
    ++pos_;
    // A leading zero stands alone.
    if (IsDigit(At(pos_)))
      return StrictFault::InvalidNumber;
  } else if (!digits()) {
    return StrictFault::InvalidNumber;
  }
  if (At(pos_) == u'.') {
    ++pos_;
    if (!digits())
      return StrictFault::InvalidNumber;
  }
  if (At(pos_) == u'e' || At(pos_) == u'E') {
    ++pos_;
    if (At(pos_) == u'+' || At(pos_) == u'-')
      ++pos_;
    if (!digits())
      return StrictFault::InvalidNumber;
  }
  return std::nullopt;
}

template <class Unit> bool StrictChecker<Unit>::ScanLiteral(std::u16string_view Literal) {
  if (text_.size() - pos_ < Literal.size() ||
      !std::equal(Literal.begin(), Literal.end(),
                  text_.begin() + static_cast<std::ptrdiff_t>(pos_)))
    return false;
  pos_ += Literal.size();
  return true;
}

template <class Unit> std::optional<StrictFault> StrictChecker<Unit>::ScanValue(Expect& Next) {
  Next = Expect::AfterValue;
  // One jump on the first character: which kind comes next is what a pass cannot predict.
  switch (At(pos_)) {
  case u'"':
    return ScanString();
  case u'{':
  case u'[': {
    const bool isObject = At(pos_) == u'{';
    open_.Open(isObject);
    ++pos_;
    SkipSpace();
    if (At(pos_) == (isObject ? u'}' : u']')) {
      ++pos_;
      open_.Close();
    } else {
      Next = isObject ? Expect::Name : Expect::Value;
    }
    return std::nullopt;
  }
  case u'-':
  case u'0':
  case u'1':
  case u'2':
  case u'3':
  case u'4':
  case u'5':
  case u'6':
  case u'7':
  case u'8':
  case u'9':
    return ScanNumber();
  case u't':
    return ScanLiteral(u"true") ? std::nullopt : std::optional(StrictFault::ExpectedValue);
  case u'f':
    return ScanLiteral(u"false") ? std::nullopt : std::optional(StrictFault::ExpectedValue);
  case u'n':
    return ScanLiteral(u"null") ? std::nullopt : std::optional(StrictFault::ExpectedValue);
  default:
    return StrictFault::ExpectedValue;
  }
}

template <class Unit> std::optional<StrictFault> StrictChecker<Unit>::AfterValue(Expect& Next) {
  SkipSpace();
  if (open_.Empty()) {
    if (pos_ < text_.size())
      return StrictFault::TextAfterValue;
    done_ = true;
    return std::nullopt;
  }
  const bool inObject = open_.InObject();
  const char16_t closing = inObject ? u'}' : u']';
  const char16_t c = At(pos_);
  if (c == closing) {
    ++pos_;
    open_.Close();
    return std::nullopt;
  }
  if (c != u',')
    return inObject ? StrictFault::ExpectedCommaOrBrace : StrictFault::ExpectedCommaOrBracket;
  const std::size_t comma = pos_;
  ++pos_;
  open_.NextChild();
  SkipSpace();
  if (At(pos_) == closing) {
    pos_ = comma;
    return StrictFault::TrailingComma;
  }
  if (!inObject) {
    Next = Expect::Value;
    return std::nullopt;
  }
  // The member's name at once, without another round of the main loop.
  return ScanName(Next);
}

template <class Unit> std::optional<StrictFault> StrictChecker<Unit>::ScanName(Expect& Next) {
  if (At(pos_) != u'"')
    return StrictFault::ExpectedName;
  if (const auto fault = ScanString())
    return fault;
  SkipSpace();
  if (At(pos_) != u':')
    return StrictFault::ExpectedColon;
  ++pos_;
  SkipSpace();
  Next = Expect::Value;
  return std::nullopt;
}

// Every step inlined into the one loop keeps the position in a register across them: a quarter
// faster on a large pretty-printed file than calls the compiler leaves out of line.
template <class Unit> [[gnu::flatten]] std::optional<StrictDeparture> StrictChecker<Unit>::Run() {
  pos_ = LeadingMarkLength();
  SkipSpace();
  if (pos_ >= text_.size())
    return Departure(StrictFault::EmptyText, pos_);
  Expect next = Expect::Value;
  while (!done_) {
    std::optional<StrictFault> fault;
    switch (next) {
    case Expect::Value:
      fault = ScanValue(next);
      // What follows a value at once, without another round.
      if (!fault && next == Expect::AfterValue)
        fault = AfterValue(next);
      break;
    case Expect::AfterValue:
      fault = AfterValue(next);
      break;
    case Expect::Name:
      fault = ScanName(next);
      break;
    }
    if (fault)
      return Departure(*fault, pos_);
  }
  return std::nullopt;
}

template <class Unit> std::size_t StrictChecker<Unit>::LeadingMarkLength() const {
  if constexpr (kBytes)
    return text_.starts_with(reinterpret_cast<const Unit*>("\xEF\xBB\xBF")) ? 3 : 0;
  else
    return At(0) == u'\uFEFF' ? 1 : 0;
}

// Counted only now: the pass itself never looks at line ends.
template <class Unit>
void StrictChecker<Unit>::Locate(std::size_t Offset, StrictDeparture& Departure) const {
  std::size_t column = 1;
  std::size_t units = LeadingMarkLength() == 0 ? 0 : 1;
  for (std::size_t k = LeadingMarkLength(); k < Offset;) {
    const char16_t c = text_[k];
    if (c == u'\n' || c == u'\r') {
      const std::size_t ending = c == u'\r' && k + 1 < Offset && text_[k + 1] == u'\n' ? 2 : 1;
      k += ending;
      units += ending;
      ++Departure.Line;
      column = 1;
      continue;
    }
    if constexpr (kBytes) {
      // One character a sequence, or a U+FFFD for each maximal ill-formed part, as decoded.
      std::array<char16_t, 2> decoded{};
      const ujson::Utf8Sequence sequence =
          c < 0x80 ? ujson::Utf8Sequence{1, 1, true}
                   : ujson::DecodeUtf8Sequence(text_.data() + k, text_.size() - k, decoded.data());
      k += sequence.Bytes;
      units += sequence.Units;
      ++column;
    } else {
      if (!(IsLowSurrogate(c) && k > 0 && IsHighSurrogate(text_[k - 1])))
        ++column;
      ++k;
      ++units;
    }
  }
  Departure.Column = column;
  Departure.Offset = kBytes ? units : Offset;
}

template <class Unit>
StrictDeparture StrictChecker<Unit>::Departure(StrictFault Fault, std::size_t Offset) const {
  StrictDeparture departure;
  departure.Fault = Fault;
  departure.Path = open_.Path();
  Locate(Offset, departure);
  return departure;
}

} // namespace

std::u16string_view StrictFaultText(StrictFault Fault) {
  switch (Fault) {
  case StrictFault::EmptyText:
    return u"empty text";
  case StrictFault::ExpectedValue:
    return u"expected a value";
  case StrictFault::ExpectedName:
    return u"expected a name";
  case StrictFault::ExpectedColon:
    return u"expected ':'";
  case StrictFault::ExpectedCommaOrBrace:
    return u"expected ',' or '}'";
  case StrictFault::ExpectedCommaOrBracket:
    return u"expected ',' or ']'";
  case StrictFault::TrailingComma:
    return u"trailing comma";
  case StrictFault::UnterminatedString:
    return u"unterminated string";
  case StrictFault::InvalidEscape:
    return u"invalid escape";
  case StrictFault::ControlCharacter:
    return u"control character in string";
  case StrictFault::InvalidNumber:
    return u"invalid number";
  case StrictFault::LoneSurrogate:
    return u"lone surrogate";
  case StrictFault::TextAfterValue:
    return u"text after the value";
  }
  return u"";
}

std::optional<StrictDeparture> CheckStrictJson(std::u16string_view Text) {
  return StrictChecker<char16_t>(Text).Run();
}

std::optional<StrictDeparture> CheckStrictJsonUtf8(std::string_view Bytes) {
  return StrictChecker<unsigned char>(
             {reinterpret_cast<const unsigned char*>(Bytes.data()), Bytes.size()})
      .Run();
}

std::u16string DepartureText(const StrictDeparture& Departure) {
  std::u16string text = u"invalid JSON at line ";
  AppendDecimal(text, static_cast<int64_t>(Departure.Line));
  text += u", column ";
  AppendDecimal(text, static_cast<int64_t>(Departure.Column));
  text += u": ";
  text += StrictFaultText(Departure.Fault);
  return text;
}
