#pragma once

// The plugin DLL as the host holds it: the module and the lister functions it exports. The
// functions a later version of the interface adds are looked up the same way; each is null when
// the DLL does not export it.

#include "tools/lister-host/HostHandles_win.h"

#include <string>

namespace host {

using ListGetDetectStringFn = void (*)(char* DetectString, int MaxLen);
using ListLoadFn = HWND (*)(HWND ParentWin, char* FileToLoad, int ShowFlags);
using ListLoadWFn = HWND (*)(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags);
using ListCloseWindowFn = void (*)(HWND ListWin);

struct ListerExports {
  ListGetDetectStringFn ListGetDetectString = nullptr;
  ListLoadFn ListLoad = nullptr;
  ListLoadWFn ListLoadW = nullptr;
  ListCloseWindowFn ListCloseWindow = nullptr;
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
