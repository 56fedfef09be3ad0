#include "viewer/qt/QtControls_qt.h"

#include "viewer/qt/QtApplication_qt.h"
#include "viewer/qt/QtText_qt.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSizePolicy>
#include <QStatusBar>
#include <QStringList>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace tkqt {

namespace {

int Scaled(int Pixels, double Scale) { return static_cast<int>(std::lround(Pixels * Scale)); }

} // namespace

QIcon IconOf(const tk::Picture& Picture) {
  if (Picture.Width <= 0 || Picture.Height <= 0 ||
      Picture.Pixels.size() < static_cast<std::size_t>(Picture.Width) * Picture.Height)
    return QIcon();
  QImage image(Picture.Width, Picture.Height, QImage::Format_ARGB32);
  for (int y = 0; y < Picture.Height; ++y)
    for (int x = 0; x < Picture.Width; ++x)
      image.setPixel(x, y, Picture.Transparent(x, y) ? 0u : (0xFF000000u | Picture.Colour(x, y)));
  return QIcon(QPixmap::fromImage(image));
}

QString OpenDialogFilter(const tk::OpenDialogDescription& Description) {
  QStringList filters;
  for (const tk::FileFilter& filter : Description.Filters) {
    // Several patterns are separated by ';' in the description and by blanks here.
    QString patterns = ToQString(filter.Pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << ToQString(filter.Description) + QStringLiteral(" (") + patterns.simplified() +
                   QStringLiteral(")");
  }
  return filters.join(QStringLiteral(";;"));
}

// --- status bar ------------------------------------------------------------------------------

// Raises the bar's resized event when one of its labels changes size.
class QtStatusBar::ResizeWatch final : public QObject {
public:
  ResizeWatch(tk::NotifyEvent OnResize, Delivery Deliver)
      : onResize_(std::move(OnResize)), deliver_(std::move(Deliver)) {}

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::Resize && onResize_ && deliver_)
      deliver_(onResize_);
    return QObject::eventFilter(Watched, Event);
  }

private:
  tk::NotifyEvent onResize_;
  Delivery deliver_;
};

QtStatusBar::QtStatusBar(tk::StatusBarDescription Description)
    : description_(std::move(Description)),
      texts_(std::max<std::size_t>(description_.Panels.size(), 1)) {}

QtStatusBar::~QtStatusBar() { Detach(); }

void QtStatusBar::SetPartText(std::size_t Part, std::u16string_view Text) {
  texts_[RequirePart(Part)].assign(Text);
  if (QLabel* panel = Panel(Part))
    panel->setText(ToQString(texts_[Part]));
}

int QtStatusBar::PartRoom(std::size_t Part) const {
  const QLabel* panel = Panel(RequirePart(Part));
  if (!panel)
    return 0;
  return std::max(panel->contentsRect().width() - 2 * panel->margin() - panel->indent(), 0);
}

int QtStatusBar::TextWidth(std::u16string_view Text) const {
  const QLabel* panel = Panel(0);
  const QFontMetrics metrics = panel ? panel->fontMetrics() : QFontMetrics(QFont());
  return metrics.horizontalAdvance(ToQString(Text));
}

QStatusBar* QtStatusBar::Create(QWidget* Parent, double Scale, Delivery Deliver) {
  Detach();
  auto* bar = new QStatusBar(Parent);
  bar->setObjectName(QString::fromStdString(description_.Name));
  bar->setSizeGripEnabled(false);
  if (description_.Height > 0)
    bar->setFixedHeight(Scaled(description_.Height, Scale));
  watch_ = std::make_unique<ResizeWatch>(description_.OnResize, std::move(Deliver));
  for (std::size_t part = 0; part < texts_.size(); ++part) {
    auto* panel = new QLabel(bar);
    // The status text is never markup, whatever it holds.
    panel->setTextFormat(Qt::PlainText);
    panel->setText(ToQString(texts_[part]));
    const bool last = part + 1 == texts_.size();
    const tk::StatusPanelDescription* shape =
        part < description_.Panels.size() ? &description_.Panels[part] : nullptr;
    if (shape && shape->Width > 0)
      panel->setMinimumWidth(Scaled(shape->Width, Scale));
    // Some room between one part's text and the next, as the native bar leaves.
    if (part > 0)
      panel->setContentsMargins(Scaled(12, Scale), 0, 0, 0);
    if (!(shape && shape->SizedToText))
      // Its text never widens it: the viewer fits the text to the label instead.
      panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The last panel takes the rest of the bar.
    bar->addWidget(panel, last ? 1 : 0);
    panel->installEventFilter(watch_.get());
    panels_.emplace_back(panel);
  }
  bar_ = bar;
  return bar;
}

