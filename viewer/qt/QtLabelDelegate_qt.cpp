#include "viewer/qt/QtLabelDelegate_qt.h"

#include "viewer/qt/QtColours_qt.h"
#include "viewer/qt/QtTreeModel_qt.h"
#include "viewer/toolkit/LabelPalette.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyle>

#include <climits>

namespace tkqt {

namespace {

// The host's keys, which an open label editor must not swallow: Esc, N and P (next and
// previous file) and the function keys.
bool IsHostKeyWhileEditing(const QKeyEvent& Event) {
  const int key = Event.key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
    return true;
  if ((Event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    return false;
  return key == Qt::Key_Escape || key == Qt::Key_N || key == Qt::Key_P;
}

} // namespace

std::vector<LabelRun> LabelRuns(const QModelIndex& Index, const QColor& Base) {
  const QString text = Index.data(Qt::DisplayRole).toString();
  const QVariantList parts = Index.data(kLabelPartsRole).toList();
  std::vector<LabelRun> runs;
  const tk::LabelPalette& palette = tk::LabelPaletteOn(tk::Rgb(static_cast<uint8_t>(Base.red()),
                                                               static_cast<uint8_t>(Base.green()),
                                                               static_cast<uint8_t>(Base.blue())));
  int at = 0;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const int length = parts[i + 1].toInt();
    const auto kind = static_cast<tk::LabelPartKind>(parts[i].toInt());
    runs.push_back({text.mid(at, length), QColorOf(palette.Of(kind))});
    at += length;
  }
  if (at != text.size())
    runs.clear(); // the parts are not this label's
  return runs;
}

void LabelDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                          const QModelIndex& Index) const {
  QStyleOptionViewItem option(Option);
  initStyleOption(&option, Index);
  const std::vector<LabelRun> runs =
      (option.state & QStyle::State_Selected) != 0
          ? std::vector<LabelRun>()
          : LabelRuns(Index, option.palette.color(QPalette::Active, QPalette::Base));
  if (runs.empty()) {
    QStyledItemDelegate::paint(Painter, Option, Index);
    return;
  }
  // The style draws the row without its text; the parts go where the text would have gone.
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  option.text.clear();
  style->drawControl(QStyle::CE_ItemViewItem, &option, Painter, widget);
  QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  area.adjust(margin, 0, -margin, 0);
  Painter->save();
  Painter->setFont(option.font);
  Painter->setClipRect(area);
  const QFontMetrics metrics(option.font);
  int x = area.left();
  for (const LabelRun& run : runs) {
    if (x > area.right())
      break;
    Painter->setPen(run.Colour);
    const QRect at(x, area.top(), area.right() - x + 1, area.height());
    Painter->drawText(at, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, run.Text);
    x += metrics.horizontalAdvance(run.Text);
  }
  Painter->restore();
}

QWidget* LabelDelegate::createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                                     const QModelIndex& Index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(Parent, Option, Index);
  if (auto* line = qobject_cast<QLineEdit*>(editor))
    line->setMaxLength(INT_MAX);
  return editor;
}

bool LabelDelegate::eventFilter(QObject* Object, QEvent* Event) {
  auto* editor = qobject_cast<QWidget*>(Object);
  const QEvent::Type type = Event->type();
  if (!editor || (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
      !IsHostKeyWhileEditing(*static_cast<QKeyEvent*>(Event)))
    return QStyledItemDelegate::eventFilter(Object, Event);
  if (type == QEvent::ShortcutOverride) {
    // Left to the parents, as from the tree: the host may act on the key already here, and
    // the line edit would claim a letter for itself.
    Event->ignore();
    return true;
  }
  // Closed without committing: the label keeps its text.
  emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  if (const QPointer<QWidget> view = qobject_cast<QWidget*>(parent())) {
    // The same event, so it stays the window system's (the host takes only those), through
    // notify, which hands it on to the parents when the tree leaves it.
    Event->accept();
    QCoreApplication::instance()->notify(view.data(), Event);
  }
  Event->accept();
  return true;
}

} // namespace tkqt
