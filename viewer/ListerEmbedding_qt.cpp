#include "viewer/ListerEmbedding_qt.h"

#include "viewer/ListerProtocol.h"
#include "viewer/PluginMessage.h"
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

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

namespace {

// The plugin's state: the toolkit's application object, made at the first load, and the live
// viewers by their widgets (the list that finds a viewer whatever the host did to its widget).
class PluginState {
public:
  tkqt::QtApplication& App() {
    if (!app_)
      app_ = std::make_unique<tkqt::QtApplication>();
    return *app_;
  }
  tkqt::QtApplication* Existing() const noexcept { return app_.get(); }

  void Register(const QWidget* Window, TfmMain& Viewer) { live_.push_back({Window, &Viewer}); }
  // The viewer registered for Window; nullptr when there is none.
  TfmMain* Find(const void* Window) const noexcept {
    for (const LiveViewer& live : live_)
      if (live.Window == Window)
        return live.Viewer;
    return nullptr;
  }
  // Takes the viewer registered for Window out of the list; nullptr when there is none.
  TfmMain* Take(const void* Window) noexcept {
    const auto found = std::find_if(live_.begin(), live_.end(), [Window](const LiveViewer& live) {
      return live.Window == Window;
    });
    if (found == live_.end())
      return nullptr;
    TfmMain* viewer = found->Viewer;
    live_.erase(found);
    return viewer;
  }

