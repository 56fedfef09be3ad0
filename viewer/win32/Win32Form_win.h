#pragma once

#ifdef _WIN32

#include "viewer/toolkit/FormControls.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/Win32Controls_win.h"
#include "viewer/win32/Win32TreeView_win.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tkwin {

class Win32Application;

// A form on a window of the class kFormClassName, a child of the window given at creation.
// Its window and controls are made on first need; the control objects exist from
// construction on and hold nothing native until then. The form's object pointer lives in the
// class's extra slot, so the window's user data and procedure stay free for an embedder.
class Win32Form final : public tk::FormControls<Win32TreeView, Win32StatusBar, Win32EditBox,
                                                Win32ToolBar, Win32OpenDialog> {
public:
  Win32Form(Win32Application& App, HWND Parent, tk::FormDescription Description);
  ~Win32Form() override;

  tk::NativeWindow Handle() override;
  bool HandleAllocated() const override { return static_cast<bool>(window_); }
  void SetColourScheme(tk::ColourScheme Scheme) override;
  tk::ColourScheme CurrentColourScheme() const override { return scheme_; }
  std::u16string Caption() const override { return caption_; }
  void SetCaption(std::u16string_view Caption) override;

  // For the controls.
  Win32Application& App() const noexcept { return app_; }
  // The native window, made now if need be; ToolkitError once it is destroyed or lost.
  HWND EnsureWindow();

  // The procedure of the form window class.
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  // The window is being destroyed by the system (see NoteWindowDestroying).
  void NoteDestroying() noexcept { destroying_ = true; }

private:
  void Deliver(const std::function<void()>& Action) noexcept override;
  void ShowNativeWindow() override;
  void DestroyNativeWindow() noexcept override;
  void RegisterForDrops(bool Accept) override;

  LRESULT HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept;
  std::optional<LRESULT> OnMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  std::optional<LRESULT> OnNotify(NMHDR& Header);
  void OnCommand(WPARAM WParam);
  void OnDropFiles(HDROP Drop);
  void CreateNativeWindow();
  void CreateControls();
  void Layout() noexcept;
  // The window's DPI changed: a new font and sizes for every control.
  void OnDpiChanged() noexcept;
  // The form's own background, in the scheme's colour.
  bool EraseBackground(HDC Dc) const noexcept;
  // The window is gone: forget it and everything on it.
  void WindowGone() noexcept;
  void Detach() noexcept;
  int NextId(std::string_view Name) noexcept;

  struct ControlIds {
    int Id = 0;
    std::vector<int> ItemIds; // tool bars: one per item, 0 for separators
  };
  struct Button {
    tk::NotifyEvent OnClick;
    std::wstring Tooltip;
  };

  Win32Application& app_;
  HWND parent_;
  std::u16string caption_;
  // The resources the windows use are declared before them, so they go after them.
  UniqueFont font_;
  std::map<std::string, UniqueImageList, std::less<>> imageLists_;
  UniqueWindow window_;
  bool destroying_ = false;
  bool lost_ = false;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
  DpiScale scale_; // of the window's screen, once the window exists
  int nextFreeId_;
  std::vector<ControlIds> ids_;   // one per control of the description, in its order
  std::map<int, Button> buttons_; // by command id
};

} // namespace tkwin

#endif // _WIN32
