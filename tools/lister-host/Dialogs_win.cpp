#include "tools/lister-host/Dialogs_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <dlgs.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <vector>

namespace host {
namespace {

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

} // namespace

void Dialogs::Start() { timer_ = UniqueThreadTimer(50, &Dialogs::TimerProc); }

void Dialogs::HookMessageBoxes() {
  void* original = host_.Plugin().ReplaceImport(
      "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&Dialogs::HookedMessageBoxW));
  if (original != nullptr)
    realMessageBox_ = reinterpret_cast<MessageBoxWFn>(original);
}

void CALLBACK Dialogs::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  Host::Instance()->Dialog().DismissAll();
}

int WINAPI Dialogs::HookedMessageBoxW(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type) {
  return Host::Instance()->Dialog().OnMessageBoxCall(Owner, Text, Caption, Type);
}

int Dialogs::OnMessageBoxCall(HWND Owner, LPCWSTR Text, LPCWSTR Caption, UINT Type) {
  host_.Out("messagebox call: owner=" + host_.Listers().NameOf(Owner) + " flags=" + Hex(Type, 8) +
            " caption=" + Esc(Caption != nullptr ? Caption : L"") +
            " text=" + Esc(Text != nullptr ? Text : L""));
  const MessageBoxWFn real = realMessageBox_ != nullptr ? realMessageBox_ : MessageBoxW;
  return real(Owner, Text, Caption, Type);
}

void Dialogs::DismissAll() {
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
      host_.Out("messagebox: caption=" + Esc(TextOf(dialog)) + " icon=" + IconName(dialog) +
                " owner=" + host_.Listers().NameOf(GetWindow(dialog, GW_OWNER)) +
                " text=" + Esc(TextOf(text)));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      continue;
    }
    AnswerFileDialog(dialog);
  }
}

void Dialogs::AnswerFileDialog(HWND Dialog) {
  std::string line = "dialog: caption=" + Esc(TextOf(Dialog)) +
                     " owner=" + host_.Listers().NameOf(GetWindow(Dialog, GW_OWNER));
  HWND types = GetDlgItem(Dialog, cmb1);
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
  host_.Out(line);
  if (!fileToChoose_.empty()) {
    HWND name = GetDlgItem(Dialog, cmb13);
    if (name == nullptr)
      name = GetDlgItem(Dialog, edt1);
    if (name != nullptr)
      SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileToChoose_.c_str()));
    fileToChoose_.clear();
    PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  } else {
    PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
}

} // namespace host
