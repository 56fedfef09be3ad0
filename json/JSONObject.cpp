#include "json/JSONObject.h"

#include "json/JSONDocument.h"
#include "json/Regional.h"
#include "json/TypedReading.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

int64_t JSONInstanceCount = 0;

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

} // namespace

TJSONObject::TJSONObject(TJSON* AOwner, TJSONObject* AParent, uint32_t ARecord, int32_t ALevel)
    : FOwner(AOwner), FParent(AParent), FRecord(ARecord), FLevel(ALevel) {}

TJSONObject::~TJSONObject() = default;

TJSONChildList::~TJSONChildList() {
  for (TJSONObject* child : items_)
    child->Release();
}

TJSONObject* TJSONObject::Create(TJSON* AOwner, TJSONObject* AParent) {
  return AOwner->NewDetachedNode(AParent);
}

void TJSONObject::Release() noexcept {
  if (--FRefCount == 0)
    FOwner->Released(this);
}

TStringElement TJSONObject::TextRange() const { return FOwner->FRecords.Text(FRecord); }
TStringElement TJSONObject::NameRange() const { return FOwner->FRecords.Name(FRecord); }
TStringElement TJSONObject::ValueRange() const { return FOwner->FRecords.Value(FRecord); }
TJSONType TJSONObject::GetJType() const { return FOwner->FRecords.Kind(FRecord); }
bool TJSONObject::HoldsQuotedValue() const { return FOwner->FRecords.Quoted(FRecord); }

