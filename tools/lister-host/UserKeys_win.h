#pragma once

// Key presses as a user makes them on the focused window: the modifiers held in the thread's
// keyboard state, the key's WM_KEYDOWN (WM_SYSKEYDOWN with Alt or for F10) posted to the
// window that has the focus, the message loop run so that its TranslateMessage makes the
// characters, then the release.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace host {

class Host;

struct KeySpec {
  UINT Key = 0;
  bool Shift = false;
  bool Control = false;
  bool Alt = false;
};

// "Esc", "F3", "shift+F3", "ctrl+shift+C", "alt+F7", "Apps", "Multiply", "A", "0x41", ...;
// StepError for a name it does not know.
KeySpec ParseKey(const std::wstring& Text);
// The key's name as ParseKey reads it, with the modifiers in front.
std::string KeyName(UINT Key, bool Shift, bool Control, bool Alt);

// Presses and releases the key on the focused window of the current viewer (its tree when the
// focus is elsewhere), and prints where it went.
void PressKey(Host& H, const std::wstring& Text);
// Gives the current viewer's tree the focus, as a click into the quick-view panel does.
void FocusTree(Host& H);
// Gives the focus to the current lister window itself, away from the plugin's controls.
void FocusLister(Host& H);

} // namespace host
