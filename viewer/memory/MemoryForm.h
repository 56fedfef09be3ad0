#pragma once

#include "viewer/memory/MemoryControls.h"
#include "viewer/memory/MemoryTreeView.h"
#include "viewer/toolkit/FormControls.h"
#include "viewer/toolkit/FormDescription.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tkmem {

class MemoryApplication;

// A form held in memory, built from its description. It keeps a journal of what happened to
// it, so tests can check the order of creation, showing and destruction.
class MemoryForm final : public tk::FormControls<MemoryTreeView, MemoryStatusBar, MemoryEditBox,
                                                 MemoryToolBar, MemoryOpenDialog> {
public:
  MemoryForm(MemoryApplication& App, tk::NativeWindow Parent, tk::FormDescription Description);
  ~MemoryForm() override;

  tk::NativeWindow Handle() override;
  bool HandleAllocated() const override { return handle_ != tk::NoWindow; }
  void SetColourScheme(tk::ColourScheme Scheme) override { scheme_ = Scheme; }
  tk::ColourScheme CurrentColourScheme() const override { return scheme_; }
  std::u16string Caption() const override { return caption_; }
  void SetCaption(std::u16string_view Caption) override { caption_.assign(Caption); }

  // The user's actions, delivered through the application's exception boundary.
  // Drops files on the window; false (and nothing happens) unless it accepts dropped files.
  bool UserDropFiles(std::vector<std::u16string> Names);
  // Clicks a tool button of the description.
  void UserClickButton(std::string_view Name);

  // Inspection.
  MemoryTreeView& Tree(std::string_view Name);
  MemoryStatusBar& Status(std::string_view Name);
  MemoryEditBox& Edit(std::string_view Name);
  MemoryToolBar& Bar(std::string_view Name);
  MemoryOpenDialog& Dialog(std::string_view Name);
  tk::NativeWindow ParentWindow() const { return parent_; }
  bool Visible() const { return visible_; }
  // Names of the controls (and tool bar items) in the order they were created.
  const std::vector<std::string>& CreationOrder() const { return creationOrder_; }
  // "created", "window", "shown", "destroyed", "window destroyed", in the order they happened.
  const std::vector<std::string>& Journal() const { return journal_; }

private:
  void Deliver(const std::function<void()>& Action) noexcept override;
  void Noted(LifeEvent Event) noexcept override;
  void ShowNativeWindow() override;
  void DestroyNativeWindow() noexcept override;
  void RegisterForDrops(bool Accept) override;

  void Build(const tk::ControlDescription& Control);
  void Note(const char* Entry) noexcept;

  MemoryApplication& app_;
  tk::NativeWindow parent_;
  std::u16string caption_;
  tk::NativeWindow handle_ = tk::NoWindow;
  bool visible_ = false;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
  std::map<std::string, tk::NotifyEvent, std::less<>> buttons_;
  std::vector<std::string> creationOrder_;
  std::vector<std::string> journal_;
};

// The memory objects behind the toolkit surface; ToolkitError when the object is of another
// toolkit.
MemoryForm& AsMemory(tk::Form& Form);
MemoryTreeView& AsMemory(tk::TreeView& Tree);

} // namespace tkmem
