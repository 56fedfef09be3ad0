#pragma once

#include "viewer/toolkit/Menu.h"

#include "json/IJSONObject.h"

#include <optional>
#include <vector>

enum class NodeMenuCommand { CopyValue, CopyName, CopyPath, CopyJson, ExpandAll, CollapseAll };

struct NodeMenuEntry {
  tk::MenuItem Item;
  std::optional<NodeMenuCommand> Command; // none for a separator
};

// The context menu of a node: Copy value, Copy name, Copy path, Copy JSON, then Expand all and
// Collapse all. What does not apply to the node (a name it lacks, children it cannot have) is
// there but disabled.
std::vector<NodeMenuEntry> NodeMenuFor(const IJSONObject& Node);
