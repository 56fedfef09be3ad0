#pragma once

// Steps that read how the plugin's controls look: their colours (as the controls report them,
// and as they paint), the theme the plugin asks for, and their sizes at the screen's DPI.

#include <string>

namespace host {

class Host;

// The tree's background, text and line colours, and the pixels of the selected node and the
// status bar as they paint themselves.
void PrintColours(Host& H);
// The colours a node's label paints in: the background behind it and its text colours, most
// pixels first (a colour counts once it covers a few pixels: antialiased edges do not).
void PrintLabelColours(Host& H, const std::wstring& Path);
// Asks for a node's info tip as the tree control does when the mouse rests on it
// (TVN_GETINFOTIPW to the tree's parent, with the control's buffer of INFOTIPSIZE units), and
// prints the text the plugin gives.
void PrintInfoTip(Host& H, const std::wstring& Path);
// Prints every SetWindowTheme call the plugin makes from now on (it looks the function up).
void WatchThemes(Host& H);
// The tree's item height, indent and font, the status bar's height, and whether the labels
// on screen fit their rows.
void PrintMetrics(Host& H);
// Makes lister-host aware of the screen's DPI, as the file manager is: windows made from now
// on are not scaled by the system.
void MakeDpiAware(Host& H);

} // namespace host
