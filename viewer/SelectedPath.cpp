#include "viewer/NodeCopy.h"
#include "viewer/PathStatus.h"
#include "viewer/ViewerMain.h"

#include <vector>

void TfmMain::JSONTreeViewerChange() { ShowSelectedPath(); }

void TfmMain::StatusBar1Resize() { ShowSelectedPath(); }

void TfmMain::ShowSelectedPath() {
  if (pathHolds_ > 0) {
    pathPending_ = true;
    return;
  }
  pathPending_ = false;
  if (StatusBar1.PartCount() <= kPathPart)
    return;
  std::u16string shown;
  // Proportional to the node's depth (and the length of its names), never to the document.
  if (const JSONRef node = SelectedNode()) {
    const std::vector<std::u16string> steps = NodePathSteps(*node);
    shown = FitPathToRoom(steps, StatusBar1.PartRoom(kPathPart),
                          [this](std::u16string_view Text) { return StatusBar1.TextWidth(Text); });
  }
  if (shown != StatusBar1.PartText(kPathPart))
    StatusBar1.SetPartText(kPathPart, shown);
}
