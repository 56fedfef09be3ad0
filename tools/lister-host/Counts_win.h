#pragma once

// Steps that count what the process holds (windows, GDI and USER objects, private bytes) and
// that load and close the same file many times over, to show what a viewer leaves behind.

#include <string>

namespace host {

class Host;

void PrintCounts(Host& H, const std::string& Label);
void PrintPrivateBytes(Host& H);
// Count times: a new lister window, the file loaded into it (and subclassed as any other),
// then ListCloseWindow, or with DestroyLister the lister window destroyed instead.
void RunCycles(Host& H, int Count, const std::wstring& File, bool DestroyLister);

} // namespace host
