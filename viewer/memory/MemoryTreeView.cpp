#include "viewer/memory/MemoryTreeView.h"

#include "viewer/toolkit/TreeReveal.h"

#include <algorithm>
#include <utility>

namespace tkmem {

static_assert(sizeof(std::uintptr_t) >= 8, "handles pack a generation beside the index");

MemoryTreeView::MemoryTreeView(tk::Application& App, tk::TreeViewDescription Description)
    : app_(App), description_(std::move(Description)) {}

uint32_t MemoryTreeView::IndexOf(tk::TreeNodeHandle Node) const {
  const std::uintptr_t value = Node.Value();
  const uint64_t slot = value & 0xFFFFFFFFu;
  const auto generation = static_cast<uint32_t>(value >> 32);
  if (slot == 0 || slot > nodes_.size())
    throw tk::ToolkitError("Invalid tree node");
  const auto index = static_cast<uint32_t>(slot - 1);
  const Slot& node = nodes_[index];
  if (!node.live || node.generation != generation)
    throw tk::ToolkitError("Invalid tree node");
  return index;
}

tk::TreeNodeHandle MemoryTreeView::HandleOf(uint32_t Index) const {
  const auto generation = static_cast<std::uintptr_t>(nodes_[Index].generation);
  return tk::TreeNodeHandle((generation << 32) | (static_cast<std::uintptr_t>(Index) + 1));
}

tk::TreeNodeHandle MemoryTreeView::HandleOrNone(uint32_t Index) const {
  return Index == kNone ? tk::NoNode : HandleOf(Index);
}

uint32_t MemoryTreeView::Allocate() {
  uint32_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    if (nodes_.size() >= kNone - 1)
      throw tk::ToolkitError("Too many tree nodes");
    nodes_.emplace_back();
    index = static_cast<uint32_t>(nodes_.size() - 1);
  }
  Slot& node = nodes_[index];
  node = Slot{};
  node.generation = nextGeneration_++;
  if (nextGeneration_ == 0)
    nextGeneration_ = 1;
  node.live = true;
  ++live_;
  return index;
}

tk::TreeNodeHandle MemoryTreeView::AddChild(tk::TreeNodeHandle Parent, std::u16string_view Label,
                                            void* Data) {
  const uint32_t parent = Parent ? IndexOf(Parent) : kNone;
  std::u16string label(Label);
  const uint32_t index = Allocate();
  Slot& node = nodes_[index];
  node.label = std::move(label);
  node.data = Data;
  node.parent = parent;
  uint32_t& first = parent == kNone ? firstTop_ : nodes_[parent].firstChild;
  uint32_t& last = parent == kNone ? lastTop_ : nodes_[parent].lastChild;
  node.prev = last;
  if (last != kNone)
    nodes_[last].next = index;
  else
    first = index;
  last = index;
  ++inserts_;
  return HandleOf(index);
}

std::u16string MemoryTreeView::Label(tk::TreeNodeHandle Node) const {
  return nodes_[IndexOf(Node)].label;
}

void MemoryTreeView::SetLabel(tk::TreeNodeHandle Node, std::u16string_view Label) {
  Slot& node = nodes_[IndexOf(Node)];
  node.label.assign(Label);
  node.parts.clear();
}

void* MemoryTreeView::Data(tk::TreeNodeHandle Node) const { return nodes_[IndexOf(Node)].data; }

tk::TreeNodeHandle MemoryTreeView::FirstChild(tk::TreeNodeHandle Node) const {
  return HandleOrNone(Node ? nodes_[IndexOf(Node)].firstChild : firstTop_);
}

tk::TreeNodeHandle MemoryTreeView::NextSibling(tk::TreeNodeHandle Node) const {
  return HandleOrNone(nodes_[IndexOf(Node)].next);
}

tk::TreeNodeHandle MemoryTreeView::Parent(tk::TreeNodeHandle Node) const {
  return HandleOrNone(nodes_[IndexOf(Node)].parent);
}

void MemoryTreeView::FreeSubtreesFrom(uint32_t First) {
  // An explicit stack: trees opened by a search can be as deep as the document.
  std::vector<uint32_t> pending;
  for (uint32_t child = First; child != kNone; child = nodes_[child].next)
    pending.push_back(child);
  while (!pending.empty()) {
    const uint32_t index = pending.back();
    pending.pop_back();
    Slot& node = nodes_[index];
    for (uint32_t child = node.firstChild; child != kNone; child = nodes_[child].next)
      pending.push_back(child);
    if (selected_ == index)
      selected_ = kNone;
    node = Slot{};
    free_.push_back(index);
    --live_;
  }
}

