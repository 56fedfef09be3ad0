#include "json/FileText.h"

#include "json/FileReadAhead.h"
#include "json/FileReading.h"
#include "json/FileReadingSystem.h"
#include "json/MemoryBlocks.h"
#include "json/NormalizeText.h"
#include "json/PagePretouch.h"
#include "json/Regional.h"
#include "json/TextDecoding.h"
#include "json/UnicodeConversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

namespace ujson {

namespace {

// The text grows ahead of the writing in steps of this many characters, so that only what it
// will hold is ever touched.
constexpr std::size_t kGrowStep = std::size_t{1} << 14;
// Texts from this many characters on have their pages touched ahead of the writing, at most this
// many bytes ahead: what the writing never reaches (a text shorter than its file) then costs
// no more resident memory than that.
constexpr std::size_t kPretouchFrom = std::size_t{4} << 20;
constexpr std::size_t kPretouchLead = std::size_t{8} << 20;
// The normalisation stops at most this many bytes before the end of a chunk that is not the
// last; a chunk must be larger for every step to make progress.
constexpr std::size_t kSmallestChunk = 64;

// A piece of UTF-8 bytes for the normalisation: what a source holds from where the last piece
// was left on.
struct Utf8Piece {
  const unsigned char* data = nullptr;
  std::size_t length = 0;
  bool final = false;
};

// Normalises a UTF-8 body as its source hands it over: source.Next(consumed) drops the first
// consumed bytes of the last piece and gives the next, which begins with the rest of the last.
// With pretouchText a big text's fresh pages are touched on another core ahead of the writing:
// not while a reader works there, as two threads on that core slow each other down.
template <class Source>
std::u16string NormalizeUtf8Pieces(Source& source, std::size_t expectedLength, bool pretouchText,
                                   Utf8Tally* tally) {
  // Each byte makes at most one unit: room for the expected length means no move of the text
  // unless the file grows meanwhile.
  std::u16string text = TextWithRoom(expectedLength);
  std::optional<PagePretouch> pretouch;
  if (pretouchText && expectedLength >= kPretouchFrom)
    pretouch.emplace(text.data(), text.capacity() * sizeof(char16_t), sizeof(char16_t),
                     kPretouchLead);
  std::size_t w = 0;
  NormalizeState state;
  std::size_t consumed = 0;
  for (;;) {
    const Utf8Piece piece = source.Next(consumed);
    // A step writes at most one unit more than the bytes it reads.
    if (const std::size_t need = w + piece.length + 1; text.size() < need) {
      const std::size_t size = std::max(need, std::min(text.size() + kGrowStep, text.capacity()));
      // The size's terminator included.
      if (size < text.capacity() && pretouch)
        pretouch->Claim((size + 1) * sizeof(char16_t));
      else
        pretouch.reset(); // the text moves, or is all the writer's
      text.resize(size);
    }
    std::size_t r = 0;
    NormalizeUtf8Some(piece.data, r, piece.length, piece.final, text.data(), w, state, tally);
    if (piece.final)
      break;
    consumed = r;
  }
  pretouch.reset();
  text.resize(w);
  return text;
}

// The rest of a UTF-8 file behind its head (the mark, when there is one, skipped), read a chunk
// at a time into one small buffer.
class ChunkedUtf8Source {
public:
  ChunkedUtf8Source(SystemFile& file, const FileHead& head, std::size_t skip,
                    std::size_t chunkBytes)
      : file_(file), head_(head), capacity_(std::max(chunkBytes, kSmallestChunk)),
        block_(capacity_), total_(head.length), reported_(file.ReportedSize()),
        // A file shorter than a mark has ended already.
        ended_(head.length < head.bytes.size()) {
    const std::string_view body = head.View().substr(skip);
    std::copy(body.begin(), body.end(), Buffer());
    kept_ = body.size();
  }

