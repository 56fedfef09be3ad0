#ifdef _WIN32

#include "viewer/ListerEmbedding_win.h"

#include "viewer/LeakReport.h"
#include "viewer/PluginMessage.h"
#include "viewer/ViewerMain.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/Win32Application_win.h"
#include "json/UJSON.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

namespace {

// The plugin's one piece of state: the toolkit's application object, made at the first load
// and gone when the DLL is unloaded.
class PluginState {
public:
  PluginState() = default;
  PluginState(const PluginState&) = delete;
  PluginState& operator=(const PluginState&) = delete;
  ~PluginState() = default;

  tkwin::Win32Application& App() {
    if (!app_)
      app_ = std::make_unique<tkwin::Win32Application>();
    return *app_;
  }
  tkwin::Win32Application* Existing() const noexcept { return app_.get(); }

  void ShutDown() noexcept {
    if (!app_)
      return;
    const bool reportLeaks = app_->LeakReportEnabled();
    // While app_ still names the application: each viewer's teardown looks it up to unregister.
    app_->DestroyOwnedWindows();
    app_.reset();
    if (reportLeaks)
      ReportLeaks();
  }

  // At process termination the system reclaims everything; the windows and the other DLLs
  // may be half gone, so the application object is deliberately not destroyed.
  void Abandon() noexcept { static_cast<void>(app_.release()); }

private:
  static void ReportLeaks() noexcept {
    try {
      if (const std::optional<std::u16string> text = LeakReportText(JSONInstanceCount))
        ::MessageBoxW(nullptr, tkwin::WidePointer(*text),
                      reinterpret_cast<const wchar_t*>(LeakReportCaption),
                      MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
      // Nothing is left to report with.
    }
  }

  std::unique_ptr<tkwin::Win32Application> app_;
};

PluginState& State() noexcept {
  static PluginState state;
  return state;
}

// The application-wide exception handler, bound to Viewer. The binding outlives the viewer,
// so it keeps only the viewer's address and acts for it only while the application still owns
// a viewer there; otherwise it reports without an owner window and never touches the object.
tk::ExceptionHandler HandlerBoundTo(tk::Application& App, TfmMain& Viewer) {
  const auto key = reinterpret_cast<std::uintptr_t>(static_cast<const tk::OwnedWindow*>(&Viewer));
  return [&App, key](const std::exception& E) {
    const auto* owned = reinterpret_cast<const tk::OwnedWindow*>(key);
    if (App.IsOwned(owned)) {
      if (auto* viewer = dynamic_cast<TfmMain*>(const_cast<tk::OwnedWindow*>(owned))) {
        viewer->HandleAppException(E);
        return;
      }
    }
    ShowPluginMessage(App, tk::NoWindow, ReportText(u"Plugin Error:", E));
  };
}

// A report when even the toolkit's message box cannot be used.
void LastResortReport(HWND Owner, const wchar_t* Text) noexcept {
  ::MessageBoxW(Owner && ::IsWindow(Owner) ? Owner : nullptr, Text, L"Message",
                MB_OK | MB_ICONINFORMATION);
}

void Report(tk::Application& App, HWND Owner, std::u16string_view Prefix,
            const std::exception& E) noexcept {
  try {
    ShowPluginMessage(App, tkwin::FromHwnd(Owner), ReportText(Prefix, E));
  } catch (...) {
    LastResortReport(Owner, reinterpret_cast<const wchar_t*>(std::u16string(Prefix).c_str()));
  }
}

// The window property that leads from a viewer window to its record. The file manager
// subclasses the window that ListLoad returns and may keep its own data in the user-data slot;
// neither changes a property of ours.
constexpr wchar_t kRecordProperty[] = L"Treskal.TSubclassInfo";

// The record of a viewer window whose record still exists, or nullptr: a window that ListLoad
// never returned, or one whose record went with its WM_NCDESTROY.
TSubclassInfo* RecordOf(HWND Window) noexcept {
  if (!Window || !::IsWindow(Window) ||
      ::GetWindowThreadProcessId(Window, nullptr) != ::GetCurrentThreadId())
    return nullptr;
  return static_cast<TSubclassInfo*>(::GetPropW(Window, kRecordProperty));
}

void ReleaseRecord(HWND Window, TSubclassInfo* Record) noexcept {
  ::RemovePropW(Window, kRecordProperty);
  // A host may have put its own value there; only ours is cleared.
  if (::GetWindowLongPtrW(Window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(Record))
    ::SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
  const std::unique_ptr<TSubclassInfo> owned(Record);
}

HWND CreateViewer(tkwin::Win32Application& App, HWND ListerWin, const std::u16string& FileToLoad) {
  std::unique_ptr<TfmMain> created = TfmMain::CreateParented(App, tkwin::FromHwnd(ListerWin));
  created->uFileToView = FileToLoad;
  // The show handler loads and presents the file; its failures go to the exception handler,
  // and the viewer is still returned.
  created->Show();
  App.SetOwnerWindow(tkwin::FromHwnd(ListerWin));
  App.SetExceptionHandler(HandlerBoundTo(App, *created));
  TfmMain& viewer = *created;
  App.AddOwned(std::move(created));

  const HWND window = tkwin::ToHwnd(viewer.Handle());
  auto record = std::make_unique<TSubclassInfo>();
  if (!::SetPropW(window, kRecordProperty, record.get()))
    throw tk::ToolkitError("Cannot attach the viewer to its window");
  ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record.get()));
  record->Form = &viewer;
  record->OldWndProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PluginWndProc)));
  // The window property owns the record from here on.
  static_cast<void>(record.release());

  // Posted after the subclassing, so it passes through PluginWndProc. In the quick-view panel
  // the focus stays with the file manager's panels.
  if (!viewer.QuickView)
    ::PostMessageW(window, WM_SETFOCUS, 0, 0);
  return window;
}

