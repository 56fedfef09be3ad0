// A lister plugin with two faults that the end-to-end tests must notice, built only to prove
// that lister-host catches them: the detect string's zero byte lands one past a buffer of the
// limit's size, and the teardown leaves the viewer window's user data pointing at its released
// record.

#include <windows.h>

#include <cstring>
#include <memory>

namespace {

struct Record {
  int Value = 0;
};

} // namespace

extern "C" {

void WINAPI ListGetDetectString(char* DetectString, int MaxLen) {
  const char text[] = "EXT=\"JSON\"";
  unsigned int length = sizeof text - 1;
  if (length > static_cast<unsigned int>(MaxLen))
    length = static_cast<unsigned int>(MaxLen);
  std::memcpy(DetectString, text, length);
  DetectString[length] = '\0';
}

HWND WINAPI ListLoadW(HWND ParentWin, WCHAR* FileToLoad, int ShowFlags) {
  static_cast<void>(FileToLoad);
  static_cast<void>(ShowFlags);
  RECT client{};
  GetClientRect(ParentWin, &client);
  HWND window = CreateWindowExW(0, L"STATIC", L"faulty", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                client.bottom, ParentWin, nullptr, nullptr, nullptr);
  if (window != nullptr)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(std::make_unique<Record>().release()));
  // The window's user data owns the record; ListCloseWindow frees it.
  return window; // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
}

void WINAPI ListCloseWindow(HWND ListWin) {
  const std::unique_ptr<Record> record(
      reinterpret_cast<Record*>(GetWindowLongPtrW(ListWin, GWLP_USERDATA)));
  DestroyWindow(ListWin);
}

} // extern "C"
