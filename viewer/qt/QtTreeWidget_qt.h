#pragma once

#include <QEvent>
#include <QPersistentModelIndex>
#include <QTreeView>

#include <functional>
#include <optional>

namespace tkqt {

// What becomes of a key press once the owner has seen it.
enum class KeyOutcome {
  Tree,     // the view's own handling
  Consumed, // taken; nothing else sees it
  PassedOn, // ignored here, so the parents (and the host's shortcuts) get it
};

// What the tree widget asks of its owner.
struct TreeWidgetHooks {
  // Before a user's gesture opens a closed node that has children: raises the expanding event,
  // which may replace the node's children. False keeps the node shut.
  std::function<bool(const QModelIndex& Index)> BeforeUserExpands;
  // The view opened a node by a route that did not ask first (one no gesture here covers).
  // Called once the view is done with that opening, from the event loop.
  std::function<void(const QModelIndex& Index)> OpenedUnasked;
  // A click with the left button anywhere in the tree.
  std::function<void()> Clicked;
  // Every key press, before the view handles it.
  std::function<KeyOutcome(const QKeyEvent& Event)> KeyDown;
  // A context menu asked for: with the mouse (the node under it, or invalid, and where on the
  // screen) or with the keyboard (no position).
  std::function<void(const QModelIndex& Index, std::optional<QPoint> GlobalPos)> ContextMenu;
};

// A QTreeView that asks before the user opens a node. QTreeView has no hook that runs before
// it expands an item, so every gesture that expands (a click on the expand button, a double
// click, Right, +, *) is caught here first. Only then does the view lay the node out, so the
// handler's new children are what it shows; the placeholder never is.
class TreeWidget final : public QTreeView {
public:
  TreeWidget(QWidget* Parent, TreeWidgetHooks Hooks);

  // Opens Index for an expansion whose event has been raised already.
  void ExpandAsked(const QModelIndex& Index);
  // Lays the rows out anew once, when next needed: expansions meanwhile only mark their nodes.
  void DeferLayout() { scheduleDelayedItemsLayout(); }
  // The node whose expand button lies at Pos (viewport coordinates), or the invalid index.
  QModelIndex ExpandButtonAt(const QPoint& Pos) const;
  // Tooltips: the node's own (Qt::ToolTipRole), else a cut-off label in full.
  void SetFullLabelTips(bool Shown) noexcept { fullLabelTips_ = Shown; }
  // The owner goes: nothing is asked any more.
  void ClearHooks() noexcept { hooks_ = TreeWidgetHooks(); }

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;
  void customEvent(QEvent* Event) override;
  QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  bool viewportEvent(QEvent* Event) override;
  void rowsInserted(const QModelIndex& Parent, int Start, int End) override;

private:
  // A node the user could open now: valid, shut, with children.
  bool Closed(const QModelIndex& Index) const;
  // Asks before a gesture opens Index; true when the gesture may go on.
  bool AskBeforeOpening(const QModelIndex& Index);
  // Runs the view's own handling of a gesture whose expansion of Index has been asked for.
  template <class Fn> void Asked(const QModelIndex& Index, Fn&& Handling);
  // The mouse button event of this kind opens what lies under its expand button.
  bool ButtonOpensOn(QEvent::Type Type, const QPoint& Pos) const;
  bool ShowFullLabelTip(const QHelpEvent& Help);
  // The view's own key handling, with expansions asked for first.
  void TreeKeyPress(QKeyEvent* Event);

  TreeWidgetHooks hooks_;
  // The node whose event ran for the expansion in progress.
  QPersistentModelIndex asked_;
  bool fullLabelTips_ = true;
};

} // namespace tkqt
