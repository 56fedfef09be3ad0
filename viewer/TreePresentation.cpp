#include "viewer/NodeCopy.h"
#include "viewer/NodeLabel.h"
#include "viewer/ViewerError.h"
#include "viewer/ViewerMain.h"

namespace {

constexpr std::u16string_view kPlaceholder = u"...";

} // namespace

void TfmMain::ShowObject(tk::TreeNodeHandle AParentNode, const JSONRef& AObject) {
  // A count of our own: the clearing below may release the caller's reference.
  const JSONRef object = AObject; // NOLINT(performance-unnecessary-copy-initialization)
  if (!AParentNode) {
    ClearTree();
    // Another document, or the same one shown afresh: the host's search starts over.
    lastHit_.reset();
  }
  if (!object)
    return;
  const TreeLabel label = NodeLabel(*object);
  auto [entry, inserted] = FNodeMap.try_emplace(object, tk::NoNode);
  if (!inserted) {
    JSONTreeViewer.AddChild(AParentNode, u"", object.get());
    throw EViewerError("Duplicates not allowed");
  }
  try {
    entry->second = JSONTreeViewer.AddChild(AParentNode, label.Text, object.get());
    JSONTreeViewer.SetLabelParts(entry->second, label.Parts);
  } catch (...) {
    // No map entry may lead to a tree node that does not exist.
    FNodeMap.erase(entry);
    throw;
  }
  if (label.HasChildren)
    JSONTreeViewer.AddChild(entry->second, kPlaceholder, nullptr);
}

void TfmMain::ClearTree() {
  // Tree first: no tree node may outlive the map's count on its document node.
  JSONTreeViewer.Clear();
  FNodeMap.clear();
}

bool TfmMain::IsPlaceholder(tk::TreeNodeHandle Node) const {
  // A real node whose label was edited to "..." carries data and is no placeholder; deleting
  // it would leave map entries for deleted tree nodes.
  return JSONTreeViewer.Data(Node) == nullptr && JSONTreeViewer.Label(Node) == kPlaceholder;
}

void TfmMain::JSONTreeViewerExpanding(tk::TreeNodeHandle Node, bool& AllowExpansion) {
  (void)AllowExpansion; // the expansion always goes ahead
  const tk::TreeNodeHandle first = JSONTreeViewer.FirstChild(Node);
  if (!first || !IsPlaceholder(first))
    return;
  const JSONRef object(static_cast<IJSONObject*>(JSONTreeViewer.Data(Node)));
  tk::TreeUpdateGuard suspended(JSONTreeViewer);
  JSONTreeViewer.DeleteChildren(Node);
  if (!object)
    return;
  const int32_t count = object->GetCount();
  FNodeMap.reserve(FNodeMap.size() + static_cast<std::size_t>(count));
  for (int32_t index = 0; index < count; ++index)
    ShowObject(Node, object->GetChild(index));
}

void TfmMain::JSONTreeViewerEdited(tk::TreeNodeHandle Node, std::u16string& S) {
  (void)Node;
  form_->SetCaption(S);
}

std::u16string TfmMain::JSONTreeViewerToolTip(tk::TreeNodeHandle Node) const {
  const auto* object = static_cast<const IJSONObject*>(JSONTreeViewer.Data(Node));
  return object ? NodeToolTip(*object) : std::u16string();
}

void TfmMain::JSONTreeViewerClick() {
  // A click changes nothing beyond the tree's own selection.
}
