#ifdef _WIN32

#include "viewer/win32/Colours_win.h"

#include "viewer/toolkit/LabelPalette.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace tkwin {

namespace {

// TVM_SETBKCOLOR and TVM_SETTEXTCOLOR take -1 for the system colour, TVM_SETLINECOLOR takes
// CLR_DEFAULT.
constexpr LPARAM kSystemColour = -1;

} // namespace

void ApplyTreeColours(HWND Tree, tk::ColourScheme Scheme) noexcept {
  const bool dark = tk::IsDark(Scheme);
  ::SendMessageW(Tree, TVM_SETBKCOLOR, 0,
                 dark ? static_cast<LPARAM>(tk::DarkPalette::Background) : kSystemColour);
  ::SendMessageW(Tree, TVM_SETTEXTCOLOR, 0,
                 dark ? static_cast<LPARAM>(tk::DarkPalette::Text) : kSystemColour);
  ::SendMessageW(Tree, TVM_SETLINECOLOR, 0,
                 dark ? static_cast<LPARAM>(tk::DarkPalette::Lines)
                      : static_cast<LPARAM>(CLR_DEFAULT));
  ::InvalidateRect(Tree, nullptr, TRUE);
}

void ApplyTreeTheme(HWND Tree, TreeTheme Theme) noexcept {
  // Looked up in the theme library only where the process has it loaded already (the common
  // controls load it when they draw themed): without it there is no theme to change, and the
  // DLL needs no library beyond the ones it links.
  using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  const HMODULE themes = ::GetModuleHandleW(L"uxtheme.dll");
  if (!themes)
    return;
  const auto setWindowTheme = reinterpret_cast<SetWindowThemeFunction>(
      reinterpret_cast<void*>(::GetProcAddress(themes, "SetWindowTheme")));
  if (!setWindowTheme)
    return;
  // Both names empty removes what was set before: the control's own theme comes back.
  if (Theme == TreeTheme::DarkExplorer)
    setWindowTheme(Tree, L"DarkMode_Explorer", nullptr);
  else
    setWindowTheme(Tree, nullptr, nullptr);
}

tk::Colour TreeBackground(tk::ColourScheme Scheme) noexcept {
  return tk::IsDark(Scheme) ? tk::DarkPalette::Background
                            : static_cast<tk::Colour>(::GetSysColor(COLOR_WINDOW));
}

namespace {

// Puts a device context back as it was when the scope ends.
class SavedDc {
public:
  explicit SavedDc(HDC Dc) noexcept : dc_(Dc), saved_(::SaveDC(Dc)) {}
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;
  ~SavedDc() {
    if (saved_ != 0)
      ::RestoreDC(dc_, saved_);
  }

private:
  HDC dc_;
  int saved_;
};

bool SelectionShown(const NMTVCUSTOMDRAW& Draw, bool ShowSelectionAlways) noexcept {
  const HWND tree = Draw.nmcd.hdr.hwndFrom;
  const auto item = reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec);
  const auto state = static_cast<UINT>(::SendMessageW(
      tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_SELECTED | TVIS_DROPHILITED));
  if ((state & TVIS_DROPHILITED) != 0)
    return true;
  return (state & TVIS_SELECTED) != 0 && (ShowSelectionAlways || ::GetFocus() == tree);
}

// Draws the label of the item over its row, part by part: the control has drawn the row with
// the text in the background's colour.
void DrawLabelParts(const NMTVCUSTOMDRAW& Draw, tk::ColourScheme Scheme,
                    std::span<const tk::LabelPart> Parts) noexcept {
  const HWND tree = Draw.nmcd.hdr.hwndFrom;
  const auto item = reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec);
  // Labels with parts are short (the viewer cuts them): one buffer on the stack holds them.
  std::array<wchar_t, 1024> text{};
  TVITEMW read{};
  read.mask = TVIF_HANDLE | TVIF_TEXT;
  read.hItem = item;
  read.pszText = text.data();
  read.cchTextMax = static_cast<int>(text.size());
  if (!::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)))
    return;
  const std::wstring_view label(text.data());
  std::size_t total = 0;
  for (const tk::LabelPart& part : Parts)
    total += part.Length;
  if (total != label.size())
    return; // the label changed under its parts
  RECT area{};
  if (!TreeView_GetItemRect(tree, item, &area, TRUE))
    return;
  const SavedDc saved(Draw.nmcd.hdc);
  const HDC dc = Draw.nmcd.hdc;
  if (const auto font = reinterpret_cast<HFONT>(::SendMessageW(tree, WM_GETFONT, 0, 0)))
    ::SelectObject(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  const tk::LabelPalette& palette = tk::LabelPaletteOn(TreeBackground(Scheme));
  // Where the control puts its text: a small gap inside the text's rectangle.
  RECT at = area;
  at.left += 2;
  std::size_t offset = 0;
  for (const tk::LabelPart& part : Parts) {
    const wchar_t* run = label.data() + offset;
    const auto length = static_cast<int>(part.Length);
    offset += part.Length;
    ::SetTextColor(dc, palette.Of(part.Kind));
    ::DrawTextW(dc, run, length, &at, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, run, length, &size);
    at.left += size.cx;
    if (at.left >= at.right)
      break;
  }
}

} // namespace

