#pragma once

#include "json/BackgroundTask.h"
#include "json/MemoryBlocks.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace ujson {

// Memory blocks of one size made ready on a thread of its own, every page touched, for a big load
// that fills block after block: the first touches of fresh pages (the system zeroing them) then
// fall on another core. It keeps `ahead` blocks ready and makes another whenever one is taken.
// What it holds when it goes is given back as any block is.
class PreparedBlocks {
public:
  PreparedBlocks(std::size_t blockBytes, std::size_t ahead);
  PreparedBlocks(const PreparedBlocks&) = delete;
  PreparedBlocks& operator=(const PreparedBlocks&) = delete;
  ~PreparedBlocks();

  // A ready block, or an empty one when none is ready yet: the caller then makes its own rather
  // than wait.
  MemoryBlock Take();

private:
  void Prepare();

  std::size_t blockBytes_;
  std::size_t ahead_;
  std::mutex mutex_;
  std::condition_variable taken_;
  std::deque<MemoryBlock> ready_;
  bool stop_ = false;
  // Last: it is the first to go, waiting for the thread.
  std::optional<BackgroundTask> worker_;
};

} // namespace ujson
