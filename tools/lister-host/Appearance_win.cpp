#include "tools/lister-host/Appearance_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/Screenshot_win.h"
#include "tools/lister-host/TreeReading_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace host {
namespace {

std::string ColourName(COLORREF Colour) {
  if (Colour == CLR_NONE || Colour == CLR_DEFAULT)
    return "default";
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(Colour), GetGValue(Colour),
                GetBValue(Colour));
  return text;
}

// A window's client area as it paints itself into a bitmap (WM_PRINTCLIENT), as 0x00BBGGRR.
struct Painted {
  int Width = 0;
  int Height = 0;
  std::vector<COLORREF> Pixels;

  COLORREF At(int X, int Y) const { return Pixels[static_cast<std::size_t>(Y) * Width + X]; }
};

Painted Paint(HWND Window) {
  RECT client{};
  GetClientRect(Window, &client);
  Painted painted;
  painted.Width = client.right;
  painted.Height = client.bottom;
  if (painted.Width <= 0 || painted.Height <= 0)
    throw StepError("the window has no area");
  painted.Pixels = CapturePixels(Window, painted.Width, painted.Height, [&](HDC Memory, HDC) {
    SendMessageW(Window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Memory),
                 PRF_CLIENT | PRF_ERASEBKGND);
  });
  return painted;
}

int Distance(COLORREF A, COLORREF B) {
  return std::abs(GetRValue(A) - GetRValue(B)) + std::abs(GetGValue(A) - GetGValue(B)) +
         std::abs(GetBValue(A) - GetBValue(B));
}

// The colour of Rect's first pixel (the background there), and the one farthest from it (the
// text's, where antialiasing leaves other pixels between the two).
std::string RectColours(const Painted& Image, RECT Rect) {
  Rect.left = std::max<LONG>(Rect.left, 0);
  Rect.top = std::max<LONG>(Rect.top, 0);
  Rect.right = std::min<LONG>(Rect.right, Image.Width);
  Rect.bottom = std::min<LONG>(Rect.bottom, Image.Height);
  if (Rect.right <= Rect.left || Rect.bottom <= Rect.top)
    return "nothing painted";
  const COLORREF background = Image.At(Rect.left + 1, Rect.top + 1);
  COLORREF text = background;
  for (int y = Rect.top; y < Rect.bottom; ++y)
    for (int x = Rect.left; x < Rect.right; ++x)
      if (Distance(Image.At(x, y), background) > Distance(text, background))
        text = Image.At(x, y);
  return "background " + ColourName(background) + ", text " + ColourName(text);
}

HWND StatusBarOf(Host& H) {
  const Lister& lister = H.Listers().Current();
  const HWND bar = FindDescendant(lister.Viewer, L"msctls_statusbar32");
  if (bar == nullptr)
    throw StepError("no status bar");
  return bar;
}

RECT LabelRect(HWND Tree, HTREEITEM Item) {
  RECT bounds{};
  if (!TreeView_GetItemRect(Tree, Item, &bounds, TRUE))
    return RECT{};
  return bounds;
}

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
SetWindowThemeFn realSetWindowTheme = nullptr;
GetProcAddressFn realGetProcAddress = nullptr;

std::string ThemeArgument(LPCWSTR Text) {
  return Text == nullptr ? "null" : "\"" + Esc(Text) + "\"";
}

HRESULT WINAPI RecordedSetWindowTheme(HWND Window, LPCWSTR AppName, LPCWSTR IdList) {
  Host& h = *Host::Instance();
  h.Out("theme: SetWindowTheme(" + h.Listers().NameOf(Window) + ", " + ThemeArgument(AppName) +
        ", " + ThemeArgument(IdList) + ")");
  return realSetWindowTheme ? realSetWindowTheme(Window, AppName, IdList) : E_NOTIMPL;
}

FARPROC WINAPI WatchedGetProcAddress(HMODULE Module, LPCSTR Name) {
  const FARPROC found = realGetProcAddress(Module, Name);
  // Names only: an ordinal's "name" is a small number.
  if (found != nullptr && reinterpret_cast<uintptr_t>(Name) > 0xFFFF &&
      std::strcmp(Name, "SetWindowTheme") == 0) {
    realSetWindowTheme = reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void*>(found));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordedSetWindowTheme));
  }
  return found;
}

} // namespace

void PrintColours(Host& H) {
  const HWND tree = CurrentTree(H);
  H.Out("colours: tree background " +
        ColourName(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0))) + ", text " +
        ColourName(static_cast<COLORREF>(SendMessageW(tree, TVM_GETTEXTCOLOR, 0, 0))) + ", lines " +
        ColourName(static_cast<COLORREF>(SendMessageW(tree, TVM_GETLINECOLOR, 0, 0))));
  const Painted painted = Paint(tree);
  if (const auto selected =
          reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)))
    H.Out("colours: selected node painted with " + RectColours(painted, LabelRect(tree, selected)) +
          (GetFocus() == tree ? " (tree focused)" : " (tree not focused)"));
  const HWND bar = StatusBarOf(H);
  const Painted status = Paint(bar);
  RECT whole{0, 0, status.Width, status.Height};
  H.Out("colours: status bar painted with " + RectColours(status, whole));
}

