#ifndef _WIN32

#include "json/MemoryBlocksSystem.h"

#include <sys/mman.h>

namespace ujson {

// Plain anonymous mappings. Transparent huge pages (madvise MADV_HUGEPAGE) were tried and left
// out: where the kernel compacts memory for them at fault time (its default "madvise" defrag
// setting), they doubled the kernel's share of loading a 100 MB file, and the blocks that are
// reused from the cache fault nothing in either way.
void* MapSystemBlock(std::size_t bytes) noexcept {
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void UnmapSystemBlock(void* block, std::size_t bytes) noexcept { ::munmap(block, bytes); }

} // namespace ujson

#endif // _WIN32
