#pragma once

#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/FormDescription.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// The simple controls held in memory, with hooks that play the user's part.
namespace tkmem {

class MemoryStatusBar final : public tk::StatusBar {
public:
  explicit MemoryStatusBar(tk::StatusBarDescription Description)
      : description_(std::move(Description)) {}
  std::u16string Text() const override { return text_; }
  void SetText(std::u16string_view Text) override { text_.assign(Text); }
  const tk::StatusBarDescription& Description() const { return description_; }

private:
  tk::StatusBarDescription description_;
  std::u16string text_;
};

class MemoryEditBox final : public tk::EditBox {
public:
  explicit MemoryEditBox(tk::ToolItemDescription Description)
      : description_(std::move(Description)), text_(description_.Text) {}
  std::u16string Text() const override { return text_; }
  void SetText(std::u16string_view Text) override { text_.assign(Text); }
  const tk::ToolItemDescription& Description() const { return description_; }

private:
  tk::ToolItemDescription description_;
  std::u16string text_;
};

class MemoryToolBar final : public tk::ToolBar {
public:
  explicit MemoryToolBar(tk::ToolBarDescription Description)
      : description_(std::move(Description)) {}
  bool Visible() const override { return description_.Visible; }
  const tk::ToolBarDescription& Description() const { return description_; }

private:
  tk::ToolBarDescription description_;
};

class MemoryOpenDialog final : public tk::OpenDialog {
public:
  explicit MemoryOpenDialog(tk::OpenDialogDescription Description)
      : description_(std::move(Description)) {}

  // Takes the next queued answer; cancelled when none is queued.
  std::optional<std::u16string> Execute(tk::NativeWindow Owner) override;

  // The user's next answer: a full file name, or nothing to cancel.
  void QueueAnswer(std::optional<std::u16string> Answer) { answers_.push_back(std::move(Answer)); }
  // The owners of every Execute, in order.
  const std::vector<tk::NativeWindow>& Executions() const { return executions_; }
  const tk::OpenDialogDescription& Description() const { return description_; }

private:
  tk::OpenDialogDescription description_;
  std::deque<std::optional<std::u16string>> answers_;
  std::vector<tk::NativeWindow> executions_;
};

class MemoryClipboard final : public tk::Clipboard {
public:
  std::u16string ReadText() override;
  void WriteText(std::u16string_view Text) override;

  // Another program's part: put text on the clipboard, or something that is no text.
  void SetText(std::u16string Text) { text_ = std::move(Text); }
  void SetNoText() { text_.reset(); }
  // While locked, opening the clipboard fails.
  void SetLocked(bool Locked) { locked_ = Locked; }
  const std::optional<std::u16string>& Content() const { return text_; }
  uint64_t Writes() const { return writes_; }

private:
  std::optional<std::u16string> text_;
  bool locked_ = false;
  uint64_t writes_ = 0;
};

} // namespace tkmem
