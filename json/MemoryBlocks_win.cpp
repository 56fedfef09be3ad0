#ifdef _WIN32

#include "json/MemoryBlocksSystem.h"

#include <windows.h>

namespace ujson {

void* MapSystemBlock(std::size_t bytes) noexcept {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapSystemBlock(void* block, std::size_t /*bytes*/) noexcept {
  VirtualFree(block, 0, MEM_RELEASE);
}

// Large pages on Windows need a privilege that a file manager does not hold.
void AdviseHugePages(void* /*memory*/, std::size_t /*bytes*/) noexcept {}

} // namespace ujson

#endif // _WIN32
