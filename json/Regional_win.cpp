#ifdef _WIN32

#include "json/Regional.h"

#include "json/JSONError.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>

namespace ujson {

namespace {

uint32_t& SelectedCodePage() {
  static uint32_t codePage = GetACP();
  return codePage;
}

char16_t UserDecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) < 2 ||
      separator[0] == L'\0')
    return u'.';
  return static_cast<char16_t>(separator[0]);
}

char16_t& SelectedDecimalSeparator() {
  static char16_t separator = UserDecimalSeparator();
  return separator;
}

const char* const kNoMapping =
    "No mapping for the Unicode character exists in the target multi-byte code page";

} // namespace

uint32_t AnsiCodePage() { return SelectedCodePage(); }

void SelectAnsiCodePage(uint32_t codePage) {
  if (!IsValidCodePage(codePage))
    throw std::invalid_argument("Code page " + std::to_string(codePage) +
                                " is not installed on this system");
  SelectedCodePage() = codePage;
}

char16_t DecimalSeparator() { return SelectedDecimalSeparator(); }

void SelectDecimalSeparator(char16_t separator) { SelectedDecimalSeparator() = separator; }

std::u16string AnsiToUtf16(std::string_view bytes) {
  if (bytes.empty())
    return {};
  // Document positions are 32-bit, so a larger text could not be parsed anyway.
  if (bytes.size() > INT_MAX)
    throw EJSONError("The file is too large: more than 2 GB cannot be converted from the ANSI "
                     "code page");
  const UINT codePage = AnsiCodePage();
  const int length = static_cast<int>(bytes.size());
  // Most code pages give at most one unit per byte, which saves the sizing pass.
  std::u16string text(bytes.size(), u'\0');
  int written = MultiByteToWideChar(codePage, 0, bytes.data(), length,
                                    reinterpret_cast<wchar_t*>(text.data()), length);
  if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (needed > 0) {
      text.assign(static_cast<std::size_t>(needed), u'\0');
      written = MultiByteToWideChar(codePage, 0, bytes.data(), length,
                                    reinterpret_cast<wchar_t*>(text.data()), needed);
    }
  }
  if (written <= 0)
    throw EJSONError(kNoMapping);
  text.resize(static_cast<std::size_t>(written));
  return text;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  const UINT codePage = AnsiCodePage();
  std::string bytes;
  // Chunks keep every count within an int; a chunk never ends between the halves of a pair.
  constexpr std::size_t kChunk = 1u << 28;
  std::size_t done = 0;
  while (done < text.size()) {
    std::size_t count = std::min(kChunk, text.size() - done);
    if (done + count < text.size() && text[done + count - 1] >= 0xD800 &&
        text[done + count - 1] <= 0xDBFF)
      --count;
    const auto* source = reinterpret_cast<const wchar_t*>(text.data() + done);
    const int sourceLength = static_cast<int>(count);
    // Best-fit mapping would turn characters the code page lacks into look-alikes; some code
    // pages (UTF-8, UTF-7, ISO-2022 and others) accept neither that flag nor a default character.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = "?";
    int needed = WideCharToMultiByte(codePage, flags, source, sourceLength, nullptr, 0, defaultChar,
                                     nullptr);
    if (needed == 0 &&
        (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER)) {
      flags = 0;
      defaultChar = nullptr;
      needed = WideCharToMultiByte(codePage, flags, source, sourceLength, nullptr, 0, defaultChar,
                                   nullptr);
    }
    if (needed <= 0)
      throw EJSONError(kNoMapping);
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(needed));
    if (WideCharToMultiByte(codePage, flags, source, sourceLength, bytes.data() + start, needed,
                            defaultChar, nullptr) != needed)
      throw EJSONError(kNoMapping);
    done += count;
  }
  return bytes;
}

} // namespace ujson

#endif // _WIN32
