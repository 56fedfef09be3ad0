#include "viewer/qt/QtTreeView_qt.h"

#include "viewer/qt/QtApplication_qt.h"
#include "viewer/qt/QtLabelDelegate_qt.h"
#include "viewer/qt/QtText_qt.h"
#include "viewer/toolkit/TreeReveal.h"

#include <QCoreApplication>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>

#include "viewer/qt/QtColours_qt.h"
#include "viewer/qt/QtKeys_qt.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

#include <cmath>
#include <utility>

namespace tkqt {

namespace {

// Counts an operation in progress for as long as it lives.
class Counting {
public:
  explicit Counting(int& Count) noexcept : count_(Count) { ++count_; }
  Counting(const Counting&) = delete;
  Counting& operator=(const Counting&) = delete;
  ~Counting() { --count_; }

private:
  int& count_;
};

} // namespace

QtTreeView::QtTreeView(QtApplication& App, tk::TreeViewDescription Description,
                       std::function<void()> RequireWidget)
    : app_(App), description_(std::move(Description)), requireWidget_(std::move(RequireWidget)),
      model_(std::make_unique<TreeModel>()) {
  model_->SetEditable(!description_.ReadOnly);
  if (description_.ToolTips)
    model_->SetToolTipHandler([this](TreeItem& Item) { return ToolTipOf(Item); });
  model_->SetEditHandler(
      [this](TreeItem& Item, const QString& Text) { return OnEdited(Item, Text); });
}

QtTreeView::~QtTreeView() { Detach(); }

tk::TreeNodeHandle QtTreeView::NodeOf(const TreeItem* Item) noexcept {
  return Item ? tk::TreeNodeHandle(static_cast<std::uintptr_t>(Item->Id)) : tk::NoNode;
}

TreeItem* QtTreeView::ItemOf(tk::TreeNodeHandle Node) const noexcept {
  return Node ? model_->Find(static_cast<uint64_t>(Node.Value())) : nullptr;
}

TreeItem& QtTreeView::Require(tk::TreeNodeHandle Node) const {
  TreeItem* item = ItemOf(Node);
  if (!item)
    throw tk::ToolkitError("Invalid tree node");
  return *item;
}

QModelIndex QtTreeView::IndexOf(tk::TreeNodeHandle Node) {
  model_->Flush();
  return model_->IndexOf(Require(Node));
}

// --- widget ----------------------------------------------------------------------------------

TreeWidget* QtTreeView::Create(QWidget* Parent, const QFont* Font, double Scale) {
  Detach();
  TreeWidgetHooks hooks;
  hooks.BeforeUserExpands = [this](const QModelIndex& Index) { return OnUserExpands(Index); };
  hooks.OpenedUnasked = [this](const QModelIndex& Index) { OnOpenedUnasked(Index); };
  hooks.Clicked = [this] {
    if (const tk::NotifyEvent handler = description_.OnClick)
      app_.Deliver(handler);
  };
  hooks.KeyDown = [this](const QKeyEvent& Event) { return OnKeyDown(Event); };
  hooks.ContextMenu = [this](const QModelIndex& Index, std::optional<QPoint> GlobalPos) {
    OnContextMenu(Index, GlobalPos);
  };
  auto* widget = new TreeWidget(Parent, std::move(hooks));
  widget->setObjectName(QString::fromStdString(description_.Name));
  widget->setHeaderHidden(true);
  widget->header()->setStretchLastSection(true);
  // Every row is one line of text: the view then never measures rows one by one.
  widget->setUniformRowHeights(true);
  widget->setAnimated(false);
  widget->setRootIsDecorated(description_.ShowRoot);
  if (description_.Indent > 0)
    widget->setIndentation(static_cast<int>(std::lround(description_.Indent * Scale)));
  // A click on the selected node starts the edit, as in the native tree; a double click opens.
  widget->setEditTriggers(description_.ReadOnly ? QAbstractItemView::NoEditTriggers
                                                : QAbstractItemView::SelectedClicked);
  widget->setSelectionMode(QAbstractItemView::SingleSelection);
  widget->setTextElideMode(Qt::ElideRight);
  widget->setExpandsOnDoubleClick(true);
  widget->setFocusPolicy(Qt::StrongFocus);
  widget->SetFullLabelTips(description_.ToolTips);
  if (Font && description_.ParentFont)
    widget->setFont(*Font);
  widget->setItemDelegate(new LabelDelegate(widget));
  model_->Flush();
  widget->setModel(model_.get());
  connections_.push_back(
      QObject::connect(widget, &QTreeView::expanded, widget, [this](const QModelIndex& Index) {
        if (TreeItem* item = model_->ItemOf(Index))
          item->Expanded = true;
      }));
  connections_.push_back(
      QObject::connect(widget, &QTreeView::collapsed, widget, [this](const QModelIndex& Index) {
        if (TreeItem* item = model_->ItemOf(Index))
          item->Expanded = false;
        // What lay inside is hidden again.
        ++collapseEpoch_;
      }));
  connections_.push_back(QObject::connect(widget->selectionModel(),
                                          &QItemSelectionModel::currentChanged, widget, [this] {
                                            // The tree's own operations tell of their changes
                                            // themselves when they end.
                                            if (selectionOperations_ == 0)
                                              app_.Deliver([this] { NoteSelection(); });
                                          }));
  if (updateDepth_ > 0)
    widget->setUpdatesEnabled(false);
  widget_ = widget;
  ApplyPalette();
  return widget;
}

void QtTreeView::Detach() noexcept {
  TreeWidget* widget = widget_.data();
  widget_ = nullptr;
  for (const QMetaObject::Connection& connection : connections_)
    QObject::disconnect(connection);
  connections_.clear();
  if (!widget)
    return;
  widget->ClearHooks();
  widget->setModel(nullptr);
  // Seen from now on through the nodes' own flags.
  ++collapseEpoch_;
}

// --- nodes -----------------------------------------------------------------------------------

tk::TreeNodeHandle QtTreeView::AddChild(tk::TreeNodeHandle Parent, std::u16string_view Label,
                                        void* Data) {
  TreeItem& parent = Parent ? Require(Parent) : model_->Root();
  return NodeOf(&model_->Append(parent, Label, Data));
}

std::u16string QtTreeView::Label(tk::TreeNodeHandle Node) const { return Require(Node).Label; }

void QtTreeView::SetLabel(tk::TreeNodeHandle Node, std::u16string_view Label) {
  model_->SetLabel(Require(Node), Label);
}

void QtTreeView::SetLabelParts(tk::TreeNodeHandle Node, std::span<const tk::LabelPart> Parts) {
  model_->SetLabelParts(Require(Node), Parts);
}

void* QtTreeView::Data(tk::TreeNodeHandle Node) const { return Require(Node).Data; }

tk::TreeNodeHandle QtTreeView::FirstChild(tk::TreeNodeHandle Node) const {
  const TreeItem& item = Node ? Require(Node) : model_->Root();
  return item.Children.empty() ? tk::NoNode : NodeOf(item.Children.front().get());
}

tk::TreeNodeHandle QtTreeView::NextSibling(tk::TreeNodeHandle Node) const {
  const TreeItem& item = Require(Node);
  const auto next = static_cast<std::size_t>(item.Row) + 1;
  return next < item.Parent->Children.size() ? NodeOf(item.Parent->Children[next].get())
                                             : tk::NoNode;
}

tk::TreeNodeHandle QtTreeView::Parent(tk::TreeNodeHandle Node) const {
  const TreeItem& item = Require(Node);
  return item.Parent == &model_->Root() ? tk::NoNode : NodeOf(item.Parent);
}

void QtTreeView::NoteSelection() {
  const auto selected = static_cast<uint64_t>(Selected().Value());
  if (selected == seenSelected_)
    return;
  seenSelected_ = selected;
  // A copy: the handler may destroy this tree, and with it the slot it runs from.
  if (const tk::NotifyEvent handler = description_.OnChange)
    handler();
}

void QtTreeView::DeleteChildren(tk::TreeNodeHandle Node) {
  {
    const Counting operation(selectionOperations_);
    DeleteChildrenOf(Require(Node));
  }
  NoteSelection();
}

void QtTreeView::DeleteChildrenOf(TreeItem& item) {
  // Shut first, so children added later wait for the next expansion and its event.
  if (Open(item))
    ++collapseEpoch_;
  if (widget_ && item.Announced && widget_->isExpanded(model_->IndexOf(item)))
    widget_->collapse(model_->IndexOf(item));
  model_->DeleteChildren(item);
}

void QtTreeView::Clear() {
  {
    const Counting operation(selectionOperations_);
    model_->Clear();
    selectedId_ = 0;
    ++collapseEpoch_;
  }
  NoteSelection();
}

// --- expansion -------------------------------------------------------------------------------

bool QtTreeView::Open(const TreeItem& Item) const {
  if (Item.Children.empty())
    return false;
  if (widget_ && Item.Announced)
    return widget_->isExpanded(model_->IndexOf(Item));
  return Item.Expanded;
}

bool QtTreeView::IsExpanded(tk::TreeNodeHandle Node) const { return Open(Require(Node)); }

void QtTreeView::RaiseExpanding(TreeItem& Item, bool& Allow) {
  // A copy: the handler may destroy this tree, and with it the slot it runs from.
  if (const tk::TreeExpandingEvent handler = description_.OnExpanding)
    handler(NodeOf(&Item), Allow);
}

void QtTreeView::Expand(tk::TreeNodeHandle Node) {
  TreeItem& item = Require(Node);
  if (item.Children.empty() || item.Depth > kDeepestOpenLevel)
    return;
  const uint64_t id = item.Id;
  bool allow = true;
  // Raised here, before the view lays the node out; a failure reaches our caller.
  RaiseExpanding(item, allow);
  TreeItem* live = model_->Find(id);
  if (!allow || !live || live->Children.empty())
    return;
  live->Expanded = true;
  if (widget_) {
    model_->Flush();
    // Opening many nodes while suspended (Expand all): each would otherwise lay out the rows
    // shown so far again, the square of their number.
    if (updateDepth_ > 0)
      widget_->DeferLayout();
    widget_->ExpandAsked(model_->IndexOf(*live));
  }
}

bool QtTreeView::OnUserExpands(const QModelIndex& Index) {
  TreeItem* item = model_->ItemOf(Index);
  if (!item)
    return false;
  const uint64_t id = item->Id;
  const tk::LifetimeWatch alive = lifetime_.Watch();
  bool allow = true;
  bool failed = true;
  app_.Deliver([&] {
    RaiseExpanding(*item, allow);
    failed = false;
  });
  if (alive.Expired() || failed || !model_->Find(id))
    return false;
  model_->Flush();
  return allow;
}

void QtTreeView::OnOpenedUnasked(const QModelIndex& Index) {
  TreeItem* item = model_->ItemOf(Index);
  if (!item || !widget_)
    return;
  const uint64_t id = item->Id;
  const tk::LifetimeWatch alive = lifetime_.Watch();
  bool allow = true;
  bool failed = true;
  app_.Deliver([&] {
    RaiseExpanding(*item, allow);
    failed = false;
  });
  if (alive.Expired())
    return;
  TreeItem* live = model_->Find(id);
  if (!live || !widget_)
    return;
  model_->Flush();
  const QModelIndex index = model_->IndexOf(*live);
  if (failed || !allow) {
    widget_->collapse(index);
  } else if (!live->Children.empty() && !widget_->isExpanded(index)) {
    // The handler replaced the children, which shuts the node: open it again, as asked.
    live->Expanded = true;
    widget_->ExpandAsked(index);
  }
}

// The tree as the make-visible walk sees it: items by their ids, since an expanding handler may
// replace the items themselves.
struct QtTreeView::RevealWalk {
  QtTreeView& Tree;
  uint64_t ParentOf(uint64_t Id) const {
    const TreeItem* item = Tree.model_->Find(Id);
    const TreeItem* up = item ? item->Parent : nullptr;
    return up && up != &Tree.model_->Root() ? up->Id : 0;
  }
  bool IsLive(uint64_t Id) const { return Tree.model_->Find(Id) != nullptr; }
  bool IsOpen(uint64_t Id) const {
    const TreeItem* item = Tree.model_->Find(Id);
    return item && Tree.Open(*item);
  }
  void Open(uint64_t Id) const { Tree.Expand(NodeOf(Tree.model_->Find(Id))); }
  uint64_t ShownEpoch(uint64_t Id) const {
    const TreeItem* item = Tree.model_->Find(Id);
    return item ? item->ShownEpoch : 0;
  }
  void MarkShown(uint64_t Id, uint64_t Epoch) const {
    if (TreeItem* item = Tree.model_->Find(Id))
      item->ShownEpoch = Epoch;
  }
  uint64_t Epoch() const { return Tree.collapseEpoch_; }
};

bool QtTreeView::OpenAncestors(uint64_t Id) {
  RevealWalk walk{*this};
  return tk::OpenCollapsedAncestors(walk, Id);
}

void QtTreeView::MakeVisible(tk::TreeNodeHandle Node) {
  const uint64_t id = Require(Node).Id;
  // An ancestor that stayed shut keeps the node hidden; scrolling would make the view open it
  // against the handler's answer.
  if (!OpenAncestors(id) || !widget_)
    return;
  if (TreeItem* item = model_->Find(id)) {
    model_->Flush();
    widget_->scrollTo(model_->IndexOf(*item));
  }
}

// --- selection, redrawing, focus -------------------------------------------------------------

tk::TreeNodeHandle QtTreeView::Selected() const {
  if (widget_)
    return NodeOf(model_->ItemOf(widget_->currentIndex()));
  return NodeOf(model_->Find(selectedId_));
}

void QtTreeView::Select(tk::TreeNodeHandle Node) {
  {
    const Counting operation(selectionOperations_);
    SelectQuietly(Node);
  }
  NoteSelection();
}

void QtTreeView::SelectQuietly(tk::TreeNodeHandle Node) {
  if (!Node) {
    selectedId_ = 0;
    if (widget_) {
      widget_->selectionModel()->clear();
      widget_->setCurrentIndex(QModelIndex());
    }
    return;
  }
  const uint64_t id = Require(Node).Id;
  // Selecting a hidden node opens its ancestors first, as the native tree does.
  OpenAncestors(id);
  TreeItem* item = model_->Find(id);
  if (!item)
    return;
  selectedId_ = id;
  if (widget_) {
    model_->Flush();
    widget_->setCurrentIndex(model_->IndexOf(*item));
  }
}

void QtTreeView::BeginUpdate() {
  if (updateDepth_++ == 0 && widget_)
    widget_->setUpdatesEnabled(false);
  model_->BeginBatch();
}

void QtTreeView::EndUpdate() noexcept {
  if (updateDepth_ == 0)
    return;
  --updateDepth_;
  try {
    model_->EndBatch();
  } catch (...) {
    // Out of memory while announcing rows: they stay unseen, the tree itself is whole.
  }
  if (updateDepth_ == 0 && widget_)
    widget_->setUpdatesEnabled(true);
}

void QtTreeView::SetFocus() {
  if (!widget_ && requireWidget_)
    requireWidget_();
  if (!widget_)
    throw tk::ToolkitError("The tree view has no window");
  widget_->setFocus(Qt::OtherFocusReason);
}

bool QtTreeView::Focused() const { return widget_ && widget_->hasFocus(); }

// --- editing ---------------------------------------------------------------------------------

bool QtTreeView::OnEdited(TreeItem& Item, const QString& Text) {
  const uint64_t id = Item.Id;
  std::u16string text = FromQString(Text);
  const tk::LifetimeWatch alive = lifetime_.Watch();
  const tk::TreeEditedEvent handler = description_.OnEdited;
  app_.Deliver([&] {
    if (handler)
      handler(NodeOf(&Item), text);
    // Stored as the handler left it; when the handler failed, the label stays.
    if (!alive.Expired())
      if (TreeItem* live = model_->Find(id))
        model_->SetLabel(*live, text);
  });
  return true;
}

std::u16string QtTreeView::ToolTipOf(TreeItem& Item) {
  std::u16string tip;
  const tk::TreeToolTipEvent handler = description_.OnToolTip;
  if (handler)
    app_.Deliver([&] { tip = handler(NodeOf(&Item)); });
  return tip;
}

} // namespace tkqt

