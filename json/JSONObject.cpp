#include "json/JSONObject.h"

#include "json/JSONDocument.h"
#include "json/JSONTreeBuilder.h"
#include "json/Regional.h"
#include "json/TypedReading.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

int64_t JSONInstanceCount = 0;

static_assert(sizeof(TJSONObject) <= 72, "a node grew: every loaded value pays for it");

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

// Child lists on the heap hold the count rounded up to a power of two, so
// appending one child at a time stays amortised constant and the capacity
// never needs storing.
size_t HeapListCapacity(int32_t count) { return std::bit_ceil(static_cast<size_t>(count)); }

TJSONObject** AllocateHeapList(size_t capacity) {
  return std::allocator<TJSONObject*>().allocate(capacity);
}

void FreeHeapList(TJSONObject** items, int32_t count) {
  std::allocator<TJSONObject*>().deallocate(items, HeapListCapacity(count));
}

// Visits a node and all its descendants. Iterative, since documents may be
// nested far deeper than the call stack allows.
template <class Visit> void VisitSubtree(TJSONObject& root, Visit visit) {
  struct Frame {
    const TJSONChildList* childs;
    int32_t next;
  };
  visit(root);
  std::vector<Frame> frames{{&root.GetAsList(), 0}};
  while (!frames.empty()) {
    Frame& top = frames.back();
    if (top.next >= top.childs->Count()) {
      frames.pop_back();
      continue;
    }
    TJSONObject& child = *(*top.childs)[top.next++];
    visit(child);
    if (child.GetCount() > 0)
      frames.push_back({&child.GetAsList(), 0});
  }
}

} // namespace

TJSONObject::TJSONObject(TJSON* AOwner, TJSONObject* AParent)
    : FOwner(AOwner), FParent(AParent), FLevel(AParent != nullptr ? AParent->FLevel + 1 : 0) {
  ++JSONInstanceCount;
}

TJSONObject* TJSONObject::Create(TJSON* AOwner, TJSONObject* AParent) {
  void* slot = AOwner->FNodePool.AllocateNode();
  return ::new (slot) TJSONObject(AOwner, AParent);
}

void TJSONObject::AddRef() noexcept {
  ++FRefCount;
  if (FOwner != this)
    ++FOwner->FHeldNodeRefs;
}

void TJSONObject::Release() noexcept {
  if (FOwner != this)
    --FOwner->FHeldNodeRefs;
  ReleaseListCount();
}

void TJSONObject::ReleaseListCount() noexcept {
  if (--FRefCount != 0)
    return;
  TJSON* owner = FOwner;
  // With no node of it held from outside, the whole tree dies with the document: its memory
  // goes back block by block, without a visit to each node.
  if (owner == this && owner->ReleaseWholesale())
    return;
  if (FParent != nullptr)
    owner->ForgetDetachedNode(*FParent, *this);
  // Children whose last count was their parent's list die with it. They are
  // chained through their (now meaningless) parent field instead of being
  // destroyed recursively, so any depth of tree is released in constant stack.
  // A child that a caller still holds outlives its parent and loses it.
  TJSONObject* pending = this;
  FParent = nullptr;
  while (pending != nullptr) {
    TJSONObject* node = pending;
    pending = node->FParent;
    for (TJSONObject* child : node->FChilds) {
      if (--child->FRefCount == 0) {
        child->FParent = pending;
        pending = child;
      } else {
        child->FParent = nullptr;
      }
    }
    // The document object lives at least as long as this node's slot, so it is reached
    // through the node.
    node->FOwner->OrphanDetachedNodesOf(*node);
    node->ClearChilds();
    node->Destroy();
  }
}

void TJSONObject::Destroy() noexcept {
  TJSON* owner = FOwner;
  --JSONInstanceCount;
  this->~TJSONObject();
  if (owner->FNodePool.FreeNode(this))
    delete owner;
}

