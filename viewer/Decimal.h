#pragma once

#include <cstdint>
#include <string>

// Appends Value in decimal: no grouping, a minus sign when negative.
inline void AppendDecimal(std::u16string& Text, int64_t Value) {
  // The magnitude as unsigned, so the most negative value needs no special case.
  uint64_t magnitude = Value < 0 ? 0 - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (Value < 0)
    Text += u'-';
  while (count > 0)
    Text += digits[--count];
}
