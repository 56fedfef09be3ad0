#pragma once

#include "viewer/qt/QtTreeModel_qt.h"
#include "viewer/qt/QtTreeWidget_qt.h"
#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/toolkit/Lifetime.h"

#include <QMetaObject>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QFont;
class QKeyEvent;

namespace tkqt {

class QtApplication;

// The tree view on a TreeWidget over a TreeModel. The nodes live in the model, which this
// object owns, so the tree keeps working in memory when the host has destroyed the widget. A
// node handle carries the node's id: a handle of a deleted node is refused with ToolkitError.
class QtTreeView final : public tk::TreeView {
public:
  // RequireWidget makes the form's widgets when an operation needs them.
  QtTreeView(QtApplication& App, tk::TreeViewDescription Description,
             std::function<void()> RequireWidget);
  ~QtTreeView() override;
  QtTreeView(const QtTreeView&) = delete;
  QtTreeView& operator=(const QtTreeView&) = delete;

  tk::TreeNodeHandle AddChild(tk::TreeNodeHandle Parent, std::u16string_view Label,
                              void* Data) override;
  std::u16string Label(tk::TreeNodeHandle Node) const override;
  void SetLabel(tk::TreeNodeHandle Node, std::u16string_view Label) override;
  void SetLabelParts(tk::TreeNodeHandle Node, std::span<const tk::LabelPart> Parts) override;
  void* Data(tk::TreeNodeHandle Node) const override;
  tk::TreeNodeHandle FirstChild(tk::TreeNodeHandle Node) const override;
  tk::TreeNodeHandle NextSibling(tk::TreeNodeHandle Node) const override;
  tk::TreeNodeHandle Parent(tk::TreeNodeHandle Node) const override;
  void DeleteChildren(tk::TreeNodeHandle Node) override;
  void Clear() override;
  void MakeVisible(tk::TreeNodeHandle Node) override;
  void Expand(tk::TreeNodeHandle Node) override;
  bool IsExpanded(tk::TreeNodeHandle Node) const override;
  void Collapse(tk::TreeNodeHandle Node) override;
  tk::TreeNodeHandle Selected() const override;
  void Select(tk::TreeNodeHandle Node) override;
  void BeginUpdate() override;
  void EndUpdate() noexcept override;
  void SetFocus() override;
  bool Focused() const override;
  // A QMenu, run modally; the host may close the viewer meanwhile, which then waits.
  std::optional<std::size_t> PopupMenu(tk::TreeNodeHandle Node, std::span<const tk::MenuItem> Items,
                                       std::optional<tk::ScreenPoint> At) override;

  // Decides about key presses that the viewer hands on to the host: true when it took the key,
  // false to let it go up to the parents, as Qt passes on an ignored key.
  using HostKeyHandler = std::function<bool(const QKeyEvent& Event)>;
  void SetHostKeyHandler(HostKeyHandler Handler) { hostKeys_ = std::move(Handler); }
  void SetColourScheme(tk::ColourScheme Scheme);

  // The deepest level Expand opens. QTreeView lays out open rows with one call per level, on
  // the stack of the host's thread: a chain open far deeper would overflow it.
  static constexpr int kDeepestOpenLevel = 10000;

  // For the form.
  const tk::TreeViewDescription& Description() const noexcept { return description_; }
  // Makes the widget as a child of Parent; sizes are scaled by Scale.
  TreeWidget* Create(QWidget* Parent, const QFont* Font, double Scale);
  // The widget goes (or is gone): the tree lives on in memory.
  void Detach() noexcept;
  TreeWidget* Widget() const noexcept { return widget_.data(); }
  TreeModel& Model() noexcept { return *model_; }
  // The node behind a handle, for tests; nullptr for none.
  TreeItem* ItemOf(tk::TreeNodeHandle Node) const noexcept;
  QModelIndex IndexOf(tk::TreeNodeHandle Node);

private:
  static tk::TreeNodeHandle NodeOf(const TreeItem* Item) noexcept;
  TreeItem& Require(tk::TreeNodeHandle Node) const;
  bool Open(const TreeItem& Item) const;
  // Opens the shut ancestors of Item top-down, each through Expand; true when all are open.
  struct RevealWalk;
  bool OpenAncestors(uint64_t Id);
  void RaiseExpanding(TreeItem& Item, bool& Allow);
  bool OnUserExpands(const QModelIndex& Index);
  void OnOpenedUnasked(const QModelIndex& Index);
  bool OnEdited(TreeItem& Item, const QString& Text);
  std::u16string ToolTipOf(TreeItem& Item);
  KeyOutcome OnKeyDown(const QKeyEvent& Event);
  void OnContextMenu(const QModelIndex& Index, std::optional<QPoint> GlobalPos);
  void ApplyPalette();
  // Raises the change event when the selected node is another than last told.
  void NoteSelection();
  // The operations without telling of a change of the selection.
  void DeleteChildrenOf(TreeItem& item);
  void SelectQuietly(tk::TreeNodeHandle Node);
  void CollapseQuietly(tk::TreeNodeHandle Node);

  QtApplication& app_;
  tk::TreeViewDescription description_;
  std::function<void()> requireWidget_;
  std::unique_ptr<TreeModel> model_;
  QPointer<TreeWidget> widget_;
  std::vector<QMetaObject::Connection> connections_;
  // Something alive that goes with this object, for calls that arrive later.
  tk::Lifetime lifetime_;
  uint64_t selectedId_ = 0;   // while there is no widget
  uint64_t seenSelected_ = 0; // the selection the change event last told of
  int selectionOperations_ = 0;
  uint64_t collapseEpoch_ = 1;
  int updateDepth_ = 0;
  HostKeyHandler hostKeys_;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
};

} // namespace tkqt
