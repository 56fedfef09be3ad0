#pragma once

#include "json/JSONTypes.h"
#include "json/MemoryBlocks.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

namespace ujson {

class PreparedBlocks;

// Sentinel for "no record" in links and handles.
inline constexpr uint32_t NoRecord = 0xFFFFFFFFu;

// The nodes of one document as flat records of 32-bit fields, one per JSON value, 24 bytes
// and one flags byte each. Node objects exist only for the nodes a caller holds (TJSONObject);
// everything the tree needs lives here.
//
// Records of a load lie in pre-order: a container's first child is the record after it, and
// children are walked by their next-sibling links, so no per-child slot is needed. Children
// that edits add go to the end of the records and are linked in; a container whose first child
// is not the next record finds it in a small side map.
//
// Records sit in chunks that never move: the first holds 256 records, each next one twice as
// many up to 262,144, so a small document stays small and a big one never copies.
class TNodeRecords {
public:
  struct Ranges {
    TStringElement Text, Name, Value;
  };

  TNodeRecords() = default;
  TNodeRecords(const TNodeRecords&) = delete;
  TNodeRecords& operator=(const TNodeRecords&) = delete;

  uint32_t Size() const { return size_; }
  // Full-size chunks are taken from these while they are set and have one ready (a big parse
  // sets them for its time); the records never hold on to them.
  void UsePreparedChunks(PreparedBlocks* chunks) { preparedChunks_ = chunks; }
  static std::size_t FullChunkBytes() { return ChunkBytes(MaxChunkRecords); }
  class Slot;
  // A new record with every range unset, kind jt_unknown and no links.
  uint32_t Append();
  // The same, in place (as SlotOf gives it).
  Slot AppendSlot();
  // Drops the records from size on (a parse that did not finish, a child the parser let go).
  void Truncate(uint32_t size);

  Ranges Get(uint32_t index) const;
  void Set(uint32_t index, const Ranges& ranges);

  TStringElement Text(uint32_t index) const {
    const Record& r = At(index);
    return {r.TextStart, r.TextFinish};
  }
  TStringElement Value(uint32_t index) const {
    const Record& r = At(index);
    return {r.ValueStart, r.ValueFinish};
  }
  TStringElement Name(uint32_t index) const;
  void SetText(uint32_t index, TStringElement range);
  void SetTextStart(uint32_t index, int32_t start) { At(index).TextStart = start; }
  void SetTextFinish(uint32_t index, int32_t finish) { At(index).TextFinish = finish; }
  void SetValue(uint32_t index, TStringElement range) {
    Record& r = At(index);
    r.ValueStart = range.Start;
    r.ValueFinish = range.Finish;
  }
  void SetValueStart(uint32_t index, int32_t start) { At(index).ValueStart = start; }
  void SetValueFinish(uint32_t index, int32_t finish) { At(index).ValueFinish = finish; }
  void SetName(uint32_t index, TStringElement range);

  TJSONType Kind(uint32_t index) const { return static_cast<TJSONType>(FlagsAt(index) & KindMask); }
  void SetKind(uint32_t index, TJSONType kind) {
    uint8_t& f = FlagsAt(index);
    f = static_cast<uint8_t>((f & ~KindMask) | kind);
  }
  bool Quoted(uint32_t index) const { return (FlagsAt(index) & QuotedFlag) != 0; }
  void SetQuoted(uint32_t index, bool quoted) { SetFlag(index, QuotedFlag, quoted); }

  // The first child, or NoRecord.
  uint32_t FirstChild(uint32_t index) const;
  // The next sibling, or NoRecord.
  uint32_t NextSibling(uint32_t index) const {
    const uint32_t next = At(index).Next;
    return next == 0 ? NoRecord : next;
  }
  void SetNextSibling(uint32_t index, uint32_t next) {
    At(index).Next = next == NoRecord ? 0 : next;
  }
  // Makes child the first child of index (NoRecord: no children).
  void SetFirstChild(uint32_t index, uint32_t child) {
    // The common case, a child right behind its container, is one flag.
    uint8_t& f = FlagsAt(index);
    if (child != NoRecord && child == index + 1 && (f & ChildElsewhereFlag) == 0)
      f |= HasChildFlag;
    else
      SetFirstChildElsewhere(index, child);
  }
  // The last child, or NoRecord (a walk over the children).
  uint32_t LastChild(uint32_t index) const;
  int32_t CountChildren(uint32_t index) const;

  // One record in place, for the parser's tight loop: no lookup per field. Valid as long as the
  // records (chunks never move).
  Slot SlotOf(uint32_t index);

  // Bytes held, for the figures.
  size_t Bytes() const;

private:
  struct Record {
    int32_t TextStart = 0;
    int32_t TextFinish = 0;
    // 0: no name; above 0: the name's finish, its start being TextStart + 1 (a member as the
    // parser reads it); below 0: -(1 + index into sideNames_) for any other name range.
    int32_t NameField = 0;
    int32_t ValueStart = 0;
    int32_t ValueFinish = 0;
    uint32_t Next = 0; // record 0 is a document's own and never anybody's sibling
  };
  static_assert(sizeof(Record) == 24);

  static constexpr uint8_t KindMask = 0x07;
  static constexpr uint8_t QuotedFlag = 0x08;
  static constexpr uint8_t HasChildFlag = 0x10;
  static constexpr uint8_t ChildElsewhereFlag = 0x20;

