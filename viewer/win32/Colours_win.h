#pragma once

#ifdef _WIN32

#include "viewer/toolkit/ColourScheme.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>

// The colour schemes on the common controls. The dark scheme paints with tk::DarkPalette;
// the system scheme hands every colour back to the control's defaults.
namespace tkwin {

// The system theme a tree is drawn with: none set by us, or the dark Explorer theme.
enum class TreeTheme { Default, DarkExplorer };

constexpr TreeTheme TreeThemeOf(tk::ColourScheme Scheme) {
  return Scheme == tk::ColourScheme::DarkNative ? TreeTheme::DarkExplorer : TreeTheme::Default;
}

// Background, text and line colours of a tree; TVM_SET*COLOR, or the defaults for System.
void ApplyTreeColours(HWND Tree, tk::ColourScheme Scheme) noexcept;
// The tree's theme; on systems without the dark theme (or without themes) the tree keeps its
// look.
void ApplyTreeTheme(HWND Tree, TreeTheme Theme) noexcept;

// NM_CUSTOMDRAW of a tree in a dark scheme: the selected item in the selection colours while
// the selection shows (the tree has the focus, or ShowSelectionAlways), every other item in
// the tree's colours. Nothing (the control's own drawing) for the system scheme.
std::optional<LRESULT> DarkTreeCustomDraw(NMTVCUSTOMDRAW& Draw, tk::ColourScheme Scheme,
                                          bool ShowSelectionAlways) noexcept;

// Paints a status bar's whole client area in the dark colours, with the text of its first
// panel in Font (the bar's own when none).
void PaintDarkStatusBar(HWND Bar, HDC Dc, int TextIndent) noexcept;

// Fills Rect in Colour without creating a brush.
void FillSolid(HDC Dc, const RECT& Rect, tk::Colour Colour) noexcept;

} // namespace tkwin

#endif // _WIN32
