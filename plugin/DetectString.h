#pragma once

#include <string_view>

// Which files the plugin is for, in the file manager's detect-string syntax.
inline constexpr std::string_view kDetectString = "EXT=\"JSON\"";

// Writes the detect string into Buffer, whose size Limit counts the terminating zero: at most
// Limit - 1 characters, then the zero. A limit of 0 (or a null buffer) writes nothing; a
// negative limit is taken as the unsigned number it stands for.
void WriteDetectString(char* Buffer, int Limit) noexcept;
