#pragma once

#include "json/MemoryBlocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ujson {

// Reads every byte of a file as it stands while it is read. Other programs may go on reading,
// writing and deleting it meanwhile.
// Throws EJSONError: `Cannot open file "<full path>". <system description>` when it cannot be
// opened (a directory included), "Stream read error" when it cannot be read to the end, and the
// message of CheckFileLength, before the file is read whole, when its text could not be addressed.
std::string ReadWholeFile(const std::u16string& fileName);

// The bytes of a file, read as ReadWholeFile reads them, in a memory block: a large file's block
// comes from the cache of MemoryBlocks.h and goes back to it, so loading file after file does not
// take fresh pages from the system each time.
struct FileBytes {
  ujson::MemoryBlock block;
  std::size_t length = 0;

  std::string_view View() const { return {reinterpret_cast<const char*>(block.data()), length}; }
};
FileBytes ReadFileBytes(const std::u16string& fileName);

class SystemFile;

// The first bytes of a file, up to three: enough for any byte-order mark.
struct FileHead {
  std::array<char, 3> bytes{};
  std::size_t length = 0;

  std::string_view View() const { return {bytes.data(), length}; }
};
// The parts of ReadFileBytes, for readers that look at the mark before they take the rest.
// ReadFileHead reads the head of a file just opened and checks the reported size against it
// (the mark decides how many characters the bytes can make, so the size is checked before room
// for the whole file is taken); ReadFileRest reads the rest into one block behind the head.
FileHead ReadFileHead(SystemFile& file);
FileBytes ReadFileRest(SystemFile& file, const FileHead& head);

// Reads until count bytes are in or the file ends; fewer than count means it ended.
std::size_t ReadUpTo(SystemFile& file, char* buffer, std::size_t count);
// Throws the message of CheckFileLength when a file of this size, beginning with head, would
// give a text too long to address.
void CheckFileSize(uint64_t size, std::string_view head);

// The fewest characters that the file's decoding (DecodeFileBytes) can make of this many bytes
// beginning with head (the first bytes, up to three): the byte-order mark decides the encoding.
int64_t FewestCharacters(uint64_t size, std::string_view head);

} // namespace ujson
