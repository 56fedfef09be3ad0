#ifdef _WIN32

#include "viewer/win32/Win32Application_win.h"

#include "viewer/win32/ControlIds_win.h"
#include "viewer/win32/Win32Form_win.h"
#include "json/UnicodeConversion.h"

#include <array>
#include <cstring>

namespace tkwin {

namespace {

std::wstring Terminated(std::u16string_view Text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(Text.data()), Text.size());
}

HWND LiveWindowOrNone(tk::NativeWindow Window) noexcept {
  const HWND window = ToHwnd(Window);
  // A box owned by a window that is gone would not show at all.
  return window && ::IsWindow(window) ? window : nullptr;
}

// The clipboard while it is open; closed when this goes.
class ClipboardSession {
public:
  // Other programs hold the clipboard for moments at a time; a few short retries ride that
  // out before the failure is reported.
  static ClipboardSession Open(HWND Owner) {
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      if (::OpenClipboard(Owner))
        return ClipboardSession();
      if (attempt + 1 < kAttempts)
        ::Sleep(15);
    }
    throw tk::ToolkitError("Cannot open clipboard");
  }

  ClipboardSession(ClipboardSession&& other) noexcept : open_(std::exchange(other.open_, false)) {}
  ClipboardSession& operator=(ClipboardSession&&) = delete;
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() {
    if (open_)
      ::CloseClipboard();
  }

private:
  ClipboardSession() noexcept = default;
  bool open_ = true;
};

} // namespace

HINSTANCE ThisModuleInstance() noexcept {
  // The address of our own code names the module: the DLL inside the host, the program in a
  // test. The module's own count is left alone.
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModuleInstance), &module);
  return module;
}

// --- clipboard -------------------------------------------------------------------------------

std::u16string Win32Clipboard::ReadText() {
  const ClipboardSession session = ClipboardSession::Open(app_.ClipboardWindow());
  const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (!data)
    return std::u16string();
  const GlobalMemoryLock lock(data);
  if (!lock.Data())
    return std::u16string();
  // The block may be larger than the text, or (from a careless writer) lack the zero: read no
  // further than either.
  const std::size_t units = ::GlobalSize(data) / sizeof(wchar_t);
  const auto* text = static_cast<const wchar_t*>(lock.Data());
  std::size_t length = 0;
  while (length < units && text[length] != L'\0')
    ++length;
  return FromWide(text, length);
}

void Win32Clipboard::WriteText(std::u16string_view Text) {
  // Everything that can fail before the clipboard is emptied happens first, so a failure
  // leaves the old content in place.
  const std::size_t bytes = (Text.size() + 1) * sizeof(wchar_t);
  UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory)
    throw tk::ToolkitError("Not enough memory for the clipboard");
  {
    const GlobalMemoryLock lock(memory.Get());
    if (!lock.Data())
      throw tk::ToolkitError("Not enough memory for the clipboard");
    auto* target = static_cast<char16_t*>(lock.Data());
    Text.copy(target, Text.size());
    target[Text.size()] = u'\0';
  }
  const HWND owner = app_.ClipboardWindow();
  const ClipboardSession session = ClipboardSession::Open(owner);
  if (!::EmptyClipboard())
    throw tk::ToolkitError("Cannot empty clipboard");
  if (!::SetClipboardData(CF_UNICODETEXT, memory.Get()))
    throw tk::ToolkitError("Cannot set clipboard data");
  // The system owns the block now.
  memory.Release();
}

// --- window class ----------------------------------------------------------------------------

FormClassRegistration& FormClassRegistration::operator=(FormClassRegistration&& other) noexcept {
  if (this != &other) {
    Reset();
    instance_ = std::exchange(other.instance_, nullptr);
  }
  return *this;
}

