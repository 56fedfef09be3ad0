#ifdef _WIN32

#include "viewer/win32/Win32Form_win.h"

#include "viewer/toolkit/Handles.h"
#include "viewer/win32/Colours_win.h"
#include "viewer/win32/ControlIds_win.h"
#include "viewer/win32/Win32Application_win.h"

#include <algorithm>
#include <cwchar>
#include <type_traits>
#include <utility>
#include <variant>

namespace tkwin {

namespace {

Win32Form* FormOf(HWND Window) noexcept {
  return reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(Window, 0));
}

// The description's font at the scale; none when it names no font or the system refuses.
UniqueFont ScaledFont(const tk::FontDescription& Font, const DpiScale& Scale) noexcept {
  if (Font.Name.empty())
    return UniqueFont();
  return UniqueFont(::CreateFontW(-Scale(Font.Height), 0, 0, 0, Font.Bold ? FW_BOLD : FW_NORMAL,
                                  Font.Italic, Font.Underline, Font.StrikeOut, Font.CharSet,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, WidePointer(Font.Name)));
}

UniqueFont CreateFormFont(const tk::FontDescription& Font, const DpiScale& Scale) {
  UniqueFont font = ScaledFont(Font, Scale);
  if (!font && !Font.Name.empty())
    throw tk::ToolkitError("Cannot create font");
  return font;
}

} // namespace

void NoteWindowDestroying(HWND Window) noexcept {
  if (!Window || !::IsWindow(Window))
    return;
  wchar_t name[64] = {};
  if (!::GetClassNameW(Window, name, static_cast<int>(std::size(name))) ||
      std::wcscmp(name, kFormClassName) != 0)
    return;
  if (reinterpret_cast<HINSTANCE>(::GetClassLongPtrW(Window, GCLP_HMODULE)) != ThisModuleInstance())
    return;
  if (Win32Form* form = FormOf(Window))
    form->NoteDestroying();
}

Win32Form::Win32Form(Win32Application& App, HWND Parent, tk::FormDescription Description)
    : FormControls(std::move(Description)), app_(App), parent_(Parent),
      caption_(this->Description().Caption), nextFreeId_(kFirstFreeId) {
  ids_.resize(this->Description().Controls.size());
  for (std::size_t index = 0; index < this->Description().Controls.size(); ++index)
    std::visit(
        [this, &ids = ids_[index]](const auto& control) {
          using Kind = std::decay_t<decltype(control)>;
          if constexpr (std::is_same_v<Kind, tk::TreeViewDescription>) {
            ids.Id = NextId(control.Name);
            trees_[control.Name] = std::make_unique<Win32TreeView>(*this, control);
          } else if constexpr (std::is_same_v<Kind, tk::StatusBarDescription>) {
            ids.Id = NextId(control.Name);
            statusBars_[control.Name] = std::make_unique<Win32StatusBar>(*this, control);
          } else if constexpr (std::is_same_v<Kind, tk::OpenDialogDescription>) {
            dialogs_[control.Name] = std::make_unique<Win32OpenDialog>(control);
          } else if constexpr (std::is_same_v<Kind, tk::ToolBarDescription>) {
            ids.Id = NextId(control.Name);
            toolBars_[control.Name] = std::make_unique<Win32ToolBar>(control);
            for (const tk::ToolItemDescription& item : control.Items) {
              const int id = item.Kind == tk::ToolItemKind::Separator ? 0 : NextId(item.Name);
              ids.ItemIds.push_back(id);
              if (item.Kind == tk::ToolItemKind::EditBox) {
                editBoxes_[item.Name] = std::make_unique<Win32EditBox>(*this, item);
              } else if (item.Kind == tk::ToolItemKind::Button) {
                const std::u16string_view tip = tk::TooltipOf(item.Hint);
                buttons_[id] =
                    Button{item.OnClick,
                           std::wstring(reinterpret_cast<const wchar_t*>(tip.data()), tip.size())};
              }
            }
          }
          // Image lists are made with the window.
        },
        this->Description().Controls[index]);
}

Win32Form::~Win32Form() { Destroy(); }

int Win32Form::NextId(std::string_view Name) noexcept {
  // The names the test host knows keep their ids; the rest are numbered in order.
  const int named = NamedControlIdOf(Name);
  return named != 0 ? named : nextFreeId_++;
}

// --- lifecycle -------------------------------------------------------------------------------

void Win32Form::Deliver(const std::function<void()>& Action) noexcept { app_.Guard(Action); }