std::u16string_view TJSONObject::ValueTextView() const {
  const TStringElement value = ValueRange();
  return HoldsQuotedValue() ? StringView(value) : ElementView(value);
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

std::u16string TJSONObject::GetAsString() const {
  return ujson::DecodeStringEscapes(ValueTextView());
}

int32_t TJSONObject::GetAsInt() const {
  return ujson::TextToInt32(ElementView(ValueRange())).value_or(0);
}

int64_t TJSONObject::GetAsInt64() const {
  return ujson::TextToInt64(ElementView(ValueRange())).value_or(0);
}

double TJSONObject::GetAsDouble() const {
  return ujson::TextToDouble(ElementView(ValueRange()), ujson::DecimalSeparator()).value_or(0.0);
}

bool TJSONObject::GetAsBoolean() const {
  return ujson::TextToBoolean(ElementView(ValueRange()), ujson::DecimalSeparator()).value_or(false);
}

void TJSONObject::SetIsGenerating(bool) {}

bool TJSONObject::GetIsGenerating() const { return FOwner->GetIsGenerating(); }

uint32_t TJSONObject::ChildRecord(int32_t Index) const {
  if (const std::vector<uint32_t>* index = FOwner->ChildIndex(FRecord))
    return (*index)[static_cast<size_t>(Index)];
  const ujson::TNodeRecords& records = FOwner->FRecords;
  uint32_t child = records.FirstChild(FRecord);
  for (int32_t i = 0; i < Index && child != ujson::NoRecord; ++i)
    child = records.NextSibling(child);
  return child;
}

int32_t TJSONObject::GetCount() const {
  if (const std::vector<uint32_t>* index = FOwner->ChildIndex(FRecord))
    return static_cast<int32_t>(index->size());
  return FOwner->FRecords.CountChildren(FRecord);
}

JSONRef TJSONObject::GetChild(int32_t Index) {
  if (Index < 0 || Index >= GetCount())
    throw std::out_of_range("Argument out of range");
  return JSONRef(FOwner->ObjectFor(ChildRecord(Index), this));
}

const TJSONChildList& TJSONObject::GetAsList() const {
  if (!FChilds)
    FChilds = std::make_unique<TJSONChildList>();
  if (FChilds->generation_ != FOwner->FGeneration || FChilds->items_.empty()) {
    std::vector<TJSONObject*> items;
    const int32_t count = GetCount();
    items.reserve(static_cast<size_t>(count));
    auto* self = const_cast<TJSONObject*>(this);
    try {
      for (uint32_t child = FOwner->FRecords.FirstChild(FRecord); child != ujson::NoRecord;
           child = FOwner->FRecords.NextSibling(child)) {
        TJSONObject* node = FOwner->ObjectFor(child, self);
        JSONRef hold(node);
        items.push_back(node);
        static_cast<void>(hold.release());
      }
    } catch (...) {
      for (TJSONObject* node : items)
        node->Release();
      throw;
    }
    std::swap(items, FChilds->items_);
    FChilds->generation_ = FOwner->FGeneration;
    for (TJSONObject* old : items)
      old->Release();
  }
  return *FChilds;
}

void TJSONObject::ShiftPositions(int32_t After, int32_t Delta) {
  ujson::TNodeRecords& records = FOwner->FRecords;
  FOwner->VisitSubtree(FRecord, [&records, After, Delta](uint32_t record) {
    ujson::TNodeRecords::Ranges ranges = records.Get(record);
    for (int32_t* position : {&ranges.Text.Start, &ranges.Text.Finish, &ranges.Name.Start,
                              &ranges.Name.Finish, &ranges.Value.Start, &ranges.Value.Finish}) {
      if (*position > After)
        *position += Delta;
    }
    records.Set(record, ranges);
    return true;
  });
}

namespace {

bool HoldsPosition(TStringElement text, int32_t Position) {
  return text.Start != 0 && text.Start <= Position && Position <= text.Finish;
}

// The first child whose text holds Position, or NoRecord. Children lie in text order (the parser
// and every edit keep them so), so in a large container a binary search finds the last one with
// a range that starts at or before Position; a child without a range (start 0) holds nothing and
// is passed over. Where two neighbours share a boundary character, the earlier one holds it.
uint32_t ChildHolding(const ujson::TNodeRecords& records, const std::vector<uint32_t>& childs,
                      int32_t Position) {
  auto start = [&](int32_t index) { return records.Text(childs[index]).Start; };
  auto holds = [&](int32_t index) { return HoldsPosition(records.Text(childs[index]), Position); };
  int32_t low = 0;
  int32_t high = static_cast<int32_t>(childs.size()) - 1;
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
  if (candidate < 0 || !holds(candidate))
    return ujson::NoRecord;
  for (int32_t earlier = candidate - 1; earlier >= 0; --earlier) {
    if (start(earlier) == 0)
      continue;
    if (!holds(earlier))
      break;
    candidate = earlier;
  }
  return childs[candidate];
}

} // namespace

JSONRef TJSONObject::FindByPosition(int32_t Position) const {
  TJSON& document = *FOwner;
  const ujson::TNodeRecords& records = document.FRecords;
  if (!HoldsPosition(TextRange(), Position))
    return nullptr;
  std::vector<uint32_t> path;
  uint32_t deepest = FRecord;
  for (;;) {
    uint32_t next = ujson::NoRecord;
    if (const std::vector<uint32_t>* index = document.ChildIndex(deepest)) {
      next = ChildHolding(records, *index, Position);
    } else {
      for (uint32_t child = records.FirstChild(deepest); child != ujson::NoRecord;
           child = records.NextSibling(child)) {
        if (HoldsPosition(records.Text(child), Position)) {
          next = child;
          break;
        }
      }
    }
    if (next == ujson::NoRecord)
      break;
    path.push_back(next);
    deepest = next;
  }
  auto* node = const_cast<TJSONObject*>(this);
  for (const uint32_t record : path)
    node = document.ObjectFor(record, node);
  return JSONRef(node);
}

JSONRef TJSONObject::Find(std::u16string_view AText, int32_t AStartIndex) const {
  if (AText.empty())
    return nullptr;
  const int64_t start = TextRange().Start;
  const int64_t finish = TextRange().Finish;
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

void TJSONObject::Parse(int32_t& CurrentPosition) { FOwner->ParseInto(*this, CurrentPosition); }
