#include "viewer/memory/MemoryControls.h"

#include "viewer/toolkit/Handles.h"

namespace tkmem {

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
