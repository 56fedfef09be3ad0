#ifdef _WIN32

#include "viewer/win32/Win32Controls_win.h"

#include "viewer/toolkit/Handles.h"
#include "viewer/win32/Win32Application_win.h"
#include "viewer/win32/Win32Form_win.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>

namespace tkwin {

namespace {

HMENU IdAsMenu(int Id) noexcept { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)); }

std::u16string WindowText(HWND Window) {
  const int length = ::GetWindowTextLengthW(Window);
  if (length <= 0)
    return std::u16string();
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(Window, buffer.data(), length + 1);
  return FromWide(buffer.data(), static_cast<std::size_t>(std::clamp(copied, 0, length)));
}

} // namespace

// --- status bar ------------------------------------------------------------------------------

namespace {

// What the control keeps free on both sides of a part's text.
constexpr int kPartMargin = 8;

} // namespace

Win32StatusBar::Win32StatusBar(Win32Form& Form, tk::StatusBarDescription Description)
    : form_(Form), description_(std::move(Description)),
      texts_(std::max<std::size_t>(description_.Panels.size(), 1)) {}

void Win32StatusBar::Create(HWND Parent, HINSTANCE Instance, int Id, const DpiScale& Scale) {
  // The form places the bar itself: at the bottom, at the height of the description.
  scale_ = Scale;
  window_ =
      ::CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                        WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0,
                        0, 0, scale_(description_.Height), Parent, IdAsMenu(Id), Instance, nullptr);
  if (!window_)
    throw tk::ToolkitError("Cannot create status bar");
  try {
    subclass_.Install(window_, &SubclassProc, this);
  } catch (...) {
    ::DestroyWindow(std::exchange(window_, nullptr));
    throw;
  }
  ::SendMessageW(window_, SB_SETUNICODEFORMAT, TRUE, 0);
  edges_.clear();
  SetParts();
  for (std::size_t part = 0; part < texts_.size(); ++part)
    if (!texts_[part].empty())
      ::SendMessageW(window_, SB_SETTEXTW, part,
                     reinterpret_cast<LPARAM>(WidePointer(texts_[part])));
  const tk::ColourScheme scheme = std::exchange(scheme_, tk::ColourScheme::System);
  ApplyColourScheme(scheme);
}

int Win32StatusBar::TextWidth(std::u16string_view Text) const {
  if (!window_ || Text.empty())
    return 0;
  const HDC dc = ::GetDC(window_);
  if (!dc)
    return 0;
  auto font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
  if (!font)
    font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  const auto length = static_cast<int>(std::min<std::size_t>(Text.size(), INT_MAX));
  ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(Text.data()), length, &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(window_, dc);
  return size.cx;
}

bool Win32StatusBar::SetParts(bool Always) noexcept {
  // Right edges; the last panel spans the rest of the bar (-1). A status bar takes at most 256
  // parts, so a fixed array holds them.
  std::array<int, 256> edges{};
  const std::size_t count = std::min(texts_.size(), edges.size());
  int right = 0;
  for (std::size_t part = 0; part + 1 < count; ++part) {
    const tk::StatusPanelDescription& panel = description_.Panels[part];
    int width = scale_(panel.Width);
    if (panel.SizedToText)
      width = std::max(width, TextWidth(texts_[part]) + scale_(kPartMargin) * 2);
    right += width;
    edges[part] = right;
  }
  edges[count - 1] = -1;
  const bool same = edges_.size() == count &&
                    std::equal(edges_.begin(), edges_.end(), edges.begin(), edges.begin() + count);
  if (same && !Always)
    return false;
  try {
    edges_.assign(edges.begin(), edges.begin() + count);
  } catch (...) {
    edges_.clear(); // laid out afresh next time
  }
  ::SendMessageW(window_, SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges.data()));
  return !same;
}

void Win32StatusBar::RaiseResized() {
  // A copy: the handler may destroy the form, and this bar with it.
  if (const tk::NotifyEvent handler = description_.OnResize)
    handler();
}

