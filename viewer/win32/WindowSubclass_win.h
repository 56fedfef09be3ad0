#pragma once

#ifdef _WIN32

#include "viewer/toolkit/Handles.h"

#include <windows.h>

#include <commctrl.h>

namespace tkwin {

// A comctl32 subclass of one control, removed when this goes or when the control does. Its
// procedure must call Forget() on WM_NCDESTROY (the control's last message), after which the
// subclass is gone from the control as the system requires. Removal works whatever other
// subclasses were installed on top, before or after this one.
class WindowSubclass {
public:
  WindowSubclass() noexcept = default;
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;
  ~WindowSubclass() { Remove(); }

  // Installs Procedure on Window with Data as its reference data; ToolkitError when the
  // system refuses.
  void Install(HWND Window, SUBCLASSPROC Procedure, DWORD_PTR Data) {
    Remove();
    if (!::SetWindowSubclass(Window, Procedure, kId, Data))
      throw tk::ToolkitError("Cannot subclass a control");
    window_ = Window;
    procedure_ = Procedure;
  }

  // Takes the subclass off the control, while the control still exists.
  void Remove() noexcept {
    if (!window_)
      return;
    if (::IsWindow(window_))
      ::RemoveWindowSubclass(window_, procedure_, kId);
    window_ = nullptr;
  }

  // The control is getting its last message: the subclass goes with it.
  void Forget() noexcept { Remove(); }

  HWND Window() const noexcept { return window_; }

private:
  static constexpr UINT_PTR kId = 1;
  HWND window_ = nullptr;
  SUBCLASSPROC procedure_ = nullptr;
};

} // namespace tkwin

#endif // _WIN32
