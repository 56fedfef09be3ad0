#include "tools/lister-host/PopupMenus_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/TreeReading_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <commctrl.h>

#include <vector>

namespace host {
namespace {

// The system's class of pop-up menu windows, and the message that gives their menu.
constexpr wchar_t kMenuClass[] = L"#32768";
constexpr UINT kGetMenuOfWindow = 0x01E1; // MN_GETHMENU

struct MenuEntry {
  std::wstring Caption; // empty for a separator
  bool Enabled = true;
};

std::vector<MenuEntry> EntriesOf(HMENU Menu) {
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(Menu);
  for (int i = 0; i < count; ++i) {
    wchar_t caption[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = static_cast<UINT>(std::size(caption) - 1);
    GetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &info);
    MenuEntry entry;
    if ((info.fType & MFT_SEPARATOR) == 0)
      entry.Caption = caption;
    entry.Enabled = (info.fState & (MFS_DISABLED | MFS_GRAYED)) == 0;
    entries.push_back(entry);
  }
  return entries;
}

// Wine hands out USER handles as even numbers from 0x20 up, and a handle's low word alone
// names it there; on Windows the probe finds nothing (GetGuiResources counts there).
int CountMenus() {
  int menus = 0;
  for (uintptr_t handle = 0x20; handle < 0xFFF0; handle += 2)
    if (IsMenu(reinterpret_cast<HMENU>(handle)))
      ++menus;
  return menus;
}

HWND OpenMenuWindow() {
  for (HWND window : ThreadWindows())
    if (IsWindowVisible(window) && ClassOf(window) == kMenuClass)
      return window;
  return nullptr;
}

} // namespace

void PopupMenus::Plan(std::wstring Choice) {
  choice_ = std::move(Choice);
  seen_ = false;
  timer_ = UniqueThreadTimer(20, &PopupMenus::TimerProc);
  host_.Out("menu-plan: " + Esc(choice_));
}

void PopupMenus::Finish() {
  if (!seen_)
    host_.Out("menu: none opened");
  timer_ = UniqueThreadTimer();
}

void CALLBACK PopupMenus::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  Host::Instance()->Menus().OnTimer();
}

void PopupMenus::OnTimer() {
  if (seen_)
    return;
  const HWND window = OpenMenuWindow();
  if (window == nullptr)
    return;
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(window, kGetMenuOfWindow, 0, 0));
  if (menu == nullptr)
    return;
  seen_ = true;
  const std::vector<MenuEntry> entries = EntriesOf(menu);
  std::string line = "menu (" + std::to_string(CountMenus()) + " menus alive):";
  for (const MenuEntry& entry : entries)
    line += entry.Caption.empty() ? " | ---"
                                  : " | " + Esc(entry.Caption) + (entry.Enabled ? "" : " (off)");
  host_.Out(line);
  // Down moves over the items that are no separators, the first press to the first of them.
  int downs = 0;
  bool found = false;
  for (const MenuEntry& entry : entries) {
    if (entry.Caption.empty())
      continue;
    ++downs;
    if (entry.Caption == choice_ && entry.Enabled) {
      found = true;
      break;
    }
  }
  if (!found) {
    host_.Out("menu: cancelled");
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  host_.Out("menu: choosing " + Esc(choice_));
  for (int i = 0; i < downs; ++i)
    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
}

void RightClickItem(Host& H, const std::wstring& Path) {
  const HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, true);
  RECT bounds{};
  if (!TreeView_GetItemRect(tree, item, &bounds, TRUE))
    throw StepError("the node is not on screen");
  POINT at{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  POINT screen = at;
  ClientToScreen(tree, &screen);
  SetCursorPos(screen.x, screen.y);
  H.Out("right-click: " + Esc(ItemLabel(tree, item)));
  PostMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageW(tree, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  H.Pump();
  H.Out("right-click: done");
}

void PrintUserObjects(Host& H) {
  H.Out("user objects: " + std::to_string(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) +
        ", menus " + std::to_string(CountMenus()));
}

} // namespace host
