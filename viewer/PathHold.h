#pragma once

#include "viewer/ViewerMain.h"

// Holds the viewer's path part still while an operation moves the selection many times; the
// path of the selection it ends on is shown when the last hold goes.
class TfmMain::PathHold {
public:
  explicit PathHold(TfmMain& Viewer) : viewer_(Viewer) { ++viewer_.pathHolds_; }
  PathHold(const PathHold&) = delete;
  PathHold& operator=(const PathHold&) = delete;
  ~PathHold() {
    if (--viewer_.pathHolds_ == 0 && viewer_.pathPending_)
      viewer_.app_.Guard([this] { viewer_.ShowSelectedPath(); });
  }

private:
  TfmMain& viewer_;
};
