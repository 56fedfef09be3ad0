#pragma once

#include "json/BackgroundTask.h"
#include "json/FileReading.h"
#include "json/FileReadingSystem.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ujson {

// A file read whole into one block, as ReadFileBytes reads it, by a thread of its own a chunk at
// a time, while its owner takes the bytes as they come in: the waits for the system and the
// first touches of the block's pages fall on another core. A file reported shorter than
// readAheadFrom, where a thread would cost more than it saves, is read whole at once; so is any
// when no thread can start.
class FileReadAhead {
public:
  // Opens the file and reads its head here, with ReadFileHead's errors; the rest comes after.
  FileReadAhead(const std::u16string& fileName, std::size_t chunkBytes, uint64_t readAheadFrom);
  FileReadAhead(const FileReadAhead&) = delete;
  FileReadAhead& operator=(const FileReadAhead&) = delete;
  // Stops the reading after its current chunk.
  ~FileReadAhead();

  const FileHead& Head() const { return head_; }
  uint64_t ReportedSize() const { return reported_; }

  // Waits until more than `have` bytes are in or the file has ended, and gives all the bytes in
  // so far, valid until the next call; ended tells whether they are the whole file. Throws what
  // the reading threw: ReadFileBytes's errors.
  std::string_view Await(std::size_t have, bool& ended);
  // The whole file, once Await has told it ended.
  FileBytes TakeBytes();

private:
  void ReadRest();
  // Publishes a larger block holding the bytes read so far; the old one stays until the end,
  // since the owner may still be reading it.
  void Grow(std::size_t length);

  SystemFile file_;
  FileHead head_;
  uint64_t reported_ = 0;
  std::size_t chunkBytes_;

  std::mutex mutex_;
  std::condition_variable arrived_;
  FileBytes bytes_;
  std::vector<MemoryBlock> retired_;
  bool ended_ = false;
  bool stop_ = false;
  std::exception_ptr error_;

  // Last: it is the first to go, waiting for the reading to stop.
  std::optional<BackgroundTask> reader_;
};

} // namespace ujson
