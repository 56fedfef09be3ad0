#pragma once

#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/Form.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/toolkit/Handles.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

// Message box flags, as the platform defines them.
inline constexpr uint32_t MbOk = 0x00u;
inline constexpr uint32_t MbIconError = 0x10u;
inline constexpr uint32_t MbIconInformation = 0x40u;
inline constexpr uint32_t MbTaskModal = 0x2000u;

// A window the application object can own; destroying it tears the window down.
class OwnedWindow {
public:
  virtual ~OwnedWindow() = default;

protected:
  OwnedWindow() = default;
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
};

using ExceptionHandler = std::function<void(const std::exception& E)>;

// The toolkit's application object, one per DLL: owner window, the application-wide exception
// handler slot, the registry of owned windows, and the platform services the viewer needs.
// Implementations: the Win32 one (viewer/win32) and the in-memory one (viewer/memory).
// Everything runs on the window thread.
class Application {
public:
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  // Destroys the windows still owned. Implementations call DestroyOwnedWindows() first in their
  // own destructor, while their services still work.
  virtual ~Application();

  // Owner of the toolkit's own top-level windows and of its default error box; NoWindow: none.
  void SetOwnerWindow(NativeWindow Owner) noexcept { owner_ = Owner; }
  NativeWindow OwnerWindow() const noexcept { return owner_; }

  // The one slot every exception escaping an event or message handler goes to. An empty
  // handler empties the slot.
  void SetExceptionHandler(ExceptionHandler Handler) { handler_ = std::move(Handler); }
  bool HasExceptionHandler() const noexcept { return static_cast<bool>(handler_); }

  // Hands E to the slot, or to the default report while the slot is empty. Never throws: a
  // handler that fails is reported by the default report.
  void HandleException(const std::exception& E) noexcept;

  // The exception boundary: runs Action and hands whatever escapes it to HandleException.
  // Every window procedure, system callback and user-caused event goes through it.
  template <class Fn> void Guard(Fn&& Action) noexcept {
    try {
      Action();
    } catch (const std::exception& e) {
      HandleException(e);
    } catch (...) {
      HandleException(UnknownException());
    }
  }

  // Takes ownership of Window until RemoveOwned; the windows still owned are destroyed with
  // the application object.
  void AddOwned(std::unique_ptr<OwnedWindow> Window);
  // Gives the window back to the caller; empty when it was not owned.
  std::unique_ptr<OwnedWindow> RemoveOwned(const OwnedWindow* Window) noexcept;
  bool IsOwned(const OwnedWindow* Window) const noexcept;
  std::size_t OwnedCount() const noexcept { return owned_.size(); }
  // Destroys the owned windows, the last registered first.
  void DestroyOwnedWindows() noexcept;

  // Process-wide switch: report unreleased memory when the DLL unloads (see LeakReport.h).
  void EnableLeakReport() noexcept { leakReport_ = true; }
  bool LeakReportEnabled() const noexcept { return leakReport_; }

  // Builds a form from its description as a child of Parent; its native window is not made yet.
  virtual std::unique_ptr<Form> CreateForm(NativeWindow Parent, FormDescription Description) = 0;
  virtual Clipboard& SystemClipboard() = 0;
  // Milliseconds since the system started; wraps at 2^32 (GetTickCount).
  virtual uint32_t TickCount() = 0;
  // A modal message box (MessageBoxW); returns when the user dismisses it.
  virtual void ShowMessageBox(NativeWindow Owner, std::u16string_view Text,
                              std::u16string_view Caption, uint32_t Flags) = 0;
  // The process's whole command line (GetCommandLineW).
  virtual std::u16string ProcessCommandLine() = 0;
  // True when FileName names an existing regular file: not a folder, not a device.
  virtual bool IsRegularFile(const std::u16string& FileName) = 0;
  // The parent of Window (GetParent); NoWindow when it has none.
  virtual NativeWindow ParentWindowOf(NativeWindow Window) = 0;

protected:
  Application() = default;

  // The report while the slot is empty: a message box owned by OwnerWindow() with the
  // exception's message, caption "Treskal" and the error icon.
  virtual void DefaultReport(const std::exception& E) noexcept;

private:
  NativeWindow owner_ = NoWindow;
  ExceptionHandler handler_;
  std::vector<std::unique_ptr<OwnedWindow>> owned_;
  bool leakReport_ = false;
};

} // namespace tk
