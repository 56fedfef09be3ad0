#include "viewer/qt/ListerEmbedding_qt.h"

#include "viewer/ListerHost.h"
#include "viewer/ViewerMain.h"
#include "viewer/qt/QtApplication_qt.h"
#include "viewer/qt/QtForm_qt.h"
#include "viewer/qt/QtText_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// The Qt side of the host layer: the toolkit's application object, made at the first load, and
// the viewers waiting to be destroyed once none of the plugin's handlers runs.
class QtEmbedding final : public ListerEmbedding {
public:
  tk::Application& App() override { return QtApp(); }
  tk::Application* ExistingApp() const noexcept override { return app_.get(); }
  bool CanCreateViewers() const noexcept override {
    // Widgets can only be made on the thread of a QApplication: anywhere else, no viewer.
    return tkqt::WidgetsUsableHere();
  }
  // The address is only compared, so a stale one is safe.
  bool Reachable(tk::NativeWindow Window) const noexcept override { return Window != tk::NoWindow; }
  void CheckLister(tk::NativeWindow Lister) override {
    if (!tkqt::LiveWidget(Lister))
      throw tk::ToolkitError("The lister window is not a widget of this program");
  }
  bool InQuickView(tk::NativeWindow Lister, bool HasParent) override {
    // In this host the lister window always has a parent; what counts is where it sits.
    static_cast<void>(HasParent);
    QWidget* lister = tkqt::LiveWidget(Lister);
    return lister && InQuickViewPanel(*lister);
  }
  tk::NativeWindow WindowOf(TfmMain& Viewer) override {
    QWidget* window = tkqt::AsQt(Viewer.Window()).Widget();
    if (!window)
      throw tk::ToolkitError("The viewer window is gone");
    return tkqt::NativeOf(window);
  }
  void Attach(TfmMain& Viewer, tk::NativeWindow Window) override;
  void Unhook(tk::NativeWindow Window) noexcept override {
    // The form's own hooks go with the form.
    static_cast<void>(Window);
  }
  void Dispose(std::unique_ptr<tk::OwnedWindow> Viewer, TeardownRoute Route) override;
  tk::NativeWindow ReportOwner(tk::NativeWindow Lister) const noexcept override {
    try {
      return tkqt::LiveWidget(Lister) ? Lister : tk::NoWindow;
    } catch (...) {
      return tk::NoWindow;
    }
  }
  void LastResortReport(tk::NativeWindow Owner, std::u16string_view Prefix) noexcept override {
    // Nothing is left to report with.
    static_cast<void>(Owner);
    static_cast<void>(Prefix);
  }

private:
  tkqt::QtApplication& QtApp() {
    if (!app_)
      app_ = std::make_unique<tkqt::QtApplication>();
    return *app_;
  }

  // Destroys Viewer from the event loop, once none of the plugin's handlers runs.
  void DestroyLater(std::unique_ptr<tk::OwnedWindow> Viewer) {
    doomed_.push_back(std::move(Viewer));
    QueueReap(0);
  }

  void QueueReap(int Milliseconds) {
    if (!QCoreApplication::instance())
      return;
    if (!reaper_) {
      // One timer for the life of the host's application, which owns it.
      reaper_ = new QTimer(QCoreApplication::instance());
      reaper_->setSingleShot(true);
      QObject::connect(reaper_.data(), &QTimer::timeout, reaper_.data(), [this] { Reap(); });
    }
    if (!reaper_->isActive())
      reaper_->start(Milliseconds);
  }

  void Reap() noexcept {
    if (app_ && app_->Delivering()) {
      // A handler waits in a modal loop below us: try again shortly, without spinning.
      QueueReap(50);
      return;
    }
    std::vector<std::unique_ptr<tk::OwnedWindow>> doomed = std::move(doomed_);
    doomed_.clear();
    for (std::unique_ptr<tk::OwnedWindow>& viewer : doomed) {
      try {
        viewer.reset();
      } catch (...) {
        // The viewer's destruction reports its own failures; nothing may leave the loop.
      }
    }
  }

  std::unique_ptr<tkqt::QtApplication> app_;
  std::vector<std::unique_ptr<tk::OwnedWindow>> doomed_;
  QPointer<QTimer> reaper_;
};

// Never destroyed: at the end of the process the host's QApplication and its widgets are gone
// before static objects would be, and nothing may touch them then.
QtEmbedding& Embedding() {
  static auto* const embedding = new QtEmbedding();
  return *embedding;
}

} // namespace

// Qt lets this one function send an event as if it came from the window system (QCoreApplication
// names it a friend; Qt's own test library defines it the same way). Hidden like every symbol
// here, so it never meets another definition in the host.
bool qt_sendSpontaneousEvent(QObject* Receiver, QEvent* Event) {
  return QCoreApplication::sendSpontaneousEvent(Receiver, Event);
}

