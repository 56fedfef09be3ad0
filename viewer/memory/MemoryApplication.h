#pragma once

#include "viewer/memory/MemoryControls.h"
#include "viewer/memory/MemoryDrop.h"
#include "viewer/memory/MemoryForm.h"
#include "viewer/toolkit/Application.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tkmem {

// A message box that was shown.
struct ShownMessage {
  tk::NativeWindow Owner = tk::NoWindow;
  std::u16string Text;
  std::u16string Caption;
  uint32_t Flags = 0;
};

// The application object in memory, with the platform's side settable by tests: command line,
// files, window parents, tick counter, clipboard; message boxes are recorded, not shown.
class MemoryApplication final : public tk::Application {
public:
  MemoryApplication() = default;
  ~MemoryApplication() override;

  std::unique_ptr<tk::Form> CreateForm(tk::NativeWindow Parent,
                                       tk::FormDescription Description) override;
  tk::Clipboard& SystemClipboard() override { return clipboard_; }
  uint32_t TickCount() override;
  void ShowMessageBox(tk::NativeWindow Owner, std::u16string_view Text, std::u16string_view Caption,
                      uint32_t Flags) override;
  std::u16string ProcessCommandLine() override { return commandLine_; }
  bool IsRegularFile(const std::u16string& FileName) override;
  tk::NativeWindow ParentWindowOf(tk::NativeWindow Window) override;

  // The platform's side.
  void SetCommandLine(std::u16string CommandLine) { commandLine_ = std::move(CommandLine); }
  void AddRegularFile(std::u16string FileName) { regularFiles_.insert(std::move(FileName)); }
  // Makes Window a known window (a lister window, say) whose parent is Parent.
  void SetWindowParent(tk::NativeWindow Window, tk::NativeWindow Parent);
  void SetTicks(uint32_t Now) { ticks_ = Now; }
  // Every later reading of the tick counter moves it on by Step after it is read.
  void AdvanceTicksOnEachRead(uint32_t Step) { tickStep_ = Step; }
  void AdvanceTicks(uint32_t Milliseconds) { ticks_ += Milliseconds; }
  MemoryClipboard& TestClipboard() { return clipboard_; }
  // While set, CreateForm fails as a platform without resources would.
  void SetFormCreationFails(bool Fails) { formCreationFails_ = Fails; }

  // Inspection.
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  void ClearMessages() { messages_.clear(); }
  DropCounters& Drops() { return drops_; }
  // The forms alive, oldest first.
  const std::vector<MemoryForm*>& Forms() const { return forms_; }

  // For MemoryForm.
  tk::NativeWindow NewWindow(tk::NativeWindow Parent);
  void ForgetWindow(tk::NativeWindow Window) noexcept;
  void Forget(const MemoryForm* Form) noexcept;

private:
  MemoryClipboard clipboard_;
  std::u16string commandLine_;
  std::set<std::u16string> regularFiles_;
  std::map<tk::NativeWindow, tk::NativeWindow> windowParents_;
  tk::NativeWindow nextWindow_ = 0x10000;
  uint32_t ticks_ = 0;
  uint32_t tickStep_ = 0;
  std::vector<ShownMessage> messages_;
  DropCounters drops_;
  std::vector<MemoryForm*> forms_;
  bool formCreationFails_ = false;
};

} // namespace tkmem
