#include "tools/lister-host/PluginCalls_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/TreeReading_win.h"
#include "tools/lister-host/WideText_win.h"

#include <cstring>
#include <vector>

namespace host {
namespace {

// The interface's numbers, as its header defines them.
constexpr int kListerOk = 0;
constexpr int kListerError = 1;
constexpr int kFindFirst = 1;
constexpr int kMatchCase = 2;
constexpr int kWholeWords = 4;
constexpr int kBackwards = 8;

std::string ResultName(int Result) {
  if (Result == kListerOk)
    return "0 (LISTPLUGIN_OK)";
  if (Result == kListerError)
    return "1 (LISTPLUGIN_ERROR)";
  return std::to_string(Result);
}

std::vector<char> AnsiText(const std::wstring& Text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, Text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> bytes(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_ACP, 0, Text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

int CommandNumber(const std::wstring& Command) {
  if (Command == L"copy")
    return 1;
  if (Command == L"newparams")
    return 2;
  if (Command == L"selectall")
    return 3;
  if (Command == L"setpercent")
    return 4;
  try {
    return std::stoi(Command, nullptr, 0);
  } catch (const std::exception&) {
    throw StepError("unknown command " + Utf8(Command));
  }
}

const ListerExports& Exports(Host& H) {
  if (!H.Plugin().Loaded())
    throw StepError("the plugin is not loaded");
  return H.Plugin().Exports();
}

} // namespace

int LoadNext(Host& H, Lister& Target, const std::wstring& File, bool Ansi) {
  const ListerExports& plugin = Exports(H);
  const char* name = Ansi ? "ListLoadNext" : "ListLoadNextW";
  if (Ansi ? plugin.ListLoadNext == nullptr : plugin.ListLoadNextW == nullptr)
    throw StepError(std::string("the plugin exports no ") + name);
  const HWND lister = Target.Window.Get();
  int result = kListerError;
  if (Ansi) {
    std::vector<char> bytes = AnsiText(File);
    result = plugin.ListLoadNext(lister, Target.Viewer, bytes.data(), H.ShowFlags);
  } else {
    std::wstring buffer = File;
    result = plugin.ListLoadNextW(lister, Target.Viewer, buffer.data(), H.ShowFlags);
  }
  H.Out("load-next: " + std::string(name) + "(" + Esc(File) + ", flags " +
        std::to_string(H.ShowFlags) + ") = " + ResultName(result));
  return result;
}

int SearchText(Host& H, HWND Viewer, const std::wstring& Text, int Parameter, bool Ansi) {
  const ListerExports& plugin = Exports(H);
  const char* name = Ansi ? "ListSearchText" : "ListSearchTextW";
  if (Ansi ? plugin.ListSearchText == nullptr : plugin.ListSearchTextW == nullptr)
    throw StepError(std::string("the plugin exports no ") + name);
  int result = kListerError;
  if (Ansi) {
    std::vector<char> bytes = AnsiText(Text);
    result = plugin.ListSearchText(Viewer, bytes.data(), Parameter);
  } else {
    std::wstring buffer = Text;
    result = plugin.ListSearchTextW(Viewer, buffer.data(), Parameter);
  }
  H.Out("find: " + std::string(name) + "(\"" + Esc(Text) + "\", " + std::to_string(Parameter) +
        ") = " + ResultName(result));
  return result;
}

int SendCommand(Host& H, HWND Viewer, const std::wstring& Command, int Parameter) {
  const ListerExports& plugin = Exports(H);
  if (plugin.ListSendCommand == nullptr)
    throw StepError("the plugin exports no ListSendCommand");
  const int result = plugin.ListSendCommand(Viewer, CommandNumber(Command), Parameter);
  H.Out("command: ListSendCommand(" + Utf8(Command) + ", " + std::to_string(Parameter) +
        ") = " + ResultName(result));
  return result;
}

void CallWithForeignWindows(Host& H) {
  Lister& lister = H.Listers().Current();
  const ListerExports& plugin = Exports(H);
  if (!plugin.ListSearchTextW || !plugin.ListSendCommand || !plugin.ListLoadNextW)
    throw StepError("the plugin lacks one of the calls after ListLoad");
  const std::pair<HWND, const char*> windows[] = {{lister.Window.Get(), "the lister window"},
                                                  {nullptr, "no window"}};
  for (const auto& [window, name] : windows) {
    std::wstring text = L"a";
    std::wstring file = L"Z:\\nowhere.json";
    H.Out(std::string("foreign: ") + name + ": ListSearchTextW " +
          ResultName(plugin.ListSearchTextW(window, text.data(), kFindFirst)) +
          ", ListSendCommand " + ResultName(plugin.ListSendCommand(window, 3, 0)) +
          ", ListLoadNextW " +
          ResultName(plugin.ListLoadNextW(lister.Window.Get(), window, file.data(), 0)));
  }
}

int SearchFlagsFrom(Host& H) {
  int flags = 0;
  for (;;) {
    if (H.Args().TakeWord(L"findfirst"))
      flags |= kFindFirst;
    else if (H.Args().TakeWord(L"matchcase"))
      flags |= kMatchCase;
    else if (H.Args().TakeWord(L"wholewords"))
      flags |= kWholeWords;
    else if (H.Args().TakeWord(L"backwards"))
      flags |= kBackwards;
    else
      return flags;
  }
}

void UnselectAll(Host& H) {
  const HWND tree = CurrentTree(H);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
  H.Out(std::string("unselect: ") + (SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == 0
                                         ? "nothing selected"
                                         : "a node is still selected"));
}

void PrintClipboard(Host& H) {
  if (!OpenClipboard(nullptr))
    throw StepError("cannot open the clipboard");
  std::string line = "clipboard: none";
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      line = "clipboard: " + Esc(text);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  H.Out(line);
}

void FillClipboard(Host& H, const std::wstring& Text) {
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, (Text.size() + 1) * sizeof(wchar_t)));
  if (!memory)
    throw StepError("GlobalAlloc failed");
  std::memcpy(GlobalLock(memory.Get()), Text.c_str(), (Text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory.Get());
  if (!OpenClipboard(nullptr))
    throw StepError("cannot open the clipboard");
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, memory.Get()))
    memory.Release(); // the clipboard owns it now
  CloseClipboard();
  H.Out("clipboard-set: " + Esc(Text));
}

} // namespace host
