#ifdef _WIN32

#include "json/FileReadingSystem.h"

#include "json/JSONError.h"
#include "json/UnicodeConversion.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <utility>

namespace ujson {

namespace {

// Closes the handle on the failure paths while the file is being opened.
class FileHandle {
public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid())
      CloseHandle(handle_);
  }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
  HANDLE handle_;
};

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FullPath(const std::u16string& name) {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(Wide(name), static_cast<DWORD>(path.size()),
                                          reinterpret_cast<wchar_t*>(path.data()), nullptr);
    if (length == 0)
      return name;
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.assign(length, u'\0'); // length counts the terminating NUL here
  }
}

// The system's text without its line end and full stop, since the message adds its own.
std::u16string SystemDescription(DWORD error) {
  std::array<wchar_t, 1024> buffer{};
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
  while (length > 0 && (buffer[length - 1] <= L' ' || buffer[length - 1] == L'.'))
    --length;
  if (length == 0)
    return Utf8ToUtf16("System error " + std::to_string(error));
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
}

[[noreturn]] void ThrowCannotOpen(const std::u16string& name, const std::u16string& description) {
  throw EJSONError(Utf16ToUtf8(u"Cannot open file \"" + FullPath(name) + u"\". " + description));
}

} // namespace

SystemFile::SystemFile(const std::u16string& fileName) {
  // The system would stop reading the name at a NUL and open some other file.
  if (fileName.find(u'\0') != std::u16string::npos)
    ThrowCannotOpen(fileName, SystemDescription(ERROR_INVALID_NAME));
  // Logs being written and settings files that their program keeps open must still load, so
  // nothing is shut out: other programs may read, write and delete the file meanwhile.
  FileHandle file(CreateFileW(
      Wide(fileName), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    ThrowCannotOpen(fileName, SystemDescription(error));
  }
  // Consoles, pipes and other devices may never end.
  if (GetFileType(file.get()) != FILE_TYPE_DISK)
    ThrowCannotOpen(fileName, u"Not a regular file");

  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
    ThrowStreamReadError();
  reportedSize_ = static_cast<uint64_t>(size.QuadPart);
  handle_ = file.release();
}

SystemFile::~SystemFile() { CloseHandle(handle_); }

uint64_t SystemFile::ReportedSize() const { return reportedSize_; }

std::size_t SystemFile::ReadSome(char* buffer, std::size_t count) {
  // ReadFile counts in 32 bits.
  constexpr std::size_t kChunk = std::size_t{1} << 26;
  const std::size_t wanted = std::min(count, kChunk);
  // Pages first touched by the system's read are slow under Wine, and far slower while another
  // thread of the process runs (a read ahead beside the decoding). Touched here first, the same
  // faults cost what they cost anywhere else.
  constexpr std::size_t kPage = 4096;
  for (std::size_t at = 0; at < wanted; at += kPage)
    buffer[at] = 0;
  DWORD got = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(wanted), &got, nullptr))
    ThrowStreamReadError();
  return got;
}

} // namespace ujson

#endif // _WIN32
