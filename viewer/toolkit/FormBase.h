#pragma once

#include "viewer/toolkit/DroppedFiles.h"
#include "viewer/toolkit/Events.h"
#include "viewer/toolkit/Form.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/toolkit/Lifetime.h"

#include <functional>

namespace tk {

// The life every toolkit's form shares, written once: the created event raised once, only
// after construction and never after destruction; the shown event each time the window is
// shown; the destroyed event only when the created event was raised, and the window destroyed
// only when one was made, once; dropped files handed on only while the form takes them; and
// the form's lifetime, which handlers that may destroy the form watch. A toolkit's form adds
// what its widgets need.
class FormBase : public Form {
public:
  void ConstructionComplete() final;
  void Show() final;
  void Destroy() noexcept final;
  void AcceptDroppedFiles(bool Accept) final;

  const FormDescription& Description() const noexcept { return description_; }
  bool AcceptsDrops() const noexcept { return acceptsDrops_; }
  bool Destroyed() const noexcept { return destroyed_; }
  LifetimeWatch Lifetime() const noexcept { return lifetime_.Watch(); }

protected:
  explicit FormBase(FormDescription Description) noexcept;
  // A toolkit's form calls Destroy in its own destructor, while its widgets still exist.
  ~FormBase() override = default;

  enum class LifeEvent { Created, Shown, Destroyed };

  // Runs Action, a handler of the description, through the toolkit's exception boundary.
  virtual void Deliver(const std::function<void()>& Action) noexcept = 0;
  // Told before each event of the form's life is raised (for a journal, say).
  virtual void Noted(LifeEvent Event) noexcept { static_cast<void>(Event); }
  // Makes the window if need be, then makes it visible.
  virtual void ShowNativeWindow() = 0;
  // Destroys the window if one was made; the destroyed event has been raised.
  virtual void DestroyNativeWindow() noexcept = 0;
  // Registers the window for dropped files, making it if need be.
  virtual void RegisterForDrops(bool Accept) = 0;

  // The window is gone by other means: it takes no more drops.
  void StopAcceptingDrops() noexcept { acceptsDrops_ = false; }
  // Hands Drop to the description's handler; false, the drop given back at once, when the
  // form takes no drops.
  bool RaiseDropFiles(DroppedFiles Drop);

private:
  // Raises the description's Event through Deliver.
  void Raise(NotifyEvent FormDescription::*Event) noexcept;

  FormDescription description_;
  tk::Lifetime lifetime_;
  bool created_ = false;
  bool destroyed_ = false;
  bool acceptsDrops_ = false;
};

} // namespace tk
