#include "viewer/qt/QtTreeWidget_qt.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

#include <utility>

namespace tkqt {

namespace {

// A node the view opened without asking, told to the owner once the view is done with it: the
// view may be laying its rows out right now, and a handler that changes them then would pull
// them from under it.
class OpenedUnaskedEvent final : public QEvent {
public:
  static constexpr Type Kind = static_cast<Type>(User + 1);
  explicit OpenedUnaskedEvent(const QModelIndex& Index) : QEvent(Kind), Node(Index) {}
  const QPersistentModelIndex Node;
};

} // namespace

TreeWidget::TreeWidget(QWidget* Parent, TreeWidgetHooks Hooks)
    : QTreeView(Parent), hooks_(std::move(Hooks)) {
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& Index) {
    if (Index == asked_ || !hooks_.OpenedUnasked)
      return;
    QCoreApplication::postEvent(this, new OpenedUnaskedEvent(Index));
  });
}

void TreeWidget::customEvent(QEvent* Event) {
  if (Event->type() != OpenedUnaskedEvent::Kind)
    return;
  const QPersistentModelIndex node = static_cast<OpenedUnaskedEvent*>(Event)->Node;
  if (!node.isValid() || !hooks_.OpenedUnasked)
    return;
  const auto hook = hooks_.OpenedUnasked;
  hook(node);
}

bool TreeWidget::Closed(const QModelIndex& Index) const {
  return Index.isValid() && itemsExpandable() && !isExpanded(Index) && model() &&
         model()->hasChildren(Index);
}

bool TreeWidget::AskBeforeOpening(const QModelIndex& Index) {
  if (!Closed(Index) || !hooks_.BeforeUserExpands)
    return true;
  const QPersistentModelIndex node(Index);
  // A copy: the handler may clear the hooks.
  const auto hook = hooks_.BeforeUserExpands;
  const bool allowed = hook(Index);
  return allowed && node.isValid();
}

template <class Fn> void TreeWidget::Asked(const QModelIndex& Index, Fn&& Handling) {
  const QPersistentModelIndex outer = std::exchange(asked_, QPersistentModelIndex(Index));
  Handling();
  asked_ = outer;
}

void TreeWidget::ExpandAsked(const QModelIndex& Index) {
  Asked(Index, [&] { expand(Index); });
}

QModelIndex TreeWidget::ExpandButtonAt(const QPoint& Pos) const {
  const QModelIndex index = indexAt(Pos);
  if (!index.isValid() || !model()->hasChildren(index))
    return QModelIndex();
  if (!rootIsDecorated() && !index.parent().isValid())
    return QModelIndex();
  // The button sits in the last indentation step before the label, as the view draws it.
  const QRect label = visualRect(index);
  const int step = indentation();
  QStyleOption option;
  option.initFrom(this);
  option.rect = isRightToLeft() ? QRect(label.right() + 1, label.top(), step, label.height())
                                : QRect(label.left() - step, label.top(), step, label.height());
  const QRect button = style()->subElementRect(QStyle::SE_TreeViewDisclosureItem, &option, this);
  return button.contains(Pos) ? index : QModelIndex();
}

void TreeWidget::keyPressEvent(QKeyEvent* Event) {
  if (hooks_.KeyDown) {
    const QPointer<TreeWidget> self(this);
    // A copy: the handler may clear the hooks.
    const auto hook = hooks_.KeyDown;
    const KeyOutcome outcome = hook(*Event);
    if (!self)
      return;
    if (outcome == KeyOutcome::Consumed) {
      Event->accept();
      return;
    }
    if (outcome == KeyOutcome::PassedOn) {
      Event->ignore();
      return;
    }
  }
  TreeKeyPress(Event);
}

void TreeWidget::contextMenuEvent(QContextMenuEvent* Event) {
  if (!hooks_.ContextMenu) {
    QTreeView::contextMenuEvent(Event);
    return;
  }
  Event->accept();
  const auto hook = hooks_.ContextMenu;
  if (Event->reason() == QContextMenuEvent::Mouse)
    hook(indexAt(viewport()->mapFromGlobal(Event->globalPos())), Event->globalPos());
  else
    hook(currentIndex(), std::nullopt);
}

void TreeWidget::TreeKeyPress(QKeyEvent* Event) {
  const QModelIndex current = currentIndex();
  if (current.isValid() && itemsExpandable()) {
    if (Event->key() == Qt::Key_Plus) {
      if (!AskBeforeOpening(current)) {
        Event->accept();
        return;
      }
      Asked(current, [&] { QTreeView::keyPressEvent(Event); });
      return;
    }
    if (Event->key() == Qt::Key_Asterisk) {
      // The view's own * opens the whole subtree at once, without bound: on a large document
      // that never ends. Here it opens the current node.
      if (AskBeforeOpening(current))
        ExpandAsked(currentIndex());
      Event->accept();
      return;
    }
  }
  QTreeView::keyPressEvent(Event);
}

