#pragma once

#include <exception>
#include <functional>
#include <thread>

namespace ujson {

// Work run on a thread of its own while its owner goes on, or at once on the owner's thread
// when no thread can be started: the result is the same, only later. Whatever the work throws
// is kept for Wait. The owner's destruction waits for the work, so the work may use whatever
// the owner declared before it.
class BackgroundTask {
public:
  explicit BackgroundTask(std::function<void()> work);
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  ~BackgroundTask();

  // Waits until the work is done; throws what it threw.
  void Wait();

private:
  void Run() noexcept;

  std::function<void()> work_;
  std::exception_ptr error_;
  std::thread thread_;
};

} // namespace ujson