void PrintLabelColours(Host& H, const std::wstring& Path) {
  const HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, true);
  const Painted painted = Paint(tree);
  RECT rect = LabelRect(tree, item);
  rect.left = std::max<LONG>(rect.left, 0);
  rect.top = std::max<LONG>(rect.top, 0);
  rect.right = std::min<LONG>(rect.right, painted.Width);
  rect.bottom = std::min<LONG>(rect.bottom, painted.Height);
  if (rect.right <= rect.left + 1 || rect.bottom <= rect.top + 1)
    throw StepError("the node's label is not on screen");
  const COLORREF background = painted.At(rect.left + 1, rect.top + 1);
  std::map<COLORREF, int> counts;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      if (const COLORREF pixel = painted.At(x, y); pixel != background)
        ++counts[pixel];
  std::vector<std::pair<int, COLORREF>> byCount;
  for (const auto& [colour, count] : counts)
    if (count >= 4)
      byCount.emplace_back(-count, colour);
  std::sort(byCount.begin(), byCount.end());
  std::string line = "label colours " + Esc(ItemLabel(tree, item)) + ": background " +
                     ColourName(background) + ", text";
  for (const auto& [count, colour] : byCount)
    line += " " + ColourName(colour);
  H.Out(line);
}

void PrintInfoTip(Host& H, const std::wstring& Path) {
  const HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, true);
  std::vector<wchar_t> buffer(INFOTIPSIZE, L'\0');
  NMTVGETINFOTIPW tip{};
  tip.hdr.hwndFrom = tree;
  tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree));
  tip.hdr.code = TVN_GETINFOTIPW;
  tip.pszText = buffer.data();
  tip.cchTextMax = static_cast<int>(buffer.size());
  tip.hItem = item;
  TVITEMW read{};
  read.mask = TVIF_HANDLE | TVIF_PARAM;
  read.hItem = item;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
  tip.lParam = read.lParam;
  SendMessageW(GetParent(tree), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
  buffer.back() = L'\0';
  const std::wstring text(buffer.data());
  H.Out("info tip " + Esc(ItemLabel(tree, item)) + ": " + std::to_string(text.size()) +
        " units: " + Esc(text));
}

void WatchThemes(Host& H) {
  if (!H.Plugin().Loaded())
    throw StepError("the plugin is not loaded");
  void* previous = H.Plugin().ReplaceImport("kernel32.dll", "GetProcAddress",
                                            reinterpret_cast<void*>(&WatchedGetProcAddress));
  if (previous == nullptr)
    throw StepError("the plugin does not import GetProcAddress");
  realGetProcAddress = reinterpret_cast<GetProcAddressFn>(previous);
  H.Out("watch-themes: the plugin's SetWindowTheme calls are printed");
}

void PrintMetrics(Host& H) {
  const HWND tree = CurrentTree(H);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0));
  LOGFONTW logical{};
  if (font != nullptr)
    GetObjectW(font, sizeof logical, &logical);
  RECT bar{};
  GetWindowRect(StatusBarOf(H), &bar);
  H.Out("metrics: item height " + std::to_string(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0)) +
        ", indent " + std::to_string(SendMessageW(tree, TVM_GETINDENT, 0, 0)) + ", font height " +
        std::to_string(logical.lfHeight) + ", status bar height " +
        std::to_string(bar.bottom - bar.top));
  WindowDc dc(tree, GetDC(tree));
  SelectedObject selected(dc.Get(), font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  int shown = 0;
  int cut = 0;
  std::string firstCut;
  for (auto item =
           reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
       item != nullptr; item = NextItem(tree, item, TVGN_NEXTVISIBLE)) {
    const RECT rect = LabelRect(tree, item);
    if (rect.bottom <= rect.top)
      break; // below the window's edge
    const std::wstring label = ItemLabel(tree, item);
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), label.c_str(), static_cast<int>(label.size()), &extent);
    ++shown;
    if (extent.cx > rect.right - rect.left || extent.cy > rect.bottom - rect.top) {
      if (cut++ == 0)
        firstCut = Esc(label) + " needs " + std::to_string(extent.cx) + "x" +
                   std::to_string(extent.cy) + ", has " + std::to_string(rect.right - rect.left) +
                   "x" + std::to_string(rect.bottom - rect.top);
    }
  }
  H.Out("metrics: " + std::to_string(shown) + " labels shown, " + std::to_string(cut) + " cut" +
        (cut > 0 ? " (first: " + firstCut + ")" : ""));
}

void MakeDpiAware(Host& H) {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, else the older whole-process switch.
  const bool aware =
      (setContext != nullptr && setContext(reinterpret_cast<HANDLE>(-4))) || SetProcessDPIAware();
  WindowDc screen(nullptr, GetDC(nullptr));
  H.Out(std::string("dpi-aware: ") + (aware ? "yes" : "no") + ", screen " +
        std::to_string(GetDeviceCaps(screen.Get(), LOGPIXELSY)) + " pixels per inch");
}

} // namespace host