void Win32Form::ShowNativeWindow() { ::ShowWindow(EnsureWindow(), SW_SHOW); }

void Win32Form::DestroyNativeWindow() noexcept {
  if (!window_)
    return;
  if (destroying_) {
    // The system is destroying the window already and finishes the controls after this
    // object is gone: they must not keep the font and pictures that go with it.
    for (const auto& [name, tree] : trees_)
      if (tree->Window())
        ::SendMessageW(tree->Window(), WM_SETFONT, 0, FALSE);
    for (const auto& [name, edit] : editBoxes_)
      if (edit->Window())
        ::SendMessageW(edit->Window(), WM_SETFONT, 0, FALSE);
    for (const auto& [name, bar] : toolBars_)
      if (bar->Window())
        ::SendMessageW(bar->Window(), TB_SETIMAGELIST, 0, 0);
    Detach();
    window_.Release();
  } else {
    // Detached first, so the destruction's own messages find no object to go to.
    Detach();
    window_.Reset();
  }
}

HWND Win32Form::EnsureWindow() {
  if (Destroyed() || lost_)
    throw tk::ToolkitError("The window has been destroyed");
  if (!window_)
    CreateNativeWindow();
  return window_.Get();
}

tk::NativeWindow Win32Form::Handle() { return FromHwnd(EnsureWindow()); }

void Win32Form::CreateNativeWindow() {
  app_.EnsureFormClass();
  // The description's style replaces the computed one as a whole.
  const DWORD style =
      Description().Style != 0 ? Description().Style : WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const DWORD exStyle = 0;
  // A child window takes the DPI of its parent's screen.
  scale_ = DpiScale{WindowDpi(parent_), Description().PixelsPerInch};
  RECT bounds{0, 0, scale_(Description().ClientWidth), scale_(Description().ClientHeight)};
  ::AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  int left = Description().Left;
  int top = Description().Top;
  if (Description().Position == tk::FormPosition::ScreenCenter) {
    // A child's screen is its parent's client area.
    RECT area{};
    if (!parent_ || !::GetClientRect(parent_, &area))
      area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    left = std::max(0, static_cast<int>((area.right - area.left - width) / 2));
    top = std::max(0, static_cast<int>((area.bottom - area.top - height) / 2));
  }

  if (!font_)
    font_ = CreateFormFont(Description().Font, scale_);
  for (const tk::ControlDescription& control : Description().Controls)
    if (const auto* images = std::get_if<tk::ImageListDescription>(&control))
      if (!imageLists_.contains(images->Name))
        imageLists_.emplace(images->Name, CreateImageList(*images));

  const std::u16string caption = caption_;
  const HWND window =
      ::CreateWindowExW(exStyle, kFormClassName, WidePointer(caption), style, left, top, width,
                        height, parent_, nullptr, app_.Instance(), this);
  if (!window)
    throw tk::ToolkitError("Cannot create window (error " + std::to_string(::GetLastError()) + ")");
  window_.Reset(window);
  try {
    CreateControls();
  } catch (...) {
    Detach();
    window_.Reset();
    throw;
  }
  Layout();
}

void Win32Form::CreateControls() {
  const HWND self = window_.Get();
  const HINSTANCE instance = app_.Instance();
  for (std::size_t index = 0; index < Description().Controls.size(); ++index)
    std::visit(
        [&, &ids = ids_[index]](const auto& control) {
          using Kind = std::decay_t<decltype(control)>;
          if constexpr (std::is_same_v<Kind, tk::TreeViewDescription>) {
            Win32TreeView& tree = *trees_.at(control.Name);
            tree.Create(self, instance, ids.Id, control.ParentFont ? font_.Get() : nullptr, scale_);
          } else if constexpr (std::is_same_v<Kind, tk::StatusBarDescription>) {
            Win32StatusBar& bar = *statusBars_.at(control.Name);
            bar.Create(self, instance, ids.Id, scale_);
          } else if constexpr (std::is_same_v<Kind, tk::ToolBarDescription>) {
            Win32ToolBar& bar = *toolBars_.at(control.Name);
            const auto images = imageLists_.find(control.Images);
            bar.Create(self, instance, ids.Id,
                       images != imageLists_.end() ? images->second.Get() : nullptr, ids.ItemIds,
                       scale_);
            for (std::size_t item = 0; item < control.Items.size(); ++item)
              if (control.Items[item].Kind == tk::ToolItemKind::EditBox)
                editBoxes_.at(control.Items[item].Name)
                    ->Create(bar.Window(), instance, ids.ItemIds[item], font_.Get(), scale_);
          }
        },
        Description().Controls[index]);
}

