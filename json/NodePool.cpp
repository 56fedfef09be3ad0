#include "json/NodePool.h"

#include "json/JSONObject.h"

#include "json/AddressPoisoning.h"

#include <algorithm>

namespace {

// A free slot keeps only its link; under AddressSanitizer the rest is poisoned, so that a stale
// reference to a destroyed node is reported instead of reading whatever reused the slot.
void PoisonFreeSlot(void* slot, size_t linkSize) {
  UJSON_POISON(static_cast<std::byte*>(slot) + linkSize, sizeof(TJSONObject) - linkSize);
}

// Blocks grow geometrically from a few dozen nodes up to a few MiB: few blocks
// for a large document, little waste for a small one.
constexpr size_t FirstNodeBlockBytes = 64 * sizeof(TJSONObject);
constexpr size_t MaxNodeBlockBytes = size_t{4} << 20;
// The size of an entry of a child list, which is a pointer indeed.
constexpr size_t ChildSlotBytes = sizeof(TJSONObject*); // NOLINT(bugprone-sizeof-expression)
constexpr size_t MaxArraySlotsPerBlock = (size_t{4} << 20) / ChildSlotBytes;

TJSONObject** ArrayOf(ujson::MemoryBlock& block) {
  return reinterpret_cast<TJSONObject**>(block.data());
}

} // namespace

TNodePool::TNodePool() : nextNodeBlockBytes_(FirstNodeBlockBytes) {}

void* TNodePool::AllocateNode() {
  if (freeSlots_ != nullptr) {
    FreeSlot* slot = freeSlots_;
    freeSlots_ = slot->next;
    UJSON_UNPOISON(slot, sizeof(TJSONObject));
    ++slotsInUse_;
    return slot;
  }
  if (nodesLeftInBlock_ == 0) {
    nodeBlocks_.emplace_back(nextNodeBlockBytes_);
    nodeCursor_ = nodeBlocks_.back().data();
    nodesLeftInBlock_ = nodeBlocks_.back().size() / sizeof(TJSONObject);
    nextNodeBlockBytes_ = std::min(nextNodeBlockBytes_ * 2, MaxNodeBlockBytes);
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
      arrayBlocks_.emplace_back(needed * ChildSlotBytes);
      return ArrayOf(arrayBlocks_.back());
    }
    const size_t blockLength = nextArrayBlockLength_;
    arrayBlocks_.emplace_back(blockLength * ChildSlotBytes);
    arrayCursor_ = ArrayOf(arrayBlocks_.back());
    arraySlotsLeft_ = arrayBlocks_.back().size() / ChildSlotBytes;
    nextArrayBlockLength_ = std::min(blockLength * 2, MaxArraySlotsPerBlock);
  }
  TJSONObject** array = arrayCursor_;
  arrayCursor_ += needed;
  arraySlotsLeft_ -= needed;
  return array;
}
