#pragma once

#include <cstdint>
#include <string>

// Milliseconds between two tick readings, modulo 2^32, so a wrap of the counter between them
// still gives the true difference.
inline uint32_t ElapsedTicks(uint32_t Start, uint32_t Finish) { return Finish - Start; }

// "Время разбора: " seconds " Элементов: " count. Seconds have one decimal, rounded half up on
// the millisecond count ((ms + 50) / 100 tenths), written with Separator.
std::u16string StatusText(uint32_t ElapsedMilliseconds, int64_t InstanceCount, char16_t Separator);
