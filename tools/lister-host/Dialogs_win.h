#pragma once

// The dialogs the plugin opens, printed and closed without a person: the plugin's calls of
// MessageBoxW are printed with their exact owner and flags (its import is pointed at the
// host), and a timer that also runs inside modal loops prints every dialog of the thread once
// and closes it. A message box is confirmed; the open-file dialog gets the planned file name,
// or is cancelled.

#include "tools/lister-host/HostHandles_win.h"

#include <set>
#include <string>

namespace host {

class Host;

class Dialogs {
public:
  explicit Dialogs(Host& TheHost) noexcept : host_(TheHost) {}

  void Start();
  // Sends the plugin's MessageBoxW calls through the host first; the real message box is shown
  // afterwards and dismissed by the timer.
  void HookMessageBoxes();
  // The name the next open-file dialog gets; empty: it is cancelled.
  void SetFileToChoose(std::wstring File) { fileToChoose_ = std::move(File); }

private:
  using MessageBoxWFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  static int WINAPI HookedMessageBoxW(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type);
  int OnMessageBoxCall(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type);
  void DismissAll();
  void AnswerFileDialog(HWND Dialog);

  Host& host_;
  UniqueThreadTimer timer_;
  std::set<HWND> dismissed_;
  std::wstring fileToChoose_;
  MessageBoxWFn realMessageBox_ = nullptr;
};

} // namespace host
