// The plugin's boundary with Double Commander on Linux: the exported functions of the lister
// plugin interface, plain C functions (the interface's calling convention is empty here), with
// WCHAR as 16-bit units. Each export only converts its arguments; the bodies, with their
// exception boundary, are the same on every platform (ListerExports.h). The library's other
// symbols are hidden (see Treskal_qt.map).

#include "plugin/DetectString.h"
#include "viewer/ListerExports.h"
#include "viewer/qt/ListerEmbedding_qt.h"

#include <cstdint>

#define TRESKAL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

tk::NativeWindow FromHost(void* Window) noexcept {
  return reinterpret_cast<tk::NativeWindow>(Window);
}
// The host's window handles are widget pointers; the host layer carries them as numbers.
void* ToHost(tk::NativeWindow Window) noexcept {
  return reinterpret_cast<void*>(Window); // NOLINT(performance-no-int-to-ptr)
}

} // namespace

TRESKAL_EXPORT void ListGetDetectString(char* DetectString, int MaxLen) {
  WriteDetectString(DetectString, MaxLen);
}

TRESKAL_EXPORT void* ListLoad(void* ParentWin, char* FileToLoad, int ShowFlags) {
  return ToHost(lister_exports::Load(
      FromHost(ParentWin), [=] { return FileNameFromLocal(FileToLoad); }, ShowFlags));
}

// The same as ListLoad for a UTF-16 name; the host prefers it.
TRESKAL_EXPORT void* ListLoadW(void* ParentWin, uint16_t* FileToLoad, int ShowFlags) {
  return ToHost(lister_exports::Load(
      FromHost(ParentWin), [=] { return TextFromUtf16(FileToLoad); }, ShowFlags));
}

// Loads another file into the viewer that ListLoad made (N and P, and quick view moving on).
TRESKAL_EXPORT int ListLoadNext(void* ParentWin, void* PluginWin, char* FileToLoad, int ShowFlags) {
  static_cast<void>(ParentWin);
  return lister_exports::LoadNext(
      FromHost(PluginWin), [=] { return FileNameFromLocal(FileToLoad); }, ShowFlags);
}

TRESKAL_EXPORT int ListLoadNextW(void* ParentWin, void* PluginWin, uint16_t* FileToLoad,
                                 int ShowFlags) {
  static_cast<void>(ParentWin);
  return lister_exports::LoadNext(
      FromHost(PluginWin), [=] { return TextFromUtf16(FileToLoad); }, ShowFlags);
}

// The host's find dialog: the 8-bit text is in the system's encoding, UTF-8 here.
TRESKAL_EXPORT int ListSearchText(void* ListWin, char* SearchString, int SearchParameter) {
  return lister_exports::SearchText(
      FromHost(ListWin), [=] { return TextFromLocal(SearchString); }, SearchParameter);
}

TRESKAL_EXPORT int ListSearchTextW(void* ListWin, uint16_t* SearchString, int SearchParameter) {
  return lister_exports::SearchText(
      FromHost(ListWin), [=] { return TextFromUtf16(SearchString); }, SearchParameter);
}

TRESKAL_EXPORT int ListSendCommand(void* ListWin, int Command, int Parameter) {
  return lister_exports::SendCommand(FromHost(ListWin), Command, Parameter);
}

TRESKAL_EXPORT void ListCloseWindow(void* ListWin) {
  lister_exports::CloseWindow(FromHost(ListWin));
}
