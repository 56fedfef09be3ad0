#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace host {

class Host;

// Width x Height pixels, top row first, as 0x00BBGGRR: what Draw paints into a 32-bit memory
// bitmap made for Window's screen (Draw gets the bitmap's and the screen's device contexts).
std::vector<COLORREF> CapturePixels(HWND Window, int Width, int Height,
                                    const std::function<void(HDC Memory, HDC Screen)>& Draw);

// The current lister window's client area as a PNG file: copied from the screen, or with
// UsePrintWindow drawn by the windows themselves (PrintWindow).
void SaveScreenshot(Host& H, const std::wstring& Path, bool UsePrintWindow);

} // namespace host
