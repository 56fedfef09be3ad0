#pragma once

#include "viewer/toolkit/Application.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

class QWidget;

// The toolkit on Qt5 widgets. It never creates a QApplication: inside the file manager it runs
// in the host's, in a test in the test's. Everything runs on that application's thread.
namespace tkqt {

// The system clipboard (QClipboard), as plain text.
class QtClipboard final : public tk::Clipboard {
public:
  std::u16string ReadText() override;
  void WriteText(std::u16string_view Text) override;
};

// A native window is a QWidget*; NoWindow is nullptr.
inline tk::NativeWindow NativeOf(const QWidget* Widget) noexcept {
  return reinterpret_cast<tk::NativeWindow>(Widget);
}

// The widget behind Window when it is a widget alive in this application, else nullptr. The
// address is compared, never followed, so a stale or made-up value is safe to pass.
QWidget* LiveWidget(tk::NativeWindow Window);

// True when a QApplication exists and this is its thread: only then may widgets be made.
bool WidgetsUsableHere() noexcept;

class QtApplication final : public tk::Application {
public:
  QtApplication() = default;
  ~QtApplication() override;

  std::unique_ptr<tk::Form> CreateForm(tk::NativeWindow Parent,
                                       tk::FormDescription Description) override;
  tk::Clipboard& SystemClipboard() override { return clipboard_; }
  uint32_t TickCount() override;
  // A modal QMessageBox: the flags' icon, an OK button, the text as plain text (a lone carriage
  // return breaks the line, as it does in a Windows message box).
  void ShowMessageBox(tk::NativeWindow Owner, std::u16string_view Text, std::u16string_view Caption,
                      uint32_t Flags) override;
  // The process's arguments (/proc/self/cmdline), joined the way the command-line reader
  // splits them: an argument with blanks in it is put in double quotes.
  std::u16string ProcessCommandLine() override;
  bool IsRegularFile(const std::u16string& FileName) override;
  tk::NativeWindow ParentWindowOf(tk::NativeWindow Window) override;

  // Runs a user-caused event through the exception boundary, counting it as running: a
  // viewer must not be destroyed while one of its handlers is on the stack.
  template <class Fn> void Deliver(Fn&& Action) noexcept {
    ++delivering_;
    Guard(std::forward<Fn>(Action));
    --delivering_;
  }
  bool Delivering() const noexcept { return delivering_ > 0; }

private:
  QtClipboard clipboard_;
  int delivering_ = 0;
};

// Joins arguments into one command line that FirstCommandLineArgument splits back into them
// (arguments holding a double quote cannot be written so and lose it).
std::u16string JoinCommandLine(std::span<const std::u16string> Arguments);

} // namespace tkqt
