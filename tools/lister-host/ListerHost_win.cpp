// lister-host: plays the file manager's part for a lister plugin DLL. It loads the DLL, asks
// for its detect string, creates lister windows, has files shown in them through ListLoad or
// ListLoadW, and closes them again; between those steps it reads the plugin's real controls
// back (tree view, status bar, tool bar) and prints what it finds as UTF-8 lines, so tests can
// compare them. Message boxes are printed and dismissed automatically.
//
//   lister-host.exe [ARGUMENT] --plugin DLL STEP...
//
// An ARGUMENT before --plugin is not read by lister-host: it is there for plugins that look at
// the host's command line. The steps are listed in Usage() below.

#include "tools/lister-host/Handles_win.h"
#include "tools/lister-host/HostText.h"
#include "tools/lister-host/PngWriter.h"

#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace host {
namespace {

using ListGetDetectStringFn = void (*)(char* DetectString, int MaxLen);
using ListLoadFn = HWND (*)(HWND ParentWin, char* FileToLoad, int ShowFlags);
using ListLoadWFn = HWND (*)(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags);
using ListCloseWindowFn = void (*)(HWND ListWin);
using MessageBoxWFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);

constexpr wchar_t kListerClass[] = L"ListerHostLister";
constexpr wchar_t kPanelClass[] = L"ListerHostPanel";
constexpr wchar_t kBareClass[] = L"ListerHostBare";
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

// A failed step: printed, then lister-host stops with exit code 2.
class StepError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

std::u16string AsU16(std::wstring_view Text) {
  return {reinterpret_cast<const char16_t*>(Text.data()), Text.size()};
}
std::string Utf8(std::wstring_view Text) { return ToUtf8(AsU16(Text)); }
std::string Esc(std::wstring_view Text) { return Escaped(AsU16(Text)); }

std::string Hex(uint64_t Value, int Digits = 0) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", Digits, static_cast<unsigned long long>(Value));
  return buffer;
}

std::wstring ClassOf(HWND Window) {
  wchar_t name[256] = {};
  GetClassNameW(Window, name, 256);
  return name;
}

std::wstring TextOf(HWND Window) {
  const int length = GetWindowTextLengthW(Window);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(Window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

double Milliseconds(LARGE_INTEGER From, LARGE_INTEGER To) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(To.QuadPart - From.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

std::string FormatMs(double Value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", Value);
  return buffer;
}

// Every window the thread owns, top-level and child, hidden ones included.
std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND Window, LPARAM Param) -> BOOL {
        auto& list = *reinterpret_cast<std::vector<HWND>*>(Param);
        list.push_back(Window);
        EnumChildWindows(
            Window,
            [](HWND Child, LPARAM Inner) -> BOOL {
              reinterpret_cast<std::vector<HWND>*>(Inner)->push_back(Child);
              return TRUE;
            },
            Param);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND Window) {
  std::vector<HWND> found;
  EnumChildWindows(
      Window,
      [](HWND Child, LPARAM Param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindDescendant(HWND Window, std::wstring_view Class) {
  if (Window == nullptr)
    return nullptr;
  for (HWND child : Descendants(Window))
    if (_wcsicmp(ClassOf(child).c_str(), std::wstring(Class).c_str()) == 0)
      return child;
  return nullptr;
}

// GDI objects of the process. GetGuiResources where it works; Wine answers 0 there, so then
// the live entries of the process's GDI handle table (PEB::GdiSharedHandleTable) are counted.
struct GdiTableEntry {
  uint64_t Object;
  uint32_t Owner;
  uint16_t Unique;
  uint8_t Type;
  uint8_t ExtType;
  uint64_t UserPointer;
};
static_assert(sizeof(GdiTableEntry) == 24);

unsigned long GdiObjectCount() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0)
    return reported;
  // The PEB's address sits at gs:0x60 on x64 (read directly: GCC misjudges NtCurrentTeb's
  // segment read as an out-of-bounds access).
  const uint8_t* peb = nullptr;
  asm("movq %%gs:0x60, %0" : "=r"(peb));
  const GdiTableEntry* table = nullptr;
  std::memcpy(&table, peb + 0xF8, sizeof table); // x64 offset of GdiSharedHandleTable
  if (table == nullptr)
    return 0;
  unsigned long count = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i].Type != 0)
      ++count;
  return count;
}

// One lister window with the viewer the plugin put into it.
struct Lister {
  int Number = 0;
  bool Quick = false;
  UniqueWindow Panel;  // quick view: the main window's panel that holds the lister
  UniqueWindow Window; // the lister window
  HWND Viewer = nullptr;
  bool ViewerDestroyed = false;
  int DestroyMessages = 0;
};

// The procedures of the host's own subclass layers over a viewer window, bottom first. The file
// manager subclasses the window that ListLoad returns to catch its hotkeys; a second layer
// stands for anything else in the host that subclasses the same window later.
constexpr std::size_t kHostLayers = 2;

// The process's private bytes. Wine fills in only the older record (its cb says so), whose
// PagefileUsage is the same figure: the commit charge, under Wine the resident anonymous memory.
uint64_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(),
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return 0;
  return counters.cb >= sizeof counters && counters.PrivateUsage != 0 ? counters.PrivateUsage
                                                                      : counters.PagefileUsage;
}

struct DialogPlan {
  std::wstring FileToChoose; // empty: cancel
};

class Host {
public:
  Host() = default;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  ~Host() = default;

  int Run(const std::vector<std::wstring>& Args);

  // Callbacks that have no context parameter reach the host through here.
  static Host*& Instance() {
    static Host* instance = nullptr;
    return instance;
  }

  void Out(const std::string& Line) {
    std::fwrite(Line.data(), 1, Line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }

  LRESULT ListerProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void DismissDialogs();
  void OnCallWndProc(const CWPSTRUCT& Message);
  void OnCallWndProcRet(const CWPRETSTRUCT& Message);
  int OnMessageBoxCall(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type);
  LRESULT OnSubclassMessage(std::size_t Layer, HWND Window, UINT Message, WPARAM WParam,
                            LPARAM LParam);

private:
  // Steps.
  void Step(const std::wstring& Name);
  std::wstring Arg(const char* What);
  int IntArg(const char* What);

  void LoadPlugin(const std::wstring& Path);
  void Unload();
  void PrintExports();
  void PrintVersion();
  void Detect(int Limit, std::optional<int> BufferSize);
  Lister& NewLister(bool Quick);
  void Load(bool Quick, int Variant, const std::wstring& File); // 0 W if exported, 1 ANSI, 2 bytes
  void CountPostedFocus(Lister& Target);
  void SubclassViewer(HWND Viewer);
  void Unsubclass();
  std::string ProcedureName(HWND Window);
  void FitViewer(Lister& Target);
  void Close(HWND Window, const std::string& Label);
  void Info();
  void Layout();
  void Focus();
  void LoadIntoDeadWindow(const std::wstring& File);
  void Show();
  void Status();
  void Tree(bool All);
  void Expand(const std::wstring& Path, bool ByIndex, UINT Action);
  void Select(const std::wstring& Path, bool ByIndex);
  void CountChildren(const std::wstring& Path, bool ByIndex);
  void ToolBar();
  void Press(int Index);
  void Search(const std::wstring& Text);
  void Drop(const std::vector<std::wstring>& Files);
  void Counts(const std::string& Label);
  void Cycles(int Count, const std::wstring& File, bool DestroyLister);
  void Screenshot(const std::wstring& Path, bool UsePrintWindow);
  void BenchBareTree(int Items);
  void BenchExpand(const std::wstring& Path, bool ByIndex);
  void BenchLoad(const std::wstring& File);

  Lister& Current();
  HWND CurrentTree();
  std::string NameOf(HWND Window);
  Lister* ListerOfViewer(HWND Window);
  HTREEITEM FindItem(HWND Tree, const std::wstring& Path, bool ByIndex);
  std::wstring ItemLabel(HWND Tree, HTREEITEM Item, UINT* State = nullptr);
  void DumpItems(HWND Tree, HTREEITEM First, int Depth, bool All, HTREEITEM Selected);
  void Pump();
  void PumpFor(int Ms);
  void HookMessageBoxes();
  std::string StatusText(HWND Viewer);

  std::vector<std::wstring> args_;
  std::size_t next_ = 0;

  UniqueModule plugin_;
  ListGetDetectStringFn detect_ = nullptr;
  ListLoadFn load_ = nullptr;
  ListLoadWFn loadW_ = nullptr;
  ListCloseWindowFn close_ = nullptr;
  MessageBoxWFn realMessageBox_ = nullptr;

  std::vector<std::unique_ptr<Lister>> listers_;
  std::size_t current_ = 0;
  int listersMade_ = 0;
  int showFlags_ = 0;
  double lastLoadMs_ = 0;
  DialogPlan dialogPlan_;
  std::set<HWND> dismissed_;
  bool tracing_ = true;
  bool subclassLoads_ = true;
  // The procedure each of the host's layers replaced, per viewer window; null once the layer
  // is gone.
  std::map<HWND, std::array<WNDPROC, kHostLayers>> subclassed_;

  UniqueThreadTimer dismissTimer_;
  UniqueHook callHook_;
  UniqueHook callRetHook_;
};

Host& TheHost() { return *Host::Instance(); }

template <std::size_t Layer>
LRESULT CALLBACK HostSubclassProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  return TheHost().OnSubclassMessage(Layer, Window, Message, WParam, LParam);
}
constexpr std::array<WNDPROC, kHostLayers> kLayerProcs = {&HostSubclassProc<0>,
                                                          &HostSubclassProc<1>};

