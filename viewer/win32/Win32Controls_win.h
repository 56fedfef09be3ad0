#pragma once

#ifdef _WIN32

#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/DroppedFiles.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/win32/Dpi_win.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/WindowSubclass_win.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// The simple controls of a form. Each holds nothing native until the form's window is made;
// their windows are children of the form's window (or of its tool bar) and go with it.
namespace tkwin {

class Win32Form;

// A msctls_statusbar32 with a part per panel, laid out by their widths (a panel sized to its
// text as wide as it), the last one spanning the rest. The bar keeps its texts (SB_GETTEXTW
// with the part's index reads them) in every scheme; in a dark one they are painted here,
// since the control has no text colour.
class Win32StatusBar final : public tk::StatusBar {
public:
  Win32StatusBar(Win32Form& Form, tk::StatusBarDescription Description);

  std::size_t PartCount() const override { return texts_.size(); }
  std::u16string PartText(std::size_t Part) const override;
  void SetPartText(std::size_t Part, std::u16string_view Text) override;
  int PartRoom(std::size_t Part) const override;
  int TextWidth(std::u16string_view Text) const override;

  const tk::StatusBarDescription& Description() const noexcept { return description_; }
  void Create(HWND Parent, HINSTANCE Instance, int Id, const DpiScale& Scale);
  void Rescale(const DpiScale& Scale) noexcept;
  void ApplyColourScheme(tk::ColourScheme Scheme) noexcept;
  void Detach() noexcept {
    subclass_.Remove();
    window_ = nullptr;
  }
  HWND Window() const noexcept { return window_; }

private:
  static LRESULT CALLBACK SubclassProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  // Lays the parts out again (Always: also when their edges stay); true when an edge moved.
  bool SetParts(bool Always = false) noexcept;
  void RaiseResized();

  Win32Form& form_;
  tk::StatusBarDescription description_;
  // Every part's text, also while there is no window; the window is given them when made.
  std::vector<std::u16string> texts_;
  std::vector<int> edges_; // the right edges last laid out
  HWND window_ = nullptr;
  WindowSubclass subclass_;
  DpiScale scale_;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
};

// A one-line EDIT.
class Win32EditBox final : public tk::EditBox {
public:
  Win32EditBox(Win32Form& Form, tk::ToolItemDescription Description)
      : form_(Form), description_(std::move(Description)) {}

  std::u16string Text() const override;
  void SetText(std::u16string_view Text) override;

  const tk::ToolItemDescription& Description() const noexcept { return description_; }
  void Create(HWND Parent, HINSTANCE Instance, int Id, HFONT Font, const DpiScale& Scale);
  void Rescale(HFONT Font, const DpiScale& Scale) noexcept;
  void Detach() noexcept { window_ = nullptr; }
  HWND Window() const noexcept { return window_; }

private:
  Win32Form& form_;
  tk::ToolItemDescription description_;
  HWND window_ = nullptr;
};

// A ToolbarWindow32 with picture buttons; the tooltips come from the form
// (TTN_GETDISPINFOW), the clicks arrive at the form as WM_COMMAND.
class Win32ToolBar final : public tk::ToolBar {
public:
  explicit Win32ToolBar(tk::ToolBarDescription Description)
      : description_(std::move(Description)) {}

  bool Visible() const override;

  const tk::ToolBarDescription& Description() const noexcept { return description_; }
  // ItemIds: the command or control id of each item of the description, in order.
  void Create(HWND Parent, HINSTANCE Instance, int Id, HIMAGELIST Images,
              const std::vector<int>& ItemIds, const DpiScale& Scale);
  void Rescale(const DpiScale& Scale) noexcept;
  void Detach() noexcept { window_ = nullptr; }
  HWND Window() const noexcept { return window_; }

private:
  tk::ToolBarDescription description_;
  HWND window_ = nullptr;
};

// The common open-file dialog (GetOpenFileNameW).
class Win32OpenDialog final : public tk::OpenDialog {
public:
  explicit Win32OpenDialog(tk::OpenDialogDescription Description)
      : description_(std::move(Description)) {}

  std::optional<std::u16string> Execute(tk::NativeWindow Owner) override;

private:
  tk::OpenDialogDescription description_;
};

// One WM_DROPFILES drop; DragFinish when it is finished or goes.
class Win32DropSource final : public tk::DropSource {
public:
  explicit Win32DropSource(UniqueDrop Drop) noexcept : drop_(std::move(Drop)) {}

  uint32_t Count() const override;
  uint32_t QueryFile(uint32_t Index, std::span<char16_t> Buffer) const override;
  void Finish() noexcept override { drop_.Reset(); }

private:
  UniqueDrop drop_;
};

// An image list of masked pictures; ToolkitError when the system refuses.
UniqueImageList CreateImageList(const tk::ImageListDescription& Description);

} // namespace tkwin

#endif // _WIN32
