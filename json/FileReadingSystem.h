#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ujson {

// An open regular file, read from its start: what each platform supplies to the one read routine
// in FileReading.cpp (the POSIX and the Windows calls live in FileReading_posix.cpp and
// FileReading_win.cpp). Other programs may go on reading, writing and deleting the file.
class SystemFile {
public:
  // Throws EJSONError `Cannot open file "<full path>". <reason>`, the reason being the system's,
  // or "Not a regular file" for pipes and devices, which may never end.
  explicit SystemFile(const std::u16string& fileName);
  SystemFile(const SystemFile&) = delete;
  SystemFile& operator=(const SystemFile&) = delete;
  ~SystemFile();

  // The size the system reports: a first guess only, since a writer may change the file meanwhile
  // and some files (under /proc, say) report 0 and still have content.
  uint64_t ReportedSize() const;
  // Reads up to count bytes; returns 0 only at the end of the file. Throws EJSONError "Stream read
  // error" when the system fails.
  std::size_t ReadSome(char* buffer, std::size_t count);

private:
#ifdef _WIN32
  using Handle = void*; // HANDLE, without <windows.h> here
#else
  using Handle = int;
#endif
  Handle handle_{};
  uint64_t reportedSize_ = 0;
};

// Throws EJSONError "Stream read error".
[[noreturn]] void ThrowStreamReadError();

} // namespace ujson
