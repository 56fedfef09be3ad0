#include "viewer/Decimal.h"
#include "viewer/ViewerMain.h"

#include <deque>
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

} // namespace

bool TfmMain::ExpandAll(tk::TreeNodeHandle Node) {
  const tk::TreeNodeHandle start = Node ? Node : JSONTreeViewer.Selected();
  if (!start)
    return true;
  tk::TreeUpdateGuard suspended(JSONTreeViewer);
  // Level by level: when the limit stops it, the levels nearest the start are the ones open.
  std::deque<tk::TreeNodeHandle> pending{start};
  std::size_t created = 0;
  while (!pending.empty()) {
    const tk::TreeNodeHandle current = pending.front();
    pending.pop_front();
    const tk::TreeNodeHandle first = JSONTreeViewer.FirstChild(current);
    if (!first)
      continue;
    if (IsPlaceholder(first)) {
      const JSONRef object(static_cast<IJSONObject*>(JSONTreeViewer.Data(current)));
      const std::size_t cost = object ? ExpansionCost(*object) : 0;
      if (created + cost > ExpandAllLimit) {
        ShowStatusNote(StoppedNote(ExpandAllLimit));
        return false;
      }
      created += cost;
    }
    JSONTreeViewer.Expand(current);
    for (tk::TreeNodeHandle child = JSONTreeViewer.FirstChild(current); child;
         child = JSONTreeViewer.NextSibling(child))
      if (JSONTreeViewer.FirstChild(child))
        pending.push_back(child);
  }
  return true;
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
