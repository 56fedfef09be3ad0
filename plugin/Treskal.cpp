// The plugin's boundary with the file manager: the exported functions of the lister plugin
// interface and the DLL's notification handler. Nothing thrown inside ever leaves them.

#include "plugin/DetectString.h"
#include "viewer/ListerHost.h"
#include "viewer/ListerProtocol.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/ListerEmbedding_win.h"

#include <windows.h>

extern "C" {

void WINAPI ListGetDetectString(char* DetectString, int MaxLen) {
  WriteDetectString(DetectString, MaxLen);
}

HWND WINAPI ListLoad(HWND ParentWin, char* FileToLoad, int ShowFlags) {
  try {
    return tkwin::ToHwnd(PluginHost().CreateListerWindow(tkwin::FromHwnd(ParentWin),
                                                         TextFromAnsi(FileToLoad), ShowFlags));
  } catch (...) {
    // Only the conversion can fail here (out of memory): no window.
    return nullptr;
  }
}

// The same as ListLoad for a UTF-16 name, so names outside the ANSI code page arrive whole.
HWND WINAPI ListLoadW(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags) {
  try {
    return tkwin::ToHwnd(PluginHost().CreateListerWindow(tkwin::FromHwnd(ParentWin),
                                                         TextFromWide(FileToLoad), ShowFlags));
  } catch (...) {
    return nullptr;
  }
}

// Another file into the viewer window that ListLoad returned; ParentWin is its lister window.
int WINAPI ListLoadNext(HWND ParentWin, HWND PluginWin, char* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  try {
    return PluginHost().LoadNextInListerWindow(tkwin::FromHwnd(PluginWin), TextFromAnsi(FileToLoad),
                                               ShowFlags);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

int WINAPI ListLoadNextW(HWND ParentWin, HWND PluginWin, WCHAR* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  try {
    return PluginHost().LoadNextInListerWindow(tkwin::FromHwnd(PluginWin), TextFromWide(FileToLoad),
                                               ShowFlags);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

// The lister's find dialog, F3 and Shift+F3; the 8-bit text is in the ANSI code page.
int WINAPI ListSearchText(HWND ListWin, char* SearchString, int SearchParameter) {
  try {
    return PluginHost().SearchInListerWindow(tkwin::FromHwnd(ListWin), TextFromAnsi(SearchString),
                                             SearchParameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

int WINAPI ListSearchTextW(HWND ListWin, WCHAR* SearchString, int SearchParameter) {
  try {
    return PluginHost().SearchInListerWindow(tkwin::FromHwnd(ListWin), TextFromWide(SearchString),
                                             SearchParameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

int WINAPI ListSendCommand(HWND ListWin, int Command, int Parameter) {
  try {
    return PluginHost().SendCommandToListerWindow(tkwin::FromHwnd(ListWin), Command, Parameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

void WINAPI ListCloseWindow(HWND ListWin) {
  try {
    PluginHost().DestroyListerWindow(tkwin::FromHwnd(ListWin));
  } catch (...) {
    // Nothing may leave an export.
  }
}

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
