#pragma once

// Steps about the plugin DLL itself: loading and unloading it, its export table, its version
// resource and its detect string.

#include <optional>
#include <string>

namespace host {

class Host;

void LoadPlugin(Host& H, const std::wstring& Path);
// FreeLibrary, then how many viewer windows outlived it.
void UnloadPlugin(Host& H);
void PrintExports(Host& H);
void PrintVersion(Host& H);
// ListGetDetectString into a buffer with guard bytes on both sides, called twice with
// different fillings, so that every byte the plugin wrote is known whatever its value.
void PrintDetectString(Host& H, int Limit, std::optional<int> BufferSize);

} // namespace host
