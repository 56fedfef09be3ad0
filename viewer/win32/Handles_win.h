#pragma once

#ifdef _WIN32

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// Owning wrappers for the system's handles: move-only, a move empties the source, the handle
// is released once, by whoever holds it last.
namespace tkwin {

template <class Traits> class UniqueHandle {
public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle Value) noexcept : value_(Value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(std::exchange(other.value_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      Reset(std::exchange(other.value_, Handle{}));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Handle Get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Handle{}; }
  // Gives up ownership without releasing.
  Handle Release() noexcept { return std::exchange(value_, Handle{}); }
  void Reset(Handle Value = Handle{}) noexcept {
    if (const Handle old = std::exchange(value_, Value); old != Handle{})
      Traits::Close(old);
  }

private:
  Handle value_{};
};

struct WindowTraits {
  using Handle = HWND;
  static void Close(HWND Window) noexcept { ::DestroyWindow(Window); }
};
struct FontTraits {
  using Handle = HFONT;
  static void Close(HFONT Font) noexcept { ::DeleteObject(Font); }
};
struct BitmapTraits {
  using Handle = HBITMAP;
  static void Close(HBITMAP Bitmap) noexcept { ::DeleteObject(Bitmap); }
};
struct ImageListTraits {
  using Handle = HIMAGELIST;
  static void Close(HIMAGELIST List) noexcept { ::ImageList_Destroy(List); }
};
struct GlobalTraits {
  using Handle = HGLOBAL;
  static void Close(HGLOBAL Memory) noexcept { ::GlobalFree(Memory); }
};
struct DropTraits {
  using Handle = HDROP;
  static void Close(HDROP Drop) noexcept { ::DragFinish(Drop); }
};
struct MenuTraits {
  using Handle = HMENU;
  static void Close(HMENU Menu) noexcept { ::DestroyMenu(Menu); }
};

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueFont = UniqueHandle<FontTraits>;
using UniqueBitmap = UniqueHandle<BitmapTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniqueGlobal = UniqueHandle<GlobalTraits>;
using UniqueDrop = UniqueHandle<DropTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;

// A lock on a movable global memory block, undone when it goes.
class GlobalMemoryLock {
public:
  explicit GlobalMemoryLock(HGLOBAL Memory) noexcept
      : memory_(Memory), data_(Memory ? ::GlobalLock(Memory) : nullptr) {}
  GlobalMemoryLock(GlobalMemoryLock&& other) noexcept
      : memory_(std::exchange(other.memory_, nullptr)), data_(std::exchange(other.data_, nullptr)) {
  }
  GlobalMemoryLock& operator=(GlobalMemoryLock&&) = delete;
  GlobalMemoryLock(const GlobalMemoryLock&) = delete;
  GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;
  ~GlobalMemoryLock() {
    if (data_)
      ::GlobalUnlock(memory_);
  }

  void* Data() const noexcept { return data_; }

private:
  HGLOBAL memory_;
  void* data_;
};

// The system's wide characters and char16_t are both UTF-16 units of the same size.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// Text handed to a system call that reads it.
inline const wchar_t* WidePointer(const std::u16string& Text) noexcept {
  return reinterpret_cast<const wchar_t*>(Text.c_str());
}
inline std::u16string FromWide(const wchar_t* Text, std::size_t Length) {
  return std::u16string(reinterpret_cast<const char16_t*>(Text), Length);
}
inline std::u16string FromWide(const wchar_t* Text) {
  return Text ? FromWide(Text, std::char_traits<wchar_t>::length(Text)) : std::u16string();
}

inline HWND ToHwnd(std::uintptr_t Window) noexcept { return reinterpret_cast<HWND>(Window); }
inline std::uintptr_t FromHwnd(HWND Window) noexcept {
  return reinterpret_cast<std::uintptr_t>(Window);
}

} // namespace tkwin

#endif // _WIN32
