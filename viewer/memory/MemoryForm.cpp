#include "viewer/memory/MemoryForm.h"

#include "viewer/memory/MemoryApplication.h"

#include <string>
#include <type_traits>
#include <utility>

namespace tkmem {

namespace {

template <class Map> auto& Lookup(Map& controls, std::string_view Name, const char* Kind) {
  auto found = controls.find(Name);
  if (found == controls.end())
    throw tk::ToolkitError(std::string("No ") + Kind + " named " + std::string(Name));
  return *found->second;
}

} // namespace

MemoryForm::MemoryForm(MemoryApplication& App, tk::NativeWindow Parent,
                       tk::FormDescription Description)
    : app_(App), parent_(Parent), description_(std::move(Description)),
      caption_(description_.Caption) {
  for (const tk::ControlDescription& control : description_.Controls)
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
          statusBars_[control.Name] = std::make_unique<MemoryStatusBar>(control);
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

void MemoryForm::ConstructionComplete() {
  if (created_ || destroyed_)
    return;
  created_ = true;
  Note("created");
  app_.Guard([this] {
    if (description_.OnCreate)
      description_.OnCreate();
  });
}

void MemoryForm::Show() {
  Handle();
  visible_ = true;
  Note("shown");
  app_.Guard([this] {
    if (description_.OnShow)
      description_.OnShow();
  });
}

void MemoryForm::Destroy() noexcept {
  if (destroyed_)
    return;
  destroyed_ = true;
  if (created_) {
    Note("destroyed");
    app_.Guard([this] {
      if (description_.OnDestroy)
        description_.OnDestroy();
    });
  }
  if (handle_ != tk::NoWindow) {
    app_.ForgetWindow(handle_);
    handle_ = tk::NoWindow;
    Note("window destroyed");
  }
  visible_ = false;
  acceptsDrops_ = false;
}

tk::NativeWindow MemoryForm::Handle() {
  if (destroyed_)
    throw tk::ToolkitError("The window has been destroyed");
  if (handle_ == tk::NoWindow) {
    handle_ = app_.NewWindow(parent_);
    Note("window");
  }
  return handle_;
}

void MemoryForm::AcceptDroppedFiles(bool Accept) {
  Handle();
  acceptsDrops_ = Accept;
}

bool MemoryForm::UserDropFiles(std::vector<std::u16string> Names) {
  if (!acceptsDrops_ || destroyed_)
    return false;
  tk::DroppedFiles drop(std::make_unique<MemoryDropSource>(std::move(Names), app_.Drops()));
  app_.Guard([&] {
    if (description_.OnDropFiles)
      description_.OnDropFiles(std::move(drop));
  });
  return true;
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

MemoryTreeView& MemoryForm::Tree(std::string_view Name) {
  return Lookup(trees_, Name, "tree view");
}
MemoryStatusBar& MemoryForm::Status(std::string_view Name) {
  return Lookup(statusBars_, Name, "status bar");
}
MemoryEditBox& MemoryForm::Edit(std::string_view Name) {
  return Lookup(editBoxes_, Name, "edit box");
}
MemoryToolBar& MemoryForm::Bar(std::string_view Name) {
  return Lookup(toolBars_, Name, "tool bar");
}
MemoryOpenDialog& MemoryForm::Dialog(std::string_view Name) {
  return Lookup(dialogs_, Name, "open dialog");
}

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
