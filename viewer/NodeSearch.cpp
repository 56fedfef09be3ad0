#include "viewer/PathHold.h"
#include "viewer/ViewerError.h"
#include "viewer/ViewerMain.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Find counts from the start of the document's text, so one past the selected node's last
// position skips that node's text and the one character after it.
int32_t StartBehind(int32_t TextFinish) {
  const int64_t start = static_cast<int64_t>(TextFinish) + 1;
  if (start > std::numeric_limits<int32_t>::max())
    return std::numeric_limits<int32_t>::max();
  return start < 0 ? 0 : static_cast<int32_t>(start);
}

} // namespace

void TfmMain::BtnFindNodeClick() {
  if (!FRootObj)
    return;
  JSONTreeViewer.SetFocus();

  int32_t start = 0;
  const tk::TreeNodeHandle selected = JSONTreeViewer.Selected();
  if (selected && JSONTreeViewer.Parent(selected)) {
    if (const auto* node = static_cast<const IJSONObject*>(JSONTreeViewer.Data(selected)))
      start = StartBehind(node->GetTextFinish());
  }

  const JSONRef found = FRootObj->Find(ESearch.Text(), start);
  if (!found)
    return;
  RevealNode(found);
}

void TfmMain::RevealNode(const JSONRef& Found, bool OpenFound) {
  // Entry 0 is the node found, the last entry the document's top node.
  std::vector<JSONRef> chain;
  for (JSONRef node = Found; node; node = node->GetParent())
    chain.push_back(node);
  // Each level is selected on the way down: the path is shown once, for the last.
  const PathHold held(*this);

  // Top-down: expanding each entry creates the tree node of the next one.
  for (auto entry = chain.rbegin(); entry != chain.rend(); ++entry) {
    const auto mapped = FNodeMap.find(*entry);
    if (mapped == FNodeMap.end())
      throw EViewerError("Item not found");
    const tk::TreeNodeHandle treeNode = mapped->second;
    JSONTreeViewer.MakeVisible(treeNode);
    if (OpenFound || *entry != Found)
      JSONTreeViewer.Expand(treeNode);
    JSONTreeViewer.Select(treeNode);
  }
}