void QtStatusBar::Detach() noexcept {
  for (const QPointer<QLabel>& panel : panels_)
    if (panel)
      panel->removeEventFilter(watch_.get());
  panels_.clear();
  bar_ = nullptr;
  watch_.reset();
}

// --- edit box --------------------------------------------------------------------------------

std::u16string QtEditBox::Text() const { return edit_ ? FromQString(edit_->text()) : text_; }

void QtEditBox::SetText(std::u16string_view Text) {
  text_.assign(Text);
  if (edit_)
    edit_->setText(ToQString(text_));
}

QLineEdit* QtEditBox::Create(QWidget* Parent, double Scale) {
  auto* edit = new QLineEdit(Parent);
  edit->setObjectName(QString::fromStdString(description_.Name));
  edit->setText(ToQString(text_));
  if (description_.Width > 0)
    edit->setFixedWidth(Scaled(description_.Width, Scale));
  edit_ = edit;
  return edit;
}

void QtEditBox::Detach() noexcept {
  if (edit_) {
    try {
      text_ = FromQString(edit_->text());
    } catch (...) {
      // The last text typed is lost; the one set before stays.
    }
  }
  edit_ = nullptr;
}

// --- tool bar --------------------------------------------------------------------------------

bool QtToolBar::Visible() const { return bar_ ? !bar_->isHidden() : description_.Visible; }

QToolBar*
QtToolBar::Create(QWidget* Parent, double Scale,
                  const std::map<std::string, const tk::ImageListDescription*, std::less<>>& Images,
                  const std::map<std::string, QtEditBox*, std::less<>>& EditBoxes,
                  const Delivery& Deliver) {
  auto* bar = new QToolBar(Parent);
  bar->setObjectName(QString::fromStdString(description_.Name));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setToolButtonStyle(description_.ShowCaptions ? Qt::ToolButtonTextBesideIcon
                                                    : Qt::ToolButtonIconOnly);
  if (description_.Height > 0)
    bar->setFixedHeight(Scaled(description_.Height, Scale));
  const auto images = Images.find(description_.Images);
  if (images != Images.end())
    bar->setIconSize(
        QSize(Scaled(images->second->Width, Scale), Scaled(images->second->Height, Scale)));
  for (const tk::ToolItemDescription& item : description_.Items) {
    switch (item.Kind) {
    case tk::ToolItemKind::Separator:
      bar->addSeparator();
      break;
    case tk::ToolItemKind::EditBox:
      if (const auto edit = EditBoxes.find(item.Name); edit != EditBoxes.end())
        bar->addWidget(edit->second->Create(bar, Scale));
      break;
    case tk::ToolItemKind::Button: {
      QAction* action = bar->addAction(QString());
      action->setObjectName(QString::fromStdString(item.Name));
      if (description_.ShowHints)
        action->setToolTip(ToQString(tk::TooltipOf(item.Hint)));
      if (images != Images.end() && item.ImageIndex >= 0 &&
          static_cast<std::size_t>(item.ImageIndex) < images->second->Pictures.size())
        action->setIcon(
            IconOf(images->second->Pictures[static_cast<std::size_t>(item.ImageIndex)]));
      const tk::NotifyEvent onClick = item.OnClick;
      QObject::connect(action, &QAction::triggered, bar, [Deliver, onClick] {
        if (onClick)
          Deliver(onClick);
      });
      break;
    }
    }
  }
  bar->setVisible(description_.Visible);
  bar_ = bar;
  return bar;
}

void QtToolBar::Detach() noexcept {
  if (bar_)
    for (QAction* action : bar_->actions())
      QObject::disconnect(action, nullptr, bar_, nullptr);
  bar_ = nullptr;
}

// --- open dialog -----------------------------------------------------------------------------

std::optional<std::u16string> QtOpenDialog::Execute(tk::NativeWindow Owner) {
  // A folder of another system ("C:\") does not exist here: the dialog then starts where
  // the process is.
  const QString folder = ToQString(description_.InitialDir);
  QFileDialog dialog(LiveWidget(Owner), QString(),
                     QDir(folder).exists() ? folder : QDir::currentPath(),
                     OpenDialogFilter(description_));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  const QStringList filters = dialog.nameFilters();
  const int selected = description_.FilterIndex - 1;
  if (selected >= 0 && selected < filters.size())
    dialog.selectNameFilter(filters.at(selected));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return FromQString(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

} // namespace tkqt