namespace {

// Hands one key to the host once the event loop runs again. The host takes keys only from the
// window system and only on its own widgets: the key goes to the lister window as such a key,
// with the focus there for the moment, and the focus comes back to the viewer afterwards. The
// relay has no parent: nothing but its own deleteLater may end it, since the host's find dialog
// runs a modal loop inside its handler.
class HostKeyRelay final : public QObject {
public:
  HostKeyRelay(QWidget& Lister, QWidget* Back, const QKeyEvent& Key)
      : lister_(&Lister), back_(Back), key_(Key.key()), modifiers_(Key.modifiers()),
        scanCode_(Key.nativeScanCode()), virtualKey_(Key.nativeVirtualKey()),
        nativeModifiers_(Key.nativeModifiers()) {}

protected:
  void customEvent(QEvent* Event) override {
    if (Event->type() != QEvent::User)
      return;
    deleteLater();
    const QPointer<QWidget> lister = lister_;
    const QPointer<QWidget> back = back_;
    if (!lister)
      return;
    lister->setFocus(Qt::OtherFocusReason);
    QWidget* receiver = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, key_, modifiers_, scanCode_, virtualKey_, nativeModifiers_);
    qt_sendSpontaneousEvent(receiver ? receiver : lister.data(), &press);
    if (back)
      back->setFocus(Qt::OtherFocusReason);
  }

private:
  QPointer<QWidget> lister_;
  QPointer<QWidget> back_;
  int key_;
  Qt::KeyboardModifiers modifiers_;
  quint32 scanCode_;
  quint32 virtualKey_;
  quint32 nativeModifiers_;
};

// What the viewer hands on to the host that the host's Qt build would never see. Esc closes the
// viewer window, the way the host's own Esc does, and F7 opens the host's find dialog. Both
// are queued: the close tears this viewer down, and neither may run while the key is still being
// handled. Every other key goes up to the parents, where the host's shortcuts find it.
bool PassKeyToHost(const QPointer<QWidget>& Viewer, bool QuickView, const QKeyEvent& Event) {
  QWidget* widget = Viewer.data();
  const Qt::KeyboardModifiers modifiers = Event.modifiers() & ~Qt::KeypadModifier;
  if (!widget || modifiers != Qt::NoModifier)
    return false;
  const QPointer<QWidget> window = widget->window();
  if (Event.key() == Qt::Key_Escape) {
    // In the quick-view panel the top-level window is the file manager's main window.
    if (QuickView)
      return false;
    QMetaObject::invokeMethod(window.data(), "close", Qt::QueuedConnection);
    return true;
  }
  if (Event.key() == Qt::Key_F7) {
    QWidget* lister = widget->parentWidget();
    if (!lister)
      return false;
    auto* relay = new HostKeyRelay(*lister, widget->focusWidget(), Event);
    QCoreApplication::postEvent(relay, new QEvent(QEvent::User));
    return true;
  }
  return false;
}

void QtEmbedding::Attach(TfmMain& Viewer, tk::NativeWindow Window) {
  tkqt::QtForm& form = tkqt::AsQt(Viewer.Window());
  // The widget WindowOf handed out as Window.
  QWidget* const window = form.Widget();
  if (!window)
    throw tk::ToolkitError("The viewer window is gone");
  // The host destroyed the viewer's widget (with its container, say) before closing it.
  form.SetWidgetGoneHandler([Window] { PluginHost().TearDown(Window, TeardownRoute::WindowGone); });

  // In the quick-view panel the focus stays with the file manager's panels, and Esc is the
  // file manager's business: it must never close the main window.
  const QPointer<QWidget> self = window;
  const bool quickView = Viewer.QuickView;
  form.SetHostKeyHandler(
      [self, quickView](const QKeyEvent& Event) { return PassKeyToHost(self, quickView, Event); });
  if (!Viewer.QuickView) {
    // Once the host has placed the widget. A queued call dies with its receiver.
    QMetaObject::invokeMethod(window, "setFocus", Qt::QueuedConnection);
  }
}

void QtEmbedding::Dispose(std::unique_ptr<tk::OwnedWindow> Viewer, TeardownRoute Route) {
  if (!Viewer)
    return;
  // Inside the widget's destruction (the host destroyed it), or while one of the viewer's own
  // handlers runs (a message box of it waiting, say), the viewer goes once that is done; until
  // then it is out of sight.
  if (Route == TeardownRoute::WindowGone) {
    DestroyLater(std::move(Viewer));
  } else if (app_ && app_->Delivering()) {
    if (auto* viewer = dynamic_cast<TfmMain*>(Viewer.get()))
      if (QWidget* widget = tkqt::AsQt(viewer->Window()).Widget())
        widget->hide();
    DestroyLater(std::move(Viewer));
  } else {
    Viewer.reset();
  }
}

} // namespace

bool InQuickViewPanel(const QWidget& ListerWin) {
  // Double Commander hands over a panel of its viewer form, and that form carries the file's
  // name as its window title. The viewer window shows the form as a window of its own; the
  // quick-view panel shows it inside the main window.
  for (const QWidget* up = ListerWin.parentWidget(); up; up = up->parentWidget())
    if (!up->windowTitle().isEmpty())
      return !up->isWindow();
  // Without a title to go by: the quick-view panel takes the place of a file panel, which sits
  // in the main window's notebook.
  for (const QWidget* up = ListerWin.parentWidget(); up; up = up->parentWidget())
    if (qobject_cast<const QTabWidget*>(up))
      return true;
  return false;
}

ListerHost& PluginHost() {
  static auto* const host = new ListerHost(Embedding());
  return *host;
}

std::u16string FileNameFromLocal(const char* FileName) {
  if (!FileName || !*FileName)
    return std::u16string();
  return tkqt::FromQString(QFile::decodeName(QByteArray(FileName)));
}

std::u16string TextFromLocal(const char* Text) {
  if (!Text || !*Text)
    return std::u16string();
  return tkqt::FromQString(QString::fromLocal8Bit(Text));
}

std::u16string TextFromUtf16(const uint16_t* Text) {
  if (!Text)
    return std::u16string();
  std::size_t length = 0;
  while (Text[length] != 0)
    ++length;
  return std::u16string(reinterpret_cast<const char16_t*>(Text), length);
}
