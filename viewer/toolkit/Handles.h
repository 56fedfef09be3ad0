#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>

// The plain values the toolkit hands across its surface.
namespace tk {

// A native window (an HWND on Windows) carried as a number, so the viewer's logic never needs
// the platform headers. 0 stands for no window.
using NativeWindow = std::uintptr_t;
inline constexpr NativeWindow NoWindow = 0;

// One node of a TreeView, opaque to its users: the Win32 tree keeps an HTREEITEM in it, the
// in-memory tree an index and a generation. The empty handle stands for "none" (as a parent:
// the top level).
class TreeNodeHandle {
public:
  constexpr TreeNodeHandle() noexcept = default;
  constexpr explicit TreeNodeHandle(std::uintptr_t value) noexcept : value_(value) {}

  constexpr std::uintptr_t Value() const noexcept { return value_; }
  constexpr explicit operator bool() const noexcept { return value_ != 0; }
  friend constexpr bool operator==(TreeNodeHandle, TreeNodeHandle) noexcept = default;

private:
  std::uintptr_t value_ = 0;
};

inline constexpr TreeNodeHandle NoNode{};

// A failure of the toolkit itself: a clipboard that cannot be opened, a control the window
// description lacks, a tree node that is not (or no longer) in its tree. what() is UTF-8.
class ToolkitError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The error that stands for a thrown object that is no std::exception. Made once: the handlers
// that hand it on must not allocate.
const ToolkitError& UnknownException() noexcept;

} // namespace tk

template <> struct std::hash<tk::TreeNodeHandle> {
  std::size_t operator()(tk::TreeNodeHandle node) const noexcept {
    return std::hash<std::uintptr_t>{}(node.Value());
  }
};
