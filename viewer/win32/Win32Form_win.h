#pragma once

#ifdef _WIN32

#include "viewer/toolkit/Form.h"
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
class Win32Form final : public tk::Form {
public:
  Win32Form(Win32Application& App, HWND Parent, tk::FormDescription Description);
  ~Win32Form() override;

  void ConstructionComplete() override;
  void Show() override;
  void Destroy() noexcept override;
  tk::NativeWindow Handle() override;
  bool HandleAllocated() const override { return static_cast<bool>(window_); }
  void AcceptDroppedFiles(bool Accept) override;
  void SetColourScheme(tk::ColourScheme Scheme) override { scheme_ = Scheme; }
  tk::ColourScheme CurrentColourScheme() const override { return scheme_; }
  std::u16string Caption() const override { return caption_; }
  void SetCaption(std::u16string_view Caption) override;
  tk::TreeView& FindTreeView(std::string_view Name) override;
  tk::StatusBar& FindStatusBar(std::string_view Name) override;
  tk::EditBox& FindEditBox(std::string_view Name) override;
  tk::ToolBar& FindToolBar(std::string_view Name) override;
  tk::OpenDialog& FindOpenDialog(std::string_view Name) override;

  // For the controls.
  Win32Application& App() const noexcept { return app_; }
  // The native window, made now if need be; ToolkitError once it is destroyed or lost.
  HWND EnsureWindow();
  // Something alive that goes with this object: a handler that may have destroyed the form
  // checks it before going on.
  std::weak_ptr<const char> Lifetime() const noexcept { return lifetime_; }

  // The procedure of the form window class.
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  // The window is being destroyed by the system (see NoteWindowDestroying).
  void NoteDestroying() noexcept { destroying_ = true; }

private:
  LRESULT HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept;
  std::optional<LRESULT> OnMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  std::optional<LRESULT> OnNotify(NMHDR& Header);
  void OnCommand(WPARAM WParam);
  void OnDropFiles(HDROP Drop);
  void CreateNativeWindow();
  void CreateControls();
  void Layout() noexcept;
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
  tk::FormDescription description_;
  std::u16string caption_;
  std::shared_ptr<const char> lifetime_;
  // The resources the windows use are declared before them, so they go after them.
  UniqueFont font_;
  std::map<std::string, UniqueImageList, std::less<>> imageLists_;
  UniqueWindow window_;
  bool created_ = false;
  bool destroyed_ = false;
  bool destroying_ = false;
  bool lost_ = false;
  bool acceptsDrops_ = false;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
  int nextFreeId_;
  std::map<std::string, std::unique_ptr<Win32TreeView>, std::less<>> trees_;
  std::map<std::string, std::unique_ptr<Win32StatusBar>, std::less<>> statusBars_;
  std::map<std::string, std::unique_ptr<Win32EditBox>, std::less<>> editBoxes_;
  std::map<std::string, std::unique_ptr<Win32ToolBar>, std::less<>> toolBars_;
  std::map<std::string, std::unique_ptr<Win32OpenDialog>, std::less<>> dialogs_;
  std::vector<ControlIds> ids_;   // one per control of the description, in its order
  std::map<int, Button> buttons_; // by command id
};

} // namespace tkwin

#endif // _WIN32
