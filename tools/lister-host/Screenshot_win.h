#pragma once

#include <string>

namespace host {

class Host;

// The current lister window's client area as a PNG file: copied from the screen, or with
// UsePrintWindow drawn by the windows themselves (PrintWindow).
void SaveScreenshot(Host& H, const std::wstring& Path, bool UsePrintWindow);

} // namespace host
