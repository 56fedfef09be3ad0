#include "json/BackgroundTask.h"

#include <system_error>
#include <utility>

namespace ujson {

BackgroundTask::BackgroundTask(std::function<void()> work, WithoutThread without)
    : work_(std::move(work)) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    if (without == WithoutThread::RunAtOnce)
      Run();
  }
}

BackgroundTask::~BackgroundTask() {
  if (thread_.joinable())
    thread_.join();
}

void BackgroundTask::Run() noexcept {
  try {
    work_();
  } catch (...) {
    error_ = std::current_exception();
  }
}

void BackgroundTask::Wait() {
  if (thread_.joinable())
    thread_.join();
  if (error_)
    std::rethrow_exception(std::exchange(error_, nullptr));
}

} // namespace ujson
