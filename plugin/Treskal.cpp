// The plugin's boundary with the file manager: the exported functions of the lister plugin
// interface and the DLL's notification handler. Nothing thrown inside ever leaves them.

#include "plugin/DetectString.h"
#include "viewer/ListerEmbedding_win.h"

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
