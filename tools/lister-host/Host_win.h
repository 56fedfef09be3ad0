#pragma once

// lister-host's state while it runs a command line of steps: the plugin, the lister windows,
// the host's subclass, the watcher of dialogs and the trace of teardowns. The steps themselves
// live in the files of their concern and are named in the step table (StepTable_win.cpp).

#include "tools/lister-host/Dialogs_win.h"
#include "tools/lister-host/HostSubclass_win.h"
#include "tools/lister-host/ListerWindows_win.h"
#include "tools/lister-host/PluginModule_win.h"
#include "tools/lister-host/StepArguments.h"
#include "tools/lister-host/TeardownTrace_win.h"

#include <string>
#include <vector>

namespace host {

class Host {
public:
  Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  ~Host();

  // Callbacks that have no context parameter (window procedures, hooks, timers) reach the
  // host through here.
  static Host*& Instance() noexcept;

  // lister-host.exe [ARGUMENT] --plugin DLL STEP...: runs the steps, unloads the plugin and
  // closes the lister windows; 2 after a failed step or a bad command line.
  int Run(const std::vector<std::wstring>& Args);

  // One line of output, UTF-8, flushed at once so that a crash loses nothing.
  void Out(const std::string& Line) const;
  // Whether the teardown trace and the host's subclass print as they go (off in cycles).
  bool Tracing() const noexcept { return tracing_; }
  void SetTracing(bool On) noexcept { tracing_ = On; }

  StepArguments& Args() noexcept { return args_; }
  PluginModule& Plugin() noexcept { return plugin_; }
  ListerWindows& Listers() noexcept { return listers_; }
  HostSubclass& Subclass() noexcept { return subclass_; }
  Dialogs& Dialog() noexcept { return dialogs_; }
  TeardownTrace& Trace() noexcept { return trace_; }

  // The show flags for later loads, and how long the last ListLoad took.
  int ShowFlags = 0;
  double LastLoadMs = 0;

  // Delivers what is queued for the thread's windows.
  void Pump();
  // Delivers messages as they come for Ms milliseconds.
  void PumpFor(int Ms);

private:
  StepArguments args_;
  bool tracing_ = true;
  // The plugin goes after the windows that use it.
  PluginModule plugin_;
  ListerWindows listers_{*this};
  HostSubclass subclass_{*this};
  Dialogs dialogs_{*this};
  TeardownTrace trace_{*this};
};

} // namespace host
