// The plugin's boundary with the file manager: the exported functions of the lister plugin
// interface and the DLL's notification handler. Each export only converts its arguments; the
// bodies, with their exception boundary, are the same on every platform (ListerExports.h).

#include "plugin/DetectString.h"
#include "viewer/ListerExports.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/ListerEmbedding_win.h"

#include <windows.h>

using tkwin::FromHwnd;
using tkwin::ToHwnd;

extern "C" {

void WINAPI ListGetDetectString(char* DetectString, int MaxLen) {
  WriteDetectString(DetectString, MaxLen);
}

HWND WINAPI ListLoad(HWND ParentWin, char* FileToLoad, int ShowFlags) {
  return ToHwnd(lister_exports::Load(
      FromHwnd(ParentWin), [=] { return TextFromAnsi(FileToLoad); }, ShowFlags));
}

// The same as ListLoad for a UTF-16 name, so names outside the ANSI code page arrive whole.
HWND WINAPI ListLoadW(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags) {
  return ToHwnd(lister_exports::Load(
      FromHwnd(ParentWin), [=] { return TextFromWide(FileToLoad); }, ShowFlags));
}

// Another file into the viewer window that ListLoad returned; ParentWin is its lister window.
int WINAPI ListLoadNext(HWND ParentWin, HWND PluginWin, char* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  return lister_exports::LoadNext(
      FromHwnd(PluginWin), [=] { return TextFromAnsi(FileToLoad); }, ShowFlags);
}

int WINAPI ListLoadNextW(HWND ParentWin, HWND PluginWin, WCHAR* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  return lister_exports::LoadNext(
      FromHwnd(PluginWin), [=] { return TextFromWide(FileToLoad); }, ShowFlags);
}

// The lister's find dialog, F3 and Shift+F3; the 8-bit text is in the ANSI code page.
int WINAPI ListSearchText(HWND ListWin, char* SearchString, int SearchParameter) {
  return lister_exports::SearchText(
      FromHwnd(ListWin), [=] { return TextFromAnsi(SearchString); }, SearchParameter);
}

int WINAPI ListSearchTextW(HWND ListWin, WCHAR* SearchString, int SearchParameter) {
  return lister_exports::SearchText(
      FromHwnd(ListWin), [=] { return TextFromWide(SearchString); }, SearchParameter);
}

int WINAPI ListSendCommand(HWND ListWin, int Command, int Parameter) {
  return lister_exports::SendCommand(FromHwnd(ListWin), Command, Parameter);
}

void WINAPI ListCloseWindow(HWND ListWin) { lister_exports::CloseWindow(FromHwnd(ListWin)); }

} // extern "C"

namespace {

// The C++ run-time keeps its own thread-local storage, so thread notifications need nothing;
// only the unload has work: the viewers still open and the leak report.
void DllEntryHandler(DWORD Reason, bool ProcessTerminating) noexcept {
  if (Reason == DLL_PROCESS_DETACH)
    ShutDownPlugin(ProcessTerminating);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved) {
  static_cast<void>(Instance);
  // Reserved is not null when the process is ending rather than the host unloading the DLL.
  DllEntryHandler(Reason, Reserved != nullptr);
  return TRUE;
}
