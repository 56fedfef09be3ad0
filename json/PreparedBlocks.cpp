#include "json/PreparedBlocks.h"

#include <utility>

namespace ujson {

PreparedBlocks::PreparedBlocks(std::size_t blockBytes, std::size_t ahead)
    : blockBytes_(blockBytes), ahead_(ahead) {
  worker_.emplace([this] { Prepare(); }, BackgroundTask::WithoutThread::Skip);
}

PreparedBlocks::~PreparedBlocks() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  taken_.notify_all();
  worker_.reset();
}

void PreparedBlocks::Prepare() {
  // The smallest page of any system this runs on.
  constexpr std::size_t kPage = 4096;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      taken_.wait(lock, [this] { return stop_ || ready_.size() < ahead_; });
      if (stop_)
        return;
    }
    // Out of memory here only means no help: the taker makes its own block and learns of it.
    MemoryBlock block(blockBytes_);
    auto* bytes = reinterpret_cast<volatile char*>(block.data());
    for (std::size_t at = 0; at < block.size(); at += kPage)
      bytes[at] = 0;
    const std::lock_guard<std::mutex> lock(mutex_);
    ready_.push_back(std::move(block));
  }
}

MemoryBlock PreparedBlocks::Take() {
  MemoryBlock block;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (ready_.empty())
      return block;
    block = std::move(ready_.front());
    ready_.pop_front();
  }
  taken_.notify_one();
  return block;
}

} // namespace ujson
