#pragma once

#include "json/BackgroundTask.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

namespace ujson {

// Touches the fresh pages of a buffer ahead of the one who writes it, on a thread of its own, so
// that the system's first touches (zeroing each page) fall on another core. The writer claims
// the buffer from its start as it goes; the thread never touches what is claimed, and runs at
// most `lead` bytes ahead, so room the writer never reaches is not made resident for nothing.
// The writer alone decides what the buffer holds: a touch writes a zero where it will write.
class PagePretouch {
public:
  // The first `claimed` bytes are the writer's from the start.
  PagePretouch(void* buffer, std::size_t bytes, std::size_t claimed, std::size_t lead);
  PagePretouch(const PagePretouch&) = delete;
  PagePretouch& operator=(const PagePretouch&) = delete;
  // Stops touching and waits: the buffer may then go or move.
  ~PagePretouch();

  // The writer may write the first `bytes` of the buffer once this returns.
  void Claim(std::size_t bytes);

private:
  void Run();

  unsigned char* buffer_;
  std::size_t size_;
  std::size_t lead_;
  std::mutex mutex_;
  std::condition_variable claimed_;
  std::condition_variable touched_;
  std::size_t claimedBytes_ = 0;
  // The page being touched, if any.
  static constexpr std::size_t kNotTouching = SIZE_MAX;
  std::size_t touching_ = kNotTouching;
  bool writerWaits_ = false;
  // The claim from which the waiting thread is to go on.
  std::size_t wakeAt_ = 0;
  bool stop_ = false;
  // Last: it is the first to go, waiting for the thread.
  std::optional<BackgroundTask> worker_;
};

} // namespace ujson