LRESULT CALLBACK ListerWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  return TheHost().ListerProc(Window, Message, WParam, LParam);
}

void CALLBACK DismissTimerProc(HWND, UINT, UINT_PTR, DWORD) { TheHost().DismissDialogs(); }

LRESULT CALLBACK CallWndHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION)
    TheHost().OnCallWndProc(*reinterpret_cast<const CWPSTRUCT*>(LParam));
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

LRESULT CALLBACK CallWndRetHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION)
    TheHost().OnCallWndProcRet(*reinterpret_cast<const CWPRETSTRUCT*>(LParam));
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

int WINAPI HookedMessageBoxW(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type) {
  return TheHost().OnMessageBoxCall(Owner, Text, Caption, Type);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* Info) {
  const auto address = reinterpret_cast<uintptr_t>(Info->ExceptionRecord->ExceptionAddress);
  HMODULE module = nullptr;
  wchar_t name[MAX_PATH] = L"?";
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(address), &module))
    GetModuleFileNameW(module, name, MAX_PATH);
  std::wstring_view file(name);
  file = file.substr(
      file.find_last_of(L"\\/") == std::wstring_view::npos ? 0 : file.find_last_of(L"\\/") + 1);
  const std::string line = "crash: exception " + Hex(Info->ExceptionRecord->ExceptionCode, 8) +
                           " in " + Utf8(file) + "+" +
                           Hex(address - reinterpret_cast<uintptr_t>(module));
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

const char* Usage() {
  return "usage: lister-host.exe [ARGUMENT] --plugin DLL STEP...\n"
         "steps:\n"
         "  exports | version | acp      exported names, version resource, ANSI code page\n"
         "  detect LIMIT [SIZE]          ListGetDetectString into a guarded buffer\n"
         "  flags N                      show flags for later loads (default 0)\n"
         "  load FILE | load-ansi FILE | load-bytes HEX\n"
         "  quick FILE | quick-ansi FILE (a lister window with a parent)\n"
         "  use N                        make lister N the current one\n"
         "  info | layout | focus | status | tree [all] | toolbar\n"
         "  expand PATH | expand-at INDICES | collapse PATH | select PATH | select-at INDICES\n"
         "  children PATH | children-at INDICES   (PATH: labels joined by |; INDICES: 0.2.1)\n"
         "  press INDEX | search TEXT | drop FILE... -- | dialog-file FILE\n"
         "  close | close-lister | close-null | close-other | user-close\n"
         "  load-dead FILE | threads N | exit-now\n"
         "  destroy-lister | destroy-viewer | size W H | wait MS | show | quiet | verbose | "
         "no-hooks\n"
         "  subclass on|off (the host's subclass of later viewers, default on)\n"
         "  subclass-more | unsubclass   add or remove a host layer on the current viewer\n"
         "  host-user-data               the host writes its own value into the user data\n"
         "  counts | memory | cycles N FILE [destroy] | screenshot FILE [print] | unload\n"
         "  bench-bare-tree N | bench-expand PATH | bench-expand-at INDICES | bench-load FILE\n";
}

int Host::Run(const std::vector<std::wstring>& Args) {
  args_ = Args;
  std::size_t at = 0;
  while (at < args_.size() && args_[at] != L"--plugin")
    ++at; // an argument for the plugin to find on the command line
  if (at + 1 >= args_.size()) {
    std::fputs(Usage(), stderr);
    return 2;
  }
  InitCommonControls();
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = ListerWindowProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = kListerClass;
  RegisterClassExW(&cls);
  cls.lpszClassName = kPanelClass;
  RegisterClassExW(&cls);
  cls.lpfnWndProc = DefWindowProcW;
  cls.lpszClassName = kBareClass;
  RegisterClassExW(&cls);

  dismissTimer_ = UniqueThreadTimer(50, DismissTimerProc);
  callHook_ =
      UniqueHook(SetWindowsHookExW(WH_CALLWNDPROC, CallWndHook, nullptr, GetCurrentThreadId()));
  callRetHook_ = UniqueHook(
      SetWindowsHookExW(WH_CALLWNDPROCRET, CallWndRetHook, nullptr, GetCurrentThreadId()));

  int status = 0;
  try {
    LoadPlugin(args_[at + 1]);
    next_ = at + 2;
    while (next_ < args_.size()) {
      const std::wstring step = args_[next_++];
      Step(step);
      Pump();
    }
    if (plugin_)
      Unload();
  } catch (const StepError& e) {
    Out(std::string("error: ") + e.what());
    status = 2;
  }
  // The host closes its own windows last; the plugin is unloaded by now.
  listers_.clear();
  Pump();
  Out("exit");
  return status;
}

std::wstring Host::Arg(const char* What) {
  if (next_ >= args_.size())
    throw StepError(std::string("missing ") + What);
  return args_[next_++];
}

int Host::IntArg(const char* What) {
  const std::wstring text = Arg(What);
  wchar_t* end = nullptr;
  const long long value = std::wcstoll(text.c_str(), &end, 0);
  if (end == text.c_str() || *end != L'\0')
    throw StepError(std::string("not a number for ") + What + ": " + Utf8(text));
  return static_cast<int>(value);
}

