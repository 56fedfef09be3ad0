#pragma once

#include "viewer/toolkit/Application.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/FormDescription.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// The simple controls held in memory, with hooks that play the user's part.
namespace tkmem {

// A status bar laid out in characters: a text is as wide as its characters (a surrogate pair
// is one), a part sized to its text is as wide as its text (its panel's width at least), the
// last part has the rest of the bar.
class MemoryStatusBar final : public tk::StatusBar {
public:
  static constexpr int kDefaultWidth = 200;

  MemoryStatusBar(tk::Application& App, tk::StatusBarDescription Description);
  std::size_t PartCount() const override { return texts_.size(); }
  std::u16string PartText(std::size_t Part) const override { return texts_.at(RequirePart(Part)); }
  void SetPartText(std::size_t Part, std::u16string_view Text) override;
  int PartRoom(std::size_t Part) const override;
  int TextWidth(std::u16string_view Text) const override;
  const tk::StatusBarDescription& Description() const { return description_; }

  // The user's part: the window gets Width characters wide, raising the resized event through
  // the application's exception boundary when a part's room changed.
  void UserResize(int Width);
  int Width() const { return width_; }

private:
  std::vector<int> Rooms() const;

  tk::Application& app_;
  tk::StatusBarDescription description_;
  std::vector<std::u16string> texts_;
  int width_ = kDefaultWidth;
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
