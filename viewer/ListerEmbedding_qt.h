#pragma once

#include <cstdint>
#include <string>

class QWidget;

// Embedding viewers in Double Commander's lister windows on Linux: creation for a lister
// window (a QWidget of the host), the teardown by whichever route comes first (ListCloseWindow
// or the host destroying the widget), Esc, the focus, and the plugin's application object.
// Everything runs on the host's GUI thread, inside the host's QApplication. The host never
// unloads the library, so nothing here depends on a load or an unload.

// A viewer for ListerWin showing FileToLoad: its widget, a shown child of ListerWin; nullptr
// after an "Open error:" report, and also (without a report) when this thread has no
// QApplication. ListerWin is checked to be a live widget before it is used. Never throws.
QWidget* CreateListerWindow(void* ListerWin, const std::u16string& FileToLoad,
                            int ShowFlags) noexcept;

// Tears down the viewer behind Window, once. Does nothing for a window that holds no live
// viewer: one torn down already, one that CreateListerWindow never returned, none at all. The
// address is only compared, so a stale one is safe.
void DestroyListerWindow(void* Window) noexcept;

// Whether ListerWin lies in the host's quick-view panel rather than in a viewer window.
bool InQuickViewPanel(const QWidget& ListerWin);

// A file name from the host in the system's file name encoding (UTF-8); null gives empty.
std::u16string FileNameFromLocal(const char* FileName);
// A zero-terminated UTF-16 file name from the host; null gives an empty name.
std::u16string FileNameFromUtf16(const uint16_t* FileName);