void Win32Form::Layout() noexcept {
  if (!window_)
    return;
  RECT client{};
  ::GetClientRect(window_.Get(), &client);
  const int width = client.right - client.left;
  int top = client.top;
  int bottom = client.bottom;
  // Edges first, in description order; a hidden control takes no room. (Its descriptions
  // say which ones are shown: a tree whose redrawing is suspended can lose WS_VISIBLE.)
  const auto dock = [&](const auto* Control, tk::Align Alignment, int DesignedHeight, bool Shown) {
    const HWND Window = Control ? Control->Window() : nullptr;
    if (!Window || !Shown)
      return;
    const int height = scale_(DesignedHeight);
    if (Alignment == tk::Align::Top) {
      ::MoveWindow(Window, 0, top, width, height, TRUE);
      top += height;
    } else if (Alignment == tk::Align::Bottom) {
      bottom -= height;
      ::MoveWindow(Window, 0, bottom, width, height, TRUE);
    }
  };
  for (const tk::ControlDescription& control : Description().Controls) {
    if (const auto* bar = std::get_if<tk::ToolBarDescription>(&control))
      dock(toolBars_.Lookup(bar->Name), bar->Alignment, bar->Height, bar->Visible);
    else if (const auto* status = std::get_if<tk::StatusBarDescription>(&control))
      dock(statusBars_.Lookup(status->Name), status->Alignment, status->Height, true);
  }
  // Then what is left to the controls that fill it.
  for (const auto& [name, tree] : trees_)
    if (tree->Description().Alignment == tk::Align::Client && tree->Window())
      ::MoveWindow(tree->Window(), 0, top, width, std::max(0, bottom - top), TRUE);
}

void Win32Form::Detach() noexcept {
  if (window_)
    ::SetWindowLongPtrW(window_.Get(), 0, 0);
  DetachControls();
}

void Win32Form::OnDpiChanged() noexcept {
  const DpiScale scale{WindowDpi(window_.Get()), Description().PixelsPerInch};
  if (scale == scale_)
    return;
  // The controls take the new font before the old one goes; without one, all stays as it was.
  UniqueFont font = ScaledFont(Description().Font, scale);
  if (!font && !Description().Font.Name.empty())
    return;
  scale_ = scale;
  for (const auto& [name, tree] : trees_)
    tree->Rescale(tree->Description().ParentFont ? font.Get() : nullptr, scale_);
  for (const auto& [name, bar] : statusBars_)
    bar->Rescale(scale_);
  for (const auto& [name, bar] : toolBars_)
    bar->Rescale(scale_);
  for (const auto& [name, edit] : editBoxes_)
    edit->Rescale(font.Get(), scale_);
  font_ = std::move(font);
  Layout();
}

void Win32Form::SetColourScheme(tk::ColourScheme Scheme) {
  scheme_ = Scheme;
  for (const auto& [name, tree] : trees_)
    tree->ApplyColourScheme(Scheme);
  for (const auto& [name, bar] : statusBars_)
    bar->ApplyColourScheme(Scheme);
  if (window_)
    ::InvalidateRect(window_.Get(), nullptr, TRUE);
}

bool Win32Form::EraseBackground(HDC Dc) const noexcept {
  if (!tk::IsDark(scheme_) || !Dc)
    return false;
  RECT client{};
  ::GetClientRect(window_.Get(), &client);
  FillSolid(Dc, client, tk::DarkPalette::Background);
  return true;
}

void Win32Form::WindowGone() noexcept {
  // Destroyed from outside (with its parent, say): the object stays, the window does not come
  // back.
  if (!Destroyed())
    lost_ = true;
  Detach();
  window_.Release();
  StopAcceptingDrops();
}

// --- properties and controls -----------------------------------------------------------------

void Win32Form::RegisterForDrops(bool Accept) {
  ::DragAcceptFiles(EnsureWindow(), Accept ? TRUE : FALSE);
}

void Win32Form::SetCaption(std::u16string_view Caption) {
  caption_.assign(Caption);
  if (window_)
    ::SetWindowTextW(window_.Get(), WidePointer(caption_));
}

// --- messages --------------------------------------------------------------------------------

