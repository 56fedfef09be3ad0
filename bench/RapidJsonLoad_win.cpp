// rapidjson-load: a RapidJSON DOM load of a file (the read included, with the library's own file
// reading), timed, to set the plugin's ListLoad against under Wine.
//
//   rapidjson-load.exe FILE [REPEATS]

#include "json/FileReading.h"

#include <rapidjson/document.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>

int wmain(int Argc, wchar_t** Argv) {
  if (Argc < 2) {
    std::fputs("usage: rapidjson-load.exe FILE [REPEATS]\n", stderr);
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
      bool parsed = false;
      {
        // The same read as the plugin's, into a block of the same cache.
        const ujson::FileBytes bytes = ujson::ReadFileBytes(file);
        rapidjson::Document document;
        document.Parse(bytes.View().data(), bytes.length);
        QueryPerformanceCounter(&finished);
        parsed = !document.HasParseError();
      }
      const double ms = static_cast<double>(finished.QuadPart - started.QuadPart) * 1000.0 /
                        static_cast<double>(frequency.QuadPart);
      std::printf("rapidjson load: %s in %.1f ms\n", parsed ? "parsed" : "failed", ms);
    }
  } catch (const std::exception& e) {
    std::printf("rapidjson load failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
