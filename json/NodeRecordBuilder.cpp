#include "json/NodeRecordBuilder.h"

#include "json/JSONLimits.h"

#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ujson {

namespace {

bool IsBareDelimiter(char16_t c) { return c == u' ' || c == u',' || c == u']' || c == u'}'; }

bool IsLayout(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

#ifdef __SSE2__
// Bit 2k of the mask is set when the k-th unit of the block is one of the wanted ones.
int QuoteOrBackslashMask(const char16_t* block) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
  const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'"')),
                                    _mm_cmpeq_epi16(units, _mm_set1_epi16(u'\\')));
  return _mm_movemask_epi8(hits) & 0x5555;
}

int BareDelimiterMask(const char16_t* block) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
  // "]" and "}" differ in one bit only.
  const __m128i closing =
      _mm_cmpeq_epi16(_mm_or_si128(units, _mm_set1_epi16(0x20)), _mm_set1_epi16(u'}'));
  const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u' ')),
                                                 _mm_cmpeq_epi16(units, _mm_set1_epi16(u','))),
                                    closing);
  return _mm_movemask_epi8(hits) & 0x5555;
}
#endif

// The text as the parser reads it: 1-based positions, and NUL for any position outside it.
// Its helpers live here, with internal linkage, so that they fold into the parse loop even in
// a position-independent build.
struct TParsedText {
  const char16_t* chars;
  int32_t length;

  char16_t At(int32_t position) const {
    return static_cast<uint32_t>(position) - 1u < static_cast<uint32_t>(length)
               ? chars[position - 1]
               : u'\0';
  }

  void SkipSpaces(int32_t& position) const {
    // Mostly no space at all, or one: the normalised text has no runs outside strings.
    if (At(position) != u' ')
      return;
    int32_t p = position;
    while (p <= length && chars[p - 1] == u' ')
      ++p;
    // Spaces running to the end of the text leave the position where it was.
    if (p <= length)
      position = p;
  }

  void SeekUnescapedQuote(int32_t& position) const;
  int32_t FindBareDelimiter(int32_t from) const;

  bool HasVisibleText(TStringElement range) const {
    if (range.Start == 0)
      return false;
    const int32_t first = range.Start < 1 ? 1 : range.Start;
    const int32_t last = range.Finish < length ? range.Finish : length;
    for (int32_t p = first; p <= last; ++p) {
      if (chars[p - 1] > u' ')
        return true;
    }
    return false;
  }

  // True when nothing but spaces, TABs and line breaks stands from the position to the end of
  // the text.
  bool RestIsBlank(int32_t position) const {
    for (int32_t p = position < 1 ? 1 : position; p <= length; ++p) {
      if (!IsLayout(chars[p - 1]))
        return false;
    }
    return true;
  }
};

void TParsedText::SeekUnescapedQuote(int32_t& position) const {
  // A quote is escaped only by an odd run of backslashes before it: in "c:\\dir\\" the last
  // backslash is itself escaped, and the quote after it ends the string. The run is counted
  // as the scan passes it, so the seek stays one pass however many backslashes there are.
  const int32_t first = position < 1 ? 1 : position;
  bool escaped = false;
  for (int32_t p = first - 1; p >= 1 && chars[p - 1] == u'\\'; --p)
    escaped = !escaped;
  // i is the 0-based index of the next unit to look at.
  int32_t i = first - 1;
#ifdef __SSE2__
  // Eight units at a time: only quotes and backslashes need a look of their own; any other
  // unit ends a backslash run.
  for (int32_t block = i; block + 8 <= length; block += 8, i = block) {
    for (int mask = QuoteOrBackslashMask(chars + block); mask != 0; mask &= mask - 1) {
      const int32_t at = block + std::countr_zero(static_cast<unsigned>(mask)) / 2;
      if (at > i)
        escaped = false;
      if (chars[at] == u'"' && !escaped) {
        position = at + 1;
        return;
      }
      escaped = chars[at] == u'\\' && !escaped;
      i = at + 1;
    }
    if (i < block + 8)
      escaped = false;
  }
#endif
  for (; i < length; ++i) {
    const char16_t c = chars[i];
    if (c == u'"' && !escaped) {
      position = i + 1;
      return;
    }
    escaped = c == u'\\' && !escaped;
  }
}

