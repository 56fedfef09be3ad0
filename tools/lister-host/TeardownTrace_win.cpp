#include "tools/lister-host/TeardownTrace_win.h"

#include "tools/lister-host/Host_win.h"

namespace host {

void TeardownTrace::Start() {
  call_ = UniqueHook(
      SetWindowsHookExW(WH_CALLWNDPROC, &TeardownTrace::CallHook, nullptr, GetCurrentThreadId()));
  return_ = UniqueHook(SetWindowsHookExW(WH_CALLWNDPROCRET, &TeardownTrace::CallReturnHook, nullptr,
                                         GetCurrentThreadId()));
}

void TeardownTrace::Stop() noexcept {
  call_.Reset();
  return_.Reset();
}

LRESULT CALLBACK TeardownTrace::CallHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION)
    Host::Instance()->Trace().OnCall(*reinterpret_cast<const CWPSTRUCT*>(LParam));
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

LRESULT CALLBACK TeardownTrace::CallReturnHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION)
    Host::Instance()->Trace().OnReturn(*reinterpret_cast<const CWPRETSTRUCT*>(LParam));
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

void TeardownTrace::OnCall(const CWPSTRUCT& Message) {
  if (Message.message != WM_DESTROY && Message.message != WM_NCDESTROY)
    return;
  Lister* lister = host_.Listers().OfViewer(Message.hwnd);
  if (lister == nullptr)
    return;
  const std::string name = "viewer" + std::to_string(lister->Number);
  if (Message.message == WM_DESTROY) {
    ++lister->DestroyMessages;
    return;
  }
  // The last message the window gets: whatever teardown there is has run by now.
  const bool userData = GetWindowLongPtrW(Message.hwnd, GWLP_USERDATA) != 0;
  lister->ViewerDestroyed = true;
  if (host_.Tracing())
    host_.Out(name + ": window destroyed, WM_DESTROY received " +
              std::to_string(lister->DestroyMessages) + " time(s), user data " +
              (userData ? "still set" : "clear"));
}

void TeardownTrace::OnReturn(const CWPRETSTRUCT& Message) {
  if (Message.message != WM_DESTROY || !host_.Tracing())
    return;
  if (Lister* lister = host_.Listers().OfViewer(Message.hwnd))
    host_.Out("viewer" + std::to_string(lister->Number) + ": WM_DESTROY returned " +
              std::to_string(Message.lResult));
}

} // namespace host
