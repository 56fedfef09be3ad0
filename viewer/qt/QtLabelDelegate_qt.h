#pragma once

#include <QColor>
#include <QString>
#include <QStyledItemDelegate>

#include <vector>

namespace tkqt {

// One stretch of a label in one colour.
struct LabelRun {
  QString Text;
  QColor Colour;
};

// The label of Index in its parts' colours, from the label palette for a tree on Base; empty
// when the node has no parts that cover its label (it is drawn as any item then).
std::vector<LabelRun> LabelRuns(const QModelIndex& Index, const QColor& Base);

// The tree's delegate. It draws each part of a label in its kind's colour; a selected row
// keeps the selection's text colour (the kinds' colours are made for the background), and
// everything else (background, selection, focus frame) is the style's. It lets an edit hold
// the whole label: a line edit stops at 32767 units by default. A host key typed into the
// editor ends the edit unchanged and then goes where it would have gone from the tree: an edit
// started by a slow second click must not keep the user from Esc or N.
class LabelDelegate final : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
             const QModelIndex& Index) const override;
  QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                        const QModelIndex& Index) const override;

protected:
  bool eventFilter(QObject* Object, QEvent* Event) override;
};

} // namespace tkqt
