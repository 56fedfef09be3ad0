#include "viewer/qt/QtForm_qt.h"

#include "viewer/qt/QtApplication_qt.h"
#include "viewer/qt/QtColours_qt.h"
#include "viewer/qt/QtText_qt.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFont>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <span>
#include <type_traits>
#include <utility>
#include <variant>

namespace tkqt {

namespace {

// Dropped names on their way to the form, delivered from the event loop.
class QueuedDrop final : public QEvent {
public:
  static constexpr Type Kind = static_cast<Type>(User + 1);
  explicit QueuedDrop(std::vector<std::u16string> Dropped)
      : QEvent(Kind), Names(std::move(Dropped)) {}
  std::vector<std::u16string> Names;
};

QFont FormFont(const tk::FontDescription& Font, QFont Base, double Scale) {
  if (!Font.Name.empty())
    Base.setFamily(ToQString(Font.Name));
  if (Font.Height > 0)
    Base.setPixelSize(std::max(1, static_cast<int>(std::lround(Font.Height * Scale))));
  Base.setBold(Font.Bold);
  Base.setItalic(Font.Italic);
  Base.setUnderline(Font.Underline);
  Base.setStrikeOut(Font.StrikeOut);
  return Base;
}

} // namespace

// --- FormWidget ------------------------------------------------------------------------------

FormWidget::FormWidget(QWidget* Parent, QtForm& Form) : QWidget(Parent), form_(&Form) {}

FormWidget::~FormWidget() {
  // Runs before QWidget's own destructor, while every child is still whole.
  if (QtForm* form = std::exchange(form_, nullptr))
    form->WidgetGone();
}

std::vector<std::u16string> DroppedLocalFiles(const QMimeData& Data) {
  std::vector<std::u16string> names;
  for (const QUrl& url : Data.urls()) {
    if (!url.isLocalFile())
      continue;
    const QString name = url.toLocalFile();
    if (!name.isEmpty())
      names.push_back(FromQString(name));
  }
  return names;
}

// Nothing may leave an event handler into Qt's event loop: a drag whose names cannot even be
// held (out of memory) is refused.
void FormWidget::dragEnterEvent(QDragEnterEvent* Event) {
  bool accept = false;
  try {
    accept = form_ && form_->AcceptsDrops() && !DroppedLocalFiles(*Event->mimeData()).empty();
  } catch (...) {
    accept = false;
  }
  if (accept)
    Event->acceptProposedAction();
  else
    Event->ignore();
}

void FormWidget::dragMoveEvent(QDragMoveEvent* Event) {
  if (form_ && form_->AcceptsDrops())
    Event->acceptProposedAction();
  else
    Event->ignore();
}

void FormWidget::dropEvent(QDropEvent* Event) {
  try {
    std::vector<std::u16string> names = DroppedLocalFiles(*Event->mimeData());
    if (!form_ || !form_->AcceptsDrops() || names.empty()) {
      Event->ignore();
      return;
    }
    // Loaded once the drag has ended: a large file must not hold the other program's drag.
    auto queued = std::make_unique<QueuedDrop>(std::move(names));
    Event->acceptProposedAction();
    QCoreApplication::postEvent(this, queued.release());
  } catch (...) {
    Event->ignore();
  }
}

void FormWidget::customEvent(QEvent* Event) {
  if (Event->type() != QueuedDrop::Kind || !form_)
    return;
  form_->DeliverDrop(std::move(static_cast<QueuedDrop*>(Event)->Names));
}

// --- QtForm: construction and lifecycle -----------------------------------------------------

QtForm::QtForm(QtApplication& App, QWidget* Parent, tk::FormDescription Description)
    : FormControls(std::move(Description)), app_(App), parent_(Parent),
      hasParent_(Parent != nullptr), caption_(this->Description().Caption) {
  for (const tk::ControlDescription& control : this->Description().Controls)
    std::visit(
        [this](const auto& Control) {
          using Kind = std::decay_t<decltype(Control)>;
          if constexpr (std::is_same_v<Kind, tk::TreeViewDescription>) {
            trees_[Control.Name] =
                std::make_unique<QtTreeView>(app_, Control, [this] { EnsureWidget(); });
          } else if constexpr (std::is_same_v<Kind, tk::StatusBarDescription>) {
            statusBars_[Control.Name] = std::make_unique<QtStatusBar>(Control);
          } else if constexpr (std::is_same_v<Kind, tk::OpenDialogDescription>) {
            dialogs_[Control.Name] = std::make_unique<QtOpenDialog>(Control);
          } else if constexpr (std::is_same_v<Kind, tk::ToolBarDescription>) {
            toolBars_[Control.Name] = std::make_unique<QtToolBar>(Control);
            for (const tk::ToolItemDescription& item : Control.Items)
              if (item.Kind == tk::ToolItemKind::EditBox)
                editBoxes_[item.Name] = std::make_unique<QtEditBox>(item);
          }
          // Image lists are read when the tool bars are made.
        },
        control);
}

QtForm::~QtForm() { Destroy(); }

void QtForm::Deliver(const std::function<void()>& Action) noexcept { app_.Deliver(Action); }

void QtForm::ShowNativeWindow() { EnsureWidget().show(); }

void QtForm::DestroyNativeWindow() noexcept {
  if (FormWidget* widget = std::exchange(widget_, nullptr)) {
    widget->Detach();
    DetachControls();
    widget->hide();
    // Later: this may run inside one of the widget's own event handlers.
    widget->deleteLater();
  }
}

void QtForm::WidgetGone() noexcept {
  // Destroyed from outside (with its parent, say): the form stays, the widget does not come
  // back.
  widget_ = nullptr;
  lost_ = !Destroyed();
  StopAcceptingDrops();
  DetachControls();
  if (std::function<void()> handler = std::exchange(onWidgetGone_, nullptr)) {
    try {
      handler();
    } catch (...) {
      // Inside a destructor nothing may leave.
    }
  }
}

// --- the widget ------------------------------------------------------------------------------

bool QtForm::FillsParent() const noexcept {
  return hasParent_ && (Description().Style & tk::WsMaximize) != 0;
}

double QtForm::Scale() const {
  // Sizes are given for the description's pixels per inch.
  if (!widget_ || Description().PixelsPerInch <= 0)
    return 1.0;
  return static_cast<double>(widget_->logicalDpiY()) / Description().PixelsPerInch;
}

FormWidget& QtForm::EnsureWidget() {
  if (Destroyed() || lost_)
    throw tk::ToolkitError("The window has been destroyed");
  if (!widget_)
    CreateWidget();
  return *widget_;
}

void QtForm::CreateWidget() {
  QWidget* parent = parent_.data();
  if (hasParent_ && !parent)
    throw tk::ToolkitError("The parent window has been destroyed");
  widget_ = new FormWidget(parent, *this);
  FormWidget& widget = *widget_;
  try {
    widget.setObjectName(QString::fromStdString(Description().Name));
    widget.setWindowTitle(ToQString(caption_));
    widget.setBackgroundRole(QPalette::Button);
    widget.setAutoFillBackground(true);
    const double scale = Scale();
    const QFont font = FormFont(Description().Font, widget.font(), scale);

    auto* layout = new QVBoxLayout(&widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    std::map<std::string, const tk::ImageListDescription*, std::less<>> images;
    std::map<std::string, QtEditBox*, std::less<>> editBoxes;
    for (const tk::ControlDescription& control : Description().Controls)
      if (const auto* list = std::get_if<tk::ImageListDescription>(&control))
        images.emplace(list->Name, list);
    for (const auto& [name, edit] : editBoxes_)
      editBoxes.emplace(name, edit.get());
    const QtToolBar::Delivery deliver = [app = &app_,
                                         alive = Lifetime()](const tk::NotifyEvent& Event) {
      if (!alive.Expired())
        app->Deliver(tk::NotifyEvent(Event));
    };

    // Edges in description order, a hidden control taking no room; the rest fills the middle.
    std::vector<QWidget*> top;
    std::vector<QWidget*> bottom;
    QWidget* client = nullptr;
    for (const tk::ControlDescription& control : Description().Controls) {
      if (const auto* bar = std::get_if<tk::ToolBarDescription>(&control)) {
        QToolBar* made =
            toolBars_.at(bar->Name)->Create(&widget, scale, images, editBoxes, deliver);
        (bar->Alignment == tk::Align::Bottom ? bottom : top).push_back(made);
      } else if (const auto* status = std::get_if<tk::StatusBarDescription>(&control)) {
        QStatusBar* made = statusBars_.at(status->Name)->Create(&widget, scale, deliver);
        (status->Alignment == tk::Align::Top ? top : bottom).push_back(made);
      } else if (const auto* tree = std::get_if<tk::TreeViewDescription>(&control)) {
        TreeWidget* made = trees_.at(tree->Name)->Create(&widget, &font, scale);
        if (!client)
          client = made;
        widget.setFocusProxy(made);
      }
    }
    for (QWidget* edge : top)
      layout->addWidget(edge);
    if (client)
      layout->addWidget(client, 1);
    else
      layout->addStretch(1);
    for (auto it = bottom.rbegin(); it != bottom.rend(); ++it)
      layout->addWidget(*it);

    ApplyColours();
    if (FillsParent()) {
      // Maximised at creation: the host moves and sizes it from then on.
      widget.setGeometry(parent->rect());
    } else {
      widget.resize(static_cast<int>(std::lround(Description().ClientWidth * scale)),
                    static_cast<int>(std::lround(Description().ClientHeight * scale)));
      QPoint at(Description().Left, Description().Top);
      if (Description().Position == tk::FormPosition::ScreenCenter) {
        const QRect area = parent ? parent->rect()
                                  : (widget.screen() ? widget.screen()->availableGeometry()
                                                     : QRect(QPoint(0, 0), widget.size()));
        at = QPoint(area.left() + std::max(0, (area.width() - widget.width()) / 2),
                    area.top() + std::max(0, (area.height() - widget.height()) / 2));
      }
      widget.move(at);
    }
  } catch (...) {
    FormWidget* failed = std::exchange(widget_, nullptr);
    failed->Detach();
    DetachControls();
    delete failed;
    throw;
  }
}

// --- properties and controls -----------------------------------------------------------------

tk::NativeWindow QtForm::Handle() { return NativeOf(&EnsureWidget()); }

void QtForm::RegisterForDrops(bool Accept) { EnsureWidget().setAcceptDrops(Accept); }

void QtForm::SetColourScheme(tk::ColourScheme Scheme) {
  scheme_ = Scheme;
  ApplyColours();
}

void QtForm::ApplyColours() {
  for (const auto& [name, tree] : trees_)
    tree->SetColourScheme(scheme_);
  if (!widget_)
    return;
  widget_->setPalette(SchemePalette(scheme_));
  for (const auto& [name, status] : statusBars_)
    if (QLabel* panel = status->Panel())
      if (QWidget* bar = panel->parentWidget()) {
        bar->setPalette(SchemePalette(scheme_));
        bar->setAutoFillBackground(tk::IsDark(scheme_));
      }
}

void QtForm::SetHostKeyHandler(const QtTreeView::HostKeyHandler& Handler) {
  for (const auto& [name, tree] : trees_)
    tree->SetHostKeyHandler(Handler);
}

void QtForm::SetCaption(std::u16string_view Caption) {
  caption_.assign(Caption);
  if (widget_)
    widget_->setWindowTitle(ToQString(caption_));
}

void QtForm::DeliverDrop(std::vector<std::u16string> Names) noexcept {
  if (Names.empty() || !AcceptsDrops())
    return;
  // From the event loop: whatever fails goes to the application's exception handling.
  app_.Guard([&] {
    RaiseDropFiles(tk::DroppedFiles(std::make_unique<tk::NameListDrop>(std::move(Names))));
  });
}

QtTreeView& QtForm::Tree(std::string_view Name) { return trees_.Find(Name); }
QtStatusBar& QtForm::Status(std::string_view Name) { return statusBars_.Find(Name); }

QtForm& AsQt(tk::Form& Form) {
  if (auto* form = dynamic_cast<QtForm*>(&Form))
    return *form;
  throw tk::ToolkitError("Not a Qt form");
}

} // namespace tkqt
