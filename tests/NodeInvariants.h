#pragma once

// The invariants every edited document keeps, checked the same way by the editing property
// test (tests/json/EditPropertyTest.cpp) and the editing fuzzer (fuzz/edit_fuzzer.cpp). The
// checks answer with a description of the first broken invariant, or an empty text, so that
// each caller fails in its own way (a test assertion, an abort).

#include "json/UJSON.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace node_invariants {

// The stored ranges, which only the node class exposes.
inline const TJSONObject& NodeOf(const IJSONObject& Node) {
  return static_cast<const TJSONObject&>(Node);
}

inline const std::u16string& TextOf(const JSONRef& Node) { return NodeOf(*Node).Owner()->FText; }

// The tree below Root, Root first, breadth first.
inline std::vector<JSONRef> TreeNodes(const JSONRef& Root) {
  std::vector<JSONRef> nodes{Root};
  for (size_t i = 0; i < nodes.size(); ++i) {
    for (int32_t k = 0; k < nodes[i]->GetCount(); ++k)
      nodes.push_back(nodes[i]->GetChild(k));
  }
  return nodes;
}

// The opening brackets of a text: how far past its end the parser may leave positions.
inline int64_t Openings(std::u16string_view Text) {
  return std::count_if(Text.begin(), Text.end(), [](char16_t c) { return c == u'[' || c == u'{'; });
}

// A node's three ranges and what they read, before an edit.
struct Snapshot {
  const IJSONObject* Node;
  TStringElement Ranges[3];
  std::u16string Reads[3];
};

inline std::vector<Snapshot> TakeSnapshot(const std::vector<JSONRef>& Tree) {
  std::vector<Snapshot> snapshot;
  for (const JSONRef& node : Tree) {
    const TJSONObject& n = NodeOf(*node);
    snapshot.push_back({node.get(),
                        {n.TextRange(), n.NameRange(), n.ValueRange()},
                        {node->GetText(), node->GetName(), node->GetValue()}});
  }
  return snapshot;
}

// The characters an edit of this range replaces, as reading clips a range to the text.
inline TStringElement ReplacedBy(TStringElement Range, int64_t Length) {
  const int32_t last =
      static_cast<int32_t>(std::min<int64_t>(std::max(Range.Finish, Range.Start - 1), Length));
  return {Range.Start, last};
}

inline std::string RangeText(TStringElement Range) {
  return "(" + std::to_string(Range.Start) + ", " + std::to_string(Range.Finish) + ")";
}

// Every read of every node succeeds, children lead back to their parents a level up, and every
// position lies within the text as far as the parser itself ever leaves it: Overrun places past
// the end (a few, one more for every container still open there).
inline std::string SoundTreeFault(const JSONRef& Doc, int64_t Overrun) {
  const int64_t length = static_cast<int64_t>(TextOf(Doc).size());
  for (const JSONRef& node : TreeNodes(Doc)) {
    const TJSONObject& n = NodeOf(*node);
    for (const TStringElement range : {n.TextRange(), n.NameRange(), n.ValueRange()}) {
      if (range.Start < 0 || range.Start > length + Overrun)
        return "range start outside the text: " + RangeText(range);
      if (range.Finish < -1 || range.Finish > length + Overrun)
        return "range finish outside the text: " + RangeText(range);
    }
    node->GetName();
    node->GetValue();
    node->GetAsString();
    node->GetAsInt();
    node->GetAsInt64();
    node->GetAsDouble();
    node->GetAsBoolean();
    node->Find(u"a", 0);
    if (node->GetTextStart() > 0)
      node->FindByPosition(node->GetTextStart());
    for (int32_t k = 0; k < node->GetCount(); ++k) {
      const JSONRef child = node->GetChild(k);
      if (child->GetParent() != node)
        return "a child does not lead back to its parent";
      if (child->GetLevel() != node->GetLevel() + 1)
        return "a child is not one level down";
    }
  }
  return std::string();
}

// Ranges wholly before the replaced characters, or wholly behind them, read as before. The
// edited node's text range may take the new characters in (EditedRange: 1 its name, 2 its
// value, was replaced), and after SetValue (Reparsed) the whole node is parsed anew; those are
// left out, and so are nodes no longer in the tree.
inline std::string UntouchedRangesFault(const JSONRef& Doc, const std::vector<Snapshot>& Before,
                                        TStringElement Replaced, const IJSONObject* Edited,
                                        int EditedRange, bool Reparsed) {
  std::unordered_set<const IJSONObject*> inTree;
  for (const JSONRef& node : TreeNodes(Doc))
    inTree.insert(node.get());
  for (const Snapshot& shot : Before) {
    if ((Reparsed && shot.Node == Edited) || inTree.count(shot.Node) == 0)
      continue;
    const TJSONObject& n = NodeOf(*shot.Node);
    const TStringElement now[3] = {n.TextRange(), n.NameRange(), n.ValueRange()};
    const std::u16string reads[3] = {shot.Node->GetText(), shot.Node->GetName(),
                                     shot.Node->GetValue()};
    for (int k = 0; k < 3; ++k) {
      // Empty ranges read empty wherever they go; the edited range may be one of them.
      const TStringElement range = shot.Ranges[k];
      if (range.Start == 0 || range.Finish < range.Start ||
          (shot.Node == Edited && (k == 0 || k == EditedRange)))
        continue;
      if ((range.Finish < Replaced.Start || range.Start > Replaced.Finish) &&
          reads[k] != shot.Reads[k])
        return "an untouched range reads differently: range " + std::to_string(k) + " " +
               RangeText(range) + " became " + RangeText(now[k]);
    }
  }
  return std::string();
}

} // namespace node_invariants