QModelIndex TreeWidget::moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) {
  // The arrow towards the children opens a shut node.
  const CursorAction opening = isRightToLeft() ? MoveLeft : MoveRight;
  const QModelIndex current = currentIndex();
  if (Action != opening || !Closed(current))
    return QTreeView::moveCursor(Action, Modifiers);
  if (!AskBeforeOpening(current))
    return currentIndex();
  QModelIndex moved;
  Asked(current, [&] { moved = QTreeView::moveCursor(Action, Modifiers); });
  return moved;
}

bool TreeWidget::ButtonOpensOn(QEvent::Type Type, const QPoint& Pos) const {
  // The same conditions as the view's own handling of a click on an expand button.
  const int opensOn = style()->styleHint(QStyle::SH_ListViewExpand_SelectMouseType, nullptr, this);
  return opensOn == Type && (state() == NoState || state() == EditingState) &&
         viewport()->rect().contains(Pos);
}

void TreeWidget::mousePressEvent(QMouseEvent* Event) {
  if (ButtonOpensOn(QEvent::MouseButtonPress, Event->pos())) {
    const QModelIndex button = ExpandButtonAt(Event->pos());
    if (Closed(button)) {
      if (!AskBeforeOpening(button)) {
        Event->accept();
        return;
      }
      Asked(button, [&] { QTreeView::mousePressEvent(Event); });
      return;
    }
  }
  QTreeView::mousePressEvent(Event);
}

void TreeWidget::mouseReleaseEvent(QMouseEvent* Event) {
  bool handled = false;
  if (ButtonOpensOn(QEvent::MouseButtonRelease, Event->pos())) {
    const QModelIndex button = ExpandButtonAt(Event->pos());
    if (Closed(button)) {
      handled = true;
      if (AskBeforeOpening(button))
        Asked(button, [&] { QTreeView::mouseReleaseEvent(Event); });
    }
  }
  if (!handled)
    QTreeView::mouseReleaseEvent(Event);
  if (Event->button() == Qt::LeftButton && hooks_.Clicked) {
    const auto hook = hooks_.Clicked;
    hook();
  }
}

void TreeWidget::mouseDoubleClickEvent(QMouseEvent* Event) {
  const QPoint pos = Event->pos();
  if (state() == NoState && viewport()->rect().contains(pos) && expandsOnDoubleClick() &&
      !ExpandButtonAt(pos).isValid()) {
    const QModelIndex node = indexAt(pos);
    if (Closed(node)) {
      if (AskBeforeOpening(node)) {
        Asked(node, [&] { QTreeView::mouseDoubleClickEvent(Event); });
        return;
      }
      // Refused: the double click still does everything else it does.
      setExpandsOnDoubleClick(false);
      QTreeView::mouseDoubleClickEvent(Event);
      setExpandsOnDoubleClick(true);
      return;
    }
  }
  QTreeView::mouseDoubleClickEvent(Event);
}

void TreeWidget::rowsInserted(const QModelIndex& Parent, int Start, int End) {
  QTreeView::rowsInserted(Parent, Start, End);
  // A tree that keeps the focus while its rows are replaced (the host's next file) gets a
  // current row, as it would on gaining the focus: else the first key only finds the row.
  if (!Parent.isValid() && Start == 0 && hasFocus() && !currentIndex().isValid())
    selectionModel()->setCurrentIndex(model()->index(0, 0), QItemSelectionModel::NoUpdate);
}

bool TreeWidget::ShowFullLabelTip(const QHelpEvent& Help) {
  const QModelIndex index = indexAt(Help.pos());
  if (!index.isValid())
    return false;
  const QRect label = visualRect(index);
  // The node's own tooltip (its value) says more than its label.
  if (const QString tip = index.data(Qt::ToolTipRole).toString(); !tip.isEmpty()) {
    QToolTip::showText(Help.globalPos(), tip, viewport(), label);
    return true;
  }
  const QString text = index.data(Qt::DisplayRole).toString();
  // The item delegate keeps this much room on either side of the text.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  const int needed = fontMetrics().horizontalAdvance(text) + 2 * margin;
  if (needed <= label.width() && label.right() < viewport()->width())
    return false;
  QToolTip::showText(Help.globalPos(), text, viewport(), label);
  return true;
}

bool TreeWidget::viewportEvent(QEvent* Event) {
  if (Event->type() != QEvent::ToolTip)
    return QTreeView::viewportEvent(Event);
  if (!fullLabelTips_ || !ShowFullLabelTip(*static_cast<QHelpEvent*>(Event))) {
    QToolTip::hideText();
    Event->ignore();
  }
  return true;
}

} // namespace tkqt
