#pragma once

// Questions lister-host asks about windows, and its clock.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace host {

std::wstring ClassOf(HWND Window);
std::wstring TextOf(HWND Window);
// Every window the thread owns, top-level and child, hidden ones included.
std::vector<HWND> ThreadWindows();
std::vector<HWND> Descendants(HWND Window);
// The first descendant of the window class (compared without case), or nullptr.
HWND FindDescendant(HWND Window, std::wstring_view Class);
// The style bits by name, joined by |; bits without a name in hexadecimal.
std::string StyleNames(DWORD Style);

LARGE_INTEGER Now();
double Milliseconds(LARGE_INTEGER From, LARGE_INTEGER To);

} // namespace host
