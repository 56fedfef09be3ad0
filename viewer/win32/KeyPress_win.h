#pragma once

#ifdef _WIN32

#include "viewer/toolkit/Keys.h"

#include <windows.h>

namespace tkwin {

// The key press of a WM_KEYDOWN or WM_SYSKEYDOWN, read while its message is handled: the key,
// the character it types with the thread's keyboard layout and state, and the modifiers held.
// Reading the character leaves the keyboard's dead-key state as it was, so the characters the
// host's TranslateMessage makes of later keys come out right.
tk::KeyPress KeyPressOf(UINT Message, WPARAM WParam, LPARAM LParam) noexcept;

} // namespace tkwin

#endif // _WIN32
