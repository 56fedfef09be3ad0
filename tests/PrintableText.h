#pragma once
// A UTF-16 text made readable in a test's failure message: printable ASCII as it stands,
// every other unit as \xHHHH.

#include <cstdio>
#include <string>
#include <string_view>

inline std::string Printable(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escape[12];
      std::snprintf(escape, sizeof escape, "\\x%04X", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out;
}