namespace tkqt {

// --- colours ---------------------------------------------------------------------------------

void QtTreeView::SetColourScheme(tk::ColourScheme Scheme) {
  scheme_ = Scheme;
  ApplyPalette();
}

void QtTreeView::ApplyPalette() {
  if (!widget_)
    return;
  // Back to what the host gives first, so a scheme's colours never outlive it.
  widget_->setPalette(SchemePalette(scheme_));
  if (description_.HideSelection) {
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Inactive, QPalette::Text));
    widget_->setPalette(palette);
  }
}

// --- keys and menus --------------------------------------------------------------------------

KeyOutcome QtTreeView::OnKeyDown(const QKeyEvent& Event) {
  const tk::TreeKeyEvent handler = description_.OnKeyDown;
  if (!handler)
    return KeyOutcome::Tree;
  const tk::KeyPress press = KeyPressOf(Event);
  const tk::LifetimeWatch alive = lifetime_.Watch();
  // A handler that fails leaves the key handled.
  tk::KeyRoute route = tk::KeyRoute::Handled;
  app_.Deliver([&] { route = handler(press); });
  if (alive.Expired())
    return KeyOutcome::Consumed;
  switch (route) {
  case tk::KeyRoute::Tree:
    return KeyOutcome::Tree;
  case tk::KeyRoute::Handled:
    return KeyOutcome::Consumed;
  case tk::KeyRoute::Host:
    break;
  }
  bool taken = false;
  if (const HostKeyHandler hostKeys = hostKeys_)
    app_.Deliver([&] { taken = hostKeys(Event); });
  return taken ? KeyOutcome::Consumed : KeyOutcome::PassedOn;
}

