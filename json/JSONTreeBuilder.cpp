#include "json/JSONTreeBuilder.h"

#include "json/JSONDocument.h"
#include "json/JSONLimits.h"

#include <array>

namespace {

// Characters that end a bare value: space, comma and the closing brackets.
constexpr std::array<bool, 128> BareDelimiters = [] {
  std::array<bool, 128> table{};
  table[u' '] = table[u','] = table[u']'] = table[u'}'] = true;
  return table;
}();

} // namespace

TJSONTreeBuilder::TJSONTreeBuilder(TJSONObject& node, ChildStorage storage)
    : root_(node), owner_(node.FOwner), text_(node.FOwner->FText.data()),
      length_(static_cast<int32_t>(node.FOwner->FText.size())),
      intoPool_(storage == ChildStorage::Pool) {
  ujson::CheckTextLength(static_cast<int64_t>(node.FOwner->FText.size()));
}

TJSONTreeBuilder::~TJSONTreeBuilder() {
  for (TJSONObject* node : pending_) {
    if (node != nullptr)
      node->ReleaseListCount();
  }
}

void TJSONTreeBuilder::SkipSpaces(int32_t& position) const {
  if (position < 1)
    return;
  int32_t p = position;
  while (p <= length_ && text_[p - 1] == u' ')
    ++p;
  // Spaces running to the end of the text leave the position where it was.
  if (p <= length_)
    position = p;
}

void TJSONTreeBuilder::SeekUnescapedQuote(int32_t& position) const {
  // A quote is escaped only by an odd run of backslashes before it: in "c:\\dir\\" the last
  // backslash is itself escaped, and the quote after it ends the string. The run is counted
  // as the scan passes it, so the seek stays one pass however many backslashes there are.
  const int32_t first = position < 1 ? 1 : position;
  bool escaped = false;
  for (int32_t p = first - 1; p >= 1 && text_[p - 1] == u'\\'; --p)
    escaped = !escaped;
  for (int32_t p = first; p <= length_; ++p) {
    const char16_t c = text_[p - 1];
    if (c == u'"' && !escaped) {
      position = p;
      return;
    }
    escaped = c == u'\\' && !escaped;
  }
}

int32_t TJSONTreeBuilder::FindBareDelimiter(int32_t from) const {
  for (int32_t p = from < 1 ? 1 : from; p <= length_; ++p) {
    const char16_t c = text_[p - 1];
    if (c < BareDelimiters.size() && BareDelimiters[c])
      return p;
  }
  return 0;
}

bool TJSONTreeBuilder::HasVisibleText(TStringElement range) const {
  if (range.Start == 0)
    return false;
  const int32_t first = range.Start < 1 ? 1 : range.Start;
  const int32_t last = range.Finish < length_ ? range.Finish : length_;
  for (int32_t p = first; p <= last; ++p) {
    if (text_[p - 1] > u' ')
      return true;
  }
  return false;
}

bool TJSONTreeBuilder::RestIsBlank(int32_t position) const {
  for (int32_t p = position < 1 ? 1 : position; p <= length_; ++p) {
    const char16_t c = text_[p - 1];
    if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
      return false;
  }
  return true;
}

bool TJSONTreeBuilder::Begin(TJSONObject& node, int32_t position) const {
  // A value needs a character to start at that is neither layout (nothing
  // but layout follows) nor a closing bracket.
  if (position > length_ || RestIsBlank(position))
    return false;
  const char16_t c = At(position);
  if (c == u']' || c == u'}')
    return false;
  node.FJSONText.Start = position;
  return true;
}

