#ifdef _WIN32

#include "viewer/win32/KeyPress_win.h"

#include <array>

namespace tkwin {

namespace {

// ToUnicode's flag that keeps the keyboard state (Windows 10 1607 and later; ignored before).
constexpr UINT kKeepKeyboardState = 0x4;

char16_t TypedCharacter(UINT Key, LPARAM LParam) noexcept {
  // A dead key types nothing by itself. Where the flag above is ignored, asking ToUnicode
  // about it would use up the accent the user is about to type, so it is not asked.
  if ((::MapVirtualKeyW(Key, MAPVK_VK_TO_CHAR) & 0x80000000u) != 0)
    return 0;
  std::array<BYTE, 256> state{};
  if (!::GetKeyboardState(state.data()))
    return 0;
  const auto scanCode = static_cast<UINT>((LParam >> 16) & 0x1FF);
  std::array<wchar_t, 8> typed{};
  const int count = ::ToUnicode(Key, scanCode, state.data(), typed.data(),
                                static_cast<int>(typed.size()), kKeepKeyboardState);
  return count >= 1 ? static_cast<char16_t>(typed[0]) : 0;
}

bool Down(int Key) noexcept { return ::GetKeyState(Key) < 0; }

} // namespace

tk::KeyPress KeyPressOf(UINT Message, WPARAM WParam, LPARAM LParam) noexcept {
  tk::KeyPress press;
  press.Key = static_cast<uint32_t>(WParam & 0xFF);
  press.Shift = Down(VK_SHIFT);
  press.Control = Down(VK_CONTROL);
  // A system key carries Alt in its context bit, also when the key state lags behind.
  press.Alt = Down(VK_MENU) || (Message == WM_SYSKEYDOWN && (LParam & (LPARAM{1} << 29)) != 0);
  press.Character = TypedCharacter(static_cast<UINT>(press.Key), LParam);
  return press;
}

} // namespace tkwin

#endif // _WIN32
