#include "viewer/memory/MemoryApplication.h"

#include <algorithm>

namespace tkmem {

MemoryApplication::~MemoryApplication() { DestroyOwnedWindows(); }

std::unique_ptr<tk::Form> MemoryApplication::CreateForm(tk::NativeWindow Parent,
                                                        tk::FormDescription Description) {
  if (formCreationFails_)
    throw tk::ToolkitError("Cannot create window");
  auto form = std::make_unique<MemoryForm>(*this, Parent, std::move(Description));
  forms_.push_back(form.get());
  return form;
}

uint32_t MemoryApplication::TickCount() {
  const uint32_t now = ticks_;
  ticks_ += tickStep_; // unsigned: wraps like the real counter
  return now;
}

void MemoryApplication::ShowMessageBox(tk::NativeWindow Owner, std::u16string_view Text,
                                       std::u16string_view Caption, uint32_t Flags) {
  messages_.push_back({Owner, std::u16string(Text), std::u16string(Caption), Flags});
}

bool MemoryApplication::IsRegularFile(const std::u16string& FileName) {
  return regularFiles_.contains(FileName);
}

void MemoryApplication::SetWindowParent(tk::NativeWindow Window, tk::NativeWindow Parent) {
  windowParents_[Window] = Parent;
}

tk::NativeWindow MemoryApplication::ParentWindowOf(tk::NativeWindow Window) {
  auto found = windowParents_.find(Window);
  return found == windowParents_.end() ? tk::NoWindow : found->second;
}

tk::NativeWindow MemoryApplication::NewWindow(tk::NativeWindow Parent) {
  const tk::NativeWindow window = nextWindow_;
  nextWindow_ += 0x10;
  windowParents_[window] = Parent;
  return window;
}

void MemoryApplication::ForgetWindow(tk::NativeWindow Window) noexcept {
  windowParents_.erase(Window);
}

void MemoryApplication::Forget(const MemoryForm* Form) noexcept { std::erase(forms_, Form); }

} // namespace tkmem
