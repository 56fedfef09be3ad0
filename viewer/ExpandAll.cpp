#include "viewer/Decimal.h"
#include "viewer/ViewerMain.h"

#include <string>
#include <vector>

namespace {

// The tree nodes that expanding Node for the first time creates: one per child, and a
// placeholder under each child that is an object or array.
std::size_t ExpansionCost(IJSONObject& Node) {
  const int32_t count = Node.GetCount();
  std::size_t cost = count > 0 ? static_cast<std::size_t>(count) : 0;
  for (int32_t index = 0; index < count; ++index) {
    const TJSONType kind = Node.GetChild(index)->GetJType();
    if (kind == jt_object || kind == jt_array)
      ++cost;
  }
  return cost;
}

std::u16string StoppedNote(std::size_t Limit) {
  std::u16string note = u"Expand all stopped after ";
  AppendDecimal(note, static_cast<int64_t>(Limit));
  note += u" new tree nodes";
  return note;
}

std::u16string TooDeepNote(std::size_t Levels) {
  std::u16string note = u"Expand all stopped ";
  AppendDecimal(note, static_cast<int64_t>(Levels));
  note += u" levels down";
  return note;
}

} // namespace

bool TfmMain::ExpandAll(tk::TreeNodeHandle Node) {
  const tk::TreeNodeHandle start = Node ? Node : JSONTreeViewer.Selected();
  if (!start)
    return true;
  tk::TreeUpdateGuard suspended(JSONTreeViewer);
  // Two passes. The first builds the tree nodes level by level (when the limit stops it, the
  // levels nearest the start are the ones built) while every node stays shut: a view then
  // learns of the whole subtree at once instead of relaying out its open rows after each
  // replaced placeholder, which on a deep chain costs the square of the depth or worse. The
  // second opens what the first reached, in the same order.
  struct Reached {
    tk::TreeNodeHandle Node;
    std::size_t Level; // 1 for the start
  };
  std::vector<Reached> reached;
  std::size_t next = 0;
  std::size_t created = 0;
  bool tooMany = false;
  bool tooDeep = false;
  if (JSONTreeViewer.FirstChild(start))
    reached.push_back({start, 1});
  while (next < reached.size()) {
    const auto [current, level] = reached[next];
    const tk::TreeNodeHandle first = JSONTreeViewer.FirstChild(current);
    if (IsPlaceholder(first)) {
      const JSONRef object(static_cast<IJSONObject*>(JSONTreeViewer.Data(current)));
      const std::size_t cost = object ? ExpansionCost(*object) : 0;
      // The start node opens whatever it costs, as a plain expand would.
      if (current != start && created + cost > ExpandAllLimit) {
        tooMany = true;
        break;
      }
      created += cost;
      bool allow = true;
      JSONTreeViewerExpanding(current, allow);
    }
    ++next;
    for (tk::TreeNodeHandle child = JSONTreeViewer.FirstChild(current); child;
         child = JSONTreeViewer.NextSibling(child)) {
      if (!JSONTreeViewer.FirstChild(child))
        continue;
      if (level == ExpandAllLevels)
        tooDeep = true;
      else
        reached.push_back({child, level + 1});
    }
  }
  // Only the nodes whose children were built: the one that stopped the walk stays shut.
  for (std::size_t index = 0; index < next; ++index)
    JSONTreeViewer.Expand(reached[index].Node);
  if (tooMany)
    ShowStatusNote(StoppedNote(ExpandAllLimit));
  else if (tooDeep)
    ShowStatusNote(TooDeepNote(ExpandAllLevels));
  return !tooMany && !tooDeep;
}

void TfmMain::CollapseAll(tk::TreeNodeHandle Node) {
  const tk::TreeNodeHandle start = Node ? Node : JSONTreeViewer.Selected();
  if (!start)
    return;
  // Open nodes below a closed one count too: they would show open again with it. The deepest
  // go first.
  std::vector<tk::TreeNodeHandle> open;
  std::vector<tk::TreeNodeHandle> pending{start};
  while (!pending.empty()) {
    const tk::TreeNodeHandle current = pending.back();
    pending.pop_back();
    if (!JSONTreeViewer.FirstChild(current))
      continue;
    if (JSONTreeViewer.IsExpanded(current))
      open.push_back(current);
    for (tk::TreeNodeHandle child = JSONTreeViewer.FirstChild(current); child;
         child = JSONTreeViewer.NextSibling(child))
      pending.push_back(child);
  }
  tk::TreeUpdateGuard suspended(JSONTreeViewer);
  for (auto node = open.rbegin(); node != open.rend(); ++node)
    JSONTreeViewer.Collapse(*node);
}
