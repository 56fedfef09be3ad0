#pragma once

// The process's own memory figures from /proc/self, for the benchmarks' peak measurements.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A "Key: N kB" line of /proc/self/status (VmHWM, VmRSS, ...) in KiB; -1 where it is missing.
inline int64_t StatusKiB(const char* Key) {
  std::FILE* file = std::fopen("/proc/self/status", "r");
  if (file == nullptr)
    return -1;
  char line[256];
  int64_t value = -1;
  const size_t keyLength = std::strlen(Key);
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strncmp(line, Key, keyLength) == 0 && line[keyLength] == ':') {
      value = std::strtoll(line + keyLength + 1, nullptr, 10);
      break;
    }
  }
  std::fclose(file);
  return value;
}

// Lets VmHWM start again from the current resident size (Linux 4.0 and later); where that is
// refused, the high-water mark inherited at fork is the resident size at that moment anyway.
inline void ResetPeak() {
  if (std::FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", file);
    std::fclose(file);
  }
}
