#pragma once

// The plugin DLL as the host holds it: the module and the lister functions it exports. The
// functions a later version of the interface adds are looked up the same way; each is null when
// the DLL does not export it.

#include "tools/lister-host/HostHandles_win.h"

#include <string>

namespace host {

using ListGetDetectStringFn = void(WINAPI*)(char* DetectString, int MaxLen);
using ListLoadFn = HWND(WINAPI*)(HWND ParentWin, char* FileToLoad, int ShowFlags);
using ListLoadWFn = HWND(WINAPI*)(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags);
using ListCloseWindowFn = void(WINAPI*)(HWND ListWin);
using ListLoadNextFn = int(WINAPI*)(HWND ParentWin, HWND PluginWin, char* FileToLoad,
                                    int ShowFlags);
using ListLoadNextWFn = int(WINAPI*)(HWND ParentWin, HWND PluginWin, WCHAR* FileToLoad,
                                     int ShowFlags);
using ListSearchTextFn = int(WINAPI*)(HWND ListWin, char* SearchString, int SearchParameter);
using ListSearchTextWFn = int(WINAPI*)(HWND ListWin, WCHAR* SearchString, int SearchParameter);
using ListSendCommandFn = int(WINAPI*)(HWND ListWin, int Command, int Parameter);

struct ListerExports {
  ListGetDetectStringFn ListGetDetectString = nullptr;
  ListLoadFn ListLoad = nullptr;
  ListLoadWFn ListLoadW = nullptr;
  ListCloseWindowFn ListCloseWindow = nullptr;
  ListLoadNextFn ListLoadNext = nullptr;
  ListLoadNextWFn ListLoadNextW = nullptr;
  ListSearchTextFn ListSearchText = nullptr;
  ListSearchTextWFn ListSearchTextW = nullptr;
  ListSendCommandFn ListSendCommand = nullptr;
};

class PluginModule {
public:
  // LoadLibrary and the exports; StepError when the DLL does not load.
  void Load(const std::wstring& Path);
  // FreeLibrary; the exports are gone with it.
  void Unload() noexcept;
  bool Loaded() const noexcept { return static_cast<bool>(module_); }
  HMODULE Module() const noexcept { return module_.Get(); }
  const ListerExports& Exports() const noexcept { return exports_; }

  // Points the DLL's import of Function from Dll at Replacement; the function it called before,
  // or null when the DLL does not import it.
  void* ReplaceImport(const char* Dll, const char* Function, void* Replacement);

private:
  UniqueModule module_;
  ListerExports exports_;
};

} // namespace host
