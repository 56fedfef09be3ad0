#pragma once

// The lister interface's calls into an open viewer, as the file manager makes them after
// ListLoad: ListLoadNext(W), ListSearchText(W) and ListSendCommand. Each prints the call and
// its result; the steps call them directly, the lister window's keys through the file
// manager's own handling (ListerKeys_win.h).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace host {

class Host;
struct Lister;

// ListLoadNextW (or with Ansi ListLoadNext, the name in the ANSI code page) into the viewer;
// on success the lister shows File.
int LoadNext(Host& H, Lister& Target, const std::wstring& File, bool Ansi);
// ListSearchTextW (or ListSearchText with the text in the ANSI code page) with the lcs_ flags.
int SearchText(Host& H, HWND Viewer, const std::wstring& Text, int Parameter, bool Ansi);
// ListSendCommand; Command is a number or copy, newparams, selectall, setpercent.
int SendCommand(Host& H, HWND Viewer, const std::wstring& Command, int Parameter);
// The three calls with windows that are no viewer: the lister window itself and none.
void CallWithForeignWindows(Host& H);

// The lcs_ flags from the words matchcase, wholewords, backwards and findfirst.
int SearchFlagsFrom(Host& H);

// Takes the selection off the current tree, so no node is selected.
void UnselectAll(Host& H);

// The clipboard's Unicode text, printed; or that there is none.
void PrintClipboard(Host& H);
// Puts Text on the clipboard, so a copy that writes nothing is told from one that does.
void FillClipboard(Host& H, const std::wstring& Text);

} // namespace host