  Utf8Piece Next(std::size_t consumed) {
    char* buffer = Buffer();
    kept_ -= consumed;
    std::memmove(buffer, buffer + consumed, kept_);
    if (!ended_) {
      const std::size_t room = capacity_ - kept_;
      const std::size_t got = ReadUpTo(file_, buffer + kept_, room);
      kept_ += got;
      total_ += got;
      ended_ = got < room;
      if (total_ > reported_)
        CheckFileSize(total_, head_.View());
    }
    return {reinterpret_cast<const unsigned char*>(buffer), kept_, ended_};
  }

private:
  char* Buffer() const { return reinterpret_cast<char*>(block_.data()); }

  SystemFile& file_;
  const FileHead& head_;
  std::size_t capacity_;
  MemoryBlock block_;
  std::size_t kept_ = 0;
  uint64_t total_;
  uint64_t reported_;
  bool ended_;
};

// The body of a file that a FileReadAhead brings in, taken as it comes.
class ReadAheadUtf8Source {
public:
  ReadAheadUtf8Source(FileReadAhead& file, std::size_t skip) : file_(file), offset_(skip) {}

  Utf8Piece Next(std::size_t consumed) {
    offset_ += consumed;
    bool ended = false;
    // What the last piece left needs more bytes behind it, or the end.
    const std::string_view bytes = file_.Await(seen_, ended);
    seen_ = bytes.size();
    return {reinterpret_cast<const unsigned char*>(bytes.data()) + offset_, seen_ - offset_, ended};
  }

private:
  FileReadAhead& file_;
  std::size_t offset_;
  std::size_t seen_ = 0;
};

std::size_t BodyLength(uint64_t reported, std::size_t skip) {
  return static_cast<std::size_t>(reported > skip ? reported - skip : 0);
}

std::u16string NormalizeUtf8File(SystemFile& file, const FileHead& head, std::size_t skip,
                                 std::size_t chunkBytes, Utf8Tally* tally) {
  ChunkedUtf8Source source(file, head, skip, chunkBytes);
  return NormalizeUtf8Pieces(source, BodyLength(file.ReportedSize(), skip), true, tally);
}

// Text in the ANSI code page, decoded but not normalised.
std::u16string AnsiText(std::u16string&& attempt, std::string_view bytes) {
  // Its attempt as UTF-8 goes before the text of about the same length is made.
  KeepSpareText(std::move(attempt));
  return AnsiToUtf16(bytes);
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
  // Text in the ANSI code page: read again whole.
  const FileBytes bytes = ReadFileBytes(fileName);
  text = AnsiText(std::move(text), bytes.View());
  NormalizeText(text);
  return text;
}

FileTextWithBytes ReadFileTextWithBytes(const std::u16string& fileName, std::size_t chunkBytes,
                                        uint64_t readAheadFrom) {
  FileTextWithBytes read;
  FileReadAhead file(fileName, chunkBytes, readAheadFrom);
  const ByteOrderMark mark = DetectByteOrderMark(file.Head().View());
  if (mark == ByteOrderMark::Utf16LittleEndian || mark == ByteOrderMark::Utf16BigEndian) {
    bool ended = false;
    file.Await(SIZE_MAX - 1, ended);
    read.text = DecodeFileBytes(file.TakeBytes().View());
    return read;
  }
  const std::size_t skip = MarkLength(mark);
  Utf8Tally tally;
  ReadAheadUtf8Source source(file, skip);
  std::u16string text =
      NormalizeUtf8Pieces(source, BodyLength(file.ReportedSize(), skip), false, &tally);
  read.bytes = file.TakeBytes();
  read.body = read.bytes.View().substr(skip);
  if (mark == ByteOrderMark::Utf8 || ReadsAsUtf8(tally)) {
    read.text = std::move(text);
    read.normalized = true;
    return read;
  }
  read.text = AnsiText(std::move(text), read.bytes.View());
  read.bytes = {};
  read.body = {};
  return read;
}

} // namespace ujson
