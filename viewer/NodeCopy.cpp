#include "viewer/NodeCopy.h"

#include "viewer/Decimal.h"
#include "viewer/toolkit/LabelParts.h"

#include "json/JSONDocument.h"
#include "json/TypedReading.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// The index of Child among Parent's children. Children stand in the order of their text, so
// the child is first looked for by halves on its text position; children without positions,
// or two at one position, leave that to a scan from both ends at once (in a long array the
// element wanted is as likely near the end as near the start). -1 when it is not there.
int32_t IndexAmong(IJSONObject& Parent, const IJSONObject& Child) {
  const int32_t count = Parent.GetCount();
  if (const int32_t start = Child.GetTextStart(); start > 0) {
    for (int32_t low = 0, high = count - 1; low <= high;) {
      const int32_t middle = low + (high - low) / 2;
      const JSONRef candidate = Parent.GetChild(middle);
      if (candidate.get() == &Child)
        return middle;
      const int32_t at = candidate ? candidate->GetTextStart() : 0;
      if (at <= 0 || at == start)
        break;
      if (at < start)
        low = middle + 1;
      else
        high = middle - 1;
    }
  }
  for (int32_t low = 0, high = count - 1; low <= high; ++low, --high) {
    if (Parent.GetChild(low).get() == &Child)
      return low;
    if (Parent.GetChild(high).get() == &Child)
      return high;
  }
  return -1;
}

void AppendQuotedName(std::u16string& Path, std::u16string_view Name) {
  Path += u"[\"";
  for (char16_t c : Name) {
    if (c == u'"' || c == u'\\')
      Path += u'\\';
    Path += c;
  }
  Path += u"\"]";
}

} // namespace

bool IsStringValue(const IJSONObject& Node) {
  // The kind alone does not tell a string standing alone from a bare value; the reading does.
  return Node.GetJType() == jt_string || (Node.GetJType() == jt_variant && HoldsQuotedValue(Node));
}

std::u16string DecodedHead(std::u16string_view Raw, std::size_t Wanted) {
  // Each decoded character comes from at most two of Raw ("\n"; "\u" escapes went at loading).
  const std::size_t read = Wanted > Raw.size() / 2 ? Raw.size() : 2 * Wanted;
  return ujson::DecodeStringEscapes(Raw.substr(0, read));
}

std::u16string NodeValueHead(const IJSONObject& Node, std::size_t Wanted) {
  if (Node.GetJType() == jt_unknown) {
    std::u16string text = Node.GetText();
    text.resize(std::min(text.size(), Wanted));
    return text;
  }
  const std::u16string_view value = NodeValueView(Node);
  if (IsStringValue(Node)) {
    std::u16string decoded = DecodedHead(value, Wanted);
    decoded.resize(std::min(decoded.size(), Wanted));
    return decoded;
  }
  return std::u16string(value.substr(0, Wanted));
}

std::u16string NodeValueText(const IJSONObject& Node) {
  return NodeValueHead(Node, std::u16string::npos);
}

std::u16string NodeToolTip(const IJSONObject& Node) {
  if (Node.GetJType() == jt_unknown)
    return {};
  std::u16string tip = NodeValueHead(Node, kMaxToolTipLength + 1);
  if (tip.size() <= kMaxToolTipLength)
    return tip;
  tip.resize(tk::WholeUnitsIn(tip, kMaxToolTipLength));
  tip += u'\u2026';
  return tip;
}

std::u16string NodeNameText(const IJSONObject& Node) {
  return ujson::DecodeStringEscapes(Node.GetName());
}

std::u16string NodeJsonText(const IJSONObject& Node) { return Node.GetText(); }

bool IsPathIdentifier(std::u16string_view Name) {
  const auto isAsciiLetter = [](char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$';
  };
  return !Name.empty() && isAsciiLetter(Name.front()) &&
         std::all_of(Name.begin(), Name.end(),
                     [&](char16_t c) { return isAsciiLetter(c) || (c >= u'0' && c <= u'9'); });
}

std::vector<std::u16string> NodePathSteps(const IJSONObject& Node) {
  // From the node up, one step per level; turned top-down at the end.
  std::vector<std::u16string> steps;
  JSONRef parent = Node.GetParent();
  for (const IJSONObject* node = &Node; parent; node = parent.get(), parent = parent->GetParent()) {
    std::u16string step;
    if (parent->GetJType() == jt_array) {
      step += u'[';
      AppendDecimal(step, IndexAmong(*parent, *node));
      step += u']';
    } else {
      const std::u16string name = NodeNameText(*node);
      if (IsPathIdentifier(name)) {
        step += u'.';
        step += name;
      } else {
        AppendQuotedName(step, name);
      }
    }
    steps.push_back(std::move(step));
  }
  steps.emplace_back(u"$");
  std::reverse(steps.begin(), steps.end());
  return steps;
}

std::u16string NodePath(const IJSONObject& Node) {
  std::u16string path;
  for (const std::u16string& step : NodePathSteps(Node))
    path += step;
  return path;
}
