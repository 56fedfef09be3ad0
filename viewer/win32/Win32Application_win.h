#pragma once

#ifdef _WIN32

#include "viewer/toolkit/Application.h"
#include "viewer/win32/Handles_win.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The toolkit on Win32 common controls. One Win32Application per module (the plugin DLL, or a
// test program); it must be created and destroyed on the thread that runs the windows.
namespace tkwin {

class Win32Application;

// The module that holds this code: the DLL inside the host, the program in a test.
HINSTANCE ThisModuleInstance() noexcept;

// The system clipboard's CF_UNICODETEXT.
class Win32Clipboard final : public tk::Clipboard {
public:
  explicit Win32Clipboard(Win32Application& App) noexcept : app_(App) {}
  std::u16string ReadText() override;
  void WriteText(std::u16string_view Text) override;

private:
  Win32Application& app_;
};

// The form window class, registered for this module until the registration goes: a DLL's
// classes outlive the DLL otherwise, and a later load would find a class whose procedure is
// gone.
class FormClassRegistration {
public:
  FormClassRegistration() noexcept = default;
  FormClassRegistration(FormClassRegistration&& other) noexcept
      : instance_(std::exchange(other.instance_, nullptr)) {}
  FormClassRegistration& operator=(FormClassRegistration&& other) noexcept;
  FormClassRegistration(const FormClassRegistration&) = delete;
  FormClassRegistration& operator=(const FormClassRegistration&) = delete;
  ~FormClassRegistration() { Reset(); }

  // Registers the class for Instance with Procedure; ToolkitError when the system refuses.
  static FormClassRegistration Register(HINSTANCE Instance, WNDPROC Procedure);
  explicit operator bool() const noexcept { return instance_ != nullptr; }
  void Reset() noexcept;

private:
  explicit FormClassRegistration(HINSTANCE Instance) noexcept : instance_(Instance) {}
  HINSTANCE instance_ = nullptr;
};

class Win32Application final : public tk::Application {
public:
  Win32Application();
  ~Win32Application() override;

  std::unique_ptr<tk::Form> CreateForm(tk::NativeWindow Parent,
                                       tk::FormDescription Description) override;
  tk::Clipboard& SystemClipboard() override { return clipboard_; }
  uint32_t TickCount() override;
  void ShowMessageBox(tk::NativeWindow Owner, std::u16string_view Text, std::u16string_view Caption,
                      uint32_t Flags) override;
  std::u16string ProcessCommandLine() override;
  bool IsRegularFile(const std::u16string& FileName) override;
  tk::NativeWindow ParentWindowOf(tk::NativeWindow Window) override;

  // The module that holds this code: the DLL inside the host, the program in a test.
  HINSTANCE Instance() const noexcept { return instance_; }
  // Registers the form window class on first use.
  void EnsureFormClass();
  // A message-only window of our own that owns the clipboard while we write it.
  HWND ClipboardWindow();

protected:
  void DefaultReport(const std::exception& E) noexcept override;

private:
  HINSTANCE instance_;
  // Declared first: unregistered last, after every window of the class is gone.
  FormClassRegistration formClass_;
  UniqueWindow clipboardWindow_;
  Win32Clipboard clipboard_{*this};
};

// For a procedure that replaces the form's own (a subclass) and answers WM_DESTROY without
// passing it on: tells the form behind Window that the system is destroying its window now,
// so that Form::Destroy leaves the window to the system instead of destroying it a second time
// from inside its own destruction. Does nothing for a window that is not a form of this
// module. Call it before anything destroys the form object.
void NoteWindowDestroying(HWND Window) noexcept;

} // namespace tkwin

#endif // _WIN32