void Host::Step(const std::wstring& Name) {
  if (Name == L"exports") {
    PrintExports();
  } else if (Name == L"acp") {
    Out("acp: " + std::to_string(GetACP()));
  } else if (Name == L"version") {
    PrintVersion();
  } else if (Name == L"detect") {
    const int limit = IntArg("limit");
    std::optional<int> size;
    if (next_ < args_.size() && !args_[next_].empty() && iswdigit(args_[next_][0]))
      size = IntArg("buffer size");
    Detect(limit, size);
  } else if (Name == L"flags") {
    showFlags_ = IntArg("flags");
  } else if (Name == L"load") {
    Load(false, 0, Arg("file"));
  } else if (Name == L"load-ansi") {
    Load(false, 1, Arg("file"));
  } else if (Name == L"load-bytes") {
    Load(false, 2, Arg("bytes"));
  } else if (Name == L"quick") {
    Load(true, 0, Arg("file"));
  } else if (Name == L"quick-ansi") {
    Load(true, 1, Arg("file"));
  } else if (Name == L"use") {
    const int number = IntArg("lister number");
    const auto found = std::find_if(listers_.begin(), listers_.end(), [number](const auto& lister) {
      return lister->Number == number;
    });
    if (found == listers_.end())
      throw StepError("no lister " + std::to_string(number));
    current_ = static_cast<std::size_t>(found - listers_.begin());
  } else if (Name == L"info") {
    Info();
  } else if (Name == L"layout") {
    Layout();
  } else if (Name == L"focus") {
    Focus();
  } else if (Name == L"status") {
    Status();
  } else if (Name == L"tree") {
    bool all = false;
    if (next_ < args_.size() && args_[next_] == L"all") {
      all = true;
      ++next_;
    }
    Tree(all);
  } else if (Name == L"expand") {
    Expand(Arg("label path"), false, TVE_EXPAND);
  } else if (Name == L"expand-at") {
    Expand(Arg("index path"), true, TVE_EXPAND);
  } else if (Name == L"collapse") {
    Expand(Arg("label path"), false, TVE_COLLAPSE);
  } else if (Name == L"select") {
    Select(Arg("label path"), false);
  } else if (Name == L"select-at") {
    Select(Arg("index path"), true);
  } else if (Name == L"children") {
    CountChildren(Arg("label path"), false);
  } else if (Name == L"children-at") {
    CountChildren(Arg("index path"), true);
  } else if (Name == L"toolbar") {
    ToolBar();
  } else if (Name == L"press") {
    Press(IntArg("button index"));
  } else if (Name == L"search") {
    Search(Arg("text"));
  } else if (Name == L"drop") {
    std::vector<std::wstring> files;
    while (next_ < args_.size() && args_[next_] != L"--")
      files.push_back(args_[next_++]);
    if (next_ < args_.size())
      ++next_;
    Drop(files);
  } else if (Name == L"dialog-file") {
    dialogPlan_.FileToChoose = Arg("file");
  } else if (Name == L"close") {
    Lister& lister = Current();
    Close(lister.Viewer, "viewer" + std::to_string(lister.Number));
  } else if (Name == L"close-lister") {
    Lister& lister = Current();
    Close(lister.Window.Get(), "lister" + std::to_string(lister.Number));
    Out(std::string("close-lister: lister window ") +
        (IsWindow(lister.Window.Get()) ? "still there" : "gone") + ", viewer " +
        (IsWindow(lister.Viewer) ? "still there" : "gone"));
  } else if (Name == L"close-null") {
    Close(nullptr, "no window");
  } else if (Name == L"close-other") {
    // Live windows that no ListLoad returned: one with an empty user-data slot, one whose
    // slot holds a value of the host's own, as a host that uses the slot would leave it.
    std::array<uintptr_t, 4> hostData{};
    for (const bool filled : {false, true}) {
      UniqueWindow other(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED, 0, 0, 10, 10,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
      if (filled)
        SetWindowLongPtrW(other.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hostData.data()));
      const std::string label = filled ? "another window with user data" : "another window";
      Close(other.Get(), label);
      Out("close-other: " + label + " is " + (IsWindow(other.Get()) ? "still there" : "gone") +
          ", its user data " +
          (GetWindowLongPtrW(other.Get(), GWLP_USERDATA) ==
                   (filled ? reinterpret_cast<LONG_PTR>(hostData.data()) : 0)
               ? "unchanged"
               : "CHANGED"));
    }
  } else if (Name == L"destroy-lister") {
    Lister& lister = Current();
    Out("destroy-lister: lister" + std::to_string(lister.Number));
    lister.Window.Reset();
    lister.Panel.Reset();
    Out("destroy-lister: done");
  } else if (Name == L"destroy-viewer") {
    Lister& lister = Current();
    Out("destroy-viewer: viewer" + std::to_string(lister.Number));
    const BOOL destroyed = DestroyWindow(lister.Viewer);
    Out(std::string("destroy-viewer: DestroyWindow ") + (destroyed ? "succeeded" : "failed"));
  } else if (Name == L"size") {
    const int width = IntArg("width");
    const int height = IntArg("height");
    Lister& lister = Current();
    RECT rect{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(lister.Window.Get(), GWL_STYLE));
    AdjustWindowRectEx(&rect, style, FALSE, 0);
    SetWindowPos(lister.Window.Get(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  } else if (Name == L"user-close") {
    // What the close box sends; lister-host handles it as the file manager does.
    Lister& lister = Current();
    PostMessageW(lister.Panel ? lister.Panel.Get() : lister.Window.Get(), WM_CLOSE, 0, 0);
    Out("user-close: lister" + std::to_string(lister.Number));
  } else if (Name == L"exit-now") {
    // A host that ends without unloading the DLL or closing its viewers.
    Out("exit-now: ExitProcess with the plugin loaded");
    Out("exit");
    std::fflush(stdout);
    ExitProcess(0);
  } else if (Name == L"threads") {
    // Threads that start and end while the DLL is loaded: its thread notifications run.
    const int count = IntArg("thread count");
    for (int i = 0; i < count; ++i)
      std::thread([] { Sleep(1); }).join();
    Out("threads: " + std::to_string(count) + " started and ended");
  } else if (Name == L"load-dead") {
    // A lister window handle whose window is gone by the time the plugin gets it.
    LoadIntoDeadWindow(Arg("file"));
  } else if (Name == L"show") {
    Show();
  } else if (Name == L"wait") {
    PumpFor(IntArg("milliseconds"));
  } else if (Name == L"no-hooks") {
    // Every sent message passes the hooks; under Wine that costs a round trip each, which
    // would swamp the speed measurements.
    callHook_.Reset();
    callRetHook_.Reset();
    Out("no-hooks: window message hooks removed");
  } else if (Name == L"quiet") {
    tracing_ = false;
  } else if (Name == L"verbose") {
    tracing_ = true;
  } else if (Name == L"subclass") {
    const std::wstring mode = Arg("on or off");
    if (mode != L"on" && mode != L"off")
      throw StepError("subclass takes on or off, not " + Utf8(mode));
    subclassLoads_ = mode == L"on";
    Out("subclass: later viewers " + std::string(subclassLoads_ ? "get" : "do not get") +
        " the host's subclass");
  } else if (Name == L"subclass-more") {
    Lister& lister = Current();
    SubclassViewer(lister.Viewer);
  } else if (Name == L"unsubclass") {
    Unsubclass();
  } else if (Name == L"host-user-data") {
    // A host that keeps its own data in the window's user-data slot.
    Lister& lister = Current();
    SetWindowLongPtrW(lister.Viewer, GWLP_USERDATA, static_cast<LONG_PTR>(0x484F5354));
    Out("host-user-data: viewer" + std::to_string(lister.Number) + " holds the host's value");
  } else if (Name == L"memory") {
    Pump();
    Out("memory: private bytes " + std::to_string(PrivateBytes()));
  } else if (Name == L"counts") {
    Counts("counts");
  } else if (Name == L"cycles") {
    const int count = IntArg("cycle count");
    const std::wstring file = Arg("file");
    bool destroy = false;
    if (next_ < args_.size() && args_[next_] == L"destroy") {
      destroy = true;
      ++next_;
    }
    Cycles(count, file, destroy);
  } else if (Name == L"screenshot") {
    const std::wstring path = Arg("file");
    bool print = false;
    if (next_ < args_.size() && args_[next_] == L"print") {
      print = true;
      ++next_;
    }
    Screenshot(path, print);
  } else if (Name == L"unload") {
    Unload();
  } else if (Name == L"bench-bare-tree") {
    BenchBareTree(IntArg("item count"));
  } else if (Name == L"bench-expand") {
    BenchExpand(Arg("label path"), false);
  } else if (Name == L"bench-expand-at") {
    BenchExpand(Arg("index path"), true);
  } else if (Name == L"bench-load") {
    BenchLoad(Arg("file"));
  } else {
    throw StepError("unknown step " + Utf8(Name));
  }
}

// --- the plugin -------------------------------------------------------------------------------

void Host::LoadPlugin(const std::wstring& Path) {
  plugin_ = UniqueModule(LoadLibraryW(Path.c_str()));
  if (!plugin_)
    throw StepError("LoadLibrary failed for " + Utf8(Path) + " (error " +
                    std::to_string(GetLastError()) + ")");
  detect_ = reinterpret_cast<ListGetDetectStringFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin_.Get(), "ListGetDetectString")));
  load_ = reinterpret_cast<ListLoadFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin_.Get(), "ListLoad")));
  loadW_ = reinterpret_cast<ListLoadWFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin_.Get(), "ListLoadW")));
  close_ = reinterpret_cast<ListCloseWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin_.Get(), "ListCloseWindow")));
  HookMessageBoxes();
  Out("plugin: loaded");
}