void QtTreeView::OnContextMenu(const QModelIndex& Index, std::optional<QPoint> GlobalPos) {
  const tk::TreeContextPopupEvent handler = description_.OnContextPopup;
  if (!handler)
    return;
  const tk::TreeNodeHandle node = NodeOf(model_->ItemOf(Index));
  std::optional<tk::ScreenPoint> at;
  if (GlobalPos)
    at = tk::ScreenPoint{GlobalPos->x(), GlobalPos->y()};
  app_.Deliver([&] { handler(node, at); });
}

void QtTreeView::Collapse(tk::TreeNodeHandle Node) {
  {
    const Counting operation(selectionOperations_);
    CollapseQuietly(Node);
  }
  NoteSelection();
}

void QtTreeView::CollapseQuietly(tk::TreeNodeHandle Node) {
  TreeItem& item = Require(Node);
  if (!Open(item))
    return;
  // A selection inside moves up to the node, as the native tree moves it.
  bool inside = false;
  const TreeItem* selected =
      widget_ ? model_->ItemOf(widget_->currentIndex()) : model_->Find(selectedId_);
  for (const TreeItem* up = selected ? selected->Parent : nullptr; up; up = up->Parent)
    inside = inside || up == &item;
  item.Expanded = false;
  ++collapseEpoch_;
  if (widget_ && item.Announced) {
    model_->Flush();
    widget_->collapse(model_->IndexOf(item));
  }
  if (inside)
    Select(Node);
}

