#include "tools/lister-host/UserKeys_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/TreeReading_win.h"
#include "tools/lister-host/WideText_win.h"

#include <array>
#include <cwctype>
#include <string_view>

namespace host {
namespace {

struct NamedKey {
  std::wstring_view Name;
  UINT Key;
};

const NamedKey kNamedKeys[] = {
    {L"Esc", VK_ESCAPE},        {L"Enter", VK_RETURN},      {L"Tab", VK_TAB},
    {L"Space", VK_SPACE},       {L"Back", VK_BACK},         {L"Up", VK_UP},
    {L"Down", VK_DOWN},         {L"Left", VK_LEFT},         {L"Right", VK_RIGHT},
    {L"Home", VK_HOME},         {L"End", VK_END},           {L"PgUp", VK_PRIOR},
    {L"PgDn", VK_NEXT},         {L"Insert", VK_INSERT},     {L"Delete", VK_DELETE},
    {L"Apps", VK_APPS},         {L"Multiply", VK_MULTIPLY}, {L"Add", VK_ADD},
    {L"Subtract", VK_SUBTRACT}, {L"Plus", VK_OEM_PLUS},     {L"Minus", VK_OEM_MINUS},
};

bool EqualsIgnoringCase(std::wstring_view A, std::wstring_view B) {
  if (A.size() != B.size())
    return false;
  for (std::size_t i = 0; i < A.size(); ++i)
    if (std::towlower(A[i]) != std::towlower(B[i]))
      return false;
  return true;
}

UINT KeyOfName(std::wstring_view Name) {
  for (const NamedKey& named : kNamedKeys)
    if (EqualsIgnoringCase(Name, named.Name))
      return named.Key;
  if (Name.size() == 1 &&
      ((Name[0] >= L'A' && Name[0] <= L'Z') || (Name[0] >= L'0' && Name[0] <= L'9')))
    return Name[0];
  if (Name.size() >= 2 && (Name[0] == L'F' || Name[0] == L'f') && std::iswdigit(Name[1])) {
    const int number = std::stoi(std::wstring(Name.substr(1)));
    if (number >= 1 && number <= 24)
      return VK_F1 + static_cast<UINT>(number - 1);
  }
  if (Name.size() > 2 && Name.substr(0, 2) == L"0x")
    return static_cast<UINT>(std::stoul(std::wstring(Name.substr(2)), nullptr, 16));
  throw StepError("unknown key " + Utf8(Name));
}

// The key's lParam: one press, its scan code, the extended bit of the keys that have it, Alt
// in the context bit; a release also has the previous-state and transition bits.
LPARAM KeyLParam(UINT Key, bool Alt, bool Release) {
  const UINT scan = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
  LPARAM value = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  switch (Key) {
  case VK_UP:
  case VK_DOWN:
  case VK_LEFT:
  case VK_RIGHT:
  case VK_HOME:
  case VK_END:
  case VK_PRIOR:
  case VK_NEXT:
  case VK_INSERT:
  case VK_DELETE:
  case VK_APPS:
    value |= LPARAM{1} << 24;
    break;
  default:
    break;
  }
  if (Alt)
    value |= LPARAM{1} << 29;
  if (Release)
    value |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  return value;
}

// The thread's keyboard state with the key and the modifiers down or up.
void SetKeys(const KeySpec& Spec, bool KeyDown) {
  std::array<BYTE, 256> state{};
  GetKeyboardState(state.data());
  const auto set = [&state](UINT Key, bool Down) { state[Key] = Down ? 0x80 : 0; };
  set(VK_SHIFT, Spec.Shift);
  set(VK_LSHIFT, Spec.Shift);
  set(VK_CONTROL, Spec.Control);
  set(VK_LCONTROL, Spec.Control);
  set(VK_MENU, Spec.Alt);
  set(VK_LMENU, Spec.Alt);
  set(Spec.Key, KeyDown);
  SetKeyboardState(state.data());
}

} // namespace

KeySpec ParseKey(const std::wstring& Text) {
  KeySpec spec;
  std::wstring_view rest = Text;
  for (;;) {
    const std::size_t plus = rest.find(L'+');
    if (plus == std::wstring_view::npos || plus + 1 >= rest.size())
      break;
    const std::wstring_view modifier = rest.substr(0, plus);
    if (EqualsIgnoringCase(modifier, L"shift"))
      spec.Shift = true;
    else if (EqualsIgnoringCase(modifier, L"ctrl"))
      spec.Control = true;
    else if (EqualsIgnoringCase(modifier, L"alt"))
      spec.Alt = true;
    else
      throw StepError("unknown modifier " + Utf8(modifier));
    rest = rest.substr(plus + 1);
  }
  spec.Key = KeyOfName(rest);
  return spec;
}

std::string KeyName(UINT Key, bool Shift, bool Control, bool Alt) {
  std::string name;
  if (Control)
    name += "ctrl+";
  if (Shift)
    name += "shift+";
  if (Alt)
    name += "alt+";
  for (const NamedKey& named : kNamedKeys)
    if (named.Key == Key)
      return name + Utf8(named.Name);
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))
    return name + static_cast<char>(Key);
  if (Key >= VK_F1 && Key <= VK_F24)
    return name + "F" + std::to_string(Key - VK_F1 + 1);
  return name + Hex(Key, 2);
}

void PressKey(Host& H, const std::wstring& Text) {
  const KeySpec spec = ParseKey(Text);
  const Lister& lister = H.Listers().Current();
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError("no viewer for the key");
  HWND target = GetFocus();
  if (target == nullptr || (target != lister.Viewer && !IsChild(lister.Viewer, target)))
    target = CurrentTree(H);
  const std::string name = KeyName(spec.Key, spec.Shift, spec.Control, spec.Alt);
  H.Out("key " + name + ": to " + H.Listers().NameOf(target));
  // As the system sends them: with Alt held, and F10 on its own, keys are system keys.
  const bool system = spec.Alt || spec.Key == VK_F10;
  SetKeys(spec, true);
  PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, spec.Key,
               KeyLParam(spec.Key, spec.Alt, false));
  H.Pump();
  SetKeys(spec, false);
  if (IsWindow(target))
    PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, spec.Key,
                 KeyLParam(spec.Key, spec.Alt, true));
  H.Pump();
  SetKeys(KeySpec{spec.Key, false, false, false}, false);
  H.Out("key " + name + ": done");
}

void FocusTree(Host& H) {
  const HWND tree = CurrentTree(H);
  SetFocus(tree);
  H.Pump();
  H.Out("focus-tree: focus on " + H.Listers().NameOf(GetFocus()));
}

void FocusLister(Host& H) {
  SetFocus(H.Listers().Current().Window.Get());
  H.Pump();
  H.Out("focus-lister: focus on " + H.Listers().NameOf(GetFocus()));
}

} // namespace host
