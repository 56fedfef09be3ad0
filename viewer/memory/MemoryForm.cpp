#include "viewer/memory/MemoryForm.h"

#include "viewer/memory/MemoryApplication.h"

#include <string>
#include <type_traits>
#include <utility>

namespace tkmem {

MemoryForm::MemoryForm(MemoryApplication& App, tk::NativeWindow Parent,
                       tk::FormDescription Description)
    : FormControls(std::move(Description)), app_(App), parent_(Parent),
      caption_(this->Description().Caption) {
  for (const tk::ControlDescription& control : this->Description().Controls)
    Build(control);
}

MemoryForm::~MemoryForm() {
  Destroy();
  app_.Forget(this);
}

void MemoryForm::Build(const tk::ControlDescription& Control) {
  std::visit(
      [this](const auto& control) {
        using Kind = std::decay_t<decltype(control)>;
        creationOrder_.push_back(control.Name);
        if constexpr (std::is_same_v<Kind, tk::TreeViewDescription>) {
          trees_[control.Name] = std::make_unique<MemoryTreeView>(app_, control);
        } else if constexpr (std::is_same_v<Kind, tk::StatusBarDescription>) {
          statusBars_[control.Name] = std::make_unique<MemoryStatusBar>(app_, control);
        } else if constexpr (std::is_same_v<Kind, tk::OpenDialogDescription>) {
          dialogs_[control.Name] = std::make_unique<MemoryOpenDialog>(control);
        } else if constexpr (std::is_same_v<Kind, tk::ToolBarDescription>) {
          toolBars_[control.Name] = std::make_unique<MemoryToolBar>(control);
          for (const tk::ToolItemDescription& item : control.Items) {
            creationOrder_.push_back(item.Name);
            if (item.Kind == tk::ToolItemKind::EditBox)
              editBoxes_[item.Name] = std::make_unique<MemoryEditBox>(item);
            else if (item.Kind == tk::ToolItemKind::Button)
              buttons_[item.Name] = item.OnClick;
          }
        }
        // Image lists need nothing in memory beyond their description.
      },
      Control);
}

void MemoryForm::Note(const char* Entry) noexcept {
  try {
    journal_.emplace_back(Entry);
  } catch (...) {
    // The journal is for inspection only.
  }
}

void MemoryForm::Deliver(const std::function<void()>& Action) noexcept { app_.Guard(Action); }

void MemoryForm::Noted(LifeEvent Event) noexcept {
  switch (Event) {
  case LifeEvent::Created:
    Note("created");
    break;
  case LifeEvent::Shown:
    Note("shown");
    break;
  case LifeEvent::Destroyed:
    Note("destroyed");
    break;
  }
}

void MemoryForm::ShowNativeWindow() {
  Handle();
  visible_ = true;
}

void MemoryForm::DestroyNativeWindow() noexcept {
  if (handle_ != tk::NoWindow) {
    app_.ForgetWindow(handle_);
    handle_ = tk::NoWindow;
    Note("window destroyed");
  }
  visible_ = false;
}

tk::NativeWindow MemoryForm::Handle() {
  if (Destroyed())
    throw tk::ToolkitError("The window has been destroyed");
  if (handle_ == tk::NoWindow) {
    handle_ = app_.NewWindow(parent_);
    Note("window");
  }
  return handle_;
}

void MemoryForm::RegisterForDrops(bool Accept) {
  static_cast<void>(Accept);
  Handle();
}

bool MemoryForm::UserDropFiles(std::vector<std::u16string> Names) {
  // Checked first: a drop the form refuses is never handed out.
  if (!AcceptsDrops() || Destroyed())
    return false;
  return RaiseDropFiles(
      tk::DroppedFiles(std::make_unique<MemoryDropSource>(std::move(Names), app_.Drops())));
}

void MemoryForm::UserClickButton(std::string_view Name) {
  auto found = buttons_.find(Name);
  if (found == buttons_.end())
    throw tk::ToolkitError("No tool button named " + std::string(Name));
  app_.Guard([&] {
    if (found->second)
      found->second();
  });
}

MemoryTreeView& MemoryForm::Tree(std::string_view Name) { return trees_.Find(Name); }
MemoryStatusBar& MemoryForm::Status(std::string_view Name) { return statusBars_.Find(Name); }
MemoryEditBox& MemoryForm::Edit(std::string_view Name) { return editBoxes_.Find(Name); }
MemoryToolBar& MemoryForm::Bar(std::string_view Name) { return toolBars_.Find(Name); }
MemoryOpenDialog& MemoryForm::Dialog(std::string_view Name) { return dialogs_.Find(Name); }

MemoryForm& AsMemory(tk::Form& Form) {
  if (auto* form = dynamic_cast<MemoryForm*>(&Form))
    return *form;
  throw tk::ToolkitError("Not a memory form");
}

MemoryTreeView& AsMemory(tk::TreeView& Tree) {
  if (auto* tree = dynamic_cast<MemoryTreeView*>(&Tree))
    return *tree;
  throw tk::ToolkitError("Not a memory tree view");
}

} // namespace tkmem
