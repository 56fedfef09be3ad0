// lister-host: plays the file manager's part for a lister plugin DLL. It loads the DLL, asks
// for its detect string, creates lister windows, has files shown in them through ListLoad or
// ListLoadW, subclasses the windows they return as the file manager does, and closes them
// again; between those steps it reads the plugin's real controls back (tree view, status bar,
// tool bar) and prints what it finds as UTF-8 lines, so tests can compare them. Message boxes
// are printed and dismissed automatically.
//
//   lister-host.exe [ARGUMENT] --plugin DLL STEP...
//
// An ARGUMENT before --plugin is not read by lister-host: it is there for plugins that look at
// the host's command line. The steps are in the step table (StepTable_win.cpp).

#include "tools/lister-host/HostText.h"
#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <thread>

namespace {

// A crash in the plugin: one line that names the module and the offset, then the end.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* Info) {
  const auto address = reinterpret_cast<uintptr_t>(Info->ExceptionRecord->ExceptionAddress);
  HMODULE module = nullptr;
  wchar_t name[MAX_PATH] = L"?";
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(address), &module))
    GetModuleFileNameW(module, name, MAX_PATH);
  std::wstring_view file(name);
  file = file.substr(
      file.find_last_of(L"\\/") == std::wstring_view::npos ? 0 : file.find_last_of(L"\\/") + 1);
  const std::string line =
      "crash: exception " + host::Hex(Info->ExceptionRecord->ExceptionCode, 8) + " in " +
      host::Utf8(file) + "+" + host::Hex(address - reinterpret_cast<uintptr_t>(module));
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

// A plugin that hangs must not hold up a test run for ever.
void StartWatchdog() {
  const auto* limitText = _wgetenv(L"LISTER_HOST_TIMEOUT");
  const int limitSeconds = limitText != nullptr ? _wtoi(limitText) : 120;
  std::thread([limitSeconds] {
    std::this_thread::sleep_for(std::chrono::seconds(limitSeconds));
    std::fputs("timeout: lister-host gave up\n", stdout);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 4);
  }).detach();
}

} // namespace

int wmain(int Argc, wchar_t** Argv) {
  SetUnhandledExceptionFilter(CrashFilter);
  StartWatchdog();
  std::vector<std::wstring> args(Argv + 1, Argv + Argc);
  auto app = std::make_unique<host::Host>();
  host::Host::Instance() = app.get();
  const int status = app->Run(args);
  app.reset();
  host::Host::Instance() = nullptr;
  std::fflush(stdout);
  return status;
}
