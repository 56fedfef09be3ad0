#include "tools/lister-host/PluginModule_win.h"

#include "tools/lister-host/StepArguments.h"
#include "tools/lister-host/WideText_win.h"

#include <cstdint>
#include <cstring>

namespace host {
namespace {

template <class Fn> Fn Export(HMODULE Module, const char* Name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

} // namespace

void PluginModule::Load(const std::wstring& Path) {
  module_ = UniqueModule(LoadLibraryW(Path.c_str()));
  if (!module_)
    throw StepError("LoadLibrary failed for " + Utf8(Path) + " (error " +
                    std::to_string(GetLastError()) + ")");
  const HMODULE module = module_.Get();
  exports_.ListGetDetectString = Export<ListGetDetectStringFn>(module, "ListGetDetectString");
  exports_.ListLoad = Export<ListLoadFn>(module, "ListLoad");
  exports_.ListLoadW = Export<ListLoadWFn>(module, "ListLoadW");
  exports_.ListCloseWindow = Export<ListCloseWindowFn>(module, "ListCloseWindow");
  exports_.ListLoadNext = Export<ListLoadNextFn>(module, "ListLoadNext");
  exports_.ListLoadNextW = Export<ListLoadNextWFn>(module, "ListLoadNextW");
  exports_.ListSearchText = Export<ListSearchTextFn>(module, "ListSearchText");
  exports_.ListSearchTextW = Export<ListSearchTextWFn>(module, "ListSearchTextW");
  exports_.ListSendCommand = Export<ListSendCommandFn>(module, "ListSendCommand");
}

void PluginModule::Unload() noexcept {
  module_.Reset();
  exports_ = ListerExports();
}

void* PluginModule::ReplaceImport(const char* Dll, const char* Function, void* Replacement) {
  auto* base = reinterpret_cast<uint8_t*>(module_.Get());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  // The headers and thunks of this process's bitness, which is the plugin's.
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0)
    return nullptr;
  void* original = nullptr;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       desc->Name != 0; ++desc) {
    if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), Dll) != 0)
      continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), Function) != 0)
        continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      original = reinterpret_cast<void*>(static_cast<ULONG_PTR>(slots->u1.Function));
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(Replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
    }
  }
  return original;
}

} // namespace host