void Host::Unload() {
  if (!plugin_)
    throw StepError("the plugin is not loaded");
  Out("unload: FreeLibrary");
  plugin_.Reset();
  detect_ = nullptr;
  load_ = nullptr;
  loadW_ = nullptr;
  close_ = nullptr;
  Pump();
  int alive = 0;
  for (const auto& lister : listers_)
    if (lister->Viewer != nullptr && IsWindow(lister->Viewer))
      ++alive;
  Out("unload: done, viewer windows left: " + std::to_string(alive));
}

// Sends the plugin's MessageBoxW calls through the host first, so the exact owner and flags
// are printed; the real message box is shown afterwards and dismissed by the timer.
void Host::HookMessageBoxes() {
  auto* base = reinterpret_cast<uint8_t*>(plugin_.Get());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0)
    return;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       desc->Name != 0; ++desc) {
    if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), "user32.dll") != 0)
      continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA64*>(
        base + (desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal))
        continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "MessageBoxW") != 0)
        continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      realMessageBox_ = reinterpret_cast<MessageBoxWFn>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONGLONG>(&HookedMessageBoxW);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
    }
  }
}

int Host::OnMessageBoxCall(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type) {
  Out("messagebox call: owner=" + NameOf(Owner) + " flags=" + Hex(Type, 8) + " caption=" +
      Esc(Caption != nullptr ? Caption : L"") + " text=" + Esc(Text != nullptr ? Text : L""));
  const MessageBoxWFn real = realMessageBox_ != nullptr ? realMessageBox_ : MessageBoxW;
  return real(Owner, Text, Caption, Type);
}

void Host::PrintExports() {
  auto* base = reinterpret_cast<const uint8_t*>(plugin_.Get());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  Out(std::string("exports: machine ") +
      (nt->FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64 ? "x64" : Hex(nt->FileHeader.Machine)));
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0) {
    Out("exports: none");
    return;
  }
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> list;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    list.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(list.begin(), list.end());
  for (const std::string& name : list)
    Out("export: " + name);
}

void Host::PrintVersion() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(plugin_.Get(), path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    Out("version: none");
    return;
  }
  std::vector<uint8_t> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data()))
    throw StepError("cannot read the version resource");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    auto dotted = [](DWORD high, DWORD low) {
      return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
             std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    };
    Out("version: file " + dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + ", product " +
        dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  }
  struct Translation {
    WORD Language;
    WORD CodePage;
  }* translations = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return;
  wchar_t block[64];
  std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translations->Language,
                translations->CodePage);
  for (const wchar_t* key :
       {L"FileDescription", L"FileVersion", L"ProductName", L"ProductVersion"}) {
    wchar_t* value = nullptr;
    if (VerQueryValueW(data.data(), (std::wstring(block) + key).c_str(),
                       reinterpret_cast<void**>(&value), &length) &&
        value)
      Out("version: " + Utf8(key) + " " + Esc(value));
  }
}

void Host::Detect(int Limit, std::optional<int> BufferSize) {
  if (detect_ == nullptr)
    throw StepError("the plugin exports no ListGetDetectString");
  constexpr int guard = 64;
  const int size = BufferSize.value_or(Limit >= 0 && Limit <= 4096 ? Limit : 2048);
  // Two calls into buffers filled differently: a byte that reads the same after both was
  // written by the plugin, whatever its value.
  std::vector<std::vector<unsigned char>> runs;
  for (const unsigned char fill :
       {static_cast<unsigned char>(0xCC), static_cast<unsigned char>(0x33)}) {
    std::vector<unsigned char> area(static_cast<std::size_t>(guard + size + guard), fill);
    detect_(reinterpret_cast<char*>(area.data() + guard), Limit);
    runs.push_back(std::move(area));
  }
  auto written = [&](int offset) {
    const auto at = static_cast<std::size_t>(guard + offset);
    return runs[0][at] == runs[1][at];
  };
  std::string bytes;
  std::string text;
  int last = -1;
  for (int i = 0; i < size; ++i)
    if (written(i))
      last = i;
  bool ended = false;
  for (int i = 0; i <= last; ++i) {
    char hex[4];
    if (written(i)) {
      std::snprintf(hex, sizeof hex, "%02X", runs[0][static_cast<std::size_t>(guard + i)]);
      const unsigned char c = runs[0][static_cast<std::size_t>(guard + i)];
      if (c == 0)
        ended = true;
      else if (!ended)
        text += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "..");
      ended = true;
    }
    if (!bytes.empty())
      bytes += ' ';
    bytes += hex;
  }
  const std::string head =
      "detect limit=" + std::to_string(Limit) + " buffer=" + std::to_string(size);
  Out(head + ": wrote " + (bytes.empty() ? std::string("nothing") : bytes) +
      (bytes.empty() ? "" : " text=" + text));
  std::string outside;
  for (int i = -guard; i < size + guard; ++i) {
    if ((i < 0 || i >= size) && written(i)) {
      if (!outside.empty())
        outside += ' ';
      outside += std::to_string(i);
    }
  }
  Out(head + ": " +
      (outside.empty() ? std::string("nothing written outside the buffer")
                       : "OVERRUN at offsets " + outside));
}

// --- lister windows and viewers ---------------------------------------------------------------

