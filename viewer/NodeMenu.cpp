#include "viewer/NodeMenu.h"

std::vector<NodeMenuEntry> NodeMenuFor(const IJSONObject& Node) {
  // Members of an object have a name, the empty one included.
  const JSONRef parent = Node.GetParent();
  const bool named = parent && parent->GetJType() == jt_object;
  const bool container = Node.GetJType() == jt_object || Node.GetJType() == jt_array;
  return {
      {{u"Copy value", true}, NodeMenuCommand::CopyValue},
      {{u"Copy name", named}, NodeMenuCommand::CopyName},
      {{u"Copy path", true}, NodeMenuCommand::CopyPath},
      {{u"Copy JSON", true}, NodeMenuCommand::CopyJson},
      {{u"", true}, std::nullopt},
      {{u"Expand all", container}, NodeMenuCommand::ExpandAll},
      {{u"Collapse all", container}, NodeMenuCommand::CollapseAll},
  };
}
