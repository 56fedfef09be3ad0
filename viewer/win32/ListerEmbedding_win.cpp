#ifdef _WIN32

#include "viewer/win32/ListerEmbedding_win.h"

#include "viewer/LeakReport.h"
#include "viewer/ListerHost.h"
#include "viewer/ViewerMain.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/Win32Application_win.h"
#include "json/UJSON.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace {

// The window property that leads from a viewer window to its record. The file manager
// subclasses the window that ListLoad returns and may keep its own data in the user-data slot;
// neither changes a property of ours.
constexpr wchar_t kRecordProperty[] = L"Treskal.TSubclassInfo";

bool OnThisThread(HWND Window) noexcept {
  return Window && ::IsWindow(Window) &&
         ::GetWindowThreadProcessId(Window, nullptr) == ::GetCurrentThreadId();
}

// The record of a viewer window whose record still exists, or nullptr: a window that ListLoad
// never returned, or one whose record went with its WM_NCDESTROY.
TSubclassInfo* RecordOf(HWND Window) noexcept {
  if (!OnThisThread(Window))
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

// The Win32 side of the host layer: the toolkit's application object, made at the first load
// and gone when the DLL is unloaded, and the record and subclass of each viewer window.
class Win32Embedding final : public ListerEmbedding {
public:
  Win32Embedding() = default;
  ~Win32Embedding() override = default;

  tk::Application& App() override {
    if (!app_)
      app_ = std::make_unique<tkwin::Win32Application>();
    return *app_;
  }
  tk::Application* ExistingApp() const noexcept override { return app_.get(); }

  bool Reachable(tk::NativeWindow Window) const noexcept override {
    return OnThisThread(tkwin::ToHwnd(Window));
  }
  bool InQuickView(tk::NativeWindow Lister, bool HasParent) override {
    // The quick-view panel's lister window is a child of the file manager's main window.
    static_cast<void>(Lister);
    return HasParent;
  }
  tk::NativeWindow WindowOf(TfmMain& Viewer) override { return Viewer.Handle(); }

  void Attach(TfmMain& Viewer, tk::NativeWindow Handle) override {
    const HWND window = tkwin::ToHwnd(Handle);
    auto record = std::make_unique<TSubclassInfo>();
    if (!::SetPropW(window, kRecordProperty, record.get()))
      throw tk::ToolkitError("Cannot attach the viewer to its window");
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record.get()));
    record->Form = &Viewer;
    record->OldWndProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PluginWndProc)));
    // The window property owns the record from here on.
    static_cast<void>(record.release());

    // Posted after the subclassing, so it passes through PluginWndProc. In the quick-view panel
    // the focus stays with the file manager's panels.
    if (!Viewer.QuickView)
      ::PostMessageW(window, WM_SETFOCUS, 0, 0);
  }

  void Unhook(tk::NativeWindow Handle) noexcept override {
    const HWND window = tkwin::ToHwnd(Handle);
    TSubclassInfo* const record = RecordOf(window);
    if (!record)
      return;
    record->Form = nullptr;
    // From now on the user-data slot leads nowhere.
    if (::GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(record))
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) == &PluginWndProc) {
      // Ours is on top: restored before the viewer goes, so the WM_DESTROY of its destruction
      // reaches the window's own procedure, and the record has no more use.
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->OldWndProc));
      ReleaseRecord(window, record);
    }
    // Otherwise a procedure installed after ours still calls PluginWndProc, and restoring
    // would cut it off: the chain stays as it is, PluginWndProc passes every message on, and
    // the record goes at WM_NCDESTROY.
  }

  void Dispose(std::unique_ptr<tk::OwnedWindow> Viewer, TeardownRoute Route) override {
    // Destroying the viewer destroys the window, so that comes before the teardown returns.
    static_cast<void>(Route);
    Viewer.reset();
  }

  void LastResortReport(tk::NativeWindow Owner, std::u16string_view Prefix) noexcept override {
    const HWND owner = tkwin::ToHwnd(Owner);
    wchar_t text[64] = {};
    // Cut to the buffer: nothing here may allocate.
    const std::size_t length = std::min(Prefix.size(), std::size(text) - 1);
    for (std::size_t i = 0; i < length; ++i)
      text[i] = static_cast<wchar_t>(Prefix[i]);
    ::MessageBoxW(owner && ::IsWindow(owner) ? owner : nullptr, text, L"Message",
                  MB_OK | MB_ICONINFORMATION);
  }

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

Win32Embedding& Embedding() noexcept {
  static Win32Embedding embedding;
  return embedding;
}

} // namespace

ListerHost& PluginHost() {
  static ListerHost host(Embedding());
  return host;
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
      PluginHost().TearDown(tkwin::FromHwnd(Window), TeardownRoute::WindowGone);
      return 0;
    }
    if (Message == WM_NCDESTROY) {
      // The window's last message. A procedure above ours that kept WM_DESTROY to itself
      // leaves the teardown to this point.
      if (record->Form) {
        tkwin::NoteWindowDestroying(Window);
        PluginHost().TearDown(tkwin::FromHwnd(Window), TeardownRoute::WindowGone);
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

std::u16string TextFromAnsi(const char* Text) {
  if (!Text || !*Text)
    return std::u16string();
  const UINT codePage = ::GetACP();
  const int units = ::MultiByteToWideChar(codePage, 0, Text, -1, nullptr, 0);
  if (units <= 1)
    return std::u16string();
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(codePage, 0, Text, -1, wide.data(), units);
  return tkwin::FromWide(wide.c_str(), static_cast<std::size_t>(units - 1));
}

std::u16string TextFromWide(const wchar_t* Text) { return tkwin::FromWide(Text); }

void ShutDownPlugin(bool ProcessTerminating) noexcept {
  if (ProcessTerminating)
    Embedding().Abandon();
  else
    Embedding().ShutDown();
}

#endif // _WIN32