void MemoryTreeView::DeleteChildren(tk::TreeNodeHandle Node) {
  const uint32_t index = IndexOf(Node);
  const uint32_t before = selected_;
  FreeSubtreesFrom(nodes_[index].firstChild);
  nodes_[index].firstChild = kNone;
  nodes_[index].lastChild = kNone;
  nodes_[index].expanded = false;
  RaiseChange(before);
}

void MemoryTreeView::Clear() {
  const uint32_t before = selected_;
  nodes_.clear();
  free_.clear();
  firstTop_ = lastTop_ = selected_ = kNone;
  live_ = 0;
  lastMadeVisible_ = tk::NoNode;
  RaiseChange(before);
}

void MemoryTreeView::RaiseChange(uint32_t Before) {
  if (selected_ == Before)
    return;
  ++changes_;
  // A copy: the handler may destroy this tree, and with it the slot it runs from.
  if (const tk::NotifyEvent handler = description_.OnChange)
    handler();
}

void MemoryTreeView::Expand(tk::TreeNodeHandle Node) {
  if (nodes_[IndexOf(Node)].firstChild == kNone)
    return;
  bool allow = true;
  if (description_.OnExpanding)
    description_.OnExpanding(Node, allow);
  // The handler may have changed the tree; look the node up afresh.
  if (!Contains(Node))
    return;
  Slot& node = nodes_[IndexOf(Node)];
  if (allow && node.firstChild != kNone)
    node.expanded = true;
}

bool MemoryTreeView::IsExpanded(tk::TreeNodeHandle Node) const {
  return nodes_[IndexOf(Node)].expanded;
}

// The tree as the make-visible walk sees it.
struct MemoryTreeView::RevealWalk {
  MemoryTreeView& Tree;
  tk::TreeNodeHandle ParentOf(tk::TreeNodeHandle Node) const { return Tree.Parent(Node); }
  bool IsLive(tk::TreeNodeHandle Node) const { return Tree.Contains(Node); }
  bool IsOpen(tk::TreeNodeHandle Node) const { return Tree.nodes_[Tree.IndexOf(Node)].expanded; }
  void Open(tk::TreeNodeHandle Node) const { Tree.Expand(Node); }
  uint64_t ShownEpoch(tk::TreeNodeHandle Node) const {
    return Tree.nodes_[Tree.IndexOf(Node)].shownEpoch;
  }
  void MarkShown(tk::TreeNodeHandle Node, uint64_t Epoch) const {
    Tree.nodes_[Tree.IndexOf(Node)].shownEpoch = Epoch;
  }
  uint64_t Epoch() const { return Tree.collapseEpoch_; }
};

void MemoryTreeView::MakeVisible(tk::TreeNodeHandle Node) {
  IndexOf(Node); // throws for a node that is not in this tree
  RevealWalk walk{*this};
  tk::OpenCollapsedAncestors(walk, Node);
  lastMadeVisible_ = Node;
}

tk::TreeNodeHandle MemoryTreeView::Selected() const { return HandleOrNone(selected_); }

void MemoryTreeView::Select(tk::TreeNodeHandle Node) {
  const uint32_t before = selected_;
  selected_ = Node ? IndexOf(Node) : kNone;
  RaiseChange(before);
}

void MemoryTreeView::BeginUpdate() {
  if (updateDepth_++ == 0)
    ++suspensions_;
}

void MemoryTreeView::EndUpdate() noexcept {
  if (updateDepth_ > 0)
    --updateDepth_;
}

bool MemoryTreeView::Contains(tk::TreeNodeHandle Node) const {
  const std::uintptr_t slot = Node.Value() & 0xFFFFFFFFu;
  if (slot == 0 || slot > nodes_.size())
    return false;
  const Slot& node = nodes_[slot - 1];
  return node.live && node.generation == static_cast<uint32_t>(Node.Value() >> 32);
}

std::vector<tk::TreeNodeHandle> MemoryTreeView::Children(tk::TreeNodeHandle Node) const {
  std::vector<tk::TreeNodeHandle> children;
  for (uint32_t child = Node ? nodes_[IndexOf(Node)].firstChild : firstTop_; child != kNone;
       child = nodes_[child].next)
    children.push_back(HandleOf(child));
  return children;
}

bool MemoryTreeView::IsInside(uint32_t Index, uint32_t Ancestor) const {
  for (uint32_t up = nodes_[Index].parent; up != kNone; up = nodes_[up].parent)
    if (up == Ancestor)
      return true;
  return false;
}

void MemoryTreeView::UserExpand(tk::TreeNodeHandle Node) {
  const uint32_t index = IndexOf(Node);
  if (nodes_[index].expanded || nodes_[index].firstChild == kNone)
    return;
  app_.Guard([&] { Expand(Node); });
}

