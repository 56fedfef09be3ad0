#pragma once

// The host's lister windows, each with the viewer window the plugin put into it, as the file
// manager keeps them: a top-level lister, or one inside a panel of the main window (the
// quick-view case). The lister windows size their viewer and close it through ListCloseWindow
// when the user closes them.

#include "tools/lister-host/HostHandles_win.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace host {

class Host;

struct Lister {
  int Number = 0;
  bool Quick = false;
  UniqueWindow Panel;  // quick view: the main window's panel that holds the lister
  UniqueWindow Window; // the lister window
  HWND Viewer = nullptr;
  bool ViewerDestroyed = false;
  int DestroyMessages = 0;
};

inline constexpr int kDefaultWidth = 800;
inline constexpr int kDefaultHeight = 600;
// A window class with the default procedure, for windows that stand for nothing of the host.
inline constexpr wchar_t kBareClass[] = L"ListerHostBare";

class ListerWindows {
public:
  explicit ListerWindows(Host& TheHost) noexcept : host_(TheHost) {}

  void RegisterClasses();
  // A new lister window, made the current one.
  Lister& Add(bool Quick);
  // Takes the newest lister away, destroying its windows (the cycles' own listers).
  void RemoveLast();
  void CloseAll() { listers_.clear(); }

  // The current lister; StepError when there is none.
  Lister& Current();
  // Makes the lister with that number the current one; StepError when there is none.
  void Use(int Number);
  const std::vector<std::unique_ptr<Lister>>& All() const noexcept { return listers_; }
  // The lister whose live viewer is Window, or nullptr.
  Lister* OfViewer(HWND Window);
  // How the output names a window: lister1, panel1, viewer1, viewer1:SysTreeView32, none.
  std::string NameOf(HWND Window) const;

  // Sizes the viewer to its lister's client area.
  void FitViewer(Lister& Target);

  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

private:
  LRESULT OnMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

  Host& host_;
  std::vector<std::unique_ptr<Lister>> listers_;
  std::size_t current_ = 0;
  int made_ = 0;
};

} // namespace host
