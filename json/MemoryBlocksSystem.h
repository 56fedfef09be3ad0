#pragma once

#include <cstddef>

namespace ujson {

// What each platform supplies to the block cache in MemoryBlocks.cpp (mmap in
// MemoryBlocks_posix.cpp, VirtualAlloc in MemoryBlocks_win.cpp).

// Zeroed, readable and writable memory of the given size (a multiple of SystemBlockGranularity);
// nullptr when the system has none.
void* MapSystemBlock(std::size_t bytes) noexcept;
void UnmapSystemBlock(void* block, std::size_t bytes) noexcept;
// Asks for transparent huge pages for the whole huge pages inside memory (heap memory of our own,
// not yet touched), where the system offers them; elsewhere nothing.
void AdviseHugePages(void* memory, std::size_t bytes) noexcept;
inline constexpr std::size_t SystemBlockGranularity = std::size_t{64} << 10;

} // namespace ujson
