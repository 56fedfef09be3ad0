#ifdef _WIN32

#include "viewer/win32/Colours_win.h"

#include <algorithm>
#include <string>

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

std::optional<LRESULT> DarkTreeCustomDraw(NMTVCUSTOMDRAW& Draw, tk::ColourScheme Scheme,
                                          bool ShowSelectionAlways) noexcept {
  if (!tk::IsDark(Scheme))
    return std::nullopt;
  switch (Draw.nmcd.dwDrawStage) {
  case CDDS_PREPAINT:
    return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT: {
    const HWND tree = Draw.nmcd.hdr.hwndFrom;
    const auto item = reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec);
    const bool selected =
        (::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_SELECTED) &
         TVIS_SELECTED) != 0;
    // The system's own selection colours are made for light backgrounds: without the focus
    // they would be light grey under light text.
    const bool shown = selected && (ShowSelectionAlways || ::GetFocus() == tree);
    Draw.clrText = shown ? tk::DarkPalette::SelectionText : tk::DarkPalette::Text;
    Draw.clrTextBk = shown ? tk::DarkPalette::SelectionBackground : tk::DarkPalette::Background;
    return CDRF_DODEFAULT;
  }
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
