#pragma once

#ifdef _WIN32

#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/LabelParts.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <span>

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

// NM_CUSTOMDRAW of a tree. In a dark scheme the selected item shows in the selection colours
// while the selection shows (the tree has the focus, or ShowSelectionAlways), every other item
// in the tree's colours. An item with label parts (Parts, the item's) that is not shown
// selected gets its label drawn part by part in the label palette's colours after the control
// has drawn the row (its own text made invisible, so its background, lines, button and focus
// frame stay the control's); a selected one keeps the selection's text colour.
std::optional<LRESULT> TreeCustomDraw(NMTVCUSTOMDRAW& Draw, tk::ColourScheme Scheme,
                                      bool ShowSelectionAlways,
                                      std::span<const tk::LabelPart> Parts) noexcept;

// The background a tree has in Scheme.
tk::Colour TreeBackground(tk::ColourScheme Scheme) noexcept;

// Paints a status bar's whole client area in the dark colours, with the text of its first
// panel in Font (the bar's own when none).
void PaintDarkStatusBar(HWND Bar, HDC Dc, int TextIndent) noexcept;

// Fills Rect in Colour without creating a brush.
void FillSolid(HDC Dc, const RECT& Rect, tk::Colour Colour) noexcept;

} // namespace tkwin

#endif // _WIN32