void TJSONObject::ClearChilds() noexcept {
  if (FChilds.onHeap_) {
    FreeHeapList(FChilds.items_, FChilds.count_);
    --FOwner->FHeapChildLists;
  }
  FChilds.items_ = nullptr;
  FChilds.count_ = 0;
  FChilds.onHeap_ = false;
}

void TJSONObject::ReleaseChilds() noexcept {
  TJSONChildList& list = FChilds;
  TJSONObject** items = std::exchange(list.items_, nullptr);
  const int32_t count = std::exchange(list.count_, 0);
  const bool onHeap = std::exchange(list.onHeap_, false);
  for (int32_t i = 0; i < count; ++i)
    items[i]->ReleaseListCount();
  if (onHeap) {
    FreeHeapList(items, count);
    --FOwner->FHeapChildLists;
  }
}

void TJSONObject::AppendChilds(TJSONObject* const* childs, int32_t count, bool intoPool) {
  if (count == 0)
    return;
  const int32_t oldCount = FChilds.count_;
  const int64_t newCount = int64_t{oldCount} + count;
  if (newCount > INT32_MAX)
    throw std::length_error("Too many children");
  if (oldCount == 0 && intoPool) {
    TJSONObject** items = FOwner->FNodePool.AllocateChildArray(count);
    std::copy_n(childs, count, items);
    FChilds.items_ = items;
    FChilds.count_ = count;
    FChilds.onHeap_ = false;
    return;
  }
  const size_t capacity = HeapListCapacity(static_cast<int32_t>(newCount));
  TJSONObject** items = FChilds.items_;
  if (!FChilds.onHeap_ || capacity > HeapListCapacity(oldCount)) {
    items = AllocateHeapList(capacity);
    std::copy_n(FChilds.items_, oldCount, items);
    if (FChilds.onHeap_)
      FreeHeapList(FChilds.items_, oldCount);
    else
      ++FOwner->FHeapChildLists;
  }
  std::copy_n(childs, count, items + oldCount);
  FChilds.items_ = items;
  FChilds.count_ = static_cast<int32_t>(newCount);
  FChilds.onHeap_ = true;
}

std::u16string_view TJSONObject::StringView(TStringElement range) const {
  if (range.Start == 0)
    return {};
  const std::u16string& text = FOwner->FText;
  const int64_t length = static_cast<int64_t>(text.size());
  const int64_t first = std::max<int64_t>(range.Start, 1);
  const int64_t last = std::min<int64_t>(range.Finish, length);
  if (first > last)
    return {};
  return {text.data() + (first - 1), static_cast<size_t>(last - first + 1)};
}

std::u16string_view TJSONObject::ElementView(TStringElement range) const {
  std::u16string_view view = StringView(range);
  while (!view.empty() && IsTrimmed(view.front()))
    view.remove_prefix(1);
  while (!view.empty() && IsTrimmed(view.back()))
    view.remove_suffix(1);
  return view;
}

std::u16string TJSONObject::GetElementText(TStringElement range) const {
  return std::u16string(ElementView(range));
}

JSONRef TJSONObject::GetChild(int32_t Index) {
  if (Index < 0 || Index >= FChilds.Count())
    throw std::out_of_range("Argument out of range");
  return JSONRef(FChilds[Index]);
}

std::u16string TJSONObject::GetAsString() const { return ujson::DecodeStringEscapes(ValueView()); }

int32_t TJSONObject::GetAsInt() const {
  return ujson::TextToInt32(ElementView(FValue)).value_or(0);
}

int64_t TJSONObject::GetAsInt64() const {
  return ujson::TextToInt64(ElementView(FValue)).value_or(0);
}

double TJSONObject::GetAsDouble() const {
  return ujson::TextToDouble(ElementView(FValue), ujson::DecimalSeparator()).value_or(0.0);
}

