#pragma once

#include "json/UnicodeConversion.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <unistd.h>

// A file in the temporary folder, removed again when the test ends.
class TempFile {
public:
  TempFile(const std::string& Suffix, const std::string& Bytes) {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() / ("treskal-test-" + std::to_string(::getpid()) +
                                                      "-" + std::to_string(counter++) + Suffix);
    std::ofstream(path_, std::ios::binary) << Bytes;
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  std::string Path() const { return path_.string(); }
  std::u16string Name() const { return ujson::Utf8ToUtf16(path_.string()); }

private:
  std::filesystem::path path_;
};
