#ifdef _WIN32

// The tree's keyboard and context menu: the subclass that sorts key presses, and the pop-up
// menu.

#include "viewer/win32/KeyPress_win.h"
#include "viewer/win32/Win32Application_win.h"
#include "viewer/win32/Win32Form_win.h"
#include "viewer/win32/Win32TreeView_win.h"

#include <windowsx.h>

#include <memory>

namespace tkwin {

LRESULT CALLBACK Win32TreeView::SubclassProc(HWND Window, UINT Message, WPARAM WParam,
                                             LPARAM LParam) {
  auto* tree = WindowSubclass::DataOf<Win32TreeView>(Window);
  if (!tree)
    return WindowSubclass::CallClassProcedure(Window, Message, WParam, LParam);
  switch (Message) {
  case WM_NCDESTROY: {
    const LRESULT result = tree->subclass_.CallPrevious(Window, Message, WParam, LParam);
    tree->subclass_.Forget();
    return result;
  }
  case WM_GETDLGCODE:
    // Inside a dialog as well, every key comes here first: Tab, Esc and Enter included.
    return tree->subclass_.CallPrevious(Window, Message, WParam, LParam) | DLGC_WANTALLKEYS;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    return tree->OnKeyDown(Window, Message, WParam, LParam);
  case WM_KEYUP:
  case WM_SYSKEYUP:
    // Every character of the press came before its release.
    tree->swallowCharacters_ = false;
    if (tree->swallowRelease_ != 0 && tree->swallowRelease_ == WParam) {
      tree->swallowRelease_ = 0;
      // The control never saw the press; its release would make it act on its own (the
      // menu key's release asks for a second context menu). A system key's release goes on:
      // after F10 went to the lister window, it is what opens the lister's menu bar.
      if (Message == WM_KEYUP)
        return 0;
    }
    break;
  case WM_CHAR:
  case WM_DEADCHAR:
  case WM_SYSCHAR:
  case WM_SYSDEADCHAR:
    return tree->OnCharacter(Window, Message, WParam, LParam);
  case WM_CONTEXTMENU:
    tree->OnContextMenu(LParam);
    return 0;
  default:
    break;
  }
  return tree->subclass_.CallPrevious(Window, Message, WParam, LParam);
}

namespace {

// The host's keys, which an open label editor must not swallow: Esc, N and P (next and
// previous file) and the function keys.
bool IsHostKeyWhileEditing(WPARAM Key) noexcept {
  if (Key >= VK_F1 && Key <= VK_F24)
    return true;
  if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
    return false;
  if (Key == VK_ESCAPE)
    return true;
  return (Key == 'N' || Key == 'P') && ::GetKeyState(VK_SHIFT) >= 0;
}

} // namespace

LRESULT CALLBACK Win32TreeView::EditProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  auto* tree = WindowSubclass::DataOf<Win32TreeView>(Window);
  if (!tree)
    return WindowSubclass::CallClassProcedure(Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    const LRESULT result = tree->editSubclass_.CallPrevious(Window, Message, WParam, LParam);
    tree->editSubclass_.Forget();
    return result;
  }
  if ((Message == WM_KEYDOWN || Message == WM_SYSKEYDOWN) && IsHostKeyWhileEditing(WParam)) {
    // Cancelled, so the label keeps its text; then the key goes where it goes from the tree
    // (the host's Esc may destroy the viewer: nothing of it is used afterwards).
    const HWND control = tree->window_;
    ::SendMessageW(control, TVM_ENDEDITLABELNOW, TRUE, 0);
    ::SendMessageW(control, Message, WParam, LParam);
    return 0;
  }
  return tree->editSubclass_.CallPrevious(Window, Message, WParam, LParam);
}

LRESULT Win32TreeView::OnKeyDown(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  swallowCharacters_ = false;
  swallowRelease_ = 0;
  // Keys on their way to an input method are the input method's.
  const tk::TreeKeyEvent handler = description_.OnKeyDown;
  if (!handler || WParam == VK_PROCESSKEY)
    return subclass_.CallPrevious(Window, Message, WParam, LParam);
  const tk::KeyPress press = KeyPressOf(Message, WParam, LParam);
  // The handler may close the viewer (a menu whose loop runs the host's messages): held apart
  // from this object, and checked before anything of it is touched again.
  const tk::LifetimeWatch alive = form_.Lifetime();
  tk::KeyRoute route = tk::KeyRoute::Handled;
  form_.App().Guard([&] { route = handler(press); });
  if (alive.Expired() || window_ != Window)
    return 0;
  if (route == tk::KeyRoute::Tree)
    return subclass_.CallPrevious(Window, Message, WParam, LParam);
  swallowCharacters_ = true;
  swallowRelease_ = WParam;
  if (route == tk::KeyRoute::Host) {
    // The lister window acts on it as if it had the focus: Esc may destroy this viewer inside
    // the call, so nothing of this object is used after it.
    const HWND form = ::GetParent(Window);
    if (const HWND lister = form ? ::GetParent(form) : nullptr)
      ::SendMessageW(lister, Message, WParam, LParam);
  }
  return 0;
}