bool TJSONObject::GetAsBoolean() const {
  return ujson::TextToBoolean(ElementView(FValue), ujson::DecimalSeparator()).value_or(false);
}

void TJSONObject::SetIsGenerating(bool) {}

bool TJSONObject::GetIsGenerating() const { return FOwner->GetIsGenerating(); }

void TJSONObject::ShiftPositions(int32_t After, int32_t Delta) {
  VisitSubtree(*this, [After, Delta](TJSONObject& node) {
    for (int32_t* position : {&node.FJSONText.Start, &node.FJSONText.Finish, &node.FName.Start,
                              &node.FName.Finish, &node.FValue.Start, &node.FValue.Finish}) {
      if (*position > After)
        *position += Delta;
    }
  });
}

namespace {

bool HoldsPosition(const TJSONObject& node, int32_t Position) {
  const int32_t start = node.GetTextStart();
  return start != 0 && start <= Position && Position <= node.GetTextFinish();
}

// The first child whose text holds Position, or none. Children lie in text order (the parser
// and every edit keep them so), so a binary search finds the last one with a range that starts
// at or before Position; a child without a range (start 0) holds nothing and is passed over.
// Where two neighbours share a boundary character, the earlier one holds it.
const TJSONObject* ChildHolding(const TJSONChildList& childs, int32_t Position) {
  auto start = [&childs](int32_t index) { return childs[index]->GetTextStart(); };
  int32_t low = 0;
  int32_t high = childs.Count() - 1;
  int32_t candidate = -1;
  while (low <= high) {
    const int32_t middle = low + (high - low) / 2;
    int32_t probe = middle;
    while (probe <= high && start(probe) == 0)
      ++probe;
    if (probe <= high && start(probe) <= Position) {
      candidate = probe;
      low = probe + 1;
    } else {
      high = middle - 1;
    }
  }
  if (candidate < 0 || !HoldsPosition(*childs[candidate], Position))
    return nullptr;
  for (int32_t earlier = candidate - 1; earlier >= 0; --earlier) {
    if (start(earlier) == 0)
      continue;
    if (!HoldsPosition(*childs[earlier], Position))
      break;
    candidate = earlier;
  }
  return childs[candidate];
}

} // namespace

JSONRef TJSONObject::FindByPosition(int32_t Position) const {
  if (!HoldsPosition(*this, Position))
    return nullptr;
  const TJSONObject* deepest = this;
  while (const TJSONObject* child = ChildHolding(deepest->FChilds, Position))
    deepest = child;
  return JSONRef(const_cast<TJSONObject*>(deepest));
}

JSONRef TJSONObject::Find(std::u16string_view AText, int32_t AStartIndex) const {
  if (AText.empty())
    return nullptr;
  const int64_t start = FJSONText.Start;
  const int64_t finish = FJSONText.Finish;
  const int64_t length = finish - start + 1;
  const int64_t offset = std::max<int32_t>(AStartIndex, 0);
  if (offset >= length - 1)
    return nullptr;
  // A hit must begin at start + offset or later and end before the node's
  // last character; both bounds are clipped to the document text.
  const std::u16string& text = FOwner->FText;
  const int64_t first = std::max<int64_t>(start + offset, 1);
  const int64_t last = std::min<int64_t>(finish - 1, static_cast<int64_t>(text.size()));
  if (last - first + 1 < static_cast<int64_t>(AText.size()))
    return nullptr;
  const std::u16string_view window(text.data() + (first - 1),
                                   static_cast<size_t>(last - first + 1));
  const size_t hit = window.find(AText);
  if (hit == std::u16string_view::npos)
    return nullptr;
  return FindByPosition(static_cast<int32_t>(first + static_cast<int64_t>(hit)));
}

void TJSONObject::Parse(int32_t& CurrentPosition) {
  TJSONTreeBuilder(*this, TJSONTreeBuilder::ChildStorage::Heap).Parse(CurrentPosition);
}
