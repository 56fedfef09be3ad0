#pragma once

#include <cstdint>

class TJSONObject;
class IJSONObject;

// The children of an object or array, in text order. Each entry holds one
// count on its child. The storage is either an exactly sized block from the
// document's node pool (lists made while a document loads: they are never
// resized) or a heap block whose capacity is the count rounded up to a power
// of two (lists made or grown by edits), so no capacity field is needed.
class TJSONChildList {
public:
  TJSONChildList() = default;
  TJSONChildList(const TJSONChildList&) = delete;
  TJSONChildList& operator=(const TJSONChildList&) = delete;

  int32_t Count() const { return count_; }
  TJSONObject* operator[](int32_t index) const { return items_[index]; }
  TJSONObject* const* begin() const { return items_; }
  TJSONObject* const* end() const { return items_ + count_; }

private:
  friend class TJSONObject;
  friend class TJSONTreeBuilder;

  TJSONObject** items_ = nullptr;
  int32_t count_ = 0;
  bool onHeap_ = false;
};