Lister& Host::NewLister(bool Quick) {
  auto lister = std::make_unique<Lister>();
  lister->Number = ++listersMade_;
  lister->Quick = Quick;
  const std::wstring title = L"Lister " + std::to_wstring(lister->Number);
  RECT rect{0, 0, kDefaultWidth, kDefaultHeight};
  if (Quick) {
    // The quick-view panel case: the lister window is a child of a window of the main window.
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    lister->Panel = UniqueWindow(CreateWindowExW(
        0, kPanelClass, (L"Panel " + std::to_wstring(lister->Number)).c_str(),
        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 30, 30, rect.right - rect.left,
        rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    RECT client{};
    GetClientRect(lister->Panel.Get(), &client);
    lister->Window = UniqueWindow(CreateWindowExW(
        0, kListerClass, title.c_str(), WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, client.right,
        client.bottom, lister->Panel.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
  } else {
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    lister->Window = UniqueWindow(CreateWindowExW(
        0, kListerClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr),
        nullptr));
  }
  if (!lister->Window)
    throw StepError("cannot create a lister window");
  listers_.push_back(std::move(lister));
  current_ = listers_.size() - 1;
  Pump();
  return *listers_.back();
}

std::vector<char> ParseBytes(const std::wstring& Hex) {
  std::vector<char> bytes;
  std::size_t i = 0;
  while (i < Hex.size()) {
    if (iswspace(Hex[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= Hex.size())
      throw StepError("odd number of hex digits");
    const std::wstring pair = Hex.substr(i, 2);
    wchar_t* end = nullptr;
    const long value = std::wcstol(pair.c_str(), &end, 16);
    if (*end != L'\0')
      throw StepError("not hex: " + Utf8(pair));
    bytes.push_back(static_cast<char>(value));
    i += 2;
  }
  bytes.push_back('\0');
  return bytes;
}

void Host::Load(bool Quick, int Variant, const std::wstring& File) {
  if (!plugin_)
    throw StepError("the plugin is not loaded");
  const bool wide = Variant == 0 && loadW_ != nullptr;
  if (!wide && load_ == nullptr)
    throw StepError("the plugin exports no ListLoad");
  Lister& lister = NewLister(Quick);
  const std::string name = "load " + std::to_string(lister.Number);
  HWND viewer = nullptr;
  LARGE_INTEGER started{};
  LARGE_INTEGER finished{};
  if (wide) {
    std::wstring buffer = File;
    started = Now();
    viewer = loadW_(lister.Window.Get(), buffer.data(), showFlags_);
    finished = Now();
  } else {
    std::vector<char> bytes;
    if (Variant == 2) {
      bytes = ParseBytes(File);
    } else {
      const int length =
          WideCharToMultiByte(CP_ACP, 0, File.c_str(), -1, nullptr, 0, nullptr, nullptr);
      bytes.resize(static_cast<std::size_t>(std::max(length, 1)));
      WideCharToMultiByte(CP_ACP, 0, File.c_str(), -1, bytes.data(), length, nullptr, nullptr);
    }
    started = Now();
    viewer = load_(lister.Window.Get(), bytes.data(), showFlags_);
    finished = Now();
  }
  lastLoadMs_ = Milliseconds(started, finished);
  lister.Viewer = viewer;
  const char* via = wide ? "ListLoadW" : "ListLoad";
  if (viewer == nullptr) {
    Out(name + ": " + via + " returned no window");
    return;
  }
  Out(name + ": " + via + " returned a window" + (IsWindow(viewer) ? "" : " that does not exist") +
      ", child of " + NameOf(GetParent(viewer)));
  // As the file manager does, right after ListLoad and before the message loop runs again.
  if (subclassLoads_)
    SubclassViewer(viewer);
  CountPostedFocus(lister);
  FitViewer(lister);
}

void Host::LoadIntoDeadWindow(const std::wstring& File) {
  if (loadW_ == nullptr)
    throw StepError("the plugin exports no ListLoadW");
  HWND dead = CreateWindowExW(0, kBareClass, L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  DestroyWindow(dead);
  std::wstring buffer = File;
  HWND viewer = loadW_(dead, buffer.data(), showFlags_);
  Out(std::string("load-dead: ListLoadW returned ") +
      (viewer != nullptr ? "a window" : "no window"));
}

// Takes the WM_SETFOCUS messages that are queued right after ListLoad returned, prints those
// for the viewer and puts them all back, so they are delivered as if never looked at.
void Host::CountPostedFocus(Lister& Target) {
  std::vector<MSG> queued;
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_SETFOCUS, WM_SETFOCUS, PM_REMOVE | PM_NOYIELD))
    queued.push_back(message);
  int forViewer = 0;
  std::string parameters;
  for (const MSG& m : queued) {
    if (m.hwnd == Target.Viewer) {
      ++forViewer;
      parameters +=
          " (wParam " + std::to_string(m.wParam) + ", lParam " + std::to_string(m.lParam) + ")";
    }
  }
  for (const MSG& m : queued)
    PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
  Out("load " + std::to_string(Target.Number) +
      ": WM_SETFOCUS posted to the viewer: " + std::to_string(forViewer) + parameters);
}

// Puts the next of the host's layers over the viewer window's procedure, chaining to the one it
// replaces with CallWindowProcW.
void Host::SubclassViewer(HWND Viewer) {
  if (Viewer == nullptr || !IsWindow(Viewer))
    throw StepError("no viewer window to subclass");
  std::array<WNDPROC, kHostLayers>& layers = subclassed_[Viewer];
  const auto free = std::find(layers.begin(), layers.end(), nullptr);
  if (free == layers.end())
    throw StepError("the host has no more subclass layers");
  const auto layer = static_cast<std::size_t>(free - layers.begin());
  *free = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Viewer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kLayerProcs[layer])));
  if (tracing_)
    Out("subclass: host layer " + std::to_string(layer + 1) + " on " + NameOf(Viewer));
}

// Takes the host's topmost layer off the current viewer, as a host that unhooks before it
// closes does; only while that layer is on top, else it would cut off what came after it.
void Host::Unsubclass() {
  Lister& lister = Current();
  const auto found = subclassed_.find(lister.Viewer);
  const std::string name = "viewer" + std::to_string(lister.Number);
  if (found == subclassed_.end() || std::all_of(found->second.begin(), found->second.end(),
                                                [](WNDPROC layer) { return layer == nullptr; })) {
    Out("unsubclass: " + name + " has no host layer");
    return;
  }
  std::array<WNDPROC, kHostLayers>& layers = found->second;
  std::size_t top = kHostLayers;
  while (top > 0 && layers[top - 1] == nullptr)
    --top;
  --top;
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(lister.Viewer, GWLP_WNDPROC));
  if (current != kLayerProcs[top]) {
    Out("unsubclass: host layer " + std::to_string(top + 1) + " of " + name +
        " is not on top, left alone");
    return;
  }
  SetWindowLongPtrW(lister.Viewer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(layers[top]));
  layers[top] = nullptr;
  Out("unsubclass: host layer " + std::to_string(top + 1) + " taken off " + name);
}

LRESULT Host::OnSubclassMessage(std::size_t Layer, HWND Window, UINT Message, WPARAM WParam,
                                LPARAM LParam) {
  const auto found = subclassed_.find(Window);
  if (found == subclassed_.end() || found->second[Layer] == nullptr)
    return DefWindowProcW(Window, Message, WParam, LParam);
  const WNDPROC previous = found->second[Layer];
  const LRESULT result = CallWindowProcW(previous, Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    // The window's last message: the layer goes with it.
    const auto again = subclassed_.find(Window);
    if (again != subclassed_.end()) {
      again->second[Layer] = nullptr;
      if (std::all_of(again->second.begin(), again->second.end(),
                      [](WNDPROC layer) { return layer == nullptr; }))
        subclassed_.erase(again);
    }
  }
  return result;
}

std::string Host::ProcedureName(HWND Window) {
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Window, GWLP_WNDPROC));
  for (std::size_t layer = 0; layer < kHostLayers; ++layer)
    if (current == kLayerProcs[layer])
      return "host layer " + std::to_string(layer + 1);
  return "the plugin's";
}

void Host::FitViewer(Lister& Target) {
  if (Target.Viewer == nullptr || !IsWindow(Target.Viewer) || !Target.Window)
    return;
  RECT client{};
  GetClientRect(Target.Window.Get(), &client);
  MoveWindow(Target.Viewer, 0, 0, client.right, client.bottom, TRUE);
}

LRESULT Host::ListerProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_SIZE:
    for (auto& lister : listers_) {
      if (lister->Window.Get() == Window) {
        FitViewer(*lister);
      } else if (lister->Panel.Get() == Window && lister->Window) {
        MoveWindow(lister->Window.Get(), 0, 0, LOWORD(LParam), HIWORD(LParam), TRUE);
      }
    }
    return 0;
  case WM_CLOSE:
    // As the file manager closes a lister: the plugin's window first, then its own.
    for (auto& lister : listers_) {
      if (lister->Window.Get() != Window && lister->Panel.Get() != Window)
        continue;
      if (lister->Viewer != nullptr && !lister->ViewerDestroyed && close_ != nullptr)
        Close(lister->Viewer, "viewer" + std::to_string(lister->Number));
      DestroyWindow(Window);
      return 0;
    }
    break;
  case WM_NCDESTROY:
    // Gone with its parent or destroyed directly: the owner must not destroy it again.
    for (auto& lister : listers_) {
      if (lister->Window.Get() == Window)
        lister->Window.Release();
      if (lister->Panel.Get() == Window)
        lister->Panel.Release();
    }
    break;
  default:
    break;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

void Host::Close(HWND Window, const std::string& Label) {
  if (close_ == nullptr)
    throw StepError("the plugin exports no ListCloseWindow");
  Out("close: ListCloseWindow(" + Label + ")");
  close_(Window);
  Out("close: returned");
}

Lister& Host::Current() {
  if (listers_.empty())
    throw StepError("no lister window yet");
  return *listers_[current_];
}

Lister* Host::ListerOfViewer(HWND Window) {
  for (auto& lister : listers_)
    if (lister->Viewer == Window && Window != nullptr && !lister->ViewerDestroyed)
      return lister.get();
  return nullptr;
}

std::string Host::NameOf(HWND Window) {
  if (Window == nullptr)
    return "none";
  for (const auto& lister : listers_) {
    const std::string number = std::to_string(lister->Number);
    if (lister->Window && lister->Window.Get() == Window)
      return "lister" + number;
    if (lister->Panel && lister->Panel.Get() == Window)
      return "panel" + number;
    if (lister->Viewer == Window && !lister->ViewerDestroyed)
      return "viewer" + number;
  }
  for (const auto& lister : listers_)
    if (lister->Viewer != nullptr && !lister->ViewerDestroyed && IsChild(lister->Viewer, Window))
      return "viewer" + std::to_string(lister->Number) + ":" + Utf8(ClassOf(Window));
  return "window(" + Utf8(ClassOf(Window)) + ")";
}

HWND Host::CurrentTree() {
  Lister& lister = Current();
  HWND tree = lister.ViewerDestroyed ? nullptr : FindDescendant(lister.Viewer, L"SysTreeView32");
  if (tree == nullptr)
    throw StepError("viewer" + std::to_string(lister.Number) + " has no tree view");
  return tree;
}

