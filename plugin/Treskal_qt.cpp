// The plugin's boundary with Double Commander on Linux: the exported functions of the lister
// plugin interface, plain C functions (the interface's calling convention is empty here), with
// WCHAR as 16-bit units. Nothing thrown inside ever leaves them. The library's other symbols
// are hidden (see Treskal_qt.map).

#include "plugin/DetectString.h"
#include "viewer/ListerHost.h"
#include "viewer/ListerProtocol.h"
#include "viewer/qt/ListerEmbedding_qt.h"

#include <cstdint>

#define TRESKAL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
tk::NativeWindow FromHost(void* Window) noexcept {
  return reinterpret_cast<tk::NativeWindow>(Window);
}
void* ToHost(tk::NativeWindow Window) noexcept { return reinterpret_cast<void*>(Window); }
} // namespace

TRESKAL_EXPORT void ListGetDetectString(char* DetectString, int MaxLen) {
  WriteDetectString(DetectString, MaxLen);
}

TRESKAL_EXPORT void* ListLoad(void* ParentWin, char* FileToLoad, int ShowFlags) {
  try {
    return ToHost(PluginHost().CreateListerWindow(FromHost(ParentWin),
                                                  FileNameFromLocal(FileToLoad), ShowFlags));
  } catch (...) {
    // Only the conversion can fail here (out of memory): no window.
    return nullptr;
  }
}

// The same as ListLoad for a UTF-16 name; the host prefers it.
TRESKAL_EXPORT void* ListLoadW(void* ParentWin, uint16_t* FileToLoad, int ShowFlags) {
  try {
    return ToHost(
        PluginHost().CreateListerWindow(FromHost(ParentWin), TextFromUtf16(FileToLoad), ShowFlags));
  } catch (...) {
    return nullptr;
  }
}

// Loads another file into the viewer that ListLoad made (N and P, and quick view moving on).
TRESKAL_EXPORT int ListLoadNext(void* ParentWin, void* PluginWin, char* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  try {
    return PluginHost().LoadNextInListerWindow(FromHost(PluginWin), FileNameFromLocal(FileToLoad),
                                               ShowFlags);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

TRESKAL_EXPORT int ListLoadNextW(void* ParentWin, void* PluginWin, uint16_t* FileToLoad,
                                 int ShowFlags) {
  static_cast<void>(ParentWin);
  try {
    return PluginHost().LoadNextInListerWindow(FromHost(PluginWin), TextFromUtf16(FileToLoad),
                                               ShowFlags);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

// The host's find dialog: the 8-bit text is in the system's encoding, UTF-8 here.
TRESKAL_EXPORT int ListSearchText(void* ListWin, char* SearchString, int SearchParameter) {
  try {
    return PluginHost().SearchInListerWindow(FromHost(ListWin), TextFromLocal(SearchString),
                                             SearchParameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

TRESKAL_EXPORT int ListSearchTextW(void* ListWin, uint16_t* SearchString, int SearchParameter) {
  try {
    return PluginHost().SearchInListerWindow(FromHost(ListWin), TextFromUtf16(SearchString),
                                             SearchParameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

TRESKAL_EXPORT int ListSendCommand(void* ListWin, int Command, int Parameter) {
  try {
    return PluginHost().SendCommandToListerWindow(FromHost(ListWin), Command, Parameter);
  } catch (...) {
    return LISTPLUGIN_ERROR;
  }
}

TRESKAL_EXPORT void ListCloseWindow(void* ListWin) {
  try {
    PluginHost().DestroyListerWindow(FromHost(ListWin));
  } catch (...) {
    // Nothing may leave an export.
  }
}
