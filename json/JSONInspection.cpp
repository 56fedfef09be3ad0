// The inspection property Debud: a node's text written to a file for a look outside the viewer.

#include "json/JSONError.h"
#include "json/JSONObject.h"
#include "json/Regional.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace {

constexpr const char* DebugFileName = "ObjDebug.json";

std::string FullPath(const char* name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error);
  if (error)
    return name;
  const std::u8string utf8 = absolute.lexically_normal().u8string();
  return {utf8.begin(), utf8.end()};
}

[[noreturn]] void ThrowFileError(const char* what, int error) {
  throw EJSONError(std::string(what) + " \"" + FullPath(DebugFileName) + "\". " +
                   std::strerror(error));
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool TJSONObject::GetDebud() const {
  const std::string bytes = ujson::Utf16ToAnsi(GetText());
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(DebugFileName, "wb"));
  if (!file)
    ThrowFileError("Cannot create file", errno);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    ThrowFileError("Cannot write file", errno);
  // Closing is where a full disk shows; it must not go unnoticed.
  if (std::fclose(file.release()) != 0)
    ThrowFileError("Cannot write file", errno);
  return true;
}