LRESULT CALLBACK Win32Form::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(LParam);
    ::SetWindowLongPtrW(Window, 0, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  if (Win32Form* form = FormOf(Window))
    return form->HandleMessage(Window, Message, WParam, LParam);
  return ::DefWindowProcW(Window, Message, WParam, LParam);
}

LRESULT Win32Form::HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept {
  // Held apart from this object: a handler may destroy the form while it runs.
  Win32Application& app = app_;
  std::optional<LRESULT> answer;
  app.Guard([&] { answer = OnMessage(Message, WParam, LParam); });
  return answer ? *answer : ::DefWindowProcW(Window, Message, WParam, LParam);
}

std::optional<LRESULT> Win32Form::OnMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_SIZE:
    Layout();
    return 0;
  case kDpiChangedAfterParent:
    OnDpiChanged();
    return 0;
  case WM_ERASEBKGND:
    if (EraseBackground(reinterpret_cast<HDC>(WParam)))
      return 1;
    return std::nullopt;
  case WM_SETFOCUS:
    // The form itself takes no keys: the focus goes on to the tree.
    for (const auto& [name, tree] : trees_)
      if (const HWND control = tree->Window()) {
        ::SetFocus(control);
        return 0;
      }
    return std::nullopt;
  case WM_NOTIFYFORMAT:
    if (LParam == NF_QUERY)
      return NFR_UNICODE;
    return std::nullopt;
  case WM_NOTIFY:
    return OnNotify(*reinterpret_cast<NMHDR*>(LParam));
  case WM_COMMAND:
    if (HIWORD(WParam) == BN_CLICKED && buttons_.contains(LOWORD(WParam))) {
      OnCommand(WParam);
      return 0;
    }
    return std::nullopt;
  case WM_DROPFILES:
    OnDropFiles(reinterpret_cast<HDROP>(WParam));
    return 0;
  case WM_DESTROY:
    destroying_ = true;
    return std::nullopt;
  case WM_NCDESTROY:
    WindowGone();
    return std::nullopt;
  default:
    return std::nullopt;
  }
}

std::optional<LRESULT> Win32Form::OnNotify(NMHDR& Header) {
  for (const auto& [name, tree] : trees_)
    if (tree->Window() && Header.hwndFrom == tree->Window())
      return tree->OnNotify(Header);
  if (Header.code == TBN_GETINFOTIPW) {
    // Some tool bars ask this way first.
    for (const auto& [name, bar] : toolBars_) {
      if (!bar->Window() || Header.hwndFrom != bar->Window())
        continue;
      auto& tip = reinterpret_cast<NMTBGETINFOTIPW&>(Header);
      const auto found = buttons_.find(tip.iItem);
      if (found == buttons_.end() || !tip.pszText || tip.cchTextMax <= 0)
        return std::nullopt;
      const std::wstring& text = found->second.Tooltip;
      const std::size_t length =
          std::min(text.size(), static_cast<std::size_t>(tip.cchTextMax) - 1);
      text.copy(tip.pszText, length);
      tip.pszText[length] = L'\0';
      return 0;
    }
  }
  if (Header.code == TTN_GETDISPINFOW) {
    // A tool button's tooltip asks for its text; the text stays alive with the form.
    for (const auto& [name, bar] : toolBars_) {
      if (!bar->Window() || Header.hwndFrom != reinterpret_cast<HWND>(::SendMessageW(
                                                   bar->Window(), TB_GETTOOLTIPS, 0, 0)))
        continue;
      const auto found = buttons_.find(static_cast<int>(Header.idFrom));
      if (found == buttons_.end())
        return std::nullopt;
      auto& info = reinterpret_cast<NMTTDISPINFOW&>(Header);
      info.hinst = nullptr;
      info.lpszText = const_cast<wchar_t*>(found->second.Tooltip.c_str());
      return 0;
    }
  }
  return std::nullopt;
}

void Win32Form::OnCommand(WPARAM WParam) {
  // A copy: the handler may destroy the form, and the slot with it.
  const tk::NotifyEvent handler = buttons_.at(LOWORD(WParam)).OnClick;
  if (handler)
    app_.Guard(handler);
}

void Win32Form::OnDropFiles(HDROP Drop) {
  // Owned at once, so the drop goes back to the system on every path.
  UniqueDrop drop(Drop);
  if (!AcceptsDrops())
    return;
  RaiseDropFiles(tk::DroppedFiles(std::make_unique<Win32DropSource>(std::move(drop))));
}

} // namespace tkwin

#endif // _WIN32
