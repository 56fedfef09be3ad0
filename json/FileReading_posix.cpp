#ifndef _WIN32

#include "json/FileReadingSystem.h"

#include "json/JSONError.h"
#include "json/UnicodeConversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace ujson {

namespace {

// Closes the descriptor on the failure paths while the file is being opened.
class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }

private:
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

} // namespace

SystemFile::SystemFile(const std::u16string& fileName) {
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
  reportedSize_ = static_cast<uint64_t>(std::max<off_t>(status.st_size, 0));
  handle_ = file.release();
}

SystemFile::~SystemFile() { ::close(handle_); }

uint64_t SystemFile::ReportedSize() const { return reportedSize_; }

std::size_t SystemFile::ReadSome(char* buffer, std::size_t count) {
  // Single reads stay well below the limit where the system shortens them anyway.
  constexpr std::size_t kChunk = std::size_t{1} << 26;
  for (;;) {
    const ssize_t got = ::read(handle_, buffer, std::min(count, kChunk));
    if (got >= 0)
      return static_cast<std::size_t>(got);
    if (errno != EINTR)
      ThrowStreamReadError();
  }
}

} // namespace ujson

#endif // _WIN32
