#include "tools/lister-host/WindowReading_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <commctrl.h>

#include <cwchar>

namespace host {

void PrintViewerInfo(Host& H) {
  Lister& lister = H.Listers().Current();
  const std::string name = "viewer" + std::to_string(lister.Number);
  if (lister.Viewer == nullptr) {
    H.Out(name + ": none");
    return;
  }
  if (lister.ViewerDestroyed || !IsWindow(lister.Viewer)) {
    H.Out(name + ": destroyed");
    return;
  }
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(lister.Viewer, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(lister.Viewer, GWL_EXSTYLE));
  RECT rect{};
  GetClientRect(lister.Viewer, &rect);
  RECT listerRect{};
  GetClientRect(lister.Window.Get(), &listerRect);
  H.Out(name + ": parent " + H.Listers().NameOf(GetParent(lister.Viewer)) + ", style " +
        StyleNames(style));
  H.Out(name + ": accepts dropped files: " + ((exStyle & WS_EX_ACCEPTFILES) != 0 ? "yes" : "no"));
  H.Out(name + ": size " + std::to_string(rect.right) + "x" + std::to_string(rect.bottom) +
        ", lister client area " + std::to_string(listerRect.right) + "x" +
        std::to_string(listerRect.bottom));
  H.Out(name + ": caption " + Esc(TextOf(lister.Viewer)));
  H.Out(name + ": user data " +
        (GetWindowLongPtrW(lister.Viewer, GWLP_USERDATA) != 0 ? "set" : "clear"));
  H.Out(name + ": window procedure " + HostSubclass::ProcedureName(lister.Viewer));
}

void PrintLayout(Host& H) {
  Lister& lister = H.Listers().Current();
  const std::string name = "viewer" + std::to_string(lister.Number);
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError(name + " does not exist");
  RECT client{};
  GetClientRect(lister.Viewer, &client);
  H.Out("layout " + name + ": client " + std::to_string(client.right) + "x" +
        std::to_string(client.bottom));
  for (HWND child = GetWindow(lister.Viewer, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, lister.Viewer, reinterpret_cast<POINT*>(&rect), 2);
    H.Out("layout " + name + ": " + Utf8(ClassOf(child)) + " " +
          (IsWindowVisible(child) ? "visible" : "hidden") + " at " + std::to_string(rect.left) +
          "," + std::to_string(rect.top) + " size " + std::to_string(rect.right - rect.left) + "x" +
          std::to_string(rect.bottom - rect.top));
  }
}

void PrintFocus(Host& H) { H.Out("focus: " + H.Listers().NameOf(GetFocus())); }

std::string StatusText(HWND Viewer, int Part) {
  HWND bar = FindDescendant(Viewer, L"msctls_statusbar32");
  if (bar == nullptr)
    throw StepError("no status bar");
  const bool simple = SendMessageW(bar, SB_ISSIMPLE, 0, 0) != 0;
  const WPARAM part = simple ? SB_SIMPLEID : static_cast<WPARAM>(Part);
  const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return Esc(text);
}

void PrintStatus(Host& H) {
  Lister& lister = H.Listers().Current();
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError("viewer" + std::to_string(lister.Number) + " does not exist");
  HWND bar = FindDescendant(lister.Viewer, L"msctls_statusbar32");
  const auto parts = bar != nullptr ? SendMessageW(bar, SB_GETPARTS, 0, 0) : 0;
  H.Out("status: " + StatusText(lister.Viewer));
  H.Out("status parts: " + std::to_string(parts));
  // Each further part on a line of its own, with where it begins and ends in the bar.
  for (int part = 1; part < parts; ++part) {
    RECT rect{};
    SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&rect));
    H.Out("status part " + std::to_string(part) + " at " + std::to_string(rect.left) + " to " +
          std::to_string(rect.right) + ": " + StatusText(lister.Viewer, part));
  }
}

void PrintToolBar(Host& H) {
  Lister& lister = H.Listers().Current();
  HWND bar = FindDescendant(lister.Viewer, L"ToolbarWindow32");
  if (bar == nullptr) {
    H.Out("toolbar: none");
    return;
  }
  const auto count = SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  H.Out(std::string("toolbar: ") + (IsWindowVisible(bar) ? "visible" : "hidden") + ", " +
        std::to_string(count) + " buttons, parent " + H.Listers().NameOf(GetParent(bar)));
  HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
    RECT rect{};
    SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
    std::string line = "toolbar button " + std::to_string(i) + ": " +
                       ((button.fsStyle & BTNS_SEP) != 0 ? "separator" : "button") + " id " +
                       std::to_string(button.idCommand) + " image " +
                       std::to_string(button.iBitmap) + " left " + std::to_string(rect.left) +
                       " width " + std::to_string(rect.right - rect.left);
    if (tips != nullptr && (button.fsStyle & BTNS_SEP) == 0) {
      std::wstring text(1024, L'\0');
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.hwnd = bar;
      info.uId = static_cast<UINT_PTR>(button.idCommand);
      info.lpszText = text.data();
      SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
      if (info.lpszText != nullptr && info.lpszText != LPSTR_TEXTCALLBACKW)
        line += " tooltip " + Esc(std::wstring(info.lpszText));
    }
    H.Out(line);
  }
  if (HWND edit = FindDescendant(bar, L"Edit"))
    H.Out("toolbar edit: " + Esc(TextOf(edit)));
}

} // namespace host
