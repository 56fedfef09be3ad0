#pragma once

#include <cstddef>
#include <string>

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

} // namespace ujson
