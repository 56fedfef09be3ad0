#include "viewer/StrictValidity.h"

#include "viewer/Decimal.h"

#include <algorithm>
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

class StrictChecker {
public:
  explicit StrictChecker(std::u16string_view Text) : text_(Text) {}

  // The offset and reason of the first departure, or nothing.
  std::optional<StrictDeparture> Run();

private:
  enum class Expect : uint8_t { Value, AfterValue, Name };

  char16_t At(std::size_t Offset) const { return Offset < text_.size() ? text_[Offset] : 0; }
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

  std::u16string_view text_;
  std::size_t pos_ = 0;
  bool done_ = false;
  OpenContainers open_;
};

void StrictChecker::SkipSpaceRun() {
  const std::size_t size = text_.size();
  while (pos_ < size && IsSpace(text_[pos_])) {
#ifdef __SSE2__
    // Pretty-printed files indent with runs of white space: eight at a time.
    if (pos_ + 8 <= size) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + pos_));
      const __m128i space =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(0x20)),
                                    _mm_cmpeq_epi16(block, _mm_set1_epi16(0x0A))),
                       _mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(0x0D)),
                                    _mm_cmpeq_epi16(block, _mm_set1_epi16(0x09))));
      const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(space)) & 0xFFFFu;
      if (other != 0) {
        pos_ += static_cast<std::size_t>(__builtin_ctz(other)) / 2;
        return;
      }
      pos_ += 8;
      continue;
    }
#endif
    ++pos_;
  }
}

// The end of the run of plain string characters from From: no quote, backslash, control
// character or surrogate.
std::size_t StrictChecker::PlainStringRun(std::size_t From) const {
  const std::size_t size = text_.size();
  std::size_t at = From;
#ifdef __SSE2__
  const __m128i quote = _mm_set1_epi16(0x22);
  const __m128i backslash = _mm_set1_epi16(0x5C);
  const __m128i lastControl = _mm_set1_epi16(0x1F);
  const __m128i surrogateMask = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  // One bit pair for each of the eight characters at Offset that ends a plain run.
  auto specials = [&](std::size_t Offset) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + Offset));
    const __m128i control =
        _mm_cmpeq_epi16(_mm_subs_epu16(block, lastControl), _mm_setzero_si128());
    const __m128i special = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(block, quote), _mm_cmpeq_epi16(block, backslash)),
        _mm_or_si128(control, _mm_cmpeq_epi16(_mm_and_si128(block, surrogateMask), surrogate)));
    return static_cast<unsigned>(_mm_movemask_epi8(special));
  };
  while (at + 8 <= size) {
    const unsigned found = specials(at);
    if (found != 0)
      return at + static_cast<std::size_t>(__builtin_ctz(found)) / 2;
    at += 8;
  }
#endif
  for (; at < size; ++at) {
    const char16_t c = text_[at];
    if (c == u'"' || c == u'\\' || c < 0x20 || (c & 0xF800) == 0xD800)
      break;
  }
  return at;
}

std::optional<StrictFault> StrictChecker::ScanString() {
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
    if (IsHighSurrogate(c) && IsLowSurrogate(At(at + 1))) {
      at += 2;
      continue;
    }
    pos_ = at;
    return StrictFault::LoneSurrogate;
  }
}

std::optional<StrictFault> StrictChecker::ScanNumber() {
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

bool StrictChecker::ScanLiteral(std::u16string_view Literal) {
  if (text_.size() - pos_ < Literal.size() ||
      !std::equal(Literal.begin(), Literal.end(),
                  text_.begin() + static_cast<std::ptrdiff_t>(pos_)))
    return false;
  pos_ += Literal.size();
  return true;
}

std::optional<StrictFault> StrictChecker::ScanValue(Expect& Next) {
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

std::optional<StrictFault> StrictChecker::AfterValue(Expect& Next) {
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

std::optional<StrictFault> StrictChecker::ScanName(Expect& Next) {
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
[[gnu::flatten]] std::optional<StrictDeparture> StrictChecker::Run() {
  if (At(0) == u'\uFEFF')
    pos_ = 1;
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

StrictDeparture StrictChecker::Departure(StrictFault Fault, std::size_t Offset) const {
  StrictDeparture departure;
  departure.Fault = Fault;
  departure.Offset = Offset;
  departure.Path = open_.Path();
  // Counted only now: the pass itself never looks at line ends.
  std::size_t column = 1;
  for (std::size_t k = At(0) == u'\uFEFF' ? 1 : 0; k < Offset; ++k) {
    const char16_t c = text_[k];
    if (c == u'\n' || c == u'\r') {
      if (c == u'\r' && k + 1 < Offset && text_[k + 1] == u'\n')
        ++k;
      ++departure.Line;
      column = 1;
    } else if (!(IsLowSurrogate(c) && k > 0 && IsHighSurrogate(text_[k - 1]))) {
      ++column;
    }
  }
  departure.Column = column;
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
  return StrictChecker(Text).Run();
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
