// The plugin's boundary with Double Commander on Linux: the exported functions of the lister
// plugin interface, plain C functions (the interface's calling convention is empty here), with
// WCHAR as 16-bit units. Nothing thrown inside ever leaves them. The library's other symbols
// are hidden (see Treskal_qt.map).

#include "plugin/DetectString.h"
#include "viewer/ListerEmbedding_qt.h"

#include <cstdint>

#define TRESKAL_EXPORT extern "C" __attribute__((visibility("default")))

TRESKAL_EXPORT void ListGetDetectString(char* DetectString, int MaxLen) {
  WriteDetectString(DetectString, MaxLen);
}

TRESKAL_EXPORT void* ListLoad(void* ParentWin, char* FileToLoad, int ShowFlags) {
  try {
    return CreateListerWindow(ParentWin, FileNameFromLocal(FileToLoad), ShowFlags);
  } catch (...) {
    // Only the conversion can fail here (out of memory): no window.
    return nullptr;
  }
}

// The same as ListLoad for a UTF-16 name; the host prefers it.
TRESKAL_EXPORT void* ListLoadW(void* ParentWin, uint16_t* FileToLoad, int ShowFlags) {
  try {
    return CreateListerWindow(ParentWin, FileNameFromUtf16(FileToLoad), ShowFlags);
  } catch (...) {
    return nullptr;
  }
}

TRESKAL_EXPORT void ListCloseWindow(void* ListWin) { DestroyListerWindow(ListWin); }
