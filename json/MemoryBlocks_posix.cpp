#ifndef _WIN32

#include "json/MemoryBlocksSystem.h"

#include <sys/mman.h>

#include <cstdint>

namespace ujson {

namespace {

// Transparent huge pages cover whole aligned 2 MiB pieces only.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void* MapSystemBlock(std::size_t bytes) noexcept {
  if (bytes < kHugePage) {
    void* block =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
  }
  // A larger block is aligned to a huge page, mapping a little more and giving back the edges.
  const std::size_t mapped = bytes + kHugePage;
  void* area = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED)
    return nullptr;
  auto* start = static_cast<std::byte*>(area);
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  std::byte* aligned = start + ((kHugePage - address % kHugePage) % kHugePage);
  if (aligned != start)
    ::munmap(start, static_cast<std::size_t>(aligned - start));
  std::byte* end = aligned + bytes;
  if (start + mapped != end)
    ::munmap(end, static_cast<std::size_t>(start + mapped - end));
#ifdef MADV_HUGEPAGE
  // Fewer page faults and TLB misses; a kernel without it simply refuses the advice.
  ::madvise(aligned, bytes, MADV_HUGEPAGE);
#endif
  return aligned;
}

void UnmapSystemBlock(void* block, std::size_t bytes) noexcept { ::munmap(block, bytes); }

} // namespace ujson

#endif // _WIN32