FormClassRegistration FormClassRegistration::Register(HINSTANCE Instance, WNDPROC Procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = Procedure;
  // The form's object lives in the class's extra slot: the window's user data belongs to
  // whoever embeds the form.
  windowClass.cbWndExtra = sizeof(LONG_PTR);
  windowClass.hInstance = Instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kFormClassName;
  if (::RegisterClassExW(&windowClass))
    return FormClassRegistration(Instance);
  if (::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    // Left behind by an earlier load of this module that could not clean up; its procedure
    // may be gone, so it is replaced.
    ::UnregisterClassW(kFormClassName, Instance);
    if (::RegisterClassExW(&windowClass))
      return FormClassRegistration(Instance);
  }
  throw tk::ToolkitError("Cannot register the window class");
}

void FormClassRegistration::Reset() noexcept {
  if (const HINSTANCE instance = std::exchange(instance_, nullptr))
    ::UnregisterClassW(kFormClassName, instance);
}

// --- application -----------------------------------------------------------------------------

Win32Application::Win32Application() : instance_(ThisModuleInstance()) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);
}

Win32Application::~Win32Application() {
  // While the window class and the clipboard window still exist.
  DestroyOwnedWindows();
}

void Win32Application::EnsureFormClass() {
  if (!formClass_)
    formClass_ = FormClassRegistration::Register(instance_, &Win32Form::WindowProc);
}

HWND Win32Application::ClipboardWindow() {
  if (clipboardWindow_ && !::IsWindow(clipboardWindow_.Get()))
    clipboardWindow_.Release();
  if (!clipboardWindow_) {
    clipboardWindow_.Reset(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                             nullptr, instance_, nullptr));
    if (!clipboardWindow_)
      throw tk::ToolkitError("Cannot create the clipboard window");
  }
  return clipboardWindow_.Get();
}

std::unique_ptr<tk::Form> Win32Application::CreateForm(tk::NativeWindow Parent,
                                                       tk::FormDescription Description) {
  EnsureFormClass();
  return std::make_unique<Win32Form>(*this, ToHwnd(Parent), std::move(Description));
}

uint32_t Win32Application::TickCount() { return ::GetTickCount(); }

void Win32Application::ShowMessageBox(tk::NativeWindow Owner, std::u16string_view Text,
                                      std::u16string_view Caption, uint32_t Flags) {
  const std::wstring text = Terminated(Text);
  const std::wstring caption = Terminated(Caption);
  ::MessageBoxW(LiveWindowOrNone(Owner), text.c_str(), caption.c_str(), Flags);
}

std::u16string Win32Application::ProcessCommandLine() { return FromWide(::GetCommandLineW()); }

bool Win32Application::IsRegularFile(const std::u16string& FileName) {
  if (FileName.empty() || FileName.find(u'\0') != std::u16string::npos)
    return false;
  const DWORD attributes = ::GetFileAttributesW(WidePointer(FileName));
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
    return false;
  // Reserved names (NUL, COM1, "dir\\con.json") answer with plain file attributes; their full
  // path gives them away as devices.
  const DWORD needed = ::GetFullPathNameW(WidePointer(FileName), 0, nullptr, nullptr);
  if (needed == 0)
    return false;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(WidePointer(FileName), needed, full.data(), nullptr);
  if (length == 0 || length >= needed)
    return false;
  full.resize(length);
  return !full.starts_with(L"\\\\.\\");
}

tk::NativeWindow Win32Application::ParentWindowOf(tk::NativeWindow Window) {
  return FromHwnd(::GetParent(ToHwnd(Window)));
}

void Win32Application::DefaultReport(const std::exception& E) noexcept {
  try {
    const std::u16string text = ujson::Utf8ToUtf16(E.what());
    const HWND owner = LiveWindowOrNone(OwnerWindow());
    // Without an owner the box still stops the rest of the thread's windows.
    ::MessageBoxW(owner, WidePointer(text), L"Treskal",
                  MB_OK | MB_ICONERROR | (owner ? 0u : static_cast<UINT>(MB_TASKMODAL)));
  } catch (...) {
    // Nothing is left to report with.
  }
}

} // namespace tkwin

#endif // _WIN32