int Win32StatusBar::PartRoom(std::size_t Part) const {
  RequirePart(Part);
  // From our own edges and the client area: while the bar is being resized the control may
  // still answer SB_GETRECT with the bounds of the size before.
  RECT client{};
  if (!window_ || Part >= edges_.size() || !::GetClientRect(window_, &client))
    return 0;
  const int left = Part == 0 ? 0 : edges_[Part - 1];
  const int right = edges_[Part] < 0 ? static_cast<int>(client.right) : edges_[Part];
  return std::max(0, right - left - scale_(kPartMargin) * 2);
}

void Win32StatusBar::Rescale(const DpiScale& Scale) noexcept {
  scale_ = Scale;
  if (window_ && SetParts())
    form_.App().Guard([this] { RaiseResized(); });
}

void Win32StatusBar::ApplyColourScheme(tk::ColourScheme Scheme) noexcept {
  const bool changed = Scheme != scheme_;
  scheme_ = Scheme;
  if (!window_ || !changed)
    return;
  ::SendMessageW(window_, SB_SETBKCOLOR, 0,
                 tk::IsDark(Scheme) ? static_cast<LPARAM>(tk::DarkPalette::BarBackground)
                                    : static_cast<LPARAM>(CLR_DEFAULT));
  ::InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK Win32StatusBar::SubclassProc(HWND Window, UINT Message, WPARAM WParam,
                                              LPARAM LParam) {
  auto* bar = WindowSubclass::DataOf<Win32StatusBar>(Window);
  if (!bar)
    return WindowSubclass::CallClassProcedure(Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    const LRESULT result = bar->subclass_.CallPrevious(Window, Message, WParam, LParam);
    bar->subclass_.Forget();
    return result;
  }
  if (Message == WM_SIZE) {
    // The last part's room follows the bar's width. The control placed by its parent
    // (CCS_NORESIZE) keeps the bounds of its parts until they are set again.
    const LRESULT result = bar->subclass_.CallPrevious(Window, Message, WParam, LParam);
    bar->SetParts(true);
    bar->form_.App().Guard([bar] { bar->RaiseResized(); });
    return result;
  }
  if (!tk::IsDark(bar->scheme_))
    return bar->subclass_.CallPrevious(Window, Message, WParam, LParam);
  const int indent = bar->scale_(4);
  switch (Message) {
  case WM_ERASEBKGND:
    return 1; // the paint below covers everything
  case WM_PRINTCLIENT:
    PaintDarkStatusBar(Window, reinterpret_cast<HDC>(WParam), indent);
    return 0;
  case WM_PAINT: {
    if (WParam != 0) {
      PaintDarkStatusBar(Window, reinterpret_cast<HDC>(WParam), indent);
      return 0;
    }
    PAINTSTRUCT paint{};
    if (const HDC dc = ::BeginPaint(Window, &paint)) {
      PaintDarkStatusBar(Window, dc, indent);
      ::EndPaint(Window, &paint);
    }
    return 0;
  }
  default:
    return bar->subclass_.CallPrevious(Window, Message, WParam, LParam);
  }
}

std::u16string Win32StatusBar::PartText(std::size_t Part) const {
  RequirePart(Part);
  if (!window_)
    return Part == 0 ? std::u16string() : texts_[Part];
  const auto length =
      static_cast<std::size_t>(LOWORD(::SendMessageW(window_, SB_GETTEXTLENGTHW, Part, 0)));
  std::wstring buffer(length + 1, L'\0');
  ::SendMessageW(window_, SB_GETTEXTW, Part, reinterpret_cast<LPARAM>(buffer.data()));
  return FromWide(buffer.c_str());
}

void Win32StatusBar::SetPartText(std::size_t Part, std::u16string_view Text) {
  RequirePart(Part);
  if (Part == 0) {
    // The load figures make the window, as they always did.
    form_.EnsureWindow();
    if (!window_)
      throw tk::ToolkitError("The status bar has no window");
  }
  texts_[Part].assign(Text);
  if (!window_)
    return;
  if (!::SendMessageW(window_, SB_SETTEXTW, Part,
                      reinterpret_cast<LPARAM>(WidePointer(texts_[Part]))))
    throw tk::ToolkitError("Cannot set the status text");
  if (SetParts())
    RaiseResized();
}

// --- edit box --------------------------------------------------------------------------------

void Win32EditBox::Create(HWND Parent, HINSTANCE Instance, int Id, HFONT Font,
                          const DpiScale& Scale) {
  const int height = description_.Height > 0 ? description_.Height : 23;
  window_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", WidePointer(description_.Text),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                              Scale(description_.Left), 0, Scale(description_.Width), Scale(height),
                              Parent, IdAsMenu(Id), Instance, nullptr);
  if (!window_)
    throw tk::ToolkitError("Cannot create edit box");
  if (Font)
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
}

