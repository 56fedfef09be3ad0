#pragma once

#include <exception>
#include <functional>
#include <thread>

namespace ujson {

// Work run on a thread of its own while its owner goes on. When no thread can be started it runs
// at once on the owner's thread (the result is the same, only later), or, for work that only
// helps, not at all. Whatever the work throws is kept for Wait. The owner's destruction waits
// for the work, so the work may use whatever the owner declared before it.
class BackgroundTask {
public:
  enum class WithoutThread : bool { RunAtOnce, Skip };
  explicit BackgroundTask(std::function<void()> work,
                          WithoutThread without = WithoutThread::RunAtOnce);
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
