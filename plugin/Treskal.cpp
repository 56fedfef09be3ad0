// The plugin's boundary with the file manager: the exported functions of the lister plugin
// interface and the DLL's notification handler. Nothing thrown inside ever leaves them.

#include "plugin/DetectString.h"
#include "viewer/ListerCalls_win.h"
#include "viewer/ListerEmbedding_win.h"
#include "viewer/ListerProtocol.h"

#include <windows.h>

extern "C" {

void WINAPI ListGetDetectString(char* DetectString, int MaxLen) {
  WriteDetectString(DetectString, MaxLen);
}

HWND WINAPI ListLoad(HWND ParentWin, char* FileToLoad, int ShowFlags) {
  try {
    return CreateListerWindow(ParentWin, FileNameFromAnsi(FileToLoad), ShowFlags);
  } catch (...) {
    // Only the conversion can fail here (out of memory): no window.
    return nullptr;
  }
}

// The same as ListLoad for a UTF-16 name, so names outside the ANSI code page arrive whole.
HWND WINAPI ListLoadW(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags) {
  try {
    return CreateListerWindow(ParentWin, FileNameFromWide(FileToLoad), ShowFlags);
  } catch (...) {
    return nullptr;
  }
}

// Another file into the viewer window that ListLoad returned; ParentWin is its lister window.
int WINAPI ListLoadNext(HWND ParentWin, HWND PluginWin, char* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  try {
    return LoadNextIntoListerWindow(PluginWin, FileNameFromAnsi(FileToLoad), ShowFlags);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

int WINAPI ListLoadNextW(HWND ParentWin, HWND PluginWin, WCHAR* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  try {
    return LoadNextIntoListerWindow(PluginWin, FileNameFromWide(FileToLoad), ShowFlags);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

// The lister's find dialog, F3 and Shift+F3; the 8-bit text is in the ANSI code page.
int WINAPI ListSearchText(HWND ListWin, char* SearchString, int SearchParameter) {
  try {
    return SearchListerWindow(ListWin, TextFromAnsi(SearchString), SearchParameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

int WINAPI ListSearchTextW(HWND ListWin, WCHAR* SearchString, int SearchParameter) {
  try {
    return SearchListerWindow(ListWin, TextFromWide(SearchString), SearchParameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

int WINAPI ListSendCommand(HWND ListWin, int Command, int Parameter) {
  return SendListerCommand(ListWin, Command, Parameter);
}

void WINAPI ListCloseWindow(HWND ListWin) { DestroyListerWindow(ListWin); }

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