int32_t TParsedText::FindBareDelimiter(int32_t from) const {
  int32_t i = (from < 1 ? 1 : from) - 1;
#ifdef __SSE2__
  for (; i + 8 <= length; i += 8) {
    if (const int mask = BareDelimiterMask(chars + i); mask != 0)
      return i + std::countr_zero(static_cast<unsigned>(mask)) / 2 + 1;
  }
#endif
  for (; i < length; ++i) {
    if (IsBareDelimiter(chars[i]))
      return i + 1;
  }
  return 0;
}

// Starts the record of a value at the position, when one can start there: at a character that
// is neither layout (nothing but layout follows) nor a closing bracket.
bool Begin(const TParsedText& text, TNodeRecords::Slot& record, int32_t position) {
  const char16_t c = text.At(position);
  // Mostly the value's own first character stands there, which settles it at once.
  if (c <= u' ' && (position > text.length || text.RestIsBlank(position)))
    return false;
  if (c == u']' || c == u'}')
    return false;
  record.SetTextStart(position);
  return true;
}

// Reads a bare value from the position (a number, true, false, null, or whatever else).
void ParseBareValue(const TParsedText& text, TNodeRecords::Slot& slot, int32_t& p) {
  slot.SetKind(jt_variant);
  text.SkipSpaces(p);
  slot.SetValueStart(p);
  // A member without a value, as in {"n":}: the value is empty and the bracket stays the
  // container's, so that writing a value later goes in before it.
  if (text.At(p) == u']' || text.At(p) == u'}') {
    slot.SetValueFinish(p - 1);
    return;
  }
  // The first character of a bare value never ends it.
  if (const int32_t delimiter = text.FindBareDelimiter(p + 1); delimiter != 0) {
    slot.SetValueFinish(delimiter - 1);
    p = delimiter;
  } else {
    // The value runs to the end of the text (a document that is one number, say).
    slot.SetValueFinish(text.length);
    p = text.length + 1;
  }
  text.SkipSpaces(p);
}

// Reads one value into the record; true when it turned out to be an object or array, whose
// children follow.
bool ParseValue(const TParsedText& text, TNodeRecords::Slot& slot, int32_t& p) {
  for (;;) {
    slot.SetKind(jt_unknown);
    slot.SetQuoted(false);
    text.SkipSpaces(p);
    char16_t c = text.At(p);
    if (c == u'{' || c == u'[') {
      slot.SetKind(c == u'{' ? jt_object : jt_array);
      slot.SetValueStart(p);
      return true;
    }
    if (c != u'"') {
      ParseBareValue(text, slot, p);
      return false;
    }
    ++p;
    const int32_t nameStart = p;
    text.SeekUnescapedQuote(p);
    const int32_t nameFinish = p - 1;
    ++p;
    text.SkipSpaces(p);
    c = text.At(p);
    if (c == u':')
      slot.SetName({nameStart, nameFinish});
    // A string that stands alone ends at one of the after-string marks, or with the text (a
    // document that is one string).
    if (c == u',' || c == u']' || c == u'}' || (c != u':' && text.RestIsBlank(p))) {
      slot.SetKind(jt_variant);
      slot.SetValue({nameStart, nameFinish});
      slot.SetQuoted(true);
      return false;
    }
    // Steps over the colon, or whatever stands in its place.
    ++p;
    text.SkipSpaces(p);
    if (text.At(p) == u'"') {
      slot.SetKind(jt_string);
      slot.SetQuoted(true);
      ++p;
      const int32_t valueStart = p;
      text.SeekUnescapedQuote(p);
      slot.SetValue({valueStart, p - 1});
      ++p;
      text.SkipSpaces(p);
      return false;
    }
    // The member's value is an object, an array or a bare value; the name stays.
  }
}

} // namespace

