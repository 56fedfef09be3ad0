#include "tools/lister-host/Counts_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/Loading_win.h"
#include "tools/lister-host/WindowQueries_win.h"
#include "tools/lister-host/WindowReading_win.h"

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>

namespace host {
namespace {

// GDI objects of the process. GetGuiResources where it works; Wine answers 0 there, so then
// the live entries of the process's GDI handle table (PEB::GdiSharedHandleTable) are counted.
struct GdiTableEntry {
  uint64_t Object;
  uint32_t Owner;
  uint16_t Unique;
  uint8_t Type;
  uint8_t ExtType;
  uint64_t UserPointer;
};
static_assert(sizeof(GdiTableEntry) == 24);

unsigned long GdiObjectCount() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0)
    return reported;
  // The PEB's address sits at gs:0x60 on x64 and at fs:0x30 on x86 (read directly: GCC
  // misjudges NtCurrentTeb's segment read as an out-of-bounds access). The table's entries have
  // the same layout in both.
  const uint8_t* peb = nullptr;
#if defined(__x86_64__)
  asm("movq %%gs:0x60, %0" : "=r"(peb));
  constexpr std::size_t tableOffset = 0xF8; // GdiSharedHandleTable in the x64 PEB
#else
  asm("movl %%fs:0x30, %0" : "=r"(peb));
  constexpr std::size_t tableOffset = 0x94; // GdiSharedHandleTable in the x86 PEB
#endif
  std::uintptr_t tableAddress = 0;
  std::memcpy(&tableAddress, peb + tableOffset, sizeof tableAddress);
  const auto* table = reinterpret_cast<const GdiTableEntry*>(tableAddress);
  if (table == nullptr)
    return 0;
  unsigned long count = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i].Type != 0)
      ++count;
  return count;
}

// The process's private bytes. Wine fills in only the older record (its cb says so), whose
// PagefileUsage is the same figure: the commit charge, under Wine the resident anonymous memory.
uint64_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(),
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return 0;
  return counters.cb >= sizeof counters && counters.PrivateUsage != 0 ? counters.PrivateUsage
                                                                      : counters.PagefileUsage;
}

std::string NodeCountOf(const std::string& Status) {
  // The figure after the last blank of the status text.
  const std::size_t at = Status.find_last_of(' ');
  return at == std::string::npos ? Status : Status.substr(at + 1);
}

// What the cycles saw, and the process's figures before they began.
struct CycleFigures {
  std::size_t WindowsBefore = ThreadWindows().size();
  unsigned long GdiBefore = GdiObjectCount();
  uint64_t PrivateBefore = PrivateBytes();
  uint64_t PrivateMost = PrivateBefore;
  std::set<std::string> NodeCounts;
  std::string First;
  std::string Last;
  int Failures = 0;
  int ViewersLeft = 0;
};

void OneCycle(Host& H, int Cycle, const std::wstring& File, bool DestroyLister,
              CycleFigures& Figures) {
  Lister& lister = H.Listers().Add(false);
  const HWND viewer = LoadSilently(H, lister, File);
  H.Pump();
  Figures.PrivateMost = std::max(Figures.PrivateMost, PrivateBytes());
  if (viewer == nullptr) {
    ++Figures.Failures;
  } else {
    const std::string status = StatusText(viewer);
    if (Cycle == 0)
      Figures.First = status;
    Figures.Last = status;
    Figures.NodeCounts.insert(NodeCountOf(status));
    if (DestroyLister) {
      lister.Window.Reset();
    } else {
      H.Plugin().Exports().ListCloseWindow(viewer);
      // The lister window is still there: a viewer window alive now was left by the close.
      if (IsWindow(viewer))
        ++Figures.ViewersLeft;
    }
  }
  H.Listers().RemoveLast();
  H.Pump();
}

void PrintCycles(Host& H, int Count, const CycleFigures& Figures) {
  std::string counts;
  for (const std::string& value : Figures.NodeCounts)
    counts += (counts.empty() ? "" : " ") + value;
  H.Out("cycles: " + std::to_string(Count) + " done, " + std::to_string(Figures.Failures) +
        " without a window");
  H.Out("cycles: first status " + Figures.First);
  H.Out("cycles: last status " + Figures.Last);
  H.Out("cycles: node counts shown " + counts);
  H.Out("cycles: windows before " + std::to_string(Figures.WindowsBefore) + ", after " +
        std::to_string(ThreadWindows().size()));
  H.Out("cycles: viewer windows left by the close " + std::to_string(Figures.ViewersLeft));
  H.Out("cycles: gdi objects before " + std::to_string(Figures.GdiBefore) + ", after " +
        std::to_string(GdiObjectCount()));
  H.Out("cycles: private bytes before " + std::to_string(Figures.PrivateBefore) + ", after " +
        std::to_string(PrivateBytes()) + ", most " + std::to_string(Figures.PrivateMost));
}

} // namespace

void PrintCounts(Host& H, const std::string& Label) {
  H.Pump();
  H.Out(Label + ": windows " + std::to_string(ThreadWindows().size()) + ", gdi objects " +
        std::to_string(GdiObjectCount()) + ", user objects " +
        std::to_string(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)));
}

void PrintPrivateBytes(Host& H) {
  H.Pump();
  H.Out("memory: private bytes " + std::to_string(PrivateBytes()));
}

void RunCycles(Host& H, int Count, const std::wstring& File, bool DestroyLister) {
  const ListerExports& plugin = H.Plugin().Exports();
  if (plugin.ListLoadW == nullptr && plugin.ListLoad == nullptr)
    throw StepError("the plugin exports no ListLoad");
  if (!DestroyLister && plugin.ListCloseWindow == nullptr)
    throw StepError("the plugin exports no ListCloseWindow");
  H.Pump();
  CycleFigures figures;
  const bool wasTracing = H.Tracing();
  H.SetTracing(false);
  for (int cycle = 0; cycle < Count; ++cycle)
    OneCycle(H, cycle, File, DestroyLister, figures);
  H.SetTracing(wasTracing);
  H.Pump();
  PrintCycles(H, Count, figures);
}

} // namespace host
