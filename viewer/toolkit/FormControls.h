#pragma once

#include "viewer/toolkit/FormBase.h"
#include "viewer/toolkit/NamedControls.h"

#include <string_view>

namespace tk {

// A form with its toolkit's controls by kind and name: the lookups the viewer uses, once for
// every toolkit.
template <class Tree, class Status, class Edit, class Bar, class Dialog>
class FormControls : public FormBase {
public:
  TreeView& FindTreeView(std::string_view Name) final { return trees_.Find(Name); }
  StatusBar& FindStatusBar(std::string_view Name) final { return statusBars_.Find(Name); }
  EditBox& FindEditBox(std::string_view Name) final { return editBoxes_.Find(Name); }
  ToolBar& FindToolBar(std::string_view Name) final { return toolBars_.Find(Name); }
  OpenDialog& FindOpenDialog(std::string_view Name) final { return dialogs_.Find(Name); }

protected:
  using FormBase::FormBase;

  // Every control with a native window lets go of it: the window is gone or going.
  void DetachControls() noexcept {
    for (const auto& [name, tree] : trees_)
      tree->Detach();
    for (const auto& [name, status] : statusBars_)
      status->Detach();
    for (const auto& [name, edit] : editBoxes_)
      edit->Detach();
    for (const auto& [name, bar] : toolBars_)
      bar->Detach();
  }

  NamedControls<Tree> trees_{"tree view"};
  NamedControls<Status> statusBars_{"status bar"};
  NamedControls<Edit> editBoxes_{"edit box"};
  NamedControls<Bar> toolBars_{"tool bar"};
  NamedControls<Dialog> dialogs_{"open dialog"};
};

} // namespace tk
