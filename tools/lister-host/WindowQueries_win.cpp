#include "tools/lister-host/WindowQueries_win.h"

#include "tools/lister-host/HostText.h"

#include <algorithm>
#include <cwchar>

namespace host {

std::wstring ClassOf(HWND Window) {
  wchar_t name[256] = {};
  GetClassNameW(Window, name, 256);
  return name;
}

std::wstring TextOf(HWND Window) {
  const int length = GetWindowTextLengthW(Window);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(Window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

namespace {

// Named CALLBACK functions, not lambdas: a lambda converts only to a pointer of the default
// calling convention, which on 32-bit Windows is not the stdcall WNDENUMPROC wants.
BOOL CALLBACK CollectWindow(HWND Window, LPARAM List) {
  reinterpret_cast<std::vector<HWND>*>(List)->push_back(Window);
  return TRUE;
}

BOOL CALLBACK CollectWindowAndChildren(HWND Window, LPARAM List) {
  CollectWindow(Window, List);
  EnumChildWindows(Window, CollectWindow, List);
  return TRUE;
}

} // namespace

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), CollectWindowAndChildren,
                    reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND Window) {
  std::vector<HWND> found;
  EnumChildWindows(Window, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindDescendant(HWND Window, std::wstring_view Class) {
  if (Window == nullptr)
    return nullptr;
  for (HWND child : Descendants(Window))
    if (_wcsicmp(ClassOf(child).c_str(), std::wstring(Class).c_str()) == 0)
      return child;
  return nullptr;
}

std::string StyleNames(DWORD Style) {
  std::string names;
  auto add = [&](DWORD bit, const char* name) {
    if ((Style & bit) != 0) {
      if (!names.empty())
        names += '|';
      names += name;
      Style &= ~bit;
    }
  };
  add(WS_POPUP, "WS_POPUP");
  add(WS_CHILD, "WS_CHILD");
  add(WS_MINIMIZE, "WS_MINIMIZE");
  add(WS_VISIBLE, "WS_VISIBLE");
  add(WS_DISABLED, "WS_DISABLED");
  add(WS_CLIPSIBLINGS, "WS_CLIPSIBLINGS");
  add(WS_CLIPCHILDREN, "WS_CLIPCHILDREN");
  add(WS_MAXIMIZE, "WS_MAXIMIZE");
  add(WS_CAPTION, "WS_CAPTION");
  add(WS_BORDER, "WS_BORDER");
  add(WS_DLGFRAME, "WS_DLGFRAME");
  add(WS_VSCROLL, "WS_VSCROLL");
  add(WS_HSCROLL, "WS_HSCROLL");
  add(WS_SYSMENU, "WS_SYSMENU");
  add(WS_THICKFRAME, "WS_THICKFRAME");
  if (Style != 0) {
    if (!names.empty())
      names += '|';
    names += Hex(Style);
  }
  return names.empty() ? "0" : names;
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

double Milliseconds(LARGE_INTEGER From, LARGE_INTEGER To) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(To.QuadPart - From.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

} // namespace host
