#include "tools/lister-host/PluginSteps_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace host {

void LoadPlugin(Host& H, const std::wstring& Path) {
  H.Plugin().Load(Path);
  H.Dialog().HookMessageBoxes();
  H.Out("plugin: loaded");
}

void UnloadPlugin(Host& H) {
  if (!H.Plugin().Loaded())
    throw StepError("the plugin is not loaded");
  H.Out("unload: FreeLibrary");
  H.Plugin().Unload();
  H.Pump();
  int alive = 0;
  for (const auto& lister : H.Listers().All())
    if (lister->Viewer != nullptr && IsWindow(lister->Viewer))
      ++alive;
  H.Out("unload: done, viewer windows left: " + std::to_string(alive));
}

void PrintExports(Host& H) {
  auto* base = reinterpret_cast<const uint8_t*>(H.Plugin().Module());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  // The headers of this process's own bitness: a DLL of the other one never loads.
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const WORD machine = nt->FileHeader.Machine;
  H.Out(std::string("exports: machine ") + (machine == IMAGE_FILE_MACHINE_AMD64  ? "x64"
                                            : machine == IMAGE_FILE_MACHINE_I386 ? "x86"
                                                                                 : Hex(machine)));
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0) {
    H.Out("exports: none");
    return;
  }
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> list;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    list.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(list.begin(), list.end());
  for (const std::string& name : list)
    H.Out("export: " + name);
}

void PrintVersion(Host& H) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(H.Plugin().Module(), path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    H.Out("version: none");
    return;
  }
  std::vector<uint8_t> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data()))
    throw StepError("cannot read the version resource");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    auto dotted = [](DWORD high, DWORD low) {
      return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
             std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    };
    H.Out("version: file " + dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + ", product " +
          dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  }
  struct Translation {
    WORD Language;
    WORD CodePage;
  }* translations = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return;
  wchar_t block[64];
  std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translations->Language,
                translations->CodePage);
  for (const wchar_t* key : {L"FileDescription", L"FileVersion", L"OriginalFilename",
                             L"ProductName", L"ProductVersion"}) {
    wchar_t* value = nullptr;
    if (VerQueryValueW(data.data(), (std::wstring(block) + key).c_str(),
                       reinterpret_cast<void**>(&value), &length) &&
        value)
      H.Out("version: " + Utf8(key) + " " + Esc(value));
  }
}

void PrintDetectString(Host& H, int Limit, std::optional<int> BufferSize) {
  const ListGetDetectStringFn detect = H.Plugin().Exports().ListGetDetectString;
  if (detect == nullptr)
    throw StepError("the plugin exports no ListGetDetectString");
  constexpr int guard = 64;
  // Index into a buffer that has guard bytes on either side of the plugin's area.
  auto at = [](int offset) {
    return static_cast<std::size_t>(guard) + static_cast<std::size_t>(offset);
  };
  const int size = BufferSize.value_or(Limit >= 0 && Limit <= 4096 ? Limit : 2048);
  // Two calls into buffers filled differently: a byte that reads the same after both was
  // written by the plugin, whatever its value.
  std::vector<std::vector<unsigned char>> runs;
  for (const unsigned char fill :
       {static_cast<unsigned char>(0xCC), static_cast<unsigned char>(0x33)}) {
    std::vector<unsigned char> area(at(size + guard), fill);
    detect(reinterpret_cast<char*>(area.data() + guard), Limit);
    runs.push_back(std::move(area));
  }
  auto written = [&](int offset) { return runs[0][at(offset)] == runs[1][at(offset)]; };
  std::string bytes;
  std::string text;
  int last = -1;
  for (int i = 0; i < size; ++i)
    if (written(i))
      last = i;
  bool ended = false;
  for (int i = 0; i <= last; ++i) {
    char hex[4];
    if (written(i)) {
      const unsigned char c = runs[0][at(i)];
      std::snprintf(hex, sizeof hex, "%02X", c);
      if (c == 0)
        ended = true;
      else if (!ended)
        text += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "..");
      ended = true;
    }
    if (!bytes.empty())
      bytes += ' ';
    bytes += hex;
  }
  const std::string head =
      "detect limit=" + std::to_string(Limit) + " buffer=" + std::to_string(size);
  H.Out(head + ": wrote " + (bytes.empty() ? std::string("nothing") : bytes) +
        (bytes.empty() ? "" : " text=" + text));
  std::string outside;
  for (int i = -guard; i < size + guard; ++i) {
    if ((i < 0 || i >= size) && written(i)) {
      if (!outside.empty())
        outside += ' ';
      outside += std::to_string(i);
    }
  }
  H.Out(head + ": " +
        (outside.empty() ? std::string("nothing written outside the buffer")
                         : "OVERRUN at offsets " + outside));
}

} // namespace host