std::optional<LRESULT> TreeCustomDraw(NMTVCUSTOMDRAW& Draw, tk::ColourScheme Scheme,
                                      bool ShowSelectionAlways,
                                      std::span<const tk::LabelPart> Parts) noexcept {
  switch (Draw.nmcd.dwDrawStage) {
  case CDDS_PREPAINT:
    return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT: {
    const bool shown = SelectionShown(Draw, ShowSelectionAlways);
    // The system's own selection colours are made for light backgrounds: without the focus
    // they would be light grey under light text.
    if (tk::IsDark(Scheme)) {
      Draw.clrText = shown ? tk::DarkPalette::SelectionText : tk::DarkPalette::Text;
      Draw.clrTextBk = shown ? tk::DarkPalette::SelectionBackground : tk::DarkPalette::Background;
    }
    if (shown || Parts.empty())
      return CDRF_DODEFAULT;
    Draw.clrTextBk = TreeBackground(Scheme);
    Draw.clrText = Draw.clrTextBk;
    return CDRF_NOTIFYPOSTPAINT;
  }
  case CDDS_ITEMPOSTPAINT:
    if (!Parts.empty() && !SelectionShown(Draw, ShowSelectionAlways))
      DrawLabelParts(Draw, Scheme, Parts);
    return CDRF_DODEFAULT;
  default:
    return CDRF_DODEFAULT;
  }
}

void FillSolid(HDC Dc, const RECT& Rect, tk::Colour Colour) noexcept {
  const COLORREF old = ::SetDCBrushColor(Dc, Colour);
  ::FillRect(Dc, &Rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  ::SetDCBrushColor(Dc, old);
}

void PaintDarkStatusBar(HWND Bar, HDC Dc, int TextIndent) noexcept {
  RECT client{};
  ::GetClientRect(Bar, &client);
  FillSolid(Dc, client, tk::DarkPalette::BarBackground);
  auto font = reinterpret_cast<HFONT>(::SendMessageW(Bar, WM_GETFONT, 0, 0));
  if (!font)
    font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const HGDIOBJ oldFont = ::SelectObject(Dc, font);
  const COLORREF oldColour = ::SetTextColor(Dc, tk::DarkPalette::Text);
  const int oldMode = ::SetBkMode(Dc, TRANSPARENT);
  const auto parts =
      static_cast<WPARAM>(std::max<LRESULT>(::SendMessageW(Bar, SB_GETPARTS, 0, 0), 1));
  std::wstring text;
  for (WPARAM part = 0; part < parts; ++part) {
    const auto length =
        static_cast<std::size_t>(LOWORD(::SendMessageW(Bar, SB_GETTEXTLENGTHW, part, 0)));
    RECT area{};
    if (length == 0 || !::SendMessageW(Bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&area)))
      continue;
    try {
      text.assign(length + 1, L'\0');
    } catch (...) {
      // Out of memory inside a paint: the bar keeps its background, without the text.
      break;
    }
    ::SendMessageW(Bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::char_traits<wchar_t>::length(text.c_str()));
    area.left += TextIndent;
    ::DrawTextW(Dc, text.c_str(), static_cast<int>(text.size()), &area,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  ::SetBkMode(Dc, oldMode);
  ::SetTextColor(Dc, oldColour);
  ::SelectObject(Dc, oldFont);
}

} // namespace tkwin

#endif // _WIN32