  // Destroys Viewer from the event loop, once none of the plugin's handlers runs.
  void DestroyLater(std::unique_ptr<tk::OwnedWindow> Viewer) {
    doomed_.push_back(std::move(Viewer));
    QueueReap(0);
  }

private:
  struct LiveViewer {
    const void* Window;
    TfmMain* Viewer;
  };

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
  std::vector<LiveViewer> live_;
  std::vector<std::unique_ptr<tk::OwnedWindow>> doomed_;
  QPointer<QTimer> reaper_;
};

// Never destroyed: at the end of the process the host's QApplication and its widgets are gone
// before static objects would be, and nothing may touch them then.
PluginState& State() {
  static auto* const state = new PluginState();
  return *state;
}

// The application-wide exception handler, bound to Viewer. The binding outlives the viewer,
// so it keeps only the viewer's address and acts for it only while the application still owns
// a viewer there; otherwise it reports without an owner window and never touches the object.
tk::ExceptionHandler HandlerBoundTo(tk::Application& App, TfmMain& Viewer) {
  const tk::OwnedWindow* key = &Viewer;
  return [&App, key](const std::exception& E) {
    if (App.IsOwned(key)) {
      if (auto* viewer = dynamic_cast<TfmMain*>(const_cast<tk::OwnedWindow*>(key))) {
        viewer->HandleAppException(E);
        return;
      }
    }
    ShowPluginMessage(App, tk::NoWindow, ReportText(u"Plugin Error:", E));
  };
}

void Report(tk::Application* App, tk::NativeWindow Owner, std::u16string_view Prefix,
            const std::exception& E) noexcept {
  if (!App)
    return;
  try {
    ShowPluginMessage(*App, Owner, ReportText(Prefix, E));
  } catch (...) {
    // Nothing is left to report with.
  }
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

void Teardown(TfmMain* Viewer, bool Later) noexcept {
  tkqt::QtApplication* app = State().Existing();
  if (!app)
    return;
  try {
    std::unique_ptr<tk::OwnedWindow> owned = app->RemoveOwned(Viewer);
    app->SetOwnerWindow(tk::NoWindow);
    if (!owned)
      return;
    if (Later)
      State().DestroyLater(std::move(owned));
    else
      owned.reset();
  } catch (const std::exception& e) {
    Report(app, tk::NoWindow, u"DestroyWindow error:", e);
  } catch (...) {
    Report(app, tk::NoWindow, u"DestroyWindow error:", tk::ToolkitError("Unknown exception"));
  }
}

// The host destroyed the viewer's widget (with its container, say) before closing it.
void OnWindowGone(const QWidget* Window) noexcept {
  if (TfmMain* viewer = State().Take(Window))
    // Later always: this runs inside the widget's destruction, inside the viewer's own form.
    Teardown(viewer, true);
}

QWidget* CreateViewer(tkqt::QtApplication& App, QWidget& Lister, const std::u16string& FileToLoad,
                      int ShowFlags) {
  std::unique_ptr<TfmMain> created = TfmMain::CreateParented(App, tkqt::NativeOf(&Lister));
  // In this host the lister window always has a parent; what counts is where it sits.
  created->QuickView = InQuickViewPanel(Lister);
  created->uFileToView = FileToLoad;
  created->ApplyShowFlags(ShowFlags);
  // The show handler loads and presents the file; its failures go to the exception handler,
  // and the viewer is still returned.
  created->Show();
  App.SetOwnerWindow(tkqt::NativeOf(&Lister));
  App.SetExceptionHandler(HandlerBoundTo(App, *created));

  TfmMain& viewer = *created;
  tkqt::QtForm& form = tkqt::AsQt(viewer.Window());
  QWidget* window = form.Widget();
  if (!window)
    throw tk::ToolkitError("The viewer window is gone");
  App.AddOwned(std::move(created));
  try {
    State().Register(window, viewer);
  } catch (...) {
    App.RemoveOwned(&viewer);
    throw;
  }
  form.SetWidgetGoneHandler([window] { OnWindowGone(window); });

  // In the quick-view panel the focus stays with the file manager's panels, and Esc is the
  // file manager's business: it must never close the main window.
  const QPointer<QWidget> self = window;
  const bool quickView = viewer.QuickView;
  form.SetHostKeyHandler(
      [self, quickView](const QKeyEvent& Event) { return PassKeyToHost(self, quickView, Event); });
  if (!viewer.QuickView) {
    // Once the host has placed the widget. A queued call dies with its receiver.
    QMetaObject::invokeMethod(window, "setFocus", Qt::QueuedConnection);
  }
  return window;
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

QWidget* CreateListerWindow(void* ListerWin, const std::u16string& FileToLoad,
                            int ShowFlags) noexcept {
  // Widgets can only be made on the thread of a QApplication: anywhere else, no viewer.
  if (!tkqt::WidgetsUsableHere())
    return nullptr;
  tkqt::QtApplication* app = nullptr;
  const auto lister = reinterpret_cast<tk::NativeWindow>(ListerWin);
  try {
    app = &State().App();
    QWidget* parent = tkqt::LiveWidget(lister);
    if (!parent)
      throw tk::ToolkitError("The lister window is not a widget of this program");
    return CreateViewer(*app, *parent, FileToLoad, ShowFlags);
  } catch (const std::exception& e) {
    Report(app, tkqt::LiveWidget(lister) ? lister : tk::NoWindow, u"Open error:", e);
  } catch (...) {
    Report(app, tkqt::LiveWidget(lister) ? lister : tk::NoWindow, u"Open error:",
           tk::ToolkitError("Unknown exception"));
  }
  return nullptr;
}

void DestroyListerWindow(void* Window) noexcept {
  TfmMain* viewer = State().Take(Window);
  if (!viewer)
    return;
  tkqt::QtApplication* app = State().Existing();
  // While one of the viewer's own handlers runs (a message box of it waiting, say), the viewer
  // goes once that handler is done; until then it is out of sight.
  const bool later = app && app->Delivering();
  if (later)
    if (QWidget* widget = tkqt::AsQt(viewer->Window()).Widget())
      widget->hide();
  Teardown(viewer, later);
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

int LoadNextInListerWindow(void* Window, const std::u16string& FileToLoad, int ShowFlags) noexcept {
  TfmMain* viewer = State().Find(Window);
  return viewer ? viewer->AnswerLoadNext(FileToLoad, ShowFlags) : LISTPLUGIN_ERROR;
}

int SearchInListerWindow(void* Window, std::u16string_view Text, int SearchParameter) noexcept {
  TfmMain* viewer = State().Find(Window);
  return viewer ? viewer->AnswerSearchText(Text, SearchParameter) : LISTPLUGIN_ERROR;
}

int CommandToListerWindow(void* Window, int Command, int Parameter) noexcept {
  TfmMain* viewer = State().Find(Window);
  return viewer ? viewer->AnswerSendCommand(Command, Parameter) : LISTPLUGIN_ERROR;
}
