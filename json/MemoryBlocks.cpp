#include "json/MemoryBlocks.h"

#include "json/AddressPoisoning.h"
#include "json/MemoryBlocksSystem.h"

#include <array>
#include <mutex>
#include <new>
#include <utility>

namespace ujson {

namespace {

struct CachedBlock {
  std::byte* data = nullptr;
  std::size_t size = 0;
};

std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
  return (bytes + unit - 1) / unit * unit;
}

void Unmap(CachedBlock block) noexcept {
  UJSON_UNPOISON(block.data, block.size);
  UnmapSystemBlock(block.data, block.size);
}

// The process-wide cache. Two viewers may load on different threads, so every access holds the
// lock. Its members are trivially destructible but for what the destructor gives back itself,
// so a document released while the program (or the plugin) ends finds it whole or closed.
class BlockCache {
public:
  BlockCache() = default;
  BlockCache(const BlockCache&) = delete;
  BlockCache& operator=(const BlockCache&) = delete;
  ~BlockCache() {
    Drop();
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }

  // A cached block of at least bytes and at most about twice as many (a larger one would be
  // wasted on the document that takes it), the smallest such; empty when there is none.
  CachedBlock Take(std::size_t bytes) noexcept {
    CachedBlock found;
    {
      const std::lock_guard lock(mutex_);
      std::size_t best = count_;
      for (std::size_t i = 0; i < count_; ++i) {
        const std::size_t size = blocks_[i].size;
        if (size >= bytes && size <= 2 * bytes + LargeBlockBytes &&
            (best == count_ || size < blocks_[best].size))
          best = i;
      }
      if (best == count_)
        return found;
      found = blocks_[best];
      for (std::size_t i = best + 1; i < count_; ++i)
        blocks_[i - 1] = blocks_[i];
      --count_;
      blockBytes_ -= found.size;
    }
    UJSON_UNPOISON(found.data, found.size);
    return found;
  }

  // Keeps the block, the oldest ones giving way to stay within the bound, or gives it back.
  void Give(CachedBlock block) noexcept {
    if (block.size > BlockCacheBound) {
      Unmap(block);
      return;
    }
    UJSON_POISON(block.data, block.size);
    const std::lock_guard lock(mutex_);
    if (closed_) {
      Unmap(block);
      return;
    }
    while (count_ > 0 && (count_ == blocks_.size() || Held() + block.size > BlockCacheBound))
      EvictOldest();
    if (Held() + block.size > BlockCacheBound) {
      Unmap(block);
      return;
    }
    blocks_[count_++] = block;
    blockBytes_ += block.size;
  }

  std::u16string TakeText(std::size_t minimumLength) {
    std::u16string text;
    const std::lock_guard lock(mutex_);
    if (spareText_ == nullptr)
      return text;
    const std::size_t capacity = spareText_->capacity();
    if (capacity < minimumLength || capacity - minimumLength > minimumLength / 3)
      return text;
    UJSON_UNPOISON(spareText_->data(), capacity * sizeof(char16_t));
    text = std::move(*spareText_);
    delete spareText_;
    spareText_ = nullptr;
    text.clear();
    return text;
  }

  void KeepText(std::u16string&& text) noexcept {
    const std::size_t bytes = text.capacity() * sizeof(char16_t);
    // A short text lives inside the string object: there is nothing to keep.
    if (bytes > BlockCacheBound || text.capacity() < LargeBlockBytes / sizeof(char16_t))
      return;
    try {
      auto* kept = new std::u16string(std::move(text));
      const std::lock_guard lock(mutex_);
      if (closed_) {
        delete kept;
        return;
      }
      DeleteSpareText();
      while (count_ > 0 && blockBytes_ + bytes > BlockCacheBound)
        EvictOldest();
      spareText_ = kept;
      UJSON_POISON(kept->data(), bytes);
    } catch (...) {
      // Without room for the string object the buffer is simply freed.
    }
  }

  std::size_t Bytes() noexcept {
    const std::lock_guard lock(mutex_);
    return Held();
  }

  void Drop() noexcept {
    const std::lock_guard lock(mutex_);
    while (count_ > 0)
      EvictOldest();
    DeleteSpareText();
  }

private:
  std::size_t Held() const {
    return blockBytes_ + (spareText_ != nullptr ? spareText_->capacity() * sizeof(char16_t) : 0);
  }

  void EvictOldest() noexcept {
    Unmap(blocks_[0]);
    blockBytes_ -= blocks_[0].size;
    for (std::size_t i = 1; i < count_; ++i)
      blocks_[i - 1] = blocks_[i];
    --count_;
  }

  void DeleteSpareText() noexcept {
    if (spareText_ == nullptr)
      return;
    UJSON_UNPOISON(spareText_->data(), spareText_->capacity() * sizeof(char16_t));
    delete spareText_;
    spareText_ = nullptr;
  }

  std::mutex mutex_;
  // Oldest first. Blocks are at least LargeBlockBytes, so the bound never needs more entries.
  std::array<CachedBlock, BlockCacheBound / LargeBlockBytes> blocks_{};
  std::size_t count_ = 0;
  std::size_t blockBytes_ = 0;
  std::u16string* spareText_ = nullptr;
  bool closed_ = false;
};

BlockCache cache;

} // namespace

MemoryBlock::MemoryBlock(std::size_t minimumBytes) {
  if (minimumBytes < LargeBlockBytes) {
    data_ = static_cast<std::byte*>(::operator new(minimumBytes));
    size_ = minimumBytes;
    return;
  }
  const std::size_t bytes = RoundUp(minimumBytes, SystemBlockGranularity);
  CachedBlock block = cache.Take(bytes);
  if (block.data == nullptr) {
    block.size = bytes;
    block.data = static_cast<std::byte*>(MapSystemBlock(bytes));
    if (block.data == nullptr) {
      // The cached blocks may be what the system is short of.
      cache.Drop();
      block.data = static_cast<std::byte*>(MapSystemBlock(bytes));
    }
    if (block.data == nullptr)
      throw std::bad_alloc();
  }
  data_ = block.data;
  size_ = block.size;
  fromSystem_ = true;
}

MemoryBlock::MemoryBlock(MemoryBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      fromSystem_(std::exchange(other.fromSystem_, false)) {}

MemoryBlock& MemoryBlock::operator=(MemoryBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    fromSystem_ = std::exchange(other.fromSystem_, false);
  }
  return *this;
}

MemoryBlock::~MemoryBlock() { Release(); }

void MemoryBlock::Release() noexcept {
  if (data_ == nullptr)
    return;
  if (fromSystem_)
    cache.Give({data_, size_});
  else
    ::operator delete(data_);
  data_ = nullptr;
  size_ = 0;
}

std::size_t CachedBytes() noexcept { return cache.Bytes(); }

void DropCachedMemory() noexcept { cache.Drop(); }

std::u16string TakeSpareText(std::size_t minimumLength) { return cache.TakeText(minimumLength); }

std::u16string TextWithRoom(std::size_t minimumLength) {
  std::u16string text = cache.TakeText(minimumLength);
  if (text.capacity() >= minimumLength)
    return text;
  text.reserve(minimumLength);
  AdviseHugePages(text.data(), text.capacity() * sizeof(char16_t));
  return text;
}

void KeepSpareText(std::u16string&& text) noexcept { cache.KeepText(std::move(text)); }

} // namespace ujson