void Win32EditBox::Rescale(HFONT Font, const DpiScale& Scale) noexcept {
  if (!window_)
    return;
  const int height = description_.Height > 0 ? description_.Height : 23;
  ::MoveWindow(window_, Scale(description_.Left), 0, Scale(description_.Width), Scale(height),
               TRUE);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE);
}

std::u16string Win32EditBox::Text() const {
  return window_ ? WindowText(window_) : description_.Text;
}

void Win32EditBox::SetText(std::u16string_view Text) {
  form_.EnsureWindow();
  description_.Text.assign(Text);
  if (window_ && !::SetWindowTextW(window_, WidePointer(description_.Text)))
    throw tk::ToolkitError("Cannot set the edit box text");
}

// --- tool bar --------------------------------------------------------------------------------

void Win32ToolBar::Create(HWND Parent, HINSTANCE Instance, int Id, HIMAGELIST Images,
                          const std::vector<int>& ItemIds, const DpiScale& Scale) {
  // Placed by the form (CCS_NORESIZE, CCS_NOPARENTALIGN), hidden unless the description shows
  // it; its tooltips ask the form for their texts.
  const DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT | CCS_TOP |
                      CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN |
                      (description_.ShowHints ? TBSTYLE_TOOLTIPS : 0) |
                      (description_.Visible ? WS_VISIBLE : 0);
  window_ = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 0,
                              Scale(description_.Height), Parent, IdAsMenu(Id), Instance, nullptr);
  if (!window_)
    throw tk::ToolkitError("Cannot create tool bar");
  ::SendMessageW(window_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ::SendMessageW(window_, TB_SETUNICODEFORMAT, TRUE, 0);
  if (Images)
    ::SendMessageW(window_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Images));
  Rescale(Scale);
  if (!description_.ShowCaptions)
    ::SendMessageW(window_, TB_SETMAXTEXTROWS, 0, 0);

  std::vector<TBBUTTON> buttons;
  buttons.reserve(description_.Items.size());
  for (std::size_t index = 0; index < description_.Items.size(); ++index) {
    const tk::ToolItemDescription& item = description_.Items[index];
    TBBUTTON button{};
    button.idCommand = ItemIds.at(index);
    button.iString = -1;
    if (item.Kind == tk::ToolItemKind::Button) {
      button.iBitmap = item.ImageIndex >= 0 ? item.ImageIndex : I_IMAGENONE;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON;
    } else {
      // A separator as wide as the item; an edit box sits over its own.
      button.iBitmap = Scale(item.Width);
      button.fsStyle = BTNS_SEP;
    }
    buttons.push_back(button);
  }
  if (!buttons.empty() && !::SendMessageW(window_, TB_ADDBUTTONSW, buttons.size(),
                                          reinterpret_cast<LPARAM>(buttons.data())))
    throw tk::ToolkitError("Cannot add tool buttons");
}

void Win32ToolBar::Rescale(const DpiScale& Scale) noexcept {
  if (window_ && description_.ButtonWidth > 0 && description_.ButtonHeight > 0)
    ::SendMessageW(window_, TB_SETBUTTONSIZE, 0,
                   MAKELPARAM(Scale(description_.ButtonWidth), Scale(description_.ButtonHeight)));
}

