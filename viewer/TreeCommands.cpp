#include "viewer/KeyRouting.h"
#include "viewer/NodeCopy.h"
#include "viewer/NodeMenu.h"
#include "viewer/ViewerMain.h"

#include <vector>

JSONRef TfmMain::SelectedNode() const {
  const tk::TreeNodeHandle selected = JSONTreeViewer.Selected();
  if (!selected)
    return nullptr;
  // The map's count keeps the node alive as long as its tree node exists.
  return JSONRef(static_cast<IJSONObject*>(JSONTreeViewer.Data(selected)));
}

bool TfmMain::CopyText(std::u16string_view Text) {
  app_.SystemClipboard().WriteText(Text);
  return true;
}

bool TfmMain::CopySelectedValue() {
  if (const JSONRef node = SelectedNode())
    return CopyText(NodeValueText(*node));
  if (!FRootObj)
    return false;
  EditCopy1Execute();
  return true;
}

bool TfmMain::CopySelectedName() {
  const JSONRef node = SelectedNode();
  return node && CopyText(NodeNameText(*node));
}

bool TfmMain::CopySelectedPath() {
  const JSONRef node = SelectedNode();
  return node && CopyText(NodePath(*node));
}

bool TfmMain::CopySelectedJson() {
  const JSONRef node = SelectedNode();
  return node && CopyText(NodeJsonText(*node));
}

tk::KeyRoute TfmMain::JSONTreeViewerKeyDown(const tk::KeyPress& Key) {
  const tk::TreeNodeHandle selected = JSONTreeViewer.Selected();
  switch (ActionOfKey(Key)) {
  case TreeKeyAction::Navigate:
    return tk::KeyRoute::Tree;
  case TreeKeyAction::PassToHost:
    return tk::KeyRoute::Host;
  case TreeKeyAction::CopyValue:
    CopySelectedValue();
    break;
  case TreeKeyAction::CopyPath:
    CopySelectedPath();
    break;
  case TreeKeyAction::ContextMenu:
    JSONTreeViewerContextPopup(selected, std::nullopt);
    break;
  case TreeKeyAction::ExpandNode:
    if (selected)
      JSONTreeViewer.Expand(selected);
    break;
  case TreeKeyAction::CollapseNode:
    if (selected)
      JSONTreeViewer.Collapse(selected);
    break;
  case TreeKeyAction::ExpandAll:
    // The control's own expand-all knows no bound; this one has.
    if (selected)
      ExpandAll(selected);
    break;
  }
  return tk::KeyRoute::Handled;
}

void TfmMain::JSONTreeViewerContextPopup(tk::TreeNodeHandle Node,
                                         std::optional<tk::ScreenPoint> At) {
  // The menu acts on the node it was opened on, as the copy keys act on the selection.
  if (At && Node)
    JSONTreeViewer.Select(Node);
  const tk::TreeNodeHandle target = JSONTreeViewer.Selected();
  const JSONRef node = SelectedNode();
  if (!target || !node)
    return;
  const std::vector<NodeMenuEntry> entries = NodeMenuFor(*node);
  std::vector<tk::MenuItem> items;
  items.reserve(entries.size());
  for (const NodeMenuEntry& entry : entries)
    items.push_back(entry.Item);
  const std::optional<std::size_t> chosen = JSONTreeViewer.PopupMenu(target, items, At);
  if (!chosen || *chosen >= entries.size() || !entries[*chosen].Command ||
      !entries[*chosen].Item.Enabled)
    return;
  switch (*entries[*chosen].Command) {
  case NodeMenuCommand::CopyValue:
    CopySelectedValue();
    break;
  case NodeMenuCommand::CopyName:
    CopySelectedName();
    break;
  case NodeMenuCommand::CopyPath:
    CopySelectedPath();
    break;
  case NodeMenuCommand::CopyJson:
    CopySelectedJson();
    break;
  case NodeMenuCommand::ExpandAll:
    ExpandAll(target);
    break;
  case NodeMenuCommand::CollapseAll:
    CollapseAll(target);
    break;
  }
}
