#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string>
#include <string_view>

// The host's calls into a live viewer window, after ListLoad: the next file, the find dialog
// and the lister's commands. Each answers with the lister interface's results: LISTPLUGIN_ERROR
// for a window that is no live viewer, and never throws.

// ListLoadNext: FileToLoad into the viewer of PluginWin, as its show handler loads a file, and
// the show flags; a file that does not load leaves the viewer as it was, with no report.
int LoadNextIntoListerWindow(HWND PluginWin, const std::u16string& FileToLoad,
                             int ShowFlags) noexcept;
// ListSearchText: the next hit of Text, with the lcs_ flags of SearchParameter.
int SearchListerWindow(HWND ListWin, std::u16string_view Text, int SearchParameter) noexcept;
// ListSendCommand: lc_copy, lc_selectall and lc_newparams; every other command is refused.
int SendListerCommand(HWND ListWin, int Command, int Parameter) noexcept;

// A search text from the host: 8-bit in the system's ANSI code page, or zero-terminated UTF-16.
// Null gives an empty text.
std::u16string TextFromAnsi(const char* Text);
std::u16string TextFromWide(const wchar_t* Text);

#endif // _WIN32
