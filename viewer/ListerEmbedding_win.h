#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string>

// Embedding viewers in the file manager's lister windows: creation for a lister window, the
// subclassing that catches the viewer window's destruction by any means, the teardown, and the
// plugin's application object with its end at unload. Everything runs on the host's
// user-interface thread.

class TfmMain;

// One per viewer window. CreateListerWindow hangs it on the window as a property, which owns
// it, and also stores it in the user-data slot. The viewer is found through the property only:
// the file manager subclasses the window and may use its user data, and neither touches it.
// The record goes when the teardown can restore the window procedure, else at WM_NCDESTROY.
struct TSubclassInfo {
  WNDPROC OldWndProc; // the viewer window's procedure before PluginWndProc replaced it
  TfmMain* Form;      // the viewer that owns the window; empty once its teardown has run
};

// A viewer for ListerWin showing FileToLoad; its window handle, or nullptr after an
// "Open error:" report. Never throws.
HWND CreateListerWindow(HWND ListerWin, const std::u16string& FileToLoad, int ShowFlags) noexcept;

// Tears down the viewer behind Window, whatever procedures the host put over PluginWndProc.
// Does nothing for a window that holds no record of a live viewer: one already torn down, one
// that ListLoad never returned, none at all.
void DestroyListerWindow(HWND Window) noexcept;

// The viewer window's procedure while its record lives: WM_DESTROY of a live viewer runs the
// teardown and answers 0; WM_NCDESTROY releases the record; everything else goes on to the
// window's own procedure, also after the teardown while procedures above it still chain here.
LRESULT CALLBACK PluginWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

// A file name from the host in the system's ANSI code page; null or empty gives an empty name.
std::u16string FileNameFromAnsi(const char* FileName);
// A zero-terminated UTF-16 file name from the host; null gives an empty name.
std::u16string FileNameFromWide(const wchar_t* FileName);

// The DLL goes. Unloaded by the host: the viewers still open are destroyed, then the leak
// report runs if it was turned on. At process termination nothing is touched: the system
// reclaims it all and other DLLs may be gone already.
void ShutDownPlugin(bool ProcessTerminating) noexcept;

#endif // _WIN32
