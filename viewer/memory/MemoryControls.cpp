#include "viewer/memory/MemoryControls.h"

#include "viewer/toolkit/Handles.h"

#include <algorithm>

namespace tkmem {

MemoryStatusBar::MemoryStatusBar(tk::Application& App, tk::StatusBarDescription Description)
    : app_(App), description_(std::move(Description)),
      texts_(std::max<std::size_t>(description_.Panels.size(), 1)) {}

int MemoryStatusBar::TextWidth(std::u16string_view Text) const {
  int width = 0;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    // A high surrogate followed by a low one is one character.
    if (Text[i] >= 0xD800 && Text[i] <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
        Text[i + 1] <= 0xDFFF)
      ++i;
    ++width;
  }
  return width;
}

std::vector<int> MemoryStatusBar::Rooms() const {
  std::vector<int> rooms(texts_.size(), 0);
  int left = width_;
  for (std::size_t part = 0; part < texts_.size(); ++part) {
    if (part + 1 == texts_.size()) {
      rooms[part] = std::max(left, 0);
      break;
    }
    const tk::StatusPanelDescription& panel = description_.Panels[part];
    int width = panel.Width;
    if (panel.SizedToText)
      width = std::max(width, TextWidth(texts_[part]));
    rooms[part] = std::max(std::min(width, left), 0);
    left -= rooms[part];
  }
  return rooms;
}

int MemoryStatusBar::PartRoom(std::size_t Part) const { return Rooms().at(RequirePart(Part)); }

void MemoryStatusBar::SetPartText(std::size_t Part, std::u16string_view Text) {
  const std::vector<int> before = Rooms();
  texts_[RequirePart(Part)].assign(Text);
  // Raised inside the viewer's own call: a failure goes to that caller.
  if (Rooms() != before && description_.OnResize)
    description_.OnResize();
}

void MemoryStatusBar::UserResize(int Width) {
  const std::vector<int> before = Rooms();
  width_ = Width;
  if (Rooms() != before && description_.OnResize)
    app_.Guard(description_.OnResize);
}

std::optional<std::u16string> MemoryOpenDialog::Execute(tk::NativeWindow Owner) {
  executions_.push_back(Owner);
  if (answers_.empty())
    return std::nullopt;
  std::optional<std::u16string> answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

std::u16string MemoryClipboard::ReadText() {
  if (locked_)
    throw tk::ToolkitError("Cannot open clipboard");
  return text_.value_or(std::u16string());
}

void MemoryClipboard::WriteText(std::u16string_view Text) {
  if (locked_)
    throw tk::ToolkitError("Cannot open clipboard");
  text_ = std::u16string(Text);
  ++writes_;
}

} // namespace tkmem