bool Win32ToolBar::Visible() const {
  if (!window_)
    return description_.Visible;
  return (::GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}

// --- open dialog -----------------------------------------------------------------------------

std::optional<std::u16string> Win32OpenDialog::Execute(tk::NativeWindow Owner) {
  // "name\0pattern\0" per filter, and one more zero at the end.
  std::wstring filter;
  for (const tk::FileFilter& entry : description_.Filters) {
    filter.append(reinterpret_cast<const wchar_t*>(entry.Description.data()),
                  entry.Description.size());
    filter.push_back(L'\0');
    filter.append(reinterpret_cast<const wchar_t*>(entry.Pattern.data()), entry.Pattern.size());
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');

  // Room for the longest path the system knows.
  std::wstring file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = ToHwnd(Owner);
  dialog.lpstrFilter = description_.Filters.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(std::max(description_.FilterIndex, 0));
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir =
      description_.InitialDir.empty() ? nullptr : WidePointer(description_.InitialDir);
  // The host's current folder is left alone.
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                 OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (::GetOpenFileNameW(&dialog))
    return FromWide(file.c_str());
  if (const DWORD error = ::CommDlgExtendedError(); error != 0)
    throw tk::ToolkitError("Cannot show the open dialog (error " + std::to_string(error) + ")");
  return std::nullopt;
}

// --- dropped files ---------------------------------------------------------------------------

uint32_t Win32DropSource::Count() const {
  return drop_ ? ::DragQueryFileW(drop_.Get(), 0xFFFFFFFFu, nullptr, 0) : 0;
}

uint32_t Win32DropSource::QueryFile(uint32_t Index, std::span<char16_t> Buffer) const {
  if (!drop_ || Buffer.empty() || Index == 0xFFFFFFFFu)
    return 0;
  const auto size = static_cast<UINT>(std::min<std::size_t>(Buffer.size(), UINT_MAX));
  const UINT result =
      ::DragQueryFileW(drop_.Get(), Index, reinterpret_cast<wchar_t*>(Buffer.data()), size);
  if (result == 0)
    return 0;
  // The name is cut to the buffer; count what actually arrived before the zero.
  const std::size_t limit = std::min<std::size_t>(size - 1, result);
  std::size_t copied = 0;
  while (copied < limit && Buffer[copied] != u'\0')
    ++copied;
  Buffer[copied] = u'\0';
  return static_cast<uint32_t>(copied);
}

// --- image lists -----------------------------------------------------------------------------

UniqueImageList CreateImageList(const tk::ImageListDescription& Description) {
  const int width = Description.Width;
  const int height = Description.Height;
  if (width <= 0 || height <= 0)
    throw tk::ToolkitError("Image list without a picture size");
  UniqueImageList list(::ImageList_Create(width, height,
                                          ILC_COLOR32 | (Description.Masked ? ILC_MASK : 0),
                                          static_cast<int>(Description.Pictures.size()), 0));
  if (!list)
    throw tk::ToolkitError("Cannot create image list");

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // rows from the top, as the pictures hold them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // Monochrome rows are padded to 16 bits; a set bit is a transparent pixel.
  const int maskStride = (width + 15) / 16 * 2;

  for (const tk::Picture& picture : Description.Pictures) {
    if (picture.Width != width || picture.Height != height ||
        picture.Pixels.size() != static_cast<std::size_t>(width) * height)
      throw tk::ToolkitError("Picture of the wrong size");
    void* bits = nullptr;
    UniqueBitmap colour(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits)
      throw tk::ToolkitError("Cannot create picture");
    auto* pixels = static_cast<uint32_t*>(bits);
    std::vector<uint8_t> mask(static_cast<std::size_t>(maskStride) * height, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::size_t at = static_cast<std::size_t>(y) * width + x;
        if (picture.Transparent(x, y)) {
          // Black under the mask, alpha 0: drawn as nothing with and without alpha blending.
          pixels[at] = 0;
          mask[static_cast<std::size_t>(y) * maskStride + x / 8] |=
              static_cast<uint8_t>(0x80u >> (x % 8));
        } else {
          pixels[at] = 0xFF000000u | picture.Colour(x, y);
        }
      }
    ::GdiFlush();
    UniqueBitmap maskBitmap(::CreateBitmap(width, height, 1, 1, mask.data()));
    if (!maskBitmap)
      throw tk::ToolkitError("Cannot create picture mask");
    // The list copies both bitmaps.
    if (::ImageList_Add(list.Get(), colour.Get(), Description.Masked ? maskBitmap.Get() : nullptr) <
        0)
      throw tk::ToolkitError("Cannot add picture");
  }
  return list;
}

} // namespace tkwin

#endif // _WIN32
