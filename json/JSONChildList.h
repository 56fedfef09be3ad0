#pragma once

#include <cstdint>
#include <vector>

class TJSONObject;

// The children of an object or array, in text order, as node objects: what GetAsList hands
// out. Each entry holds one count on its child, so the objects live as long as the list. The
// list is made on demand (most callers walk with GetCount and GetChild, which make no list).
class TJSONChildList {
public:
  TJSONChildList() = default;
  TJSONChildList(const TJSONChildList&) = delete;
  TJSONChildList& operator=(const TJSONChildList&) = delete;
  ~TJSONChildList();

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TJSONObject* operator[](int32_t index) const { return items_[index]; }
  TJSONObject* const* begin() const { return items_.data(); }
  TJSONObject* const* end() const { return items_.data() + items_.size(); }

private:
  friend class TJSONObject;

  std::vector<TJSONObject*> items_;
  uint64_t generation_ = 0;
};
