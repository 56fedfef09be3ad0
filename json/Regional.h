#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The two regional facts the library depends on: the ANSI code page that file bytes are decoded
// with, and the decimal separator that numbers are read with. Both can be overridden for tests.
namespace ujson {

// The code page in force: the system's ANSI code page on Windows, Windows-1252 elsewhere,
// unless SelectAnsiCodePage chose another.
uint32_t AnsiCodePage();

// Throws std::invalid_argument for a code page this platform cannot convert (on Windows one that
// MultiByteToWideChar does not know; elsewhere anything but 1252 and 1251).
void SelectAnsiCodePage(uint32_t codePage);

// The user's decimal separator, read on first use ("." when the system reports none).
char16_t DecimalSeparator();
void SelectDecimalSeparator(char16_t separator);

// Decodes with the code page in force. Throws EJSONError when a non-empty input yields no
// characters.
std::u16string AnsiToUtf16(std::string_view bytes);

// Encodes with the code page in force; characters it lacks become '?'.
std::string Utf16ToAnsi(std::u16string_view text);

} // namespace ujson
