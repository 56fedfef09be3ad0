#include "viewer/toolkit/FormBase.h"

#include <utility>

namespace tk {

// Taken by value and moved in.
// cppcheck-suppress passedByValue
FormBase::FormBase(FormDescription Description) noexcept : description_(std::move(Description)) {}

void FormBase::Raise(NotifyEvent FormDescription::*Event) noexcept {
  // Two pointers: small enough for std::function to hold without allocating.
  Deliver([this, Event] {
    // A copy: the handler may destroy the form, and its description with it.
    if (const NotifyEvent handler = description_.*Event)
      handler();
  });
}

void FormBase::ConstructionComplete() {
  if (created_ || destroyed_)
    return;
  created_ = true;
  Noted(LifeEvent::Created);
  Raise(&FormDescription::OnCreate);
}

void FormBase::Show() {
  ShowNativeWindow();
  Noted(LifeEvent::Shown);
  Raise(&FormDescription::OnShow);
}

void FormBase::Destroy() noexcept {
  if (destroyed_)
    return;
  destroyed_ = true;
  if (created_) {
    Noted(LifeEvent::Destroyed);
    Raise(&FormDescription::OnDestroy);
  }
  DestroyNativeWindow();
  acceptsDrops_ = false;
}

void FormBase::AcceptDroppedFiles(bool Accept) {
  RegisterForDrops(Accept);
  acceptsDrops_ = Accept;
}

bool FormBase::RaiseDropFiles(DroppedFiles Drop) {
  if (!acceptsDrops_ || destroyed_)
    return false;
  Deliver([this, &Drop] {
    // A copy: the handler may destroy the form, and its description with it.
    if (const DropFilesEvent handler = description_.OnDropFiles)
      handler(std::move(Drop));
  });
  return true;
}

} // namespace tk