std::string StyleNames(DWORD Style) {
  std::string names;
  auto add = [&](DWORD bit, const char* name) {
    if ((Style & bit) != 0) {
      if (!names.empty())
        names += '|';
      names += name;
      Style &= ~bit;
    }
  };
  add(WS_POPUP, "WS_POPUP");
  add(WS_CHILD, "WS_CHILD");
  add(WS_MINIMIZE, "WS_MINIMIZE");
  add(WS_VISIBLE, "WS_VISIBLE");
  add(WS_DISABLED, "WS_DISABLED");
  add(WS_CLIPSIBLINGS, "WS_CLIPSIBLINGS");
  add(WS_CLIPCHILDREN, "WS_CLIPCHILDREN");
  add(WS_MAXIMIZE, "WS_MAXIMIZE");
  add(WS_CAPTION, "WS_CAPTION");
  add(WS_BORDER, "WS_BORDER");
  add(WS_DLGFRAME, "WS_DLGFRAME");
  add(WS_VSCROLL, "WS_VSCROLL");
  add(WS_HSCROLL, "WS_HSCROLL");
  add(WS_SYSMENU, "WS_SYSMENU");
  add(WS_THICKFRAME, "WS_THICKFRAME");
  if (Style != 0) {
    if (!names.empty())
      names += '|';
    names += Hex(Style);
  }
  return names.empty() ? "0" : names;
}

void Host::Info() {
  Lister& lister = Current();
  const std::string name = "viewer" + std::to_string(lister.Number);
  if (lister.Viewer == nullptr) {
    Out(name + ": none");
    return;
  }
  if (lister.ViewerDestroyed || !IsWindow(lister.Viewer)) {
    Out(name + ": destroyed");
    return;
  }
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(lister.Viewer, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(lister.Viewer, GWL_EXSTYLE));
  RECT rect{};
  GetClientRect(lister.Viewer, &rect);
  RECT listerRect{};
  GetClientRect(lister.Window.Get(), &listerRect);
  Out(name + ": parent " + NameOf(GetParent(lister.Viewer)) + ", style " + StyleNames(style));
  Out(name + ": accepts dropped files: " + ((exStyle & WS_EX_ACCEPTFILES) != 0 ? "yes" : "no"));
  Out(name + ": size " + std::to_string(rect.right) + "x" + std::to_string(rect.bottom) +
      ", lister client area " + std::to_string(listerRect.right) + "x" +
      std::to_string(listerRect.bottom));
  Out(name + ": caption " + Esc(TextOf(lister.Viewer)));
  Out(name + ": user data " +
      (GetWindowLongPtrW(lister.Viewer, GWLP_USERDATA) != 0 ? "set" : "clear"));
  Out(name + ": window procedure " + ProcedureName(lister.Viewer));
}

void Host::Layout() {
  Lister& lister = Current();
  const std::string name = "viewer" + std::to_string(lister.Number);
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError(name + " does not exist");
  RECT client{};
  GetClientRect(lister.Viewer, &client);
  Out("layout " + name + ": client " + std::to_string(client.right) + "x" +
      std::to_string(client.bottom));
  for (HWND child = GetWindow(lister.Viewer, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, lister.Viewer, reinterpret_cast<POINT*>(&rect), 2);
    Out("layout " + name + ": " + Utf8(ClassOf(child)) + " " +
        (IsWindowVisible(child) ? "visible" : "hidden") + " at " + std::to_string(rect.left) + "," +
        std::to_string(rect.top) + " size " + std::to_string(rect.right - rect.left) + "x" +
        std::to_string(rect.bottom - rect.top));
  }
}

void Host::Focus() { Out("focus: " + NameOf(GetFocus())); }

// The message loop for a person at the screen: runs until every lister window is closed.
void Host::Show() {
  auto anyOpen = [this] {
    return std::any_of(listers_.begin(), listers_.end(), [](const auto& lister) {
      return lister->Window && IsWindow(lister->Window.Get());
    });
  };
  MSG message;
  while (anyOpen() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Out("show: every lister window is closed");
}

std::string Host::StatusText(HWND Viewer) {
  HWND bar = FindDescendant(Viewer, L"msctls_statusbar32");
  if (bar == nullptr)
    throw StepError("no status bar");
  const bool simple = SendMessageW(bar, SB_ISSIMPLE, 0, 0) != 0;
  const WPARAM part = simple ? SB_SIMPLEID : 0;
  const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return Esc(text);
}

void Host::Status() {
  Lister& lister = Current();
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError("viewer" + std::to_string(lister.Number) + " does not exist");
  HWND bar = FindDescendant(lister.Viewer, L"msctls_statusbar32");
  const auto parts = bar != nullptr ? SendMessageW(bar, SB_GETPARTS, 0, 0) : 0;
  Out("status: " + StatusText(lister.Viewer));
  Out("status parts: " + std::to_string(parts));
}

// --- the tree view ----------------------------------------------------------------------------

HTREEITEM NextItem(HWND Tree, HTREEITEM Item, WPARAM Relation) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(Tree, TVM_GETNEXTITEM, Relation, reinterpret_cast<LPARAM>(Item)));
}

std::wstring Host::ItemLabel(HWND Tree, HTREEITEM Item, UINT* State) {
  std::wstring text(8192, L'\0');
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
  item.hItem = Item;
  item.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  SendMessageW(Tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  if (State != nullptr)
    *State = item.state;
  text.resize(wcslen(text.c_str()));
  return text;
}

void Host::DumpItems(HWND Tree, HTREEITEM First, int Depth, bool All, HTREEITEM Selected) {
  for (HTREEITEM item = First; item != nullptr; item = NextItem(Tree, item, TVGN_NEXT)) {
    UINT state = 0;
    const std::wstring label = ItemLabel(Tree, item, &state);
    const HTREEITEM child = NextItem(Tree, item, TVGN_CHILD);
    const bool expanded = (state & TVIS_EXPANDED) != 0;
    const char* marker = child == nullptr ? "[ ]" : expanded ? "[-]" : "[+]";
    Out("tree: " + std::string(static_cast<std::size_t>(Depth) * 2, ' ') + marker +
        (item == Selected ? "*" : " ") + Esc(label));
    if (child != nullptr && (expanded || All))
      DumpItems(Tree, child, Depth + 1, All, Selected);
  }
}

void Host::Tree(bool All) {
  HWND tree = CurrentTree();
  const auto count = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
  const HTREEITEM selected = NextItem(tree, nullptr, TVGN_CARET);
  Out("tree items: " + std::to_string(count));
  DumpItems(tree, NextItem(tree, nullptr, TVGN_ROOT), 0, All, selected);
  Out("tree selected: " + (selected != nullptr ? Esc(ItemLabel(tree, selected)) : "none"));
}

std::vector<std::wstring> SplitPath(const std::wstring& Path, wchar_t Separator) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = Path.find(Separator, start);
    parts.push_back(Path.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
    if (at == std::wstring::npos)
      break;
    start = at + 1;
  }
  return parts;
}

HTREEITEM Host::FindItem(HWND Tree, const std::wstring& Path, bool ByIndex) {
  HTREEITEM level = NextItem(Tree, nullptr, TVGN_ROOT);
  HTREEITEM found = nullptr;
  for (const std::wstring& part : SplitPath(Path, ByIndex ? L'.' : L'|')) {
    found = nullptr;
    if (ByIndex) {
      long index = std::wcstol(part.c_str(), nullptr, 10);
      for (HTREEITEM item = level; item != nullptr; item = NextItem(Tree, item, TVGN_NEXT))
        if (index-- == 0) {
          found = item;
          break;
        }
    } else {
      for (HTREEITEM item = level; item != nullptr; item = NextItem(Tree, item, TVGN_NEXT))
        if (ItemLabel(Tree, item) == part) {
          found = item;
          break;
        }
    }
    if (found == nullptr)
      throw StepError("no tree node " + Utf8(Path));
    level = NextItem(Tree, found, TVGN_CHILD);
  }
  return found;
}

void Host::Expand(const std::wstring& Path, bool ByIndex, UINT Action) {
  HWND tree = CurrentTree();
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  const auto result = SendMessageW(tree, TVM_EXPAND, Action, reinterpret_cast<LPARAM>(item));
  Out(std::string(Action == TVE_EXPAND ? "expand " : "collapse ") + Esc(Path) + ": " +
      (result != 0 ? "done" : "refused"));
}

