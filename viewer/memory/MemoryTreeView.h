#pragma once

#include "viewer/toolkit/Application.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/FormDescription.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tkmem {

// A tree view held in memory that behaves as the Win32 control does for the viewer, with hooks
// that play the user's part. Handles carry a generation, so a handle of a deleted node is
// refused with ToolkitError instead of reaching another node.
class MemoryTreeView final : public tk::TreeView {
public:
  MemoryTreeView(tk::Application& App, tk::TreeViewDescription Description);

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
  void SetFocus() override { focused_ = true; }
  bool Focused() const override { return focused_; }
  // Records the menu and answers with the choice the test planned (PlanMenuChoice); a choice
  // of a disabled item or a separator, as the real menus, chooses nothing.
  std::optional<std::size_t> PopupMenu(tk::TreeNodeHandle Node, std::span<const tk::MenuItem> Items,
                                       std::optional<tk::ScreenPoint> At) override;

  // The user's actions, each delivered through the application's exception boundary.
  // Expands a collapsed node with children, as a click on its expand button does.
  void UserExpand(tk::TreeNodeHandle Node);
  // Collapses the node; a selection inside it moves to the node.
  void UserCollapse(tk::TreeNodeHandle Node);
  // Clicks the tree; with a node, the click selects it first.
  void UserClick(tk::TreeNodeHandle Node = tk::NoNode);
  // Edits the node's label to Text and confirms (raising the edited event, then storing the
  // text the handler leaves) or cancels (nothing happens). False when the tree is read-only.
  bool UserEditLabel(tk::TreeNodeHandle Node, std::u16string Text, bool Confirm);
  void UserMovesFocusAway() { focused_ = false; }
  // A key press while the tree has the focus: the viewer's answer, which is also recorded
  // (ForwardedKeys for keys the host gets). Up and Down that stay with the tree move the
  // selection to the row above or below, as the control does (nothing selected: the first row).
  tk::KeyRoute UserPressKey(const tk::KeyPress& Key);
  // A right click on Node (NoNode: on empty space) at At.
  void UserRightClick(tk::TreeNodeHandle Node, tk::ScreenPoint At = {10, 10});
  // The mouse rests on Node: the tooltip shown, empty for none (as the real trees, only with
  // ToolTips on).
  std::u16string UserHover(tk::TreeNodeHandle Node);
  // The index the next menu answers with; nothing dismisses it.
  void PlanMenuChoice(std::optional<std::size_t> Choice) { menuChoice_ = Choice; }

  // Inspection.
  bool Contains(tk::TreeNodeHandle Node) const;
  // The label's parts as the tree draws them: empty when they do not cover the label.
  std::vector<tk::LabelPart> LabelParts(tk::TreeNodeHandle Node) const;
  std::vector<tk::TreeNodeHandle> Children(tk::TreeNodeHandle Node) const; // NoNode: top level
  bool HasExpandButton(tk::TreeNodeHandle Node) const {
    return static_cast<bool>(FirstChild(Node));
  }
  std::size_t NodeCount() const { return live_; }
  uint64_t InsertCount() const { return inserts_; }
  // How often the change event was due: the selected node changed.
  uint64_t SelectionChanges() const { return changes_; }
  // How often redrawing was suspended (outermost BeginUpdate calls), and whether it still is.
  uint64_t RedrawSuspensions() const { return suspensions_; }
  int UpdateDepth() const { return updateDepth_; }
  tk::TreeNodeHandle LastMadeVisible() const { return lastMadeVisible_; }
  // The menus shown: their items, the node they were opened beside and where.
  struct ShownMenu {
    std::vector<tk::MenuItem> Items;
    tk::TreeNodeHandle Node;
    std::optional<tk::ScreenPoint> At;
  };
  const std::vector<ShownMenu>& Menus() const { return menus_; }
  const std::vector<tk::KeyPress>& ForwardedKeys() const { return forwardedKeys_; }
  const tk::TreeViewDescription& Description() const { return description_; }

private:
  static constexpr uint32_t kNone = UINT32_MAX;

  struct Slot {
    std::u16string label;
    std::vector<tk::LabelPart> parts;
    void* data = nullptr;
    uint32_t generation = 0;
    uint32_t parent = kNone;
    uint32_t firstChild = kNone;
    uint32_t lastChild = kNone;
    uint32_t next = kNone;
    uint32_t prev = kNone;
    // The collapse epoch in which all ancestors were last seen expanded: lets MakeVisible stop
    // early, so opening a deep chain level by level stays linear.
    uint64_t shownEpoch = 0;
    bool live = false;
    bool expanded = false;
  };

  struct RevealWalk;

  uint32_t IndexOf(tk::TreeNodeHandle Node) const; // throws for none and stale handles
  tk::TreeNodeHandle HandleOf(uint32_t Index) const;
  tk::TreeNodeHandle HandleOrNone(uint32_t Index) const;
  uint32_t Allocate();
  void FreeSubtreesFrom(uint32_t First);
  bool IsInside(uint32_t Index, uint32_t Ancestor) const;
  // Raises the change event when the selection is no longer Before.
  void RaiseChange(uint32_t Before);
  // The shown rows below and above a row; kNone past the ends.
  uint32_t RowAfter(uint32_t Index) const;
  uint32_t RowBefore(uint32_t Index) const;
  void MoveByKey(const tk::KeyPress& Key);

  tk::Application& app_;
  tk::TreeViewDescription description_;
  std::vector<Slot> nodes_;
  std::vector<uint32_t> free_;
  uint32_t firstTop_ = kNone;
  uint32_t lastTop_ = kNone;
  uint32_t selected_ = kNone;
  uint32_t nextGeneration_ = 1;
  uint64_t collapseEpoch_ = 1;
  std::size_t live_ = 0;
  uint64_t inserts_ = 0;
  uint64_t changes_ = 0;
  uint64_t suspensions_ = 0;
  int updateDepth_ = 0;
  bool focused_ = false;
  tk::TreeNodeHandle lastMadeVisible_;
  std::optional<std::size_t> menuChoice_;
  std::vector<ShownMenu> menus_;
  std::vector<tk::KeyPress> forwardedKeys_;
};

} // namespace tkmem
