#include "json/PagePretouch.h"

#include <algorithm>
#include <cstdint>

namespace ujson {

namespace {

// The smallest page of any system this runs on.
constexpr std::size_t kPage = 4096;

} // namespace

PagePretouch::PagePretouch(void* buffer, std::size_t bytes, std::size_t claimed, std::size_t lead)
    : buffer_(static_cast<unsigned char*>(buffer)), size_(bytes), lead_(std::max(lead, kPage)),
      claimedBytes_(claimed) {
  worker_.emplace([this] { Run(); }, BackgroundTask::WithoutThread::Skip);
}

PagePretouch::~PagePretouch() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  claimed_.notify_all();
  worker_.reset();
}

void PagePretouch::Claim(std::size_t bytes) {
  std::unique_lock<std::mutex> lock(mutex_);
  claimedBytes_ = std::max(claimedBytes_, bytes);
  if (claimedBytes_ >= wakeAt_)
    claimed_.notify_one();
  // A page being touched now may not be written until the touch is done.
  while (touching_ < claimedBytes_) {
    writerWaits_ = true;
    touched_.wait(lock);
  }
  writerWaits_ = false;
}

void PagePretouch::Run() {
  // The first page boundary in the buffer; touches go to page starts, one per page.
  const auto address = reinterpret_cast<std::uintptr_t>(buffer_);
  std::size_t next = (kPage - address % kPage) % kPage;
  std::unique_lock<std::mutex> lock(mutex_);
  while (next < size_) {
    if (next >= claimedBytes_ + lead_) {
      // Far enough ahead: on again once the writer has come half the lead nearer.
      wakeAt_ = next - lead_ / 2;
      claimed_.wait(lock, [this] { return stop_ || claimedBytes_ >= wakeAt_; });
    }
    if (stop_)
      return;
    // Never where the writer may be writing; it touches what it has passed itself.
    while (next < claimedBytes_)
      next += kPage;
    if (next >= size_)
      return;
    // The touch itself goes without the lock: a fault may take long, and the writer need not
    // wait for it unless it claims this very page.
    touching_ = next;
    lock.unlock();
    buffer_[next] = 0;
    lock.lock();
    touching_ = kNotTouching;
    if (writerWaits_)
      touched_.notify_all();
    next += kPage;
  }
}

} // namespace ujson
