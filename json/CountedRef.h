#pragma once

#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>

// An owning reference to an intrusively counted object (one with AddRef and
// Release). Copying takes another count, moving hands the count over and
// leaves the source empty.
template <class T> class CountedRef {
public:
  CountedRef() noexcept = default;
  CountedRef(std::nullptr_t) noexcept {}

  // Takes a count of its own on the object.
  explicit CountedRef(T* object) noexcept : object_(object) {
    if (object_ != nullptr)
      object_->AddRef();
  }

  CountedRef(const CountedRef& other) noexcept : CountedRef(other.object_) {}
  CountedRef(CountedRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}

  // clang-format 14 cannot lay out a requires clause; these stay as written.
  // clang-format off
  template <class U>
    requires std::is_convertible_v<U*, T*>
  CountedRef(const CountedRef<U>& other) noexcept : CountedRef(other.get()) {}

  template <class U>
    requires std::is_convertible_v<U*, T*>
  CountedRef(CountedRef<U>&& other) noexcept : object_(other.release()) {}
  // clang-format on

  CountedRef& operator=(CountedRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }

  ~CountedRef() { reset(); }

  void reset() noexcept {
    if (T* object = std::exchange(object_, nullptr))
      object->Release();
  }

  // Gives up the count without releasing it; the caller now owns it.
  [[nodiscard]] T* release() noexcept { return std::exchange(object_, nullptr); }

  T* get() const noexcept { return object_; }
  T* operator->() const noexcept { return object_; }
  T& operator*() const noexcept { return *object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  friend bool operator==(const CountedRef& a, const CountedRef& b) noexcept {
    return a.object_ == b.object_;
  }
  friend bool operator==(const CountedRef& a, std::nullptr_t) noexcept {
    return a.object_ == nullptr;
  }

private:
  T* object_ = nullptr;
};

// References hash by the identity of the object they lead to.
template <class T> struct std::hash<CountedRef<T>> {
  size_t operator()(const CountedRef<T>& ref) const noexcept { return std::hash<T*>{}(ref.get()); }
};
