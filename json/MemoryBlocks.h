#pragma once

#include <cstddef>
#include <string>

namespace ujson {

// Memory for the bulk of a document: the chunks of its node records, and the
// bytes of its file while they are decoded. A block of LargeBlockBytes or more comes straight
// from the system, in few large pieces, and on release goes to a process-wide cache of at most
// BlockCacheBound bytes that later loads take their blocks from: a file manager that shows file
// after file then does not have the system hand out, and zero, fresh pages for every document.
// Smaller blocks come from the heap.
class MemoryBlock {
public:
  MemoryBlock() = default;
  // At least minimumBytes (a cached block may be somewhat larger); throws std::bad_alloc.
  explicit MemoryBlock(std::size_t minimumBytes);
  MemoryBlock(MemoryBlock&& other) noexcept;
  MemoryBlock& operator=(MemoryBlock&& other) noexcept;
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;
  ~MemoryBlock();

  std::byte* data() const { return data_; }
  std::size_t size() const { return size_; }

private:
  void Release() noexcept;

  std::byte* data_ = nullptr;
  std::size_t size_ = 0;
  bool fromSystem_ = false;
};

// Blocks from this size on come from the system and are cached.
inline constexpr std::size_t LargeBlockBytes = std::size_t{256} << 10;
// What the cache keeps at most, blocks and the spare text together: enough for the pool, the
// child lists and the text of a document of about 10 MB, so repeated loads of typical files
// reuse warm memory, while a file manager that once showed a huge file keeps no more than this.
inline constexpr std::size_t BlockCacheBound = std::size_t{64} << 20;

// Bytes the cache holds now (blocks and the spare text).
std::size_t CachedBytes() noexcept;
// Gives every cached block and the spare text back to the system.
void DropCachedMemory() noexcept;

// The text buffer of a released document is kept as well, for the next load of a file of about
// the same length (the same file loaded again, most often). TakeSpareText gives it, emptied, when
// its capacity holds minimumLength characters and is less than a third more; else an empty
// string.
std::u16string TakeSpareText(std::size_t minimumLength);
// An empty text with room for minimumLength characters: the spare one when it fits as above,
// else a new buffer, whose untouched pages come as huge pages where the system offers them.
std::u16string TextWithRoom(std::size_t minimumLength);
// Keeps the text's buffer as the spare (replacing an older one), unless it is over the bound.
void KeepSpareText(std::u16string&& text) noexcept;

} // namespace ujson
