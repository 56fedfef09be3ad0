#pragma once

#include "viewer/toolkit/DroppedFiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tkmem {

// How many drops were handed out and how many given back.
struct DropCounters {
  uint64_t Delivered = 0;
  uint64_t Finished = 0;
  uint64_t Outstanding() const { return Delivered - Finished; }
};

// A drop of files in memory, behaving as DragQueryFileW and DragFinish do.
class MemoryDropSource final : public tk::DropSource {
public:
  MemoryDropSource(std::vector<std::u16string> Names, DropCounters& Counters)
      : names_(std::move(Names)), counters_(Counters) {
    ++counters_.Delivered;
  }

  uint32_t Count() const override { return static_cast<uint32_t>(names_.size()); }
  uint32_t QueryFile(uint32_t Index, std::span<char16_t> Buffer) const override {
    if (Index >= names_.size() || Buffer.empty())
      return 0;
    const std::u16string& name = names_[Index];
    const std::size_t copied = name.size() < Buffer.size() ? name.size() : Buffer.size() - 1;
    name.copy(Buffer.data(), copied);
    Buffer[copied] = u'\0';
    return static_cast<uint32_t>(copied);
  }
  void Finish() noexcept override { ++counters_.Finished; }

private:
  std::vector<std::u16string> names_;
  DropCounters& counters_;
};

} // namespace tkmem
