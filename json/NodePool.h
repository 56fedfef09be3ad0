#pragma once

#include "json/MemoryBlocks.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TJSONObject;

// Memory for the nodes of one document and for the child lists built while
// it loads. Loading a large file creates millions of nodes; carving them out
// of a few large blocks instead of one heap allocation each roughly halves
// the cost of building the tree. The blocks grow geometrically, so a small
// document takes little, and the large ones are memory blocks that the next
// document reuses once this one is gone (MemoryBlocks.h). Freed node slots are
// reused by later nodes of the same document (edits, blank nodes); child-list
// blocks are only reclaimed with the whole pool.
//
// The pool counts the slots in use plus one for the document itself, so the
// document object knows when the last of its nodes is gone.
class TNodePool {
public:
  TNodePool();
  TNodePool(const TNodePool&) = delete;
  TNodePool& operator=(const TNodePool&) = delete;

  // Storage for one node (not constructed); counts as a slot in use.
  void* AllocateNode();
  // Takes back a slot whose node has been destroyed. True when that was the
  // last slot in use.
  [[nodiscard]] bool FreeNode(void* slot) noexcept;
  // Counts every node slot as free at once, for a document whose nodes all die with it; their
  // memory goes with the pool. Returns how many nodes there were.
  int64_t ReleaseAllNodes() noexcept {
    const int64_t nodes = slotsInUse_ - 1;
    slotsInUse_ = 1;
    return nodes;
  }
  // Gives up the document's own slot. True when no node is left either.
  [[nodiscard]] bool ReleaseDocumentSlot() noexcept { return --slotsInUse_ == 0; }

  // An uninitialised array for a child list of the given length, valid as
  // long as the pool.
  TJSONObject** AllocateChildArray(int32_t length);

private:
  struct FreeSlot {
    FreeSlot* next;
  };

  std::vector<ujson::MemoryBlock> nodeBlocks_;
  std::byte* nodeCursor_ = nullptr;
  size_t nodesLeftInBlock_ = 0;
  size_t nextNodeBlockBytes_;
  FreeSlot* freeSlots_ = nullptr;

  std::vector<ujson::MemoryBlock> arrayBlocks_;
  TJSONObject** arrayCursor_ = nullptr;
  size_t arraySlotsLeft_ = 0;
  size_t nextArrayBlockLength_ = 256;

  int64_t slotsInUse_ = 1;
};
