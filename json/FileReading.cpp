#include "json/FileReading.h"

#include "json/FileReadingSystem.h"
#include "json/JSONError.h"
#include "json/JSONLimits.h"
#include "json/TextDecoding.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ujson {

std::size_t ReadUpTo(SystemFile& file, char* buffer, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    const std::size_t got = file.ReadSome(buffer + total, count - total);
    if (got == 0)
      break;
    total += got;
  }
  return total;
}

void CheckFileSize(uint64_t size, std::string_view head) {
  CheckFileLength(size, FewestCharacters(size, head));
}

void ThrowStreamReadError() { throw EJSONError("Stream read error"); }

int64_t FewestCharacters(uint64_t size, std::string_view head) {
  const auto atLeast = [size](uint64_t markLength, uint64_t mostBytesPerCharacter) {
    const uint64_t rest = size > markLength ? size - markLength : 0;
    return static_cast<int64_t>(rest / mostBytesPerCharacter +
                                (rest % mostBytesPerCharacter != 0 ? 1 : 0));
  };
  switch (const ByteOrderMark mark = DetectByteOrderMark(head)) {
  // After the UTF-8 mark every well-formed sequence and every ill-formed run it replaces spans
  // at most three bytes per UTF-16 unit (four bytes make two units).
  case ByteOrderMark::Utf8:
    return atLeast(MarkLength(mark), 3);
  // Two bytes a unit; an odd last byte becomes a unit of its own.
  case ByteOrderMark::Utf16LittleEndian:
  case ByteOrderMark::Utf16BigEndian:
    return atLeast(MarkLength(mark), 2);
  // Without a mark: UTF-8 as above when well-formed, else the ANSI code page, which makes a
  // character of every byte, or of every two in the East Asian code pages, or is UTF-8 itself.
  case ByteOrderMark::None:
    break;
  }
  return atLeast(0, 3);
}

FileHead ReadFileHead(SystemFile& file) {
  FileHead head;
  head.length = ReadUpTo(file, head.bytes.data(), head.bytes.size());
  CheckFileSize(file.ReportedSize(), head.View());
  return head;
}

FileBytes ReadFileBytes(const std::u16string& fileName) {
  SystemFile file(fileName);
  const FileHead head = ReadFileHead(file);
  return ReadFileRest(file, head);
}

FileBytes ReadFileRest(SystemFile& file, const FileHead& head) {
  const uint64_t reported = file.ReportedSize();
  const std::size_t headLength = head.length;
  const std::string_view headBytes = head.View();

  // One byte beyond the reported size tells a file read whole from one that grew meanwhile.
  FileBytes bytes{
      MemoryBlock(static_cast<std::size_t>(std::max<uint64_t>(reported, headLength)) + 1),
      headLength};
  char* buffer = reinterpret_cast<char*>(bytes.block.data());
  std::copy(headBytes.begin(), headBytes.end(), buffer);
  if (headLength < head.bytes.size())
    return bytes;
  // The size is only a first guess: a writer may have shortened the file, which leaves what was
  // read, or lengthened it, and some files report 0 and still have content, so reading goes on
  // to the end of the file, in a larger block when this one is full.
  for (;;) {
    const std::size_t room = bytes.block.size() - bytes.length;
    const std::size_t got = ReadUpTo(file, buffer + bytes.length, room);
    bytes.length += got;
    if (got < room)
      break;
    CheckFileSize(bytes.length, headBytes);
    MemoryBlock larger(std::max<std::size_t>(bytes.block.size() * 2, 1 << 16));
    std::copy(buffer, buffer + bytes.length, reinterpret_cast<char*>(larger.data()));
    bytes.block = std::move(larger);
    buffer = reinterpret_cast<char*>(bytes.block.data());
  }
  CheckFileSize(bytes.length, headBytes);
  return bytes;
}

std::string ReadWholeFile(const std::u16string& fileName) {
  return std::string(ReadFileBytes(fileName).View());
}

} // namespace ujson