// The teardown of the viewer behind Record, run once: the first route to get here (the host's
// ListCloseWindow, the window's WM_DESTROY or WM_NCDESTROY, the DLL's unload) empties Form,
// and every later one finds it empty.
void TearDown(HWND Window, TSubclassInfo& Record) noexcept {
  TfmMain* const form = std::exchange(Record.Form, nullptr);
  if (!form)
    return;
  // From now on the user-data slot leads nowhere.
  if (::GetWindowLongPtrW(Window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(&Record))
    ::SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
  tkwin::Win32Application* app = State().Existing();
  try {
    // Empty when the application object is destroying this viewer itself (DLL unload): then
    // it is not destroyed a second time here.
    std::unique_ptr<tk::OwnedWindow> viewer = app ? app->RemoveOwned(form) : nullptr;
    if (app)
      app->SetOwnerWindow(tk::NoWindow);
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(Window, GWLP_WNDPROC)) == &PluginWndProc) {
      // Ours is on top: restored before the viewer goes, so the WM_DESTROY of its destruction
      // reaches the window's own procedure, and the record has no more use.
      ::SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Record.OldWndProc));
      ReleaseRecord(Window, &Record);
    }
    // Otherwise a procedure installed after ours still calls PluginWndProc, and restoring
    // would cut it off: the chain stays as it is, PluginWndProc passes every message on, and
    // the record goes at WM_NCDESTROY. Destroying the viewer destroys the window, so that
    // comes before this returns.
    viewer.reset();
  } catch (const std::exception& e) {
    if (app)
      Report(*app, nullptr, u"DestroyWindow error:", e);
  } catch (...) {
    if (app)
      Report(*app, nullptr, u"DestroyWindow error:", tk::ToolkitError("Unknown exception"));
  }
}

} // namespace

HWND CreateListerWindow(HWND ListerWin, const std::u16string& FileToLoad, int ShowFlags) noexcept {
  static_cast<void>(ShowFlags); // every value of the show flags gives the same viewer
  tkwin::Win32Application* app = nullptr;
  try {
    app = &State().App();
    return CreateViewer(*app, ListerWin, FileToLoad);
  } catch (const std::exception& e) {
    if (app)
      Report(*app, ListerWin, u"Open error:", e);
    else
      LastResortReport(ListerWin, L"Open error:");
  } catch (...) {
    if (app)
      Report(*app, ListerWin, u"Open error:", tk::ToolkitError("Unknown exception"));
    else
      LastResortReport(ListerWin, L"Open error:");
  }
  return nullptr;
}

void DestroyListerWindow(HWND Window) noexcept {
  if (TSubclassInfo* const record = RecordOf(Window))
    TearDown(Window, *record);
}

LRESULT CALLBACK PluginWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  try {
    TSubclassInfo* const record = RecordOf(Window);
    if (!record) {
      // No record (a teardown that stopped half way): the window keeps its class's behaviour.
      const auto classProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(Window, GCLP_WNDPROC));
      return classProc ? ::CallWindowProcW(classProc, Window, Message, WParam, LParam)
                       : ::DefWindowProcW(Window, Message, WParam, LParam);
    }
    const WNDPROC next = record->OldWndProc;
    if (Message == WM_DESTROY && record->Form) {
      // The system is destroying the window: the viewer's destruction must leave it alone.
      tkwin::NoteWindowDestroying(Window);
      TearDown(Window, *record);
      return 0;
    }
    if (Message == WM_NCDESTROY) {
      // The window's last message. A procedure above ours that kept WM_DESTROY to itself
      // leaves the teardown to this point.
      if (record->Form) {
        tkwin::NoteWindowDestroying(Window);
        TearDown(Window, *record);
      }
      if (TSubclassInfo* const left = RecordOf(Window))
        ReleaseRecord(Window, left);
    }
    // Read before the call: the message may end the viewer, and its record with it.
    return ::CallWindowProcW(next, Window, Message, WParam, LParam);
  } catch (...) {
    // Nothing may unwind into the system's frames.
    return 0;
  }
}

std::u16string FileNameFromAnsi(const char* FileName) {
  if (!FileName || !*FileName)
    return std::u16string();
  const UINT codePage = ::GetACP();
  const int units = ::MultiByteToWideChar(codePage, 0, FileName, -1, nullptr, 0);
  if (units <= 1)
    return std::u16string();
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(codePage, 0, FileName, -1, wide.data(), units);
  return tkwin::FromWide(wide.c_str(), static_cast<std::size_t>(units - 1));
}

std::u16string FileNameFromWide(const wchar_t* FileName) { return tkwin::FromWide(FileName); }

void ShutDownPlugin(bool ProcessTerminating) noexcept {
  if (ProcessTerminating)
    State().Abandon();
  else
    State().ShutDown();
}

#endif // _WIN32
