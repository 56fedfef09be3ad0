#include "json/NodeRecords.h"

#include "json/JSONError.h"
#include "json/PreparedBlocks.h"

namespace ujson {

void TNodeRecords::ThrowTooManyRecords() {
  throw EJSONError("The document has too many values: at most " + std::to_string(MaxRecords) +
                   " are supported");
}

void TNodeRecords::AddChunk(uint32_t chunk) {
  const size_t records = ChunkRecords(chunk);
  MemoryBlock block;
  if (preparedChunks_ != nullptr && records == MaxChunkRecords)
    block = preparedChunks_->Take();
  if (block.data() == nullptr)
    block = MemoryBlock(ChunkBytes(records));
  auto* first = reinterpret_cast<Record*>(block.data());
  auto* flags = reinterpret_cast<uint8_t*>(first + records);
  chunks_.push_back({std::move(block), first, flags});
}

TNodeRecords::Ranges TNodeRecords::Get(uint32_t index) const {
  const Record& r = At(index);
  return {{r.TextStart, r.TextFinish}, Name(index), {r.ValueStart, r.ValueFinish}};
}

void TNodeRecords::Set(uint32_t index, const Ranges& ranges) {
  Record& r = At(index);
  r.TextStart = ranges.Text.Start;
  r.TextFinish = ranges.Text.Finish;
  r.ValueStart = ranges.Value.Start;
  r.ValueFinish = ranges.Value.Finish;
  SetName(index, ranges.Name);
}

void TNodeRecords::Truncate(uint32_t size) {
  if (size < size_)
    size_ = size;
}

TStringElement TNodeRecords::Name(uint32_t index) const {
  const Record& r = At(index);
  if (r.NameField == 0)
    return {};
  if (r.NameField > 0)
    return {r.TextStart + 1, r.NameField};
  return sideNames_[static_cast<size_t>(-(int64_t{r.NameField} + 1))];
}

void TNodeRecords::SetText(uint32_t index, TStringElement range) {
  // An inline name follows the text's start; moving the start alone must not move the name.
  const TStringElement name = Name(index);
  Record& r = At(index);
  r.TextStart = range.Start;
  r.TextFinish = range.Finish;
  if (r.NameField > 0)
    SetName(index, name);
}

void TNodeRecords::SetName(uint32_t index, TStringElement range) {
  Record& r = At(index);
  if (range.Start == 0 && range.Finish == 0) {
    r.NameField = 0;
    return;
  }
  if (range.Finish > 0 && int64_t{range.Start} == int64_t{r.TextStart} + 1) {
    r.NameField = range.Finish;
    return;
  }
  if (r.NameField < 0) {
    sideNames_[static_cast<size_t>(-(int64_t{r.NameField} + 1))] = range;
    return;
  }
  sideNames_.push_back(range);
  r.NameField = static_cast<int32_t>(-static_cast<int64_t>(sideNames_.size()));
}

uint32_t TNodeRecords::FirstChild(uint32_t index) const {
  const uint8_t flags = FlagsAt(index);
  if ((flags & HasChildFlag) == 0)
    return NoRecord;
  if ((flags & ChildElsewhereFlag) == 0)
    return index + 1;
  return firstChildElsewhere_.at(index);
}

void TNodeRecords::SetFirstChildElsewhere(uint32_t index, uint32_t child) {
  const bool wasElsewhere = (FlagsAt(index) & ChildElsewhereFlag) != 0;
  if (child == NoRecord) {
    SetFlag(index, HasChildFlag | ChildElsewhereFlag, false);
    if (wasElsewhere)
      firstChildElsewhere_.erase(index);
    return;
  }
  SetFlag(index, HasChildFlag, true);
  if (child == index + 1) {
    SetFlag(index, ChildElsewhereFlag, false);
    if (wasElsewhere)
      firstChildElsewhere_.erase(index);
    return;
  }
  firstChildElsewhere_[index] = child;
  SetFlag(index, ChildElsewhereFlag, true);
}

uint32_t TNodeRecords::LastChild(uint32_t index) const {
  uint32_t child = FirstChild(index);
  if (child == NoRecord)
    return NoRecord;
  for (uint32_t next = NextSibling(child); next != NoRecord; next = NextSibling(child))
    child = next;
  return child;
}

int32_t TNodeRecords::CountChildren(uint32_t index) const {
  int32_t count = 0;
  for (uint32_t child = FirstChild(index); child != NoRecord; child = NextSibling(child))
    ++count;
  return count;
}

size_t TNodeRecords::Bytes() const {
  size_t bytes = sideNames_.capacity() * sizeof(TStringElement);
  for (const Chunk& chunk : chunks_)
    bytes += chunk.block.size();
  return bytes;
}

} // namespace ujson
