// bare-load: times JSONFromFile alone, the yardstick for the plugin's load time.
//
//   bare-load.exe FILE [REPEATS]

#include "json/UJSON.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>

int wmain(int Argc, wchar_t** Argv) {
  if (Argc < 2) {
    std::fputs("usage: bare-load.exe FILE [REPEATS]\n", stderr);
    return 2;
  }
  const std::u16string file(reinterpret_cast<const char16_t*>(Argv[1]));
  const int repeats = Argc > 2 ? std::max(1, _wtoi(Argv[2])) : 1;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  try {
    for (int i = 0; i < repeats; ++i) {
      LARGE_INTEGER started;
      LARGE_INTEGER finished;
      QueryPerformanceCounter(&started);
      int64_t nodes = 0;
      {
        const JSONRef document = JSONFromFile(file);
        QueryPerformanceCounter(&finished);
        nodes = JSONInstanceCount;
      }
      const double ms = static_cast<double>(finished.QuadPart - started.QuadPart) * 1000.0 /
                        static_cast<double>(frequency.QuadPart);
      std::printf("bare load: %lld nodes in %.1f ms\n", static_cast<long long>(nodes), ms);
    }
  } catch (const std::exception& e) {
    std::printf("bare load failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
