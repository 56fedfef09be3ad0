#ifndef _WIN32

#include "json/FileReading.h"

#include "json/JSONError.h"
#include "json/UnicodeConversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace ujson {

namespace {

class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

private:
  void Close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }

  int fd_;
};

std::string FullPath(const std::string& name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error);
  if (error)
    return name;
  return absolute.lexically_normal().string();
}

[[noreturn]] void ThrowCannotOpen(const std::string& name, const std::string& description) {
  throw EJSONError("Cannot open file \"" + FullPath(name) + "\". " + description);
}

[[noreturn]] void ThrowReadError() { throw EJSONError("Stream read error"); }

// Returns 0 only at the end of the file.
std::size_t ReadSome(int fd, char* buffer, std::size_t count) {
  // Single reads stay well below the limit where the system shortens them anyway.
  constexpr std::size_t kChunk = std::size_t{1} << 26;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, std::min(count, kChunk));
    if (got >= 0)
      return static_cast<std::size_t>(got);
    if (errno != EINTR)
      ThrowReadError();
  }
}

} // namespace

std::string ReadWholeFile(const std::u16string& fileName) {
  const std::string name = Utf16ToUtf8(fileName);
  // The system would stop reading the name at a NUL and open some other file.
  if (name.find('\0') != std::string::npos)
    ThrowCannotOpen(name, std::strerror(EINVAL));
  // O_NONBLOCK keeps open from waiting for a writer when the name is a FIFO; such files are
  // refused below, and it does not affect reading regular files.
  FileDescriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid())
    ThrowCannotOpen(name, std::strerror(errno));

  struct stat status {};
  if (::fstat(file.get(), &status) != 0)
    ThrowCannotOpen(name, std::strerror(errno));
  if (S_ISDIR(status.st_mode))
    ThrowCannotOpen(name, std::strerror(EISDIR));
  // Devices and pipes may never end.
  if (!S_ISREG(status.st_mode))
    ThrowCannotOpen(name, "Not a regular file");

  const auto expected = static_cast<std::size_t>(std::max<off_t>(status.st_size, 0));
  std::string bytes(expected, '\0');
  std::size_t total = 0;
  while (total < expected) {
    const std::size_t got = ReadSome(file.get(), bytes.data() + total, expected - total);
    if (got == 0)
      break; // a writer shortened the file meanwhile: it holds what was read
    total += got;
  }
  bytes.resize(total);
  // The size is only a first guess: some files (under /proc, say) report 0 and still have
  // content, so reading goes on to the end of the file.
  std::array<char, 1 << 16> more;
  while (const std::size_t got = ReadSome(file.get(), more.data(), more.size()))
    bytes.append(more.data(), got);
  return bytes;
}

} // namespace ujson

#endif // _WIN32
