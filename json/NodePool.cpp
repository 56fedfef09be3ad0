#include "json/NodePool.h"

#include "json/JSONObject.h"

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define UJSON_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define UJSON_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define UJSON_POISON(address, size) ((void)(address), (void)(size))
#define UJSON_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace {

// A free slot keeps only its link; under AddressSanitizer the rest is poisoned, so that a stale
// reference to a destroyed node is reported instead of reading whatever reused the slot.
void PoisonFreeSlot(void* slot, size_t linkSize) {
  UJSON_POISON(static_cast<std::byte*>(slot) + linkSize, sizeof(TJSONObject) - linkSize);
}

// Blocks grow geometrically up to this many entries: few blocks for a large
// document, little waste for a small one.
constexpr size_t MaxNodesPerBlock = 1024;
constexpr size_t MaxArraySlotsPerBlock = 8192;

} // namespace

void* TNodePool::AllocateNode() {
  if (freeSlots_ != nullptr) {
    FreeSlot* slot = freeSlots_;
    freeSlots_ = slot->next;
    UJSON_UNPOISON(slot, sizeof(TJSONObject));
    ++slotsInUse_;
    return slot;
  }
  if (nodesLeftInBlock_ == 0) {
    const size_t length = nextNodeBlockLength_;
    nodeBlocks_.push_back(
        std::make_unique_for_overwrite<std::byte[]>(length * sizeof(TJSONObject)));
    nodeCursor_ = nodeBlocks_.back().get();
    nodesLeftInBlock_ = length;
    nextNodeBlockLength_ = std::min(length * 2, MaxNodesPerBlock);
  }
  void* slot = nodeCursor_;
  nodeCursor_ += sizeof(TJSONObject);
  --nodesLeftInBlock_;
  ++slotsInUse_;
  return slot;
}

bool TNodePool::FreeNode(void* slot) noexcept {
  static_assert(sizeof(TJSONObject) >= sizeof(FreeSlot));
  freeSlots_ = ::new (slot) FreeSlot{freeSlots_};
  PoisonFreeSlot(slot, sizeof(FreeSlot));
  return --slotsInUse_ == 0;
}

TJSONObject** TNodePool::AllocateChildArray(int32_t length) {
  const auto needed = static_cast<size_t>(length);
  if (needed > arraySlotsLeft_) {
    // A list longer than a whole block gets a block of its own, so the
    // current block keeps serving the short lists around it.
    if (needed > nextArrayBlockLength_ / 4) {
      arrayBlocks_.push_back(std::make_unique_for_overwrite<TJSONObject*[]>(needed));
      return arrayBlocks_.back().get();
    }
    const size_t blockLength = nextArrayBlockLength_;
    arrayBlocks_.push_back(std::make_unique_for_overwrite<TJSONObject*[]>(blockLength));
    arrayCursor_ = arrayBlocks_.back().get();
    arraySlotsLeft_ = blockLength;
    nextArrayBlockLength_ = std::min(blockLength * 2, MaxArraySlotsPerBlock);
  }
  TJSONObject** array = arrayCursor_;
  arrayCursor_ += needed;
  arraySlotsLeft_ -= needed;
  return array;
}
