#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The host's calls to a live viewer, by the window CreateListerWindow returned, answered as the
// viewer answers them (LISTPLUGIN_OK or LISTPLUGIN_ERROR). A window that holds no live viewer
// gets LISTPLUGIN_ERROR. Never throw.
int LoadNextInListerWindow(void* Window, const std::u16string& FileToLoad, int ShowFlags) noexcept;
int SearchInListerWindow(void* Window, std::u16string_view Text, int SearchParameter) noexcept;
int CommandToListerWindow(void* Window, int Command, int Parameter) noexcept;

// Whether ListerWin lies in the host's quick-view panel rather than in a viewer window.
bool InQuickViewPanel(const QWidget& ListerWin);

// A file name from the host in the system's file name encoding (UTF-8); null gives empty.
std::u16string FileNameFromLocal(const char* FileName);
// A search text from the host in the system's 8-bit encoding (UTF-8); null gives empty.
std::u16string TextFromLocal(const char* Text);
// A zero-terminated UTF-16 text (a file name, a search text) from the host; null gives empty.
std::u16string TextFromUtf16(const uint16_t* Text);