TNodeRecordBuilder::TNodeRecordBuilder(TNodeRecords& records, std::u16string_view text,
                                       uint32_t root, int32_t rootLevel)
    : records_(records), text_(text.data()), length_(static_cast<int32_t>(text.size())),
      root_(root), rootLevel_(rootLevel) {
  CheckTextLength(static_cast<int64_t>(text.size()));
}

void TNodeRecordBuilder::Parse(int32_t& p) {
  const uint32_t sizeBefore = records_.Size();
  const uint32_t firstBefore = records_.FirstChild(root_);
  const uint32_t lastBefore = records_.LastChild(root_);
  try {
    Run(p);
  } catch (...) {
    records_.SetFirstChild(root_, firstBefore);
    if (lastBefore != NoRecord)
      records_.SetNextSibling(lastBefore, NoRecord);
    records_.Truncate(sizeBefore);
    throw;
  }
}

void TNodeRecordBuilder::Run(int32_t& position) {
  const TParsedText text{text_, length_};
  uint32_t node = root_;
  TNodeRecords::Slot slot = records_.SlotOf(node);
  if (!Begin(text, slot, position))
    return;

  // The running position stays in a local of its own: written through the caller's reference,
  // it would have to be read again after every write to a record.
  int32_t p = position;
  enum class Step { Value, ValueDone, NextChild, ChildParsed, ChildsEnd };
  Step step = Step::Value;
  int32_t level = rootLevel_;
  try {
    for (;;) {
      switch (step) {
      case Step::Value:
        if (ParseValue(text, slot, p)) {
          open_.push_back({node, node == root_ ? records_.LastChild(root_) : NoRecord, level});
          step = Step::NextChild;
        } else {
          step = Step::ValueDone;
        }
        break;

      case Step::ValueDone:
        slot.SetTextFinish(p - 1);
        if (open_.empty()) {
          position = p;
          return;
        }
        step = Step::ChildParsed;
        break;

      case Step::NextChild: {
        const OpenContainer& parent = open_.back();
        // Steps over the opening bracket or the comma.
        ++p;
        text.SkipSpaces(p);
        if (parent.level >= MaxNestingLevel)
          CheckNestingLevel(int64_t{parent.level} + 1);
        level = parent.level + 1;
        slot = records_.AppendSlot();
        node = slot.Index();
        step = Begin(text, slot, p) ? Step::Value : Step::ChildParsed;
        break;
      }

      case Step::ChildParsed: {
        OpenContainer& parent = open_.back();
        if (!text.HasVisibleText(slot.Text())) {
          // Nothing follows the child's record yet: it goes again.
          records_.Truncate(node);
          step = Step::ChildsEnd;
          break;
        }
        if (parent.lastChild == NoRecord)
          records_.SetFirstChild(parent.record, node);
        else
          records_.SetNextSibling(parent.lastChild, node);
        parent.lastChild = node;
        step = text.At(p) == u',' ? Step::NextChild : Step::ChildsEnd;
        break;
      }

      case Step::ChildsEnd: {
        const OpenContainer container = open_.back();
        // Steps over the closing bracket without looking at it: an object may end with "]"
        // and an array with "}".
        text.SkipSpaces(p);
        if (p <= length_)
          ++p;
        slot = records_.SlotOf(container.record);
        slot.SetValueFinish(p - 1);
        open_.pop_back();
        node = container.record;
        level = container.level;
        step = Step::ValueDone;
        break;
      }
      }
    }
  } catch (...) {
    // A failed parse leaves the position where it stood at the failure, as one straight
    // through the caller's reference would.
    position = p;
    throw;
  }
}

} // namespace ujson