void MemoryTreeView::Collapse(tk::TreeNodeHandle Node) {
  const uint32_t index = IndexOf(Node);
  if (!nodes_[index].expanded)
    return;
  nodes_[index].expanded = false;
  ++collapseEpoch_;
  if (selected_ != kNone && IsInside(selected_, index)) {
    const uint32_t before = selected_;
    selected_ = index;
    RaiseChange(before);
  }
}

std::optional<std::size_t> MemoryTreeView::PopupMenu(tk::TreeNodeHandle Node,
                                                     std::span<const tk::MenuItem> Items,
                                                     std::optional<tk::ScreenPoint> At) {
  if (Node)
    IndexOf(Node);
  menus_.push_back({{Items.begin(), Items.end()}, Node, At});
  const std::optional<std::size_t> choice = std::exchange(menuChoice_, std::nullopt);
  if (!choice || *choice >= Items.size() || Items[*choice].Caption.empty() ||
      !Items[*choice].Enabled)
    return std::nullopt;
  return choice;
}

tk::KeyRoute MemoryTreeView::UserPressKey(const tk::KeyPress& Key) {
  tk::KeyRoute route = tk::KeyRoute::Tree;
  if (description_.OnKeyDown) {
    // A handler that fails leaves the key handled.
    route = tk::KeyRoute::Handled;
    app_.Guard([&] { route = description_.OnKeyDown(Key); });
  }
  if (route == tk::KeyRoute::Host)
    forwardedKeys_.push_back(Key);
  else if (route == tk::KeyRoute::Tree)
    MoveByKey(Key);
  return route;
}

void MemoryTreeView::UserRightClick(tk::TreeNodeHandle Node, tk::ScreenPoint At) {
  if (Node)
    IndexOf(Node);
  if (description_.OnContextPopup)
    app_.Guard([&] { description_.OnContextPopup(Node, At); });
}

void MemoryTreeView::UserCollapse(tk::TreeNodeHandle Node) {
  IndexOf(Node);
  app_.Guard([&] { Collapse(Node); });
}

uint32_t MemoryTreeView::RowAfter(uint32_t Index) const {
  const Slot& node = nodes_[Index];
  if (node.expanded && node.firstChild != kNone)
    return node.firstChild;
  for (uint32_t up = Index; up != kNone; up = nodes_[up].parent)
    if (nodes_[up].next != kNone)
      return nodes_[up].next;
  return kNone;
}

uint32_t MemoryTreeView::RowBefore(uint32_t Index) const {
  uint32_t row = nodes_[Index].prev;
  if (row == kNone)
    return nodes_[Index].parent;
  while (nodes_[row].expanded && nodes_[row].lastChild != kNone)
    row = nodes_[row].lastChild;
  return row;
}

void MemoryTreeView::MoveByKey(const tk::KeyPress& Key) {
  // The control's own moves with Up and Down; with Ctrl they scroll and select nothing.
  if (Key.Control || Key.Alt || (Key.Key != tk::key::Up && Key.Key != tk::key::Down))
    return;
  uint32_t target = firstTop_;
  if (selected_ != kNone)
    target = Key.Key == tk::key::Down ? RowAfter(selected_) : RowBefore(selected_);
  if (target != kNone)
    app_.Guard([&] { Select(HandleOf(target)); });
}

void MemoryTreeView::SetLabelParts(tk::TreeNodeHandle Node, std::span<const tk::LabelPart> Parts) {
  nodes_[IndexOf(Node)].parts.assign(Parts.begin(), Parts.end());
}

std::vector<tk::LabelPart> MemoryTreeView::LabelParts(tk::TreeNodeHandle Node) const {
  const Slot& node = nodes_[IndexOf(Node)];
  return tk::PartsCover(node.parts, node.label) ? node.parts : std::vector<tk::LabelPart>();
}

std::u16string MemoryTreeView::UserHover(tk::TreeNodeHandle Node) {
  IndexOf(Node);
  std::u16string tip;
  if (description_.ToolTips && description_.OnToolTip)
    app_.Guard([&] { tip = description_.OnToolTip(Node); });
  return tip;
}

void MemoryTreeView::UserClick(tk::TreeNodeHandle Node) {
  if (Node)
    IndexOf(Node);
  app_.Guard([&] {
    if (Node)
      Select(Node);
    if (description_.OnClick)
      description_.OnClick();
  });
}

bool MemoryTreeView::UserEditLabel(tk::TreeNodeHandle Node, std::u16string Text, bool Confirm) {
  IndexOf(Node);
  if (description_.ReadOnly)
    return false;
  if (!Confirm)
    return true;
  app_.Guard([&] {
    if (description_.OnEdited)
      description_.OnEdited(Node, Text);
    if (Contains(Node))
      SetLabel(Node, Text);
  });
  return true;
}

} // namespace tkmem
