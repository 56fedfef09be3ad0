#include "plugin/DetectString.h"

#include <algorithm>
#include <cstring>

void WriteDetectString(char* Buffer, int Limit) noexcept {
  const auto limit = static_cast<unsigned int>(Limit);
  if (Buffer == nullptr || limit == 0)
    return;
  // The zero byte takes one place of the limit, so nothing lands past a buffer of that size.
  const std::size_t characters = std::min<std::size_t>(kDetectString.size(), limit - 1u);
  std::memcpy(Buffer, kDetectString.data(), characters);
  Buffer[characters] = '\0';
}
