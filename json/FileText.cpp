#include "json/FileText.h"

#include "json/FileReading.h"
#include "json/FileReadingSystem.h"
#include "json/MemoryBlocks.h"
#include "json/NormalizeText.h"
#include "json/Regional.h"
#include "json/TextDecoding.h"
#include "json/UnicodeConversion.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ujson {

namespace {

// The text grows ahead of the writing in steps of this many characters, so that only what it
// will hold is ever touched.
constexpr std::size_t kGrowStep = std::size_t{1} << 14;
// The normalisation stops at most this many bytes before the end of a chunk that is not the
// last; a chunk must be larger for every step to make progress.
constexpr std::size_t kSmallestChunk = 64;

// Reads the rest of a UTF-8 file behind its head (the mark, when there is one, skipped) and
// normalises it a chunk at a time into the text.
std::u16string NormalizeUtf8File(SystemFile& file, const FileHead& head, std::size_t skip,
                                 std::size_t chunkBytes, Utf8Tally* tally) {
  const std::size_t capacity = std::max(chunkBytes, kSmallestChunk);
  MemoryBlock block(capacity);
  auto* buffer = reinterpret_cast<char*>(block.data());
  const std::string_view headBody = head.View().substr(skip);
  std::copy(headBody.begin(), headBody.end(), buffer);
  std::size_t kept = headBody.size();
  uint64_t total = head.length;
  const uint64_t reported = file.ReportedSize();

  // Each byte makes at most one unit: room for the reported size means no move of the text
  // unless the file grows meanwhile.
  std::u16string text =
      TextWithRoom(static_cast<std::size_t>(reported > skip ? reported - skip : 0));
  std::size_t w = 0;
  NormalizeState state;
  // A file shorter than a mark has ended already.
  bool final = head.length < head.bytes.size();
  for (;;) {
    std::size_t avail = kept;
    if (!final) {
      const std::size_t room = capacity - kept;
      const std::size_t got = ReadUpTo(file, buffer + kept, room);
      avail += got;
      total += got;
      final = got < room;
      if (total > reported)
        CheckFileSize(total, head.View());
    }
    // A step writes at most one unit more than the bytes it reads.
    if (const std::size_t need = w + avail + 1; text.size() < need)
      text.resize(std::max(need, std::min(text.size() + kGrowStep, text.capacity())));
    std::size_t r = 0;
    NormalizeUtf8Some(reinterpret_cast<const unsigned char*>(buffer), r, avail, final, text.data(),
                      w, state, tally);
    if (final)
      break;
    kept = avail - r;
    std::memmove(buffer, buffer + r, kept);
  }
  text.resize(w);
  return text;
}

} // namespace

std::u16string ReadNormalizedFileText(const std::u16string& fileName, std::size_t chunkBytes) {
  std::u16string text;
  {
    SystemFile file(fileName);
    const FileHead head = ReadFileHead(file);
    const ByteOrderMark mark = DetectByteOrderMark(head.View());
    if (mark == ByteOrderMark::Utf16LittleEndian || mark == ByteOrderMark::Utf16BigEndian)
      return NormalizedFileText(ReadFileRest(file, head).View());
    if (mark == ByteOrderMark::Utf8)
      return NormalizeUtf8File(file, head, MarkLength(mark), chunkBytes, nullptr);
    Utf8Tally tally;
    text = NormalizeUtf8File(file, head, 0, chunkBytes, &tally);
    if (ReadsAsUtf8(tally))
      return text;
  }
  // Text in the ANSI code page: its attempt as UTF-8 goes before the file is read again whole.
  KeepSpareText(std::move(text));
  const FileBytes bytes = ReadFileBytes(fileName);
  text = AnsiToUtf16(bytes.View());
  NormalizeText(text);
  return text;
}

} // namespace ujson
