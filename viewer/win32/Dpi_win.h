#pragma once

#ifdef _WIN32

#include "viewer/toolkit/Dpi.h"

#include <windows.h>

namespace tkwin {

// Sent to child windows after their top-level window moved to a screen of another DPI.
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

// Sizes of a window description, designed at DesignedAt pixels per inch, on a screen of Dpi.
struct DpiScale {
  int Dpi = tk::DesignPixelsPerInch;
  int DesignedAt = tk::DesignPixelsPerInch;

  int operator()(int Pixels) const noexcept { return tk::ScaleForDpi(Pixels, Dpi, DesignedAt); }
  friend bool operator==(const DpiScale&, const DpiScale&) = default;
};

// The pixels per inch of Window's screen: GetDpiForWindow where the system has it, else the
// screen's LOGPIXELSY. Without a window, the screen's.
int WindowDpi(HWND Window) noexcept;

// The height of a tree row in Font: the text with room for the focus frame, and never less
// than the tree's own 16-pixel minimum at the design DPI, scaled.
int TreeItemHeightFor(HWND Tree, HFONT Font, const DpiScale& Scale) noexcept;

} // namespace tkwin

#endif // _WIN32
