#pragma once

// Steps that make, load and close lister windows: ListLoad and ListLoadW into a new lister
// window, ListCloseWindow, and the other ways a lister or viewer window ends.

#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace host {

class Host;
struct Lister;

enum class LoadVia {
  WideIfExported, // ListLoadW when the plugin has it, else ListLoad
  Ansi,           // ListLoad with the name in the ANSI code page
  Bytes,          // ListLoad with the bytes given in hexadecimal
};

// A new lister window (in a panel when Quick) with the file loaded into it, as the file manager
// does it: the plugin's window subclassed, posted focus messages counted, the viewer sized.
void LoadFile(Host& H, bool Quick, LoadVia Via, const std::wstring& File);
// ListLoadW for a lister window handle whose window is gone by the time the plugin gets it.
void LoadIntoDeadWindow(Host& H, const std::wstring& File);
// The load of a cycle: nothing printed, the window subclassed as any other.
HWND LoadSilently(Host& H, Lister& Target, const std::wstring& File);

// ListCloseWindow with Window, between two lines that name it by Label.
void CloseWindowOfPlugin(Host& H, HWND Window, const std::string& Label);
// ListCloseWindow with live windows that no ListLoad returned: one with an empty user-data
// slot, one whose slot holds a value of the host's own, as a host that uses the slot would
// leave it.
void CloseOtherWindows(Host& H);
// ListCloseWindow with the current lister window itself instead of the viewer.
void CloseListerWindow(Host& H);
void DestroyListerWindow(Host& H);
void DestroyViewerWindow(Host& H);
// The client area of the current lister window becomes Width by Height.
void SizeLister(Host& H, int Width, int Height);
// What the close box sends; the lister window handles it as the file manager does.
void CloseAsUser(Host& H);
// The host writes its own value into the current viewer window's user-data slot.
void FillUserData(Host& H);
// The message loop for a person at the screen: runs until every lister window is closed.
void RunUntilListersClosed(Host& H);

} // namespace host