bool TJSONTreeBuilder::ParseValue(TJSONObject& node, int32_t& p) const {
  for (;;) {
    node.FJSONType = jt_unknown;
    node.FQuotedValue = false;
    SkipSpaces(p);
    char16_t c = At(p);
    if (c == u'{' || c == u'[') {
      node.FJSONType = c == u'{' ? jt_object : jt_array;
      node.FValue.Start = p;
      return true;
    }
    if (c == u'"') {
      ++p;
      const int32_t nameStart = p;
      SeekUnescapedQuote(p);
      const int32_t nameFinish = p - 1;
      ++p;
      SkipSpaces(p);
      c = At(p);
      if (c == u':')
        node.FName = {nameStart, nameFinish};
      // A string that stands alone ends at one of the after-string marks, or with the text
      // (a document that is one string).
      if (c == u',' || c == u']' || c == u'}' || (c != u':' && RestIsBlank(p))) {
        node.FJSONType = jt_variant;
        node.FValue = {nameStart, nameFinish};
        node.FQuotedValue = true;
        return false;
      }
      // Steps over the colon, or whatever stands in its place.
      ++p;
      SkipSpaces(p);
      if (At(p) == u'"') {
        node.FJSONType = jt_string;
        node.FQuotedValue = true;
        ++p;
        node.FValue.Start = p;
        SeekUnescapedQuote(p);
        node.FValue.Finish = p - 1;
        ++p;
        SkipSpaces(p);
        return false;
      }
      // The member's value is an object, an array or a bare value; the name
      // stays.
      continue;
    }
    node.FJSONType = jt_variant;
    SkipSpaces(p);
    node.FValue.Start = p;
    // A member without a value, as in {"n":}: the value is empty and the bracket stays the
    // container's, so that writing a value later goes in before it.
    if (At(p) == u']' || At(p) == u'}') {
      node.FValue.Finish = p - 1;
      return false;
    }
    // The first character of a bare value never ends it.
    if (const int32_t delimiter = FindBareDelimiter(p + 1); delimiter != 0) {
      node.FValue.Finish = delimiter - 1;
      p = delimiter;
    } else {
      // The value runs to the end of the text (a document that is one number, say).
      node.FValue.Finish = length_;
      p = length_ + 1;
    }
    SkipSpaces(p);
    return false;
  }
}

void TJSONTreeBuilder::Parse(int32_t& p) {
  TJSONObject* node = &root_;
  if (!Begin(*node, p))
    return;

  enum class Step { Value, ValueDone, NextChild, ChildParsed, ChildsEnd };
  Step step = Step::Value;
  for (;;) {
    switch (step) {
    case Step::Value:
      if (ParseValue(*node, p)) {
        open_.push_back({node, pending_.size()});
        step = Step::NextChild;
      } else {
        step = Step::ValueDone;
      }
      break;

    case Step::ValueDone:
      node->FJSONText.Finish = p - 1;
      if (open_.empty())
        return;
      step = Step::ChildParsed;
      break;

    case Step::NextChild: {
      TJSONObject& parent = *open_.back().node;
      // Steps over the opening bracket or the comma.
      ++p;
      SkipSpaces(p);
      ujson::CheckNestingLevel(int64_t{parent.FLevel} + 1);
      pending_.push_back(nullptr);
      TJSONObject* child = TJSONObject::Create(owner_, &parent);
      ++child->FRefCount; // the count its parent's list takes over
      pending_.back() = child;
      node = child;
      step = Begin(*child, p) ? Step::Value : Step::ChildParsed;
      break;
    }

    case Step::ChildParsed: {
      TJSONObject* child = pending_.back();
      if (!HasVisibleText(child->FJSONText)) {
        pending_.pop_back();
        child->ReleaseListCount();
        step = Step::ChildsEnd;
      } else {
        step = At(p) == u',' ? Step::NextChild : Step::ChildsEnd;
      }
      break;
    }

    case Step::ChildsEnd: {
      const OpenContainer container = open_.back();
      // Steps over the closing bracket without looking at it: an object may
      // end with "]" and an array with "}".
      SkipSpaces(p);
      if (p <= length_)
        ++p;
      container.node->FValue.Finish = p - 1;
      const size_t count = pending_.size() - container.firstChild;
      container.node->AppendChilds(pending_.data() + container.firstChild,
                                   static_cast<int32_t>(count), intoPool_);
      pending_.resize(container.firstChild);
      open_.pop_back();
      node = container.node;
      step = Step::ValueDone;
      break;
    }
    }
  }
}
