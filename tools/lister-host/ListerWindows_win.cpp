#include "tools/lister-host/ListerWindows_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/Loading_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <algorithm>

namespace host {
namespace {

constexpr wchar_t kListerClass[] = L"ListerHostLister";
constexpr wchar_t kPanelClass[] = L"ListerHostPanel";

} // namespace

void ListerWindows::RegisterClasses() {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = &ListerWindows::WindowProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = kListerClass;
  RegisterClassExW(&cls);
  cls.lpszClassName = kPanelClass;
  RegisterClassExW(&cls);
  cls.lpfnWndProc = DefWindowProcW;
  cls.lpszClassName = kBareClass;
  RegisterClassExW(&cls);
}

Lister& ListerWindows::Add(bool Quick) {
  auto lister = std::make_unique<Lister>();
  lister->Number = ++made_;
  lister->Quick = Quick;
  const std::wstring title = L"Lister " + std::to_wstring(lister->Number);
  RECT rect{0, 0, kDefaultWidth, kDefaultHeight};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
  if (Quick) {
    // The quick-view panel case: the lister window is a child of a window of the main window.
    lister->Panel = UniqueWindow(CreateWindowExW(
        0, kPanelClass, (L"Panel " + std::to_wstring(lister->Number)).c_str(),
        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 30, 30, rect.right - rect.left,
        rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    RECT client{};
    GetClientRect(lister->Panel.Get(), &client);
    lister->Window = UniqueWindow(CreateWindowExW(
        0, kListerClass, title.c_str(), WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, client.right,
        client.bottom, lister->Panel.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
  } else {
    lister->Window = UniqueWindow(CreateWindowExW(
        0, kListerClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr),
        nullptr));
  }
  if (!lister->Window)
    throw StepError("cannot create a lister window");
  listers_.push_back(std::move(lister));
  current_ = listers_.size() - 1;
  host_.Pump();
  return *listers_.back();
}

void ListerWindows::RemoveLast() {
  if (!listers_.empty())
    listers_.pop_back();
  current_ = listers_.empty() ? 0 : listers_.size() - 1;
}

Lister& ListerWindows::Current() {
  if (listers_.empty())
    throw StepError("no lister window yet");
  return *listers_[current_];
}

void ListerWindows::Use(int Number) {
  const auto found = std::find_if(listers_.begin(), listers_.end(), [Number](const auto& lister) {
    return lister->Number == Number;
  });
  if (found == listers_.end())
    throw StepError("no lister " + std::to_string(Number));
  current_ = static_cast<std::size_t>(found - listers_.begin());
}

Lister* ListerWindows::OfViewer(HWND Window) {
  for (auto& lister : listers_)
    if (lister->Viewer == Window && Window != nullptr && !lister->ViewerDestroyed)
      return lister.get();
  return nullptr;
}

std::string ListerWindows::NameOf(HWND Window) const {
  if (Window == nullptr)
    return "none";
  for (const auto& lister : listers_) {
    const std::string number = std::to_string(lister->Number);
    if (lister->Window && lister->Window.Get() == Window)
      return "lister" + number;
    if (lister->Panel && lister->Panel.Get() == Window)
      return "panel" + number;
    if (lister->Viewer == Window && !lister->ViewerDestroyed)
      return "viewer" + number;
  }
  for (const auto& lister : listers_)
    if (lister->Viewer != nullptr && !lister->ViewerDestroyed && IsChild(lister->Viewer, Window))
      return "viewer" + std::to_string(lister->Number) + ":" + Utf8(ClassOf(Window));
  return "window(" + Utf8(ClassOf(Window)) + ")";
}

void ListerWindows::FitViewer(Lister& Target) {
  if (Target.Viewer == nullptr || !IsWindow(Target.Viewer) || !Target.Window)
    return;
  RECT client{};
  GetClientRect(Target.Window.Get(), &client);
  MoveWindow(Target.Viewer, 0, 0, client.right, client.bottom, TRUE);
}

LRESULT CALLBACK ListerWindows::WindowProc(HWND Window, UINT Message, WPARAM WParam,
                                           LPARAM LParam) {
  return Host::Instance()->Listers().OnMessage(Window, Message, WParam, LParam);
}

LRESULT ListerWindows::OnMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_SIZE:
    for (auto& lister : listers_) {
      if (lister->Window.Get() == Window) {
        FitViewer(*lister);
      } else if (lister->Panel.Get() == Window && lister->Window) {
        MoveWindow(lister->Window.Get(), 0, 0, LOWORD(LParam), HIWORD(LParam), TRUE);
      }
    }
    return 0;
  case WM_CLOSE:
    // As the file manager closes a lister: the plugin's window first, then its own.
    for (auto& lister : listers_) {
      if (lister->Window.Get() != Window && lister->Panel.Get() != Window)
        continue;
      if (lister->Viewer != nullptr && !lister->ViewerDestroyed &&
          host_.Plugin().Exports().ListCloseWindow != nullptr)
        CloseWindowOfPlugin(host_, lister->Viewer, "viewer" + std::to_string(lister->Number));
      DestroyWindow(Window);
      return 0;
    }
    break;
  case WM_NCDESTROY:
    // Gone with its parent or destroyed directly: the owner must not destroy it again.
    for (auto& lister : listers_) {
      if (lister->Window.Get() == Window)
        lister->Window.Release();
      if (lister->Panel.Get() == Window)
        lister->Panel.Release();
    }
    break;
  default:
    break;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

} // namespace host