void Host::Select(const std::wstring& Path, bool ByIndex) {
  HWND tree = CurrentTree();
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  Out("select " + Esc(Path) + ": done");
}

void Host::CountChildren(const std::wstring& Path, bool ByIndex) {
  HWND tree = CurrentTree();
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  long count = 0;
  for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child != nullptr;
       child = NextItem(tree, child, TVGN_NEXT))
    ++count;
  Out("children " + Esc(Path) + ": " + std::to_string(count));
}

// --- tool bar, search box, drop -----------------------------------------------------------------

void Host::ToolBar() {
  Lister& lister = Current();
  HWND bar = FindDescendant(lister.Viewer, L"ToolbarWindow32");
  if (bar == nullptr) {
    Out("toolbar: none");
    return;
  }
  const auto count = SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  Out(std::string("toolbar: ") + (IsWindowVisible(bar) ? "visible" : "hidden") + ", " +
      std::to_string(count) + " buttons, parent " + NameOf(GetParent(bar)));
  HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
    RECT rect{};
    SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
    std::string line = "toolbar button " + std::to_string(i) + ": " +
                       ((button.fsStyle & BTNS_SEP) != 0 ? "separator" : "button") + " id " +
                       std::to_string(button.idCommand) + " image " +
                       std::to_string(button.iBitmap) + " left " + std::to_string(rect.left) +
                       " width " + std::to_string(rect.right - rect.left);
    if (tips != nullptr && (button.fsStyle & BTNS_SEP) == 0) {
      std::wstring text(1024, L'\0');
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.hwnd = bar;
      info.uId = static_cast<UINT_PTR>(button.idCommand);
      info.lpszText = text.data();
      SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
      if (info.lpszText != nullptr && info.lpszText != LPSTR_TEXTCALLBACKW)
        line += " tooltip " + Esc(std::wstring(info.lpszText));
    }
    Out(line);
  }
  if (HWND edit = FindDescendant(bar, L"Edit"))
    Out("toolbar edit: " + Esc(TextOf(edit)));
}

void Host::Press(int Index) {
  Lister& lister = Current();
  HWND bar = FindDescendant(lister.Viewer, L"ToolbarWindow32");
  if (bar == nullptr)
    throw StepError("no tool bar");
  TBBUTTON button{};
  if (SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(Index),
                   reinterpret_cast<LPARAM>(&button)) == 0)
    throw StepError("no tool bar button " + std::to_string(Index));
  Out("press " + std::to_string(Index) + ": command " + std::to_string(button.idCommand));
  // What a click on the button sends to the tool bar's parent.
  SendMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
               reinterpret_cast<LPARAM>(bar));
  Out("press " + std::to_string(Index) + ": returned");
}

void Host::Search(const std::wstring& Text) {
  Lister& lister = Current();
  HWND edit = FindDescendant(lister.Viewer, L"Edit");
  if (edit == nullptr)
    throw StepError("no search box");
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  Out("search: " + Esc(TextOf(edit)));
}

void Host::Drop(const std::vector<std::wstring>& Files) {
  Lister& lister = Current();
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError("no viewer to drop on");
  std::size_t units = 1;
  for (const std::wstring& file : Files)
    units += file.size() + 1;
  UniqueGlobal memory(GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t)));
  if (!memory)
    throw StepError("GlobalAlloc failed");
  {
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory.Get()));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = POINT{10, 10};
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<uint8_t*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& file : Files) {
      std::memcpy(names, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
      names += file.size() + 1;
    }
    *names = L'\0';
    GlobalUnlock(memory.Get());
  }
  Out("drop: " + std::to_string(Files.size()) + " file(s) on viewer" +
      std::to_string(lister.Number));
  const auto result =
      SendMessageW(lister.Viewer, WM_DROPFILES, reinterpret_cast<WPARAM>(memory.Get()), 0);
  // The receiver releases the drop with DragFinish; a handle it released reads as invalid.
  const bool released = GlobalFlags(memory.Get()) == GMEM_INVALID_HANDLE;
  if (released)
    memory.Release();
  Out("drop: result " + std::to_string(result) + ", drop " +
      (released ? "released by the viewer" : "NOT released by the viewer"));
}

// --- counting, cycles, pictures ----------------------------------------------------------------

void Host::Counts(const std::string& Label) {
  Pump();
  Out(Label + ": windows " + std::to_string(ThreadWindows().size()) + ", gdi objects " +
      std::to_string(GdiObjectCount()) + ", user objects " +
      std::to_string(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)));
}

std::string NodeCountOf(const std::string& Status) {
  // The figure after the last blank of the status text.
  const std::size_t at = Status.find_last_of(' ');
  return at == std::string::npos ? Status : Status.substr(at + 1);
}

void Host::Cycles(int Count, const std::wstring& File, bool DestroyLister) {
  if (loadW_ == nullptr && load_ == nullptr)
    throw StepError("the plugin exports no ListLoad");
  Pump();
  const std::size_t windowsBefore = ThreadWindows().size();
  const unsigned long gdiBefore = GdiObjectCount();
  const uint64_t privateBefore = PrivateBytes();
  uint64_t privateMost = privateBefore;
  std::set<std::string> nodeCounts;
  std::string first;
  std::string last;
  int failures = 0;
  int viewersLeft = 0;
  const bool wasTracing = tracing_;
  tracing_ = false;
  for (int cycle = 0; cycle < Count; ++cycle) {
    Lister& lister = NewLister(false);
    std::wstring buffer = File;
    HWND viewer = nullptr;
    if (loadW_ != nullptr) {
      viewer = loadW_(lister.Window.Get(), buffer.data(), showFlags_);
    } else {
      std::string ansi(File.size() * 2 + 1, '\0');
      WideCharToMultiByte(CP_ACP, 0, File.c_str(), -1, ansi.data(), static_cast<int>(ansi.size()),
                          nullptr, nullptr);
      viewer = load_(lister.Window.Get(), ansi.data(), showFlags_);
    }
    lister.Viewer = viewer;
    if (viewer != nullptr && subclassLoads_)
      SubclassViewer(viewer);
    Pump();
    privateMost = std::max(privateMost, PrivateBytes());
    if (viewer == nullptr) {
      ++failures;
    } else {
      const std::string status = StatusText(viewer);
      if (cycle == 0)
        first = status;
      last = status;
      nodeCounts.insert(NodeCountOf(status));
      if (DestroyLister) {
        lister.Window.Reset();
      } else {
        close_(viewer);
        // The lister window is still there: a viewer window alive now was left by the close.
        if (IsWindow(viewer))
          ++viewersLeft;
      }
    }
    listers_.pop_back();
    Pump();
  }
  current_ = listers_.empty() ? 0 : listers_.size() - 1;
  tracing_ = wasTracing;
  Pump();
  std::string counts;
  for (const std::string& value : nodeCounts)
    counts += (counts.empty() ? "" : " ") + value;
  Out("cycles: " + std::to_string(Count) + " done, " + std::to_string(failures) +
      " without a window");
  Out("cycles: first status " + first);
  Out("cycles: last status " + last);
  Out("cycles: node counts shown " + counts);
  Out("cycles: windows before " + std::to_string(windowsBefore) + ", after " +
      std::to_string(ThreadWindows().size()));
  Out("cycles: viewer windows left by the close " + std::to_string(viewersLeft));
  Out("cycles: gdi objects before " + std::to_string(gdiBefore) + ", after " +
      std::to_string(GdiObjectCount()));
  Out("cycles: private bytes before " + std::to_string(privateBefore) + ", after " +
      std::to_string(PrivateBytes()) + ", most " + std::to_string(privateMost));
}

void WriteFileBytes(const std::wstring& Path, const void* Data, std::size_t Size) {
  UniqueKernelHandle file(CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    file.Release();
    throw StepError("cannot write " + Utf8(Path));
  }
  DWORD written = 0;
  if (!WriteFile(file.Get(), Data, static_cast<DWORD>(Size), &written, nullptr) || written != Size)
    throw StepError("cannot write " + Utf8(Path));
}

