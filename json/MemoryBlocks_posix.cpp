#ifndef _WIN32

#include "json/MemoryBlocksSystem.h"

#include <sys/mman.h>

#include <cstdint>

namespace ujson {

namespace {

// The size of a transparent huge page on x86-64 and most other 64-bit systems.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::uintptr_t AlignUp(std::uintptr_t address, std::size_t unit) {
  return (address + unit - 1) & ~(std::uintptr_t{unit} - 1);
}

} // namespace

// A block of a huge page or more is mapped on a huge-page boundary and asks for transparent huge
// pages: the system then faults in and zeroes 2 MiB at a time, where 4 KiB pages cost a trip
// through the kernel each (a third of loading a big file went there). The request is a hint: the
// kernel falls back to small pages when it has no huge ones or its setting is "never".
void* MapSystemBlock(std::size_t bytes) noexcept {
  const bool huge = bytes >= kHugePage;
  const std::size_t mapped = huge ? bytes + kHugePage : bytes;
  void* block = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED)
    return nullptr;
  if (!huge)
    return block;
  // Only the aligned part is kept: what lies before and after it goes back.
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::size_t before = AlignUp(start, kHugePage) - start;
  char* kept = static_cast<char*>(block) + before;
  if (before > 0)
    ::munmap(block, before);
  if (const std::size_t after = kHugePage - before; after > 0)
    ::munmap(kept + bytes, after);
  ::madvise(kept, bytes, MADV_HUGEPAGE);
  return kept;
}

void UnmapSystemBlock(void* block, std::size_t bytes) noexcept { ::munmap(block, bytes); }

void AdviseHugePages(void* memory, std::size_t bytes) noexcept {
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  const std::size_t before = AlignUp(start, kHugePage) - start;
  if (bytes < before + kHugePage)
    return;
  const std::size_t whole = (bytes - before) / kHugePage * kHugePage;
  ::madvise(static_cast<char*>(memory) + before, whole, MADV_HUGEPAGE);
}

} // namespace ujson

#endif // _WIN32
