#include "tools/lister-host/Loading_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace host {
namespace {

std::vector<char> ParseBytes(const std::wstring& Hex) {
  std::vector<char> bytes;
  std::size_t i = 0;
  while (i < Hex.size()) {
    if (iswspace(Hex[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= Hex.size())
      throw StepError("odd number of hex digits");
    const std::wstring pair = Hex.substr(i, 2);
    wchar_t* end = nullptr;
    const long value = std::wcstol(pair.c_str(), &end, 16);
    if (*end != L'\0')
      throw StepError("not hex: " + Utf8(pair));
    bytes.push_back(static_cast<char>(value));
    i += 2;
  }
  bytes.push_back('\0');
  return bytes;
}

// Takes the WM_SETFOCUS messages that are queued right after ListLoad returned, prints those
// for the viewer and puts them all back, so they are delivered as if never looked at.
void CountPostedFocus(Host& H, const Lister& Target) {
  std::vector<MSG> queued;
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_SETFOCUS, WM_SETFOCUS, PM_REMOVE | PM_NOYIELD))
    queued.push_back(message);
  int forViewer = 0;
  std::string parameters;
  for (const MSG& m : queued) {
    if (m.hwnd == Target.Viewer) {
      ++forViewer;
      parameters +=
          " (wParam " + std::to_string(m.wParam) + ", lParam " + std::to_string(m.lParam) + ")";
    }
  }
  for (const MSG& m : queued)
    PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
  H.Out("load " + std::to_string(Target.Number) +
        ": WM_SETFOCUS posted to the viewer: " + std::to_string(forViewer) + parameters);
}

// The name in the ANSI code page, with its zero.
std::vector<char> AnsiName(const std::wstring& File) {
  const int length = WideCharToMultiByte(CP_ACP, 0, File.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> bytes(static_cast<std::size_t>(std::max(length, 1)));
  WideCharToMultiByte(CP_ACP, 0, File.c_str(), -1, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

} // namespace

void LoadFile(Host& H, bool Quick, LoadVia Via, const std::wstring& File) {
  if (!H.Plugin().Loaded())
    throw StepError("the plugin is not loaded");
  const ListerExports& plugin = H.Plugin().Exports();
  const bool wide = Via == LoadVia::WideIfExported && plugin.ListLoadW != nullptr;
  if (!wide && plugin.ListLoad == nullptr)
    throw StepError("the plugin exports no ListLoad");
  Lister& lister = H.Listers().Add(Quick);
  const std::string name = "load " + std::to_string(lister.Number);
  HWND viewer = nullptr;
  LARGE_INTEGER started{};
  LARGE_INTEGER finished{};
  if (wide) {
    std::wstring buffer = File;
    started = Now();
    viewer = plugin.ListLoadW(lister.Window.Get(), buffer.data(), H.ShowFlags);
    finished = Now();
  } else {
    std::vector<char> bytes = Via == LoadVia::Bytes ? ParseBytes(File) : AnsiName(File);
    started = Now();
    viewer = plugin.ListLoad(lister.Window.Get(), bytes.data(), H.ShowFlags);
    finished = Now();
  }
  H.LastLoadMs = Milliseconds(started, finished);
  lister.Viewer = viewer;
  const char* via = wide ? "ListLoadW" : "ListLoad";
  if (viewer == nullptr) {
    H.Out(name + ": " + via + " returned no window");
    return;
  }
  H.Out(name + ": " + via + " returned a window" +
        (IsWindow(viewer) ? "" : " that does not exist") + ", child of " +
        H.Listers().NameOf(GetParent(viewer)));
  // As the file manager does, right after ListLoad and before the message loop runs again.
  if (H.Subclass().ForLoads())
    H.Subclass().Add(viewer);
  CountPostedFocus(H, lister);
  H.Listers().FitViewer(lister);
}

void LoadIntoDeadWindow(Host& H, const std::wstring& File) {
  const ListLoadWFn load = H.Plugin().Exports().ListLoadW;
  if (load == nullptr)
    throw StepError("the plugin exports no ListLoadW");
  HWND dead = CreateWindowExW(0, kBareClass, L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  DestroyWindow(dead);
  std::wstring buffer = File;
  HWND viewer = load(dead, buffer.data(), H.ShowFlags);
  H.Out(std::string("load-dead: ListLoadW returned ") +
        (viewer != nullptr ? "a window" : "no window"));
}

HWND LoadSilently(Host& H, Lister& Target, const std::wstring& File) {
  const ListerExports& plugin = H.Plugin().Exports();
  HWND viewer = nullptr;
  if (plugin.ListLoadW != nullptr) {
    std::wstring buffer = File;
    viewer = plugin.ListLoadW(Target.Window.Get(), buffer.data(), H.ShowFlags);
  } else {
    std::vector<char> ansi = AnsiName(File);
    viewer = plugin.ListLoad(Target.Window.Get(), ansi.data(), H.ShowFlags);
  }
  Target.Viewer = viewer;
  if (viewer != nullptr && H.Subclass().ForLoads())
    H.Subclass().Add(viewer);
  return viewer;
}

void CloseWindowOfPlugin(Host& H, HWND Window, const std::string& Label) {
  const ListCloseWindowFn close = H.Plugin().Exports().ListCloseWindow;
  if (close == nullptr)
    throw StepError("the plugin exports no ListCloseWindow");
  H.Out("close: ListCloseWindow(" + Label + ")");
  close(Window);
  H.Out("close: returned");
}

void CloseOtherWindows(Host& H) {
  std::array<uintptr_t, 4> hostData{};
  for (const bool filled : {false, true}) {
    UniqueWindow other(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr));
    if (filled)
      SetWindowLongPtrW(other.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hostData.data()));
    const std::string label = filled ? "another window with user data" : "another window";
    CloseWindowOfPlugin(H, other.Get(), label);
    H.Out("close-other: " + label + " is " + (IsWindow(other.Get()) ? "still there" : "gone") +
          ", its user data " +
          (GetWindowLongPtrW(other.Get(), GWLP_USERDATA) ==
                   (filled ? reinterpret_cast<LONG_PTR>(hostData.data()) : 0)
               ? "unchanged"
               : "CHANGED"));
  }
}

void CloseListerWindow(Host& H) {
  Lister& lister = H.Listers().Current();
  CloseWindowOfPlugin(H, lister.Window.Get(), "lister" + std::to_string(lister.Number));
  H.Out(std::string("close-lister: lister window ") +
        (IsWindow(lister.Window.Get()) ? "still there" : "gone") + ", viewer " +
        (IsWindow(lister.Viewer) ? "still there" : "gone"));
}

void DestroyListerWindow(Host& H) {
  Lister& lister = H.Listers().Current();
  H.Out("destroy-lister: lister" + std::to_string(lister.Number));
  lister.Window.Reset();
  lister.Panel.Reset();
  H.Out("destroy-lister: done");
}

void DestroyViewerWindow(Host& H) {
  Lister& lister = H.Listers().Current();
  H.Out("destroy-viewer: viewer" + std::to_string(lister.Number));
  const BOOL destroyed = DestroyWindow(lister.Viewer);
  H.Out(std::string("destroy-viewer: DestroyWindow ") + (destroyed ? "succeeded" : "failed"));
}

void SizeLister(Host& H, int Width, int Height) {
  Lister& lister = H.Listers().Current();
  RECT rect{0, 0, Width, Height};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(lister.Window.Get(), GWL_STYLE));
  AdjustWindowRectEx(&rect, style, FALSE, 0);
  SetWindowPos(lister.Window.Get(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER);
}

void CloseAsUser(Host& H) {
  Lister& lister = H.Listers().Current();
  PostMessageW(lister.Panel ? lister.Panel.Get() : lister.Window.Get(), WM_CLOSE, 0, 0);
  H.Out("user-close: lister" + std::to_string(lister.Number));
}

void FillUserData(Host& H) {
  Lister& lister = H.Listers().Current();
  SetWindowLongPtrW(lister.Viewer, GWLP_USERDATA, static_cast<LONG_PTR>(0x484F5354));
  H.Out("host-user-data: viewer" + std::to_string(lister.Number) + " holds the host's value");
}

void RunUntilListersClosed(Host& H) {
  auto anyOpen = [&H] {
    const auto& all = H.Listers().All();
    return std::any_of(all.begin(), all.end(), [](const auto& lister) {
      return lister->Window && IsWindow(lister->Window.Get());
    });
  };
  MSG message;
  while (anyOpen() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  H.Out("show: every lister window is closed");
}

} // namespace host
