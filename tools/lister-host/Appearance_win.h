#pragma once

// Steps that read how the plugin's controls look: their colours (as the controls report them,
// and as they paint), the theme the plugin asks for, and their sizes at the screen's DPI.

namespace host {

class Host;

// The tree's background, text and line colours, and the pixels of the selected node and the
// status bar as they paint themselves.
void PrintColours(Host& H);
// Prints every SetWindowTheme call the plugin makes from now on (it looks the function up).
void WatchThemes(Host& H);
// The tree's item height, indent and font, the status bar's height, and whether the labels
// on screen fit their rows.
void PrintMetrics(Host& H);
// Makes lister-host aware of the screen's DPI, as the file manager is: windows made from now
// on are not scaled by the system.
void MakeDpiAware(Host& H);

} // namespace host
