#pragma once

#ifdef _WIN32

#include "viewer/toolkit/Handles.h"

#include <windows.h>

namespace tkwin {

// Our window procedure over a control's own, chained with CallWindowProcW, with the object it
// serves in the control's user-data slot (the common controls keep their own data in their
// class's extra bytes). A comctl32 subclass would do the same, but it finds its data through a
// window property on every message, and under Wine each look-up is a round trip to the server:
// inserting a hundred thousand tree nodes took ten times as long.
//
// Removed when this goes or when the control does. A procedure that someone put over ours
// later is never cut off: ours then stays in the chain, finds the slot empty and passes every
// message on to the class's own procedure.
class WindowSubclass {
public:
  WindowSubclass() noexcept = default;
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;
  ~WindowSubclass() { Remove(); }

  // Puts Procedure over Window's procedure, with Data in its user-data slot; ToolkitError when
  // the system refuses.
  void Install(HWND Window, WNDPROC Procedure, void* Data) {
    Remove();
    ::SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Data));
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
    if (!previous) {
      ::SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
      throw tk::ToolkitError("Cannot subclass a control");
    }
    window_ = Window;
    procedure_ = Procedure;
    previous_ = previous;
  }

  // The object that Window's procedure serves, or nullptr once it is gone.
  template <class Object> static Object* DataOf(HWND Window) noexcept {
    return reinterpret_cast<Object*>(::GetWindowLongPtrW(Window, GWLP_USERDATA));
  }

  // The message to the procedure that ours replaced.
  LRESULT CallPrevious(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) const noexcept {
    return previous_ ? ::CallWindowProcW(previous_, Window, Message, WParam, LParam)
                     : CallClassProcedure(Window, Message, WParam, LParam);
  }
  // For a message that reaches our procedure after its object has gone.
  static LRESULT CallClassProcedure(HWND Window, UINT Message, WPARAM WParam,
                                    LPARAM LParam) noexcept {
    const auto own = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(Window, GCLP_WNDPROC));
    return own ? ::CallWindowProcW(own, Window, Message, WParam, LParam)
               : ::DefWindowProcW(Window, Message, WParam, LParam);
  }

  // Takes our procedure off the control, while the control still exists.
  void Remove() noexcept {
    if (!window_)
      return;
    if (::IsWindow(window_)) {
      ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window_, GWLP_WNDPROC)) == procedure_)
        ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    window_ = nullptr;
  }

  // The control has had its last message (WM_NCDESTROY): there is nothing left to restore.
  void Forget() noexcept { window_ = nullptr; }

  HWND Window() const noexcept { return window_; }

private:
  HWND window_ = nullptr;
  WNDPROC procedure_ = nullptr;
  WNDPROC previous_ = nullptr;
};

} // namespace tkwin

#endif // _WIN32
