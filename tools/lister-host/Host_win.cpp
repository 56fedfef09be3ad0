#include "tools/lister-host/Host_win.h"

#include "tools/lister-host/PluginSteps_win.h"
#include "tools/lister-host/StepTable_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace host {

Host::Host() = default;
Host::~Host() = default;

Host*& Host::Instance() noexcept {
  static Host* instance = nullptr;
  return instance;
}

void Host::Out(const std::string& Line) const {
  std::fwrite(Line.data(), 1, Line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int Host::Run(const std::vector<std::wstring>& Args) {
  std::size_t at = 0;
  while (at < Args.size() && Args[at] != L"--plugin")
    ++at; // an argument for the plugin to find on the command line
  if (at + 1 >= Args.size()) {
    std::fputs(Usage().c_str(), stderr);
    return 2;
  }
  InitCommonControls();
  listers_.RegisterClasses();
  dialogs_.Start();
  trace_.Start();

  int status = 0;
  try {
    args_ = StepArguments(Args, at + 1);
    LoadPlugin(*this, args_.Take("plugin"));
    while (!args_.AtEnd()) {
      RunStep(*this, args_.Take("step"));
      Pump();
    }
    if (plugin_.Loaded())
      UnloadPlugin(*this);
  } catch (const StepError& e) {
    Out(std::string("error: ") + e.what());
    status = 2;
  }
  // The host closes its own windows last; the plugin is unloaded by now.
  listers_.CloseAll();
  Pump();
  Out("exit");
  return status;
}

void Host::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Host::PumpFor(int Ms) {
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(Ms, 0));
  for (;;) {
    Pump();
    const ULONGLONG now = GetTickCount64();
    if (now >= until)
      break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
  }
}

} // namespace host
