// The steps lister-host knows, by name. Each takes its arguments from the command line and
// prints what it did or found; the end-to-end tests depend on the names and the lines.

#include "tools/lister-host/StepTable_win.h"

#include "tools/lister-host/Appearance_win.h"
#include "tools/lister-host/Benchmarks_win.h"
#include "tools/lister-host/Counts_win.h"
#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/Loading_win.h"
#include "tools/lister-host/PluginCalls_win.h"
#include "tools/lister-host/PluginCommands_win.h"
#include "tools/lister-host/PluginSteps_win.h"
#include "tools/lister-host/PopupMenus_win.h"
#include "tools/lister-host/Screenshot_win.h"
#include "tools/lister-host/TreeReading_win.h"
#include "tools/lister-host/UserKeys_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowReading_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string_view>
#include <thread>

namespace host {
namespace {

struct Step {
  std::wstring_view Name;
  std::string_view Arguments; // as the usage text shows them
  void (*Run)(Host& H);
};

Lister& CurrentLister(Host& H) { return H.Listers().Current(); }

// clang-format off
const Step kSteps[] = {
  // The plugin DLL.
  {L"exports", "", [](Host& H) { PrintExports(H); }},
  {L"version", "", [](Host& H) { PrintVersion(H); }},
  {L"acp", "", [](Host& H) { H.Out("acp: " + std::to_string(GetACP())); }},
  {L"detect", "LIMIT [SIZE]", [](Host& H) {
     const int limit = H.Args().TakeInt("limit");
     std::optional<int> size;
     if (H.Args().NextIsNumber())
       size = H.Args().TakeInt("buffer size");
     PrintDetectString(H, limit, size);
   }},
  {L"unload", "", [](Host& H) { UnloadPlugin(H); }},

  // Lister windows: loading and closing.
  {L"flags", "N", [](Host& H) { H.ShowFlags = H.Args().TakeInt("flags"); }},
  {L"load", "FILE", [](Host& H) {
     LoadFile(H, false, LoadVia::WideIfExported, H.Args().Take("file"));
   }},
  {L"load-ansi", "FILE", [](Host& H) { LoadFile(H, false, LoadVia::Ansi, H.Args().Take("file")); }},
  {L"load-bytes", "HEX", [](Host& H) { LoadFile(H, false, LoadVia::Bytes, H.Args().Take("bytes")); }},
  {L"quick", "FILE", [](Host& H) {
     LoadFile(H, true, LoadVia::WideIfExported, H.Args().Take("file"));
   }},
  {L"quick-ansi", "FILE", [](Host& H) { LoadFile(H, true, LoadVia::Ansi, H.Args().Take("file")); }},
  {L"load-dead", "FILE", [](Host& H) { LoadIntoDeadWindow(H, H.Args().Take("file")); }},
  {L"use", "N", [](Host& H) { H.Listers().Use(H.Args().TakeInt("lister number")); }},
  {L"close", "", [](Host& H) {
     const Lister& lister = CurrentLister(H);
     CloseWindowOfPlugin(H, lister.Viewer, "viewer" + std::to_string(lister.Number));
   }},
  {L"close-lister", "", [](Host& H) { CloseListerWindow(H); }},
  {L"close-null", "", [](Host& H) { CloseWindowOfPlugin(H, nullptr, "no window"); }},
  {L"close-other", "", [](Host& H) { CloseOtherWindows(H); }},
  {L"user-close", "", [](Host& H) { CloseAsUser(H); }},
  {L"destroy-lister", "", [](Host& H) { DestroyListerWindow(H); }},
  {L"destroy-viewer", "", [](Host& H) { DestroyViewerWindow(H); }},
  {L"size", "W H", [](Host& H) {
     const int width = H.Args().TakeInt("width");
     const int height = H.Args().TakeInt("height");
     SizeLister(H, width, height);
   }},
  {L"show", "", [](Host& H) { RunUntilListersClosed(H); }},

  // The host's subclass of the viewer windows and its use of their user data.
  {L"subclass", "on|off", [](Host& H) {
     const std::wstring mode = H.Args().Take("on or off");
     if (mode != L"on" && mode != L"off")
       throw StepError("subclass takes on or off, not " + Utf8(mode));
     H.Subclass().SetForLoads(mode == L"on");
     H.Out("subclass: later viewers " + std::string(mode == L"on" ? "get" : "do not get") +
           " the host's subclass");
   }},
  {L"subclass-more", "", [](Host& H) { H.Subclass().Add(CurrentLister(H).Viewer); }},
  {L"unsubclass", "", [](Host& H) { H.Subclass().RemoveTop(CurrentLister(H)); }},
  {L"host-user-data", "", [](Host& H) { FillUserData(H); }},

  // Reading the viewer window and its tree.
  {L"info", "", [](Host& H) { PrintViewerInfo(H); }},
  {L"layout", "", [](Host& H) { PrintLayout(H); }},
  {L"focus", "", [](Host& H) { PrintFocus(H); }},
  {L"status", "", [](Host& H) { PrintStatus(H); }},
  {L"toolbar", "", [](Host& H) { PrintToolBar(H); }},
  {L"tree", "[all]", [](Host& H) { PrintTree(H, H.Args().TakeWord(L"all")); }},
  {L"expand", "PATH", [](Host& H) {
     ExpandItem(H, H.Args().Take("label path"), false, TVE_EXPAND);
   }},
  {L"expand-at", "INDICES", [](Host& H) {
     ExpandItem(H, H.Args().Take("index path"), true, TVE_EXPAND);
   }},
  {L"collapse", "PATH", [](Host& H) {
     ExpandItem(H, H.Args().Take("label path"), false, TVE_COLLAPSE);
   }},
  {L"select", "PATH", [](Host& H) { SelectItem(H, H.Args().Take("label path"), false); }},
  {L"select-at", "INDICES", [](Host& H) { SelectItem(H, H.Args().Take("index path"), true); }},
  {L"edit-at", "INDICES", [](Host& H) { EditItem(H, H.Args().Take("index path")); }},
  {L"children", "PATH", [](Host& H) { PrintChildCount(H, H.Args().Take("label path"), false); }},
  {L"children-at", "INDICES", [](Host& H) {
     PrintChildCount(H, H.Args().Take("index path"), true);
   }},

  // Commands and messages to the plugin.
  {L"press", "INDEX", [](Host& H) { PressToolButton(H, H.Args().TakeInt("button index")); }},
  {L"search", "TEXT", [](Host& H) { TypeSearchText(H, H.Args().Take("text")); }},
  {L"drop", "FILE... --", [](Host& H) { DropFiles(H, H.Args().TakeUntil(L"--")); }},
  {L"dialog-file", "FILE", [](Host& H) { H.Dialog().SetFileToChoose(H.Args().Take("file")); }},

  // The lister interface after ListLoad, called directly.
  {L"load-next", "FILE", [](Host& H) {
     LoadNext(H, CurrentLister(H), H.Args().Take("file"), false);
   }},
  {L"load-next-ansi", "FILE", [](Host& H) {
     LoadNext(H, CurrentLister(H), H.Args().Take("file"), true);
   }},
  {L"find", "TEXT [findfirst] [matchcase] [wholewords] [backwards]", [](Host& H) {
     const std::wstring text = H.Args().Take("text");
     SearchText(H, CurrentLister(H).Viewer, text, SearchFlagsFrom(H), false);
   }},
  {L"find-ansi", "TEXT [findfirst] [matchcase] [wholewords] [backwards]", [](Host& H) {
     const std::wstring text = H.Args().Take("text");
     SearchText(H, CurrentLister(H).Viewer, text, SearchFlagsFrom(H), true);
   }},
  {L"command", "NAME|N PARAMETER", [](Host& H) {
     const std::wstring command = H.Args().Take("command");
     SendCommand(H, CurrentLister(H).Viewer, command, H.Args().TakeInt("parameter"));
   }},
  {L"foreign-calls", "", [](Host& H) { CallWithForeignWindows(H); }},
  {L"clipboard", "", [](Host& H) { PrintClipboard(H); }},
  {L"clipboard-set", "TEXT", [](Host& H) { FillClipboard(H, H.Args().Take("text")); }},

  // The user's keys and menus, and the lister window's answer to the keys it gets.
  {L"key", "[shift+][ctrl+][alt+]KEY", [](Host& H) { PressKey(H, H.Args().Take("key")); }},
  {L"focus-tree", "", [](Host& H) { FocusTree(H); }},
  {L"focus-lister", "", [](Host& H) { FocusLister(H); }},
  {L"files", "FILE... --", [](Host& H) { H.Keys().SetFiles(H.Args().TakeUntil(L"--")); }},
  {L"find-text", "TEXT [matchcase] [wholewords] [backwards]", [](Host& H) {
     const std::wstring text = H.Args().Take("text");
     H.Keys().SetFind(text, SearchFlagsFrom(H));
   }},
  {L"menu-plan", "CAPTION|cancel", [](Host& H) { H.Menus().Plan(H.Args().Take("menu item")); }},
  {L"menu-done", "", [](Host& H) { H.Menus().Finish(); }},
  {L"right-click-at", "INDICES", [](Host& H) { RightClickItem(H, H.Args().Take("index path")); }},
  {L"unselect", "", [](Host& H) { UnselectAll(H); }},

  // How the controls look.
  {L"colours", "", [](Host& H) { PrintColours(H); }},
  {L"label-colours-at", "INDICES", [](Host& H) {
     PrintLabelColours(H, H.Args().Take("index path"));
   }},
  {L"info-tip-at", "INDICES", [](Host& H) { PrintInfoTip(H, H.Args().Take("index path")); }},
  {L"watch-themes", "", [](Host& H) { WatchThemes(H); }},
  {L"metrics", "", [](Host& H) { PrintMetrics(H); }},
  {L"dpi-aware", "", [](Host& H) { MakeDpiAware(H); }},

  // Counts and pictures.
  {L"counts", "", [](Host& H) { PrintCounts(H, "counts"); }},
  {L"memory", "", [](Host& H) { PrintPrivateBytes(H); }},
  {L"user-objects", "", [](Host& H) { PrintUserObjects(H); }},
  {L"cycles", "N FILE [destroy]", [](Host& H) {
     const int count = H.Args().TakeInt("cycle count");
     const std::wstring file = H.Args().Take("file");
     RunCycles(H, count, file, H.Args().TakeWord(L"destroy"));
   }},
  {L"screenshot", "FILE [print]", [](Host& H) {
     const std::wstring path = H.Args().Take("file");
     SaveScreenshot(H, path, H.Args().TakeWord(L"print"));
   }},

  // Speed.
  {L"bench-bare-tree", "N", [](Host& H) { BenchBareTree(H, H.Args().TakeInt("item count")); }},
  {L"bench-expand", "PATH", [](Host& H) { BenchExpand(H, H.Args().Take("label path"), false); }},
  {L"bench-expand-at", "INDICES", [](Host& H) {
     BenchExpand(H, H.Args().Take("index path"), true);
   }},
  {L"bench-load", "FILE", [](Host& H) { BenchLoad(H, H.Args().Take("file")); }},
  {L"bench-find", "TEXT [matchcase] [wholewords] [backwards]", [](Host& H) {
     const std::wstring text = H.Args().Take("text");
     BenchFind(H, text, SearchFlagsFrom(H));
   }},

  // The host process.
  {L"wait", "MS", [](Host& H) { H.PumpFor(H.Args().TakeInt("milliseconds")); }},
  {L"quiet", "", [](Host& H) { H.SetTracing(false); }},
  {L"verbose", "", [](Host& H) { H.SetTracing(true); }},
  {L"no-hooks", "", [](Host& H) {
     H.Trace().Stop();
     H.Out("no-hooks: window message hooks removed");
   }},
  {L"threads", "N", [](Host& H) {
     // Threads that start and end while the DLL is loaded: its thread notifications run.
     const int count = H.Args().TakeInt("thread count");
     for (int i = 0; i < count; ++i)
       std::thread([] { Sleep(1); }).join();
     H.Out("threads: " + std::to_string(count) + " started and ended");
   }},
  {L"exit-now", "", [](Host& H) {
     // A host that ends without unloading the DLL or closing its viewers.
     H.Out("exit-now: ExitProcess with the plugin loaded");
     H.Out("exit");
     std::fflush(stdout);
     ExitProcess(0);
   }},
};
// clang-format on

} // namespace

void RunStep(Host& H, const std::wstring& Name) {
  const auto found = std::find_if(std::begin(kSteps), std::end(kSteps),
                                  [&Name](const Step& step) { return step.Name == Name; });
  if (found == std::end(kSteps))
    throw StepError("unknown step " + Utf8(Name));
  found->Run(H);
}

std::string Usage() {
  std::string text = "usage: lister-host.exe [ARGUMENT] --plugin DLL STEP...\n"
                     "  (an ARGUMENT before --plugin is there for the plugin to find)\n"
                     "steps:\n";
  for (const Step& step : kSteps) {
    std::string line = "  " + Utf8(step.Name);
    if (!step.Arguments.empty())
      line += " " + std::string(step.Arguments);
    text += line + "\n";
  }
  return text;
}

} // namespace host