std::optional<std::size_t> QtTreeView::PopupMenu(tk::TreeNodeHandle Node,
                                                 std::span<const tk::MenuItem> Items,
                                                 std::optional<tk::ScreenPoint> At) {
  if (Node)
    Require(Node);
  if (!widget_ && requireWidget_)
    requireWidget_();
  if (!widget_)
    throw tk::ToolkitError("The tree view has no window");
  // On the heap: the host may destroy the tree's widget, and the menu with it, while it runs.
  const QPointer<QMenu> menu = new QMenu(widget_.data());
  std::vector<QAction*> actions;
  for (const tk::MenuItem& entry : Items) {
    if (entry.Caption.empty()) {
      actions.push_back(menu->addSeparator());
      continue;
    }
    QAction* action = menu->addAction(ToQString(entry.Caption));
    action->setEnabled(entry.Enabled);
    actions.push_back(action);
  }
  QPoint where;
  if (At) {
    where = QPoint(At->X, At->Y);
  } else {
    // From the keyboard: below the node's label, or the tree's corner.
    QRect label;
    if (TreeItem* item = ItemOf(Node); item && item->Announced) {
      model_->Flush();
      label = widget_->visualRect(model_->IndexOf(*item));
    }
    const QPoint local = label.isValid() ? label.bottomLeft() : QPoint(0, 0);
    where = widget_->viewport()->mapToGlobal(local);
  }
  const QAction* chosen = menu->exec(where);
  std::optional<std::size_t> choice;
  // Compared, never followed: a menu destroyed meanwhile took its actions with it.
  for (std::size_t index = 0; menu && chosen && index < actions.size(); ++index)
    if (actions[index] == chosen && !Items[index].Caption.empty() && Items[index].Enabled)
      choice = index;
  delete menu.data();
  return choice;
}

} // namespace tkqt