LRESULT Win32TreeView::OnCharacter(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (!swallowCharacters_)
    return subclass_.CallPrevious(Window, Message, WParam, LParam);
  // Alt with a letter still opens the menu of the window that has one, as everywhere; only
  // the control, whose search by first letter would act on it, does not see it.
  if (Message == WM_SYSCHAR || Message == WM_SYSDEADCHAR)
    return ::DefWindowProcW(Window, Message, WParam, LParam);
  return 0;
}

tk::TreeNodeHandle Win32TreeView::NodeAt(POINT Screen) const noexcept {
  if (!window_)
    return tk::NoNode;
  TVHITTESTINFO hit{};
  hit.pt = Screen;
  ::ScreenToClient(window_, &hit.pt);
  ::SendMessageW(window_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  constexpr UINT kOnRow = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
  if (!hit.hItem || (hit.flags & kOnRow) == 0 || !IsLive(hit.hItem))
    return tk::NoNode;
  return NodeOf(hit.hItem);
}

void Win32TreeView::OnContextMenu(LPARAM LParam) {
  // From the keyboard (-1): the selected node, beside it.
  if (LParam == -1) {
    RaiseContextPopup(Selected(), std::nullopt);
    return;
  }
  const POINT at{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
  RaiseContextPopup(NodeAt(at), tk::ScreenPoint{at.x, at.y});
}

LRESULT Win32TreeView::OnRightClick() {
  // Where the click was: the position of the message that ended it.
  const DWORD position = ::GetMessagePos();
  const POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  RaiseContextPopup(NodeAt(at), tk::ScreenPoint{at.x, at.y});
  // Handled: the control sends no WM_CONTEXTMENU of its own after it.
  return TRUE;
}

void Win32TreeView::RaiseContextPopup(tk::TreeNodeHandle Node, std::optional<tk::ScreenPoint> At) {
  // A copy: the handler may destroy this tree, and the slot with it.
  const tk::TreeContextPopupEvent handler = description_.OnContextPopup;
  if (handler)
    form_.App().Guard([&] { handler(Node, At); });
}

std::optional<std::size_t> Win32TreeView::PopupMenu(tk::TreeNodeHandle Node,
                                                    std::span<const tk::MenuItem> Items,
                                                    std::optional<tk::ScreenPoint> At) {
  const HWND tree = RequireWindow();
  const HTREEITEM item = Node ? Require(Node) : nullptr;
  // Destroyed on every path, whatever the menu loop did.
  const UniqueMenu menu(::CreatePopupMenu());
  if (!menu)
    throw tk::ToolkitError("Cannot create a menu");
  for (std::size_t index = 0; index < Items.size(); ++index) {
    const tk::MenuItem& entry = Items[index];
    const BOOL added =
        entry.Caption.empty()
            ? ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr)
            : ::AppendMenuW(menu.Get(), MF_STRING | (entry.Enabled ? MF_ENABLED : MF_GRAYED),
                            index + 1, WidePointer(entry.Caption));
    if (!added)
      throw tk::ToolkitError("Cannot build a menu");
  }
  POINT where{};
  if (At) {
    where = {At->X, At->Y};
  } else {
    // From the keyboard: below the node's label, or the tree's corner.
    RECT bounds{};
    if (item && TreeView_GetItemRect(tree, item, &bounds, TRUE))
      where = {bounds.left, bounds.bottom};
    ::ClientToScreen(tree, &where);
  }
  // The menu's loop runs the thread's messages, the host's among them: the viewer may be
  // closed before it returns, and then nothing is chosen.
  const tk::LifetimeWatch alive = form_.Lifetime();
  const auto chosen = static_cast<std::size_t>(::TrackPopupMenuEx(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, where.x, where.y, tree, nullptr));
  if (alive.Expired() || chosen == 0 || chosen > Items.size())
    return std::nullopt;
  return chosen - 1;
}

} // namespace tkwin

#endif // _WIN32
