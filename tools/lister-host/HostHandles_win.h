#pragma once

// The owners of the Win32 handles lister-host uses: the move-only handle template of the
// toolkit with the traits the host needs, and a few owners of paired calls. A moved-from owner
// holds nothing, so each handle is released exactly once, on every path.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "viewer/win32/Handles_win.h"

#include <windows.h>

#include <utility>

namespace host {

struct WindowTraits {
  using Handle = HWND;
  static void Close(HWND Window) noexcept {
    // The window may have gone with its parent already.
    if (IsWindow(Window))
      DestroyWindow(Window);
  }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static void Close(HMODULE Module) noexcept { FreeLibrary(Module); }
};
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static void Close(HGDIOBJ Object) noexcept { DeleteObject(Object); }
};
struct MemoryDcTraits {
  using Handle = HDC;
  static void Close(HDC Dc) noexcept { DeleteDC(Dc); }
};
struct HookTraits {
  using Handle = HHOOK;
  static void Close(HHOOK Hook) noexcept { UnhookWindowsHookEx(Hook); }
};
struct KernelHandleTraits {
  using Handle = HANDLE;
  static void Close(HANDLE Handle) noexcept { CloseHandle(Handle); }
};

using UniqueWindow = tkwin::UniqueHandle<WindowTraits>;
using UniqueModule = tkwin::UniqueHandle<ModuleTraits>;
using UniqueGlobal = tkwin::UniqueGlobal;
using UniqueGdiObject = tkwin::UniqueHandle<GdiObjectTraits>;
using UniqueMemoryDc = tkwin::UniqueHandle<MemoryDcTraits>;
using UniqueHook = tkwin::UniqueHandle<HookTraits>;
using UniqueKernelHandle = tkwin::UniqueHandle<KernelHandleTraits>;

// A thread timer (SetTimer without a window), killed when the owner goes.
class UniqueThreadTimer {
public:
  UniqueThreadTimer() noexcept = default;
  UniqueThreadTimer(UINT Milliseconds, TIMERPROC Proc) noexcept
      : id_(SetTimer(nullptr, 0, Milliseconds, Proc)) {}
  UniqueThreadTimer(UniqueThreadTimer&& Other) noexcept : id_(std::exchange(Other.id_, 0)) {}
  UniqueThreadTimer& operator=(UniqueThreadTimer&& Other) noexcept {
    if (this != &Other) {
      Kill();
      id_ = std::exchange(Other.id_, 0);
    }
    return *this;
  }
  UniqueThreadTimer(const UniqueThreadTimer&) = delete;
  UniqueThreadTimer& operator=(const UniqueThreadTimer&) = delete;
  ~UniqueThreadTimer() { Kill(); }

private:
  void Kill() noexcept {
    if (id_ != 0)
      KillTimer(nullptr, std::exchange(id_, 0));
  }
  UINT_PTR id_ = 0;
};

// A window's device context from GetDC / GetWindowDC, given back with ReleaseDC.
class WindowDc {
public:
  WindowDc() noexcept = default;
  WindowDc(HWND Window, HDC Dc) noexcept : window_(Window), dc_(Dc) {}
  WindowDc(WindowDc&& Other) noexcept
      : window_(std::exchange(Other.window_, nullptr)), dc_(std::exchange(Other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& Other) noexcept {
    if (this != &Other) {
      Release();
      window_ = std::exchange(Other.window_, nullptr);
      dc_ = std::exchange(Other.dc_, nullptr);
    }
    return *this;
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() { Release(); }

  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
  void Release() noexcept {
    if (dc_ != nullptr)
      ReleaseDC(window_, std::exchange(dc_, nullptr));
    window_ = nullptr;
  }
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back when it goes.
class SelectedObject {
public:
  SelectedObject(HDC Dc, HGDIOBJ Object) noexcept : dc_(Dc), previous_(SelectObject(Dc, Object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR)
      SelectObject(dc_, previous_);
  }

private:
  HDC dc_;
  HGDIOBJ previous_;
};

} // namespace host
