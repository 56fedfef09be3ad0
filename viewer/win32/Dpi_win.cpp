#ifdef _WIN32

#include "viewer/win32/Dpi_win.h"

#include <algorithm>

namespace tkwin {

namespace {

int ScreenDpi() noexcept {
  const HDC screen = ::GetDC(nullptr);
  if (!screen)
    return tk::DesignPixelsPerInch;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : tk::DesignPixelsPerInch;
}

} // namespace

int WindowDpi(HWND Window) noexcept {
  // Windows 10 1607 and later; looked up, so older systems still load the DLL.
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  if (Window) {
    if (const HMODULE user = ::GetModuleHandleW(L"user32.dll")) {
      const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
          reinterpret_cast<void*>(::GetProcAddress(user, "GetDpiForWindow")));
      if (getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(Window); dpi > 0)
          return static_cast<int>(dpi);
    }
  }
  return ScreenDpi();
}

int TreeItemHeightFor(HWND Tree, HFONT Font, const DpiScale& Scale) noexcept {
  const int minimum = Scale(16);
  const HDC dc = ::GetDC(Tree);
  if (!dc)
    return minimum;
  const HGDIOBJ old = Font ? ::SelectObject(dc, Font) : nullptr;
  TEXTMETRICW metrics{};
  const BOOL measured = ::GetTextMetricsW(dc, &metrics);
  if (old)
    ::SelectObject(dc, old);
  ::ReleaseDC(Tree, dc);
  if (!measured)
    return minimum;
  return std::max(minimum,
                  static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading) + Scale(3));
}

} // namespace tkwin

#endif // _WIN32