  // Record indexes are 32-bit and NoRecord stays free; counts are signed 32-bit.
  static constexpr uint32_t MaxRecords = 0x7FFFFFFFu;
  static constexpr uint32_t FirstChunkRecords = 256;
  // A full-size chunk takes 6.25 MiB, room for three huge pages of the system.
  static constexpr uint32_t MaxChunkRecords = 262144;
  // Records in the growing chunks before the first full-size one: 256 + 512 + ... + 131072.
  static constexpr uint32_t GrowingRecords = MaxChunkRecords - FirstChunkRecords;
  static constexpr uint32_t GrowingChunks = std::countr_zero(MaxChunkRecords / FirstChunkRecords);

  struct Chunk {
    MemoryBlock block;
    Record* records;
    uint8_t* flags;
  };

  static void Locate(uint32_t index, uint32_t& chunk, uint32_t& offset) {
    if (index < GrowingRecords) {
      // Chunk k starts at FirstChunkRecords * (2^k - 1).
      const uint32_t rank = index / FirstChunkRecords + 1;
      chunk = static_cast<uint32_t>(std::bit_width(rank)) - 1;
      offset = index - FirstChunkRecords * (std::bit_floor(rank) - 1);
    } else {
      const uint32_t beyond = index - GrowingRecords;
      chunk = GrowingChunks + beyond / MaxChunkRecords;
      offset = beyond % MaxChunkRecords;
    }
  }
  static std::size_t ChunkBytes(uint32_t records) {
    return std::size_t{records} * (sizeof(Record) + 1);
  }
  static uint32_t ChunkRecords(uint32_t chunk) {
    return chunk < GrowingChunks ? FirstChunkRecords << chunk : MaxChunkRecords;
  }

  Record& At(uint32_t index) {
    uint32_t c, o;
    Locate(index, c, o);
    return chunks_[c].records[o];
  }
  const Record& At(uint32_t index) const {
    uint32_t c, o;
    Locate(index, c, o);
    return chunks_[c].records[o];
  }
  uint8_t& FlagsAt(uint32_t index) {
    uint32_t c, o;
    Locate(index, c, o);
    return chunks_[c].flags[o];
  }
  uint8_t FlagsAt(uint32_t index) const {
    uint32_t c, o;
    Locate(index, c, o);
    return chunks_[c].flags[o];
  }
  void SetFirstChildElsewhere(uint32_t index, uint32_t child);
  // Adds the chunk that holds the record at size_.
  void AddChunk(uint32_t chunk);
  [[noreturn]] static void ThrowTooManyRecords();

  void SetFlag(uint32_t index, uint8_t flag, bool on) {
    uint8_t& f = FlagsAt(index);
    f = static_cast<uint8_t>(on ? (f | flag) : (f & ~flag));
  }

  friend class Slot;

  std::vector<Chunk> chunks_;
  uint32_t size_ = 0;
  PreparedBlocks* preparedChunks_ = nullptr;
  std::vector<TStringElement> sideNames_;
  // First children that are not the next record (added by edits).
  std::unordered_map<uint32_t, uint32_t> firstChildElsewhere_;
};

class TNodeRecords::Slot {
public:
  uint32_t Index() const { return index_; }
  void SetTextStart(int32_t start) { record_->TextStart = start; }
  void SetTextFinish(int32_t finish) { record_->TextFinish = finish; }
  TStringElement Text() const { return {record_->TextStart, record_->TextFinish}; }
  void SetValue(TStringElement range) {
    record_->ValueStart = range.Start;
    record_->ValueFinish = range.Finish;
  }
  void SetValueStart(int32_t start) { record_->ValueStart = start; }
  void SetValueFinish(int32_t finish) { record_->ValueFinish = finish; }
  void SetKind(TJSONType kind) { *flags_ = static_cast<uint8_t>((*flags_ & ~KindMask) | kind); }
  void SetQuoted(bool quoted) {
    *flags_ = static_cast<uint8_t>(quoted ? (*flags_ | QuotedFlag) : (*flags_ & ~QuotedFlag));
  }
  void SetName(TStringElement range) {
    if (range.Finish > 0 && int64_t{range.Start} == int64_t{record_->TextStart} + 1 &&
        record_->NameField >= 0)
      record_->NameField = range.Finish;
    else
      records_->SetName(index_, range);
  }

private:
  friend class TNodeRecords;
  Slot(TNodeRecords* records, uint32_t index, Record* record, uint8_t* flags)
      : records_(records), index_(index), record_(record), flags_(flags) {}

  TNodeRecords* records_;
  uint32_t index_;
  Record* record_;
  uint8_t* flags_;
};

inline TNodeRecords::Slot TNodeRecords::SlotOf(uint32_t index) {
  uint32_t c, o;
  Locate(index, c, o);
  return Slot(this, index, &chunks_[c].records[o], &chunks_[c].flags[o]);
}

inline uint32_t TNodeRecords::Append() { return AppendSlot().Index(); }

inline TNodeRecords::Slot TNodeRecords::AppendSlot() {
  if (size_ >= MaxRecords)
    ThrowTooManyRecords();
  uint32_t c, o;
  Locate(size_, c, o);
  if (c == chunks_.size())
    AddChunk(c);
  Chunk& chunk = chunks_[c];
  Record* record = &chunk.records[o];
  ::new (record) Record{};
  chunk.flags[o] = 0;
  return Slot(this, size_++, record, &chunk.flags[o]);
}

} // namespace ujson