void Host::Screenshot(const std::wstring& Path, bool UsePrintWindow) {
  Lister& lister = Current();
  HWND window = lister.Panel ? lister.Panel.Get() : lister.Window.Get();
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  PumpFor(200);
  RECT rect{};
  GetClientRect(lister.Window.Get(), &rect);
  const int width = rect.right;
  const int height = rect.bottom;
  if (width <= 0 || height <= 0)
    throw StepError("the lister window has no area");

  WindowDc screen(lister.Window.Get(), GetDC(lister.Window.Get()));
  UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr)
    throw StepError("cannot create a bitmap");
  {
    SelectedObject selected(memory.Get(), bitmap.Get());
    if (UsePrintWindow)
      PrintWindow(lister.Window.Get(), memory.Get(), PW_CLIENTONLY);
    else
      BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  RgbImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(static_cast<std::size_t>(width) * height * 3);
  const auto* source = static_cast<const uint8_t*>(bits);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
    image.Pixels[i * 3] = source[i * 4 + 2];
    image.Pixels[i * 3 + 1] = source[i * 4 + 1];
    image.Pixels[i * 3 + 2] = source[i * 4];
  }
  const std::vector<uint8_t> png = EncodePng(image);
  WriteFileBytes(Path, png.data(), png.size());
  Out("screenshot: " + std::to_string(width) + "x" + std::to_string(height) + " written to " +
      Esc(Path));
}

// --- speed --------------------------------------------------------------------------------------

void Host::BenchBareTree(int Items) {
  // The same window geometry as a lister, with a bare tree-view in it.
  UniqueWindow frame(CreateWindowExW(0, kBareClass, L"Bare tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     0, 0, kDefaultWidth, kDefaultHeight, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
  RECT client{};
  GetClientRect(frame.Get(), &client);
  UniqueWindow tree(CreateWindowExW(
      0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
      0, 0, client.right, client.bottom, frame.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
  Pump();
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  std::wstring rootLabel = L" [] (" + std::to_wstring(Items) + L")";
  insert.item.pszText = rootLabel.data();
  const auto root = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree.Get(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  const LARGE_INTEGER started = Now();
  SendMessageW(tree.Get(), WM_SETREDRAW, FALSE, 0);
  insert.hParent = root;
  for (int i = 0; i < Items; ++i) {
    std::wstring label = std::to_wstring(i);
    insert.item.pszText = label.data();
    insert.item.lParam = i;
    SendMessageW(tree.Get(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  }
  SendMessageW(tree.Get(), WM_SETREDRAW, TRUE, 0);
  SendMessageW(tree.Get(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  UpdateWindow(tree.Get());
  const LARGE_INTEGER finished = Now();
  Out("bench bare-tree: " + std::to_string(Items) + " items inserted and shown in " +
      FormatMs(Milliseconds(started, finished)) + " ms");
}

void Host::BenchExpand(const std::wstring& Path, bool ByIndex) {
  HWND tree = CurrentTree();
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  const LARGE_INTEGER started = Now();
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  UpdateWindow(tree);
  const LARGE_INTEGER finished = Now();
  long count = 0;
  for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child != nullptr;
       child = NextItem(tree, child, TVGN_NEXT))
    ++count;
  Out("bench expand: " + std::to_string(count) + " children shown in " +
      FormatMs(Milliseconds(started, finished)) + " ms");
}

void Host::BenchLoad(const std::wstring& File) {
  Load(false, 0, File);
  Out("bench load: ListLoad returned after " + FormatMs(lastLoadMs_) + " ms");
}

// --- message pumping, hooks, dialogs ------------------------------------------------------------

void Host::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Host::PumpFor(int Ms) {
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(Ms, 0));
  for (;;) {
    Pump();
    const ULONGLONG now = GetTickCount64();
    if (now >= until)
      break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
  }
}

HWND FindIconStatic(HWND Dialog) {
  for (HWND child = GetWindow(Dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 &&
        (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      return child;
  }
  return nullptr;
}

std::string IconName(HWND Dialog) {
  HWND icon = FindIconStatic(Dialog);
  if (icon == nullptr)
    return "none";
  const auto shown = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
  if (shown == nullptr)
    return "none";
  const struct {
    LPCWSTR Id;
    const char* Name;
  } known[] = {{IDI_INFORMATION, "information"},
               {IDI_ERROR, "error"},
               {IDI_WARNING, "warning"},
               {IDI_QUESTION, "question"}};
  for (const auto& k : known)
    if (LoadIconW(nullptr, k.Id) == shown)
      return k.Name;
  return "other";
}

// Runs inside whatever message loop is current, the modal loops of message boxes included:
// prints each dialog of the thread once and closes it. A message box is confirmed; any other
// dialog (the open-file dialog) gets the planned file name, or is cancelled.
void Host::DismissDialogs() {
  std::vector<HWND> dialogs;
  for (HWND window : ThreadWindows())
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0 && IsWindowVisible(window) &&
        ClassOf(window) == L"#32770")
      dialogs.push_back(window);
  for (auto it = dismissed_.begin(); it != dismissed_.end();)
    it = IsWindow(*it) ? std::next(it) : dismissed_.erase(it);
  for (HWND dialog : dialogs) {
    if (dismissed_.count(dialog) != 0) {
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      continue;
    }
    dismissed_.insert(dialog);
    HWND text = GetDlgItem(dialog, 0xFFFF);
    if (text != nullptr) {
      Out("messagebox: caption=" + Esc(TextOf(dialog)) + " icon=" + IconName(dialog) +
          " owner=" + NameOf(GetWindow(dialog, GW_OWNER)) + " text=" + Esc(TextOf(text)));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      continue;
    }
    std::string line =
        "dialog: caption=" + Esc(TextOf(dialog)) + " owner=" + NameOf(GetWindow(dialog, GW_OWNER));
    HWND types = GetDlgItem(dialog, cmb1);
    if (types != nullptr) {
      const auto count = SendMessageW(types, CB_GETCOUNT, 0, 0);
      for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(types, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(wcslen(item.c_str()));
        line += " type=" + Esc(item);
      }
    }
    Out(line);
    if (!dialogPlan_.FileToChoose.empty()) {
      HWND name = GetDlgItem(dialog, cmb13);
      if (name == nullptr)
        name = GetDlgItem(dialog, edt1);
      if (name != nullptr)
        SendMessageW(name, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(dialogPlan_.FileToChoose.c_str()));
      dialogPlan_.FileToChoose.clear();
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  }
}

void Host::OnCallWndProc(const CWPSTRUCT& Message) {
  if (Message.message != WM_DESTROY && Message.message != WM_NCDESTROY)
    return;
  Lister* lister = ListerOfViewer(Message.hwnd);
  if (lister == nullptr)
    return;
  const std::string name = "viewer" + std::to_string(lister->Number);
  if (Message.message == WM_DESTROY) {
    ++lister->DestroyMessages;
    return;
  }
  // The last message the window gets: whatever teardown there is has run by now.
  const bool userData = GetWindowLongPtrW(Message.hwnd, GWLP_USERDATA) != 0;
  lister->ViewerDestroyed = true;
  if (tracing_)
    Out(name + ": window destroyed, WM_DESTROY received " +
        std::to_string(lister->DestroyMessages) + " time(s), user data " +
        (userData ? "still set" : "clear"));
}

void Host::OnCallWndProcRet(const CWPRETSTRUCT& Message) {
  if (Message.message != WM_DESTROY || !tracing_)
    return;
  if (Lister* lister = ListerOfViewer(Message.hwnd))
    Out("viewer" + std::to_string(lister->Number) + ": WM_DESTROY returned " +
        std::to_string(Message.lResult));
}

} // namespace
} // namespace host

int wmain(int Argc, wchar_t** Argv) {
  SetUnhandledExceptionFilter(host::CrashFilter);
  // A plugin that hangs must not hold up a test run for ever.
  const auto* limitText = _wgetenv(L"LISTER_HOST_TIMEOUT");
  const int limitSeconds = limitText != nullptr ? _wtoi(limitText) : 120;
  std::thread([limitSeconds] {
    std::this_thread::sleep_for(std::chrono::seconds(limitSeconds));
    std::fputs("timeout: lister-host gave up\n", stdout);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 4);
  }).detach();

  std::vector<std::wstring> args(Argv + 1, Argv + Argc);
  auto app = std::make_unique<host::Host>();
  host::Host::Instance() = app.get();
  const int status = app->Run(args);
  app.reset();
  host::Host::Instance() = nullptr;
  std::fflush(stdout);
  return status;
}
