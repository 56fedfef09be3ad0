#pragma once

#include <memory>

namespace tk {

class Lifetime;

// A watch on a Lifetime: tells whether its owner is gone.
class LifetimeWatch {
public:
  bool Expired() const noexcept { return alive_.expired(); }

private:
  friend class Lifetime;
  explicit LifetimeWatch(std::weak_ptr<const char> Alive) noexcept : alive_(std::move(Alive)) {}
  std::weak_ptr<const char> alive_;
};

// Something alive that goes with its owner (a form, a control). A handler may destroy the
// owner while it runs (a menu whose loop runs the host's messages, a viewer closed from inside
// its own event): the caller takes a watch before and checks it before touching the owner again.
class Lifetime {
public:
  Lifetime() : alive_(std::make_shared<const char>('\0')) {}
  Lifetime(const Lifetime&) = delete;
  Lifetime& operator=(const Lifetime&) = delete;
  ~Lifetime() = default;

  LifetimeWatch Watch() const noexcept { return LifetimeWatch(alive_); }

private:
  std::shared_ptr<const char> alive_;
};

} // namespace tk
