#pragma once

#include <cstdint>
#include <string>

class QWidget;

// What embedding viewers in Double Commander's lister windows needs of Qt beyond the host
// layer (viewer/ListerHost.h): noticing the host destroying a viewer's widget, the deletion of
// a viewer once none of its handlers runs, Esc and F7 handed to the host, the focus, and the
// host's texts. Everything runs on the host's GUI thread, inside the host's QApplication. The
// host never unloads the library, so nothing here depends on a load or an unload.

// Whether ListerWin lies in the host's quick-view panel rather than in a viewer window.
bool InQuickViewPanel(const QWidget& ListerWin);

// A file name from the host in the system's file name encoding (UTF-8); null gives empty.
std::u16string FileNameFromLocal(const char* FileName);
// A search text from the host in the system's 8-bit encoding (UTF-8); null gives empty.
std::u16string TextFromLocal(const char* Text);
// A zero-terminated UTF-16 text (a file name, a search text) from the host; null gives empty.
std::u16string TextFromUtf16(const uint16_t* Text);
