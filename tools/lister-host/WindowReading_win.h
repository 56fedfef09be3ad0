#pragma once

// Steps that read the viewer window back: its styles, size and user data, the places of its
// controls, the focus, the status bar and the hidden tool bar.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace host {

class Host;

void PrintViewerInfo(Host& H);
void PrintLayout(Host& H);
void PrintFocus(Host& H);
void PrintStatus(Host& H);
void PrintToolBar(Host& H);
// The text of the status bar's part (the first by default), escaped for one line; StepError
// when the viewer has no status bar.
std::string StatusText(HWND Viewer, int Part = 0);

} // namespace host
