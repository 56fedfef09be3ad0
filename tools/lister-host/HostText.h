#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view Text);
// UTF-8 to UTF-16; a malformed byte becomes U+FFFD.
std::u16string FromUtf8(std::string_view Text);

// Keeps a text on one output line and unambiguous: backslash, carriage return, line feed and
// tab are written as \\, \r, \n and \t, other control characters as \xHH.
std::string Escaped(std::u16string_view Text);

// "0x" and upper-case hexadecimal digits, at least Digits of them.
std::string Hex(uint64_t Value, int Digits = 0);
// Milliseconds with one decimal.
std::string FormatMs(double Value);

} // namespace host
