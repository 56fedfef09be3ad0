#pragma once

// Watches the viewer windows' last messages through thread hooks, which see every sent message
// before and after any window procedure: how many WM_DESTROY each viewer received, what the
// first procedure answered to it, and whether the user-data slot was cleared by the time the
// window got its WM_NCDESTROY.

#include "tools/lister-host/HostHandles_win.h"

namespace host {

class Host;

class TeardownTrace {
public:
  explicit TeardownTrace(Host& TheHost) noexcept : host_(TheHost) {}

  void Start();
  // Every sent message passes the hooks; under Wine that costs a round trip each, which would
  // swamp speed measurements.
  void Stop() noexcept;

private:
  static LRESULT CALLBACK CallHook(int Code, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK CallReturnHook(int Code, WPARAM WParam, LPARAM LParam);
  void OnCall(const CWPSTRUCT& Message);
  void OnReturn(const CWPRETSTRUCT& Message);

  Host& host_;
  UniqueHook call_;
  UniqueHook return_;
};

} // namespace host
