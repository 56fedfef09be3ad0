#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string>

// What embedding viewers in Total Commander's lister windows needs of Win32 beyond the host
// layer (viewer/ListerHost.h): the record a viewer window carries as a window property, the
// subclass that catches the window's destruction by any means, the message box of last resort,
// the host's texts, and the application object's end at unload.

class TfmMain;

// One per viewer window. The embedding hangs it on the window as a property, which owns it,
// and also stores it in the user-data slot. It is found through the property only: the file
// manager subclasses the window and may use its user data, and neither touches it. The record
// goes when the teardown can restore the window procedure, else at WM_NCDESTROY.
struct TSubclassInfo {
  WNDPROC OldWndProc; // the viewer window's procedure before PluginWndProc replaced it
  TfmMain* Form;      // the viewer that owns the window; empty once its teardown has run
};

// The viewer window's procedure while its record lives: WM_DESTROY of a live viewer runs the
// teardown and answers 0; WM_NCDESTROY releases the record; everything else goes on to the
// window's own procedure, also after the teardown while procedures above it still chain here.
LRESULT CALLBACK PluginWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

// A text from the host (a file name, a search text) in the system's ANSI code page; null or
// empty gives an empty text.
std::u16string TextFromAnsi(const char* Text);
// A zero-terminated UTF-16 text from the host; null gives an empty text.
std::u16string TextFromWide(const wchar_t* Text);

// The DLL goes. Unloaded by the host: the viewers still open are destroyed, then the leak
// report runs if it was turned on. At process termination nothing is touched: the system
// reclaims it all and other DLLs may be gone already.
void ShutDownPlugin(bool ProcessTerminating) noexcept;

#endif // _WIN32
