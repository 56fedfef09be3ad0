#pragma once

#include "viewer/toolkit/Application.h"
#include "viewer/toolkit/Handles.h"

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The file manager's side of the viewer, the same for every platform: the record of live
// viewers, creating a viewer for a lister window, finding a window's viewer, the teardown that
// runs once whichever route comes first, the reports, and the answers to the host's calls.
// What differs per platform (how a window carries its record and tells of its destruction, the
// message box of last resort, keys handed to the host) sits behind ListerEmbedding, next to
// its toolkit. Everything runs on the host's user-interface thread.

class TfmMain;

// How a viewer's teardown was started.
enum class TeardownRoute {
  HostClosed, // ListCloseWindow
  WindowGone, // the viewer's window is being destroyed by other means
};

// What the host layer needs of one platform.
class ListerEmbedding {
public:
  virtual ~ListerEmbedding() = default;

  // The toolkit's application object, made on first need; ExistingApp is nullptr until then.
  virtual tk::Application& App() = 0;
  virtual tk::Application* ExistingApp() const noexcept = 0;
  // False where no viewer can be made at all (a thread without the toolkit): no report then.
  virtual bool CanCreateViewers() const noexcept { return true; }
  // Whether a call on this thread may reach a viewer through Window.
  virtual bool Reachable(tk::NativeWindow Window) const noexcept = 0;
  // Throws when Lister cannot take a viewer.
  virtual void CheckLister(tk::NativeWindow Lister) { static_cast<void>(Lister); }
  // Whether a viewer on Lister sits in the host's quick-view panel; HasParent is what the
  // viewer found (Lister has a parent window).
  virtual bool InQuickView(tk::NativeWindow Lister, bool HasParent) = 0;
  // The viewer's window, handed to the host; throws when there is none.
  virtual tk::NativeWindow WindowOf(TfmMain& Viewer) = 0;
  // Hooks the window of a viewer just registered, so that its destruction by any route tears
  // the viewer down, and gives it the focus where the host expects that.
  virtual void Attach(TfmMain& Viewer, tk::NativeWindow Window) = 0;
  // The teardown's last step before the viewer goes: the window's hooks come off.
  virtual void Unhook(tk::NativeWindow Window) noexcept = 0;
  // Destroys a viewer whose teardown has run, now or once its handlers are done.
  virtual void Dispose(std::unique_ptr<tk::OwnedWindow> Viewer, TeardownRoute Route) = 0;
  // The owner for a report about Lister: Lister, or NoWindow where it cannot own a box.
  virtual tk::NativeWindow ReportOwner(tk::NativeWindow Lister) const noexcept { return Lister; }
  // A report when even the toolkit's message box cannot be used.
  virtual void LastResortReport(tk::NativeWindow Owner, std::u16string_view Prefix) noexcept = 0;

protected:
  ListerEmbedding() = default;
  ListerEmbedding(const ListerEmbedding&) = delete;
  ListerEmbedding& operator=(const ListerEmbedding&) = delete;
};

class ListerHost {
public:
  explicit ListerHost(ListerEmbedding& Embedding) noexcept : embedding_(Embedding) {}
  ListerHost(const ListerHost&) = delete;
  ListerHost& operator=(const ListerHost&) = delete;

  // ListLoad: a viewer for Lister showing FileToLoad; its window, or NoWindow after an
  // "Open error:" report (or, without a report, where no viewer can be made).
  tk::NativeWindow CreateListerWindow(tk::NativeWindow Lister, const std::u16string& FileToLoad,
                                      int ShowFlags) noexcept;
  // ListCloseWindow: tears down the viewer behind Window. Does nothing for a window that holds
  // no live viewer: one torn down already, one ListLoad never returned, none at all.
  void DestroyListerWindow(tk::NativeWindow Window) noexcept;
  // The teardown of the viewer behind Window, run once: the first route to get here takes the
  // viewer out of the record, every later one finds nothing.
  void TearDown(tk::NativeWindow Window, TeardownRoute Route) noexcept;
  // The live viewer behind Window; nullptr for a window that is no live viewer's.
  TfmMain* LiveViewerOf(tk::NativeWindow Window) const noexcept;

  // The host's calls after ListLoad, answered as the viewer answers them; a window that holds
  // no live viewer gets LISTPLUGIN_ERROR.
  int LoadNextInListerWindow(tk::NativeWindow Window, const std::u16string& FileToLoad,
                             int ShowFlags) noexcept;
  int SearchInListerWindow(tk::NativeWindow Window, std::u16string_view Text,
                           int SearchParameter) noexcept;
  int SendCommandToListerWindow(tk::NativeWindow Window, int Command, int Parameter) noexcept;

  std::size_t LiveCount() const noexcept { return live_.size(); }

private:
  struct LiveViewer {
    tk::NativeWindow Window;
    TfmMain* Viewer;
  };

  tk::NativeWindow CreateViewer(tk::Application& App, tk::NativeWindow Lister,
                                const std::u16string& FileToLoad, int ShowFlags);
  // Takes the viewer recorded for Window out of the record; nullptr when there is none.
  TfmMain* Take(tk::NativeWindow Window) noexcept;
  void Report(tk::Application* App, tk::NativeWindow Owner, std::u16string_view Prefix,
              const std::exception& E) noexcept;

  ListerEmbedding& embedding_;
  std::vector<LiveViewer> live_;
};

// The application-wide exception handler, bound to Viewer. The binding outlives the viewer, so
// it keeps only the viewer's address and acts for it only while App still owns a viewer there;
// otherwise it reports without an owner window and never touches the object.
tk::ExceptionHandler HandlerBoundTo(tk::Application& App, TfmMain& Viewer);

// The process's one host layer, made by the platform's embedding on first use.
ListerHost& PluginHost();
