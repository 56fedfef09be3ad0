#pragma once

#include "json/FileReading.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ujson {

// Bytes of a file read at a time while its text is made: small enough to stay in the
// processor's cache between the read and the decoding.
inline constexpr std::size_t FileTextChunkBytes = std::size_t{256} << 10;

// The document text of a file: what NormalizedFileText makes of the bytes ReadFileBytes reads,
// with the same errors. A UTF-8 file, with its mark or without, is read a chunk at a time into
// one small buffer and decoded and normalised as it comes, so its bytes never lie in memory
// whole. A UTF-16 file is read whole first; so is a file that turns out to be in the ANSI code
// page, which shows only at its end: it is then read again.
std::u16string ReadNormalizedFileText(const std::u16string& fileName,
                                      std::size_t chunkBytes = FileTextChunkBytes);

// A file's text together with the bytes it was made from, for a load whose inspector reads
// them. A UTF-8 file (its mark or its bytes chose it) comes normalised, as the document text,
// with its bytes whole and body, its bytes after the mark; any other comes as the text it
// decoded to, not yet normalised, and without its bytes.
struct FileTextWithBytes {
  std::u16string text;
  bool normalized = false;
  FileBytes bytes;
  std::string_view body;
};
// Reads as ReadFileBytes, with its errors; a file of readAheadFrom bytes or more on a thread of
// its own, while the text is made from the bytes already in.
inline constexpr uint64_t FileReadAheadFrom = uint64_t{1} << 20;
FileTextWithBytes ReadFileTextWithBytes(const std::u16string& fileName,
                                        std::size_t chunkBytes = FileTextChunkBytes,
                                        uint64_t readAheadFrom = FileReadAheadFrom);

} // namespace ujson
