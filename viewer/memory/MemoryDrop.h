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

// A drop of files in memory that counts itself in Counters, handed out and given back.
class MemoryDropSource final : public tk::NameListDrop {
public:
  MemoryDropSource(std::vector<std::u16string> Names, DropCounters& Counters)
      : NameListDrop(std::move(Names)), counters_(Counters) {
    ++counters_.Delivered;
  }

  void Finish() noexcept override {
    NameListDrop::Finish();
    ++counters_.Finished;
  }

private:
  DropCounters& counters_;
};

} // namespace tkmem
