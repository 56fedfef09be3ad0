#pragma once

// The plugin's pop-up menus, read and answered without a person: a plan says which item to
// choose (or to cancel); a thread timer, which also runs inside the menu's own loop, finds the
// open menu, prints its items and chooses with the keyboard, as a user would. Also the right
// click that opens a node's menu, and the count of the process's menus.

#include "tools/lister-host/HostHandles_win.h"

#include <string>

namespace host {

class Host;

class PopupMenus {
public:
  explicit PopupMenus(Host& TheHost) noexcept : host_(TheHost) {}

  // The next pop-up menu gets Choice: an item's caption, or cancel.
  void Plan(std::wstring Choice);
  // After the step that should have opened a menu: whether one did.
  void Finish();

private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  void OnTimer();

  Host& host_;
  UniqueThreadTimer timer_;
  std::wstring choice_;
  bool seen_ = false;
};

// A right click on the tree node at Path (indices among siblings joined by dots: 0.2), with
// the cursor there.
void RightClickItem(Host& H, const std::wstring& Path);
// The process's USER objects (GetGuiResources; 0 under Wine) and the menus alive in it.
void PrintUserObjects(Host& H);

} // namespace host
