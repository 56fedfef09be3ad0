#include "json/FileReadAhead.h"

#include <algorithm>
#include <utility>

namespace ujson {

FileReadAhead::FileReadAhead(const std::u16string& fileName, std::size_t chunkBytes,
                             uint64_t readAheadFrom)
    : file_(fileName), head_(ReadFileHead(file_)), reported_(file_.ReportedSize()),
      chunkBytes_(std::max<std::size_t>(chunkBytes, 1)) {
  // One byte beyond the reported size tells a file read whole from one that grew meanwhile.
  bytes_.block =
      MemoryBlock(static_cast<std::size_t>(std::max<uint64_t>(reported_, head_.length)) + 1);
  bytes_.length = head_.length;
  const std::string_view head = head_.View();
  std::copy(head.begin(), head.end(), reinterpret_cast<char*>(bytes_.block.data()));
  if (head_.length < head_.bytes.size()) {
    ended_ = true;
    return;
  }
  if (reported_ >= readAheadFrom) {
    reader_.emplace([this] { ReadRest(); });
  } else {
    ReadRest();
  }
}

FileReadAhead::~FileReadAhead() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  reader_.reset();
}

void FileReadAhead::ReadRest() {
  try {
    // Only this routine writes the block or its length; the owner reads below the length it
    // was given, under the lock.
    std::size_t length = bytes_.length;
    for (;;) {
      if (length == bytes_.block.size())
        Grow(length);
      char* buffer = reinterpret_cast<char*>(bytes_.block.data());
      const std::size_t want = std::min(chunkBytes_, bytes_.block.size() - length);
      const std::size_t got = ReadUpTo(file_, buffer + length, want);
      length += got;
      const bool ended = got < want;
      if (ended)
        CheckFileSize(length, head_.View());
      const std::lock_guard<std::mutex> lock(mutex_);
      bytes_.length = length;
      ended_ = ended;
      arrived_.notify_all();
      if (ended || stop_)
        return;
    }
  } catch (...) {
    const std::lock_guard<std::mutex> lock(mutex_);
    error_ = std::current_exception();
    ended_ = true;
    arrived_.notify_all();
  }
}

void FileReadAhead::Grow(std::size_t length) {
  CheckFileSize(length, head_.View());
  MemoryBlock larger(std::max<std::size_t>(bytes_.block.size() * 2, std::size_t{1} << 16));
  const auto* from = reinterpret_cast<const char*>(bytes_.block.data());
  std::copy(from, from + length, reinterpret_cast<char*>(larger.data()));
  const std::lock_guard<std::mutex> lock(mutex_);
  // Room first: the old block must not go while the owner may be reading it.
  retired_.reserve(retired_.size() + 1);
  retired_.push_back(std::move(bytes_.block));
  bytes_.block = std::move(larger);
}

std::string_view FileReadAhead::Await(std::size_t have, bool& ended) {
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait(lock, [&] { return ended_ || bytes_.length > have; });
  if (error_)
    std::rethrow_exception(error_);
  ended = ended_;
  return bytes_.View();
}

FileBytes FileReadAhead::TakeBytes() {
  const std::lock_guard<std::mutex> lock(mutex_);
  retired_.clear();
  return std::move(bytes_);
}

} // namespace ujson
