#include "json/FileReading.h"

#include "json/FileReadingSystem.h"
#include "json/JSONError.h"
#include "json/JSONLimits.h"

#include <algorithm>
#include <array>

namespace ujson {

namespace {

// Reads until count bytes are in or the file ends; fewer than count means it ended.
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

} // namespace

void ThrowStreamReadError() { throw EJSONError("Stream read error"); }

int64_t FewestCharacters(uint64_t size, std::string_view head) {
  const auto atLeast = [size](uint64_t markLength, uint64_t mostBytesPerCharacter) {
    const uint64_t rest = size > markLength ? size - markLength : 0;
    return static_cast<int64_t>(rest / mostBytesPerCharacter +
                                (rest % mostBytesPerCharacter != 0 ? 1 : 0));
  };
  // The marks that DecodeFileBytes looks for. After the UTF-8 mark every well-formed sequence
  // and every ill-formed run it replaces spans at most three bytes per UTF-16 unit (four bytes
  // make two units).
  if (head.starts_with("\xEF\xBB\xBF"))
    return atLeast(3, 3);
  // Two bytes a unit; an odd last byte becomes a unit of its own.
  if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
    return atLeast(2, 2);
  // Without a mark: UTF-8 as above when well-formed, else the ANSI code page, which makes a
  // character of every byte, or of every two in the East Asian code pages, or is UTF-8 itself.
  return atLeast(0, 3);
}

std::string ReadWholeFile(const std::u16string& fileName) {
  SystemFile file(fileName);
  const uint64_t reported = file.ReportedSize();
  // The mark decides how many characters the bytes can make, so it is read first and the size
  // is checked before room for the whole file is taken.
  std::array<char, 3> head{};
  const std::size_t headLength = ReadUpTo(file, head.data(), head.size());
  const std::string_view headBytes(head.data(), headLength);
  CheckFileSize(reported, headBytes);

  std::string bytes(static_cast<std::size_t>(std::max<uint64_t>(reported, headLength)), '\0');
  std::copy(headBytes.begin(), headBytes.end(), bytes.begin());
  std::size_t total = headLength;
  bool ended = headLength < head.size();
  if (!ended) {
    total += ReadUpTo(file, bytes.data() + total, bytes.size() - total);
    ended = total < bytes.size();
  }
  // A writer that shortened the file meanwhile leaves what was read.
  bytes.resize(total);
  // The size is only a first guess: a writer may have lengthened the file, and some files report
  // 0 and still have content, so reading goes on to the end of the file.
  std::array<char, 1 << 16> more;
  while (!ended) {
    const std::size_t got = file.ReadSome(more.data(), more.size());
    if (got == 0)
      break;
    bytes.append(more.data(), got);
    CheckFileSize(bytes.size(), headBytes);
  }
  return bytes;
}

} // namespace ujson
