#pragma once

// The system's wide strings as lister-host prints them. On Windows wchar_t is a UTF-16 unit.

#include "tools/lister-host/HostText.h"

#include <string>
#include <string_view>

namespace host {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::u16string AsU16(std::wstring_view Text) {
  return {reinterpret_cast<const char16_t*>(Text.data()), Text.size()};
}
inline std::string Utf8(std::wstring_view Text) { return ToUtf8(AsU16(Text)); }
inline std::string Esc(std::wstring_view Text) { return Escaped(AsU16(Text)); }

} // namespace host
