#include "json/JSONDocument.h"

#include "json/AddressPoisoning.h"
#include "json/BackgroundTask.h"
#include "json/FileReading.h"
#include "json/FileText.h"
#include "json/MemoryBlocks.h"
#include "json/NodeRecordBuilder.h"
#include "json/NormalizeText.h"
#include "json/PreparedBlocks.h"
#include "json/TextDecoding.h"
#include "json/UnicodeConversion.h"

#include <new>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>

namespace {

// The inspector of a UTF-8 file runs beside the parse for files from this size on: below it a
// thread costs more than it saves.
constexpr std::size_t kInspectAlongsideFrom = std::size_t{1} << 20;
// ... and up to this size, since the file's bytes then stay through the parse. Beyond it they go
// first: a huge file's peak matters more than its seconds, and most in a 32-bit host.
constexpr std::size_t kInspectAlongsideUpTo =
    sizeof(void*) >= 8 ? std::size_t{256} << 20 : std::size_t{64} << 20;

// Texts from this length on make more records than the growing chunks hold (262,144 of them,
// at fewer than 16 characters each, a common density), so their parse gets its full-size chunks
// made ready beside it, this many at a time: a chunk fills more slowly than one is made.
constexpr std::size_t kPrepareChunksFrom = std::size_t{4} << 20;
constexpr std::size_t kChunksAhead = 1;

// Containers with fewer children are walked; larger ones get an index of their children.
constexpr int32_t IndexedChildren = 32;

} // namespace

TJSON::TJSON() : TJSONObject(this, nullptr, 0, 0) {
  FRecords.Append();
  FTreeRecords = 1;
  ++JSONInstanceCount;
}

TJSON* TJSON::Create() { return new TJSON(); }

TJSONObject* TJSON::ExistingObject(uint32_t record) const {
  const size_t block = record / ObjectsPerBlock;
  if (block >= FObjectBlocks.size() || !FObjectBlocks[block])
    return nullptr;
  const ObjectBlock& b = *FObjectBlocks[block];
  const uint32_t slot = record % ObjectsPerBlock;
  if (!b.Live[slot])
    return nullptr;
  return std::launder(reinterpret_cast<TJSONObject*>(const_cast<std::byte*>(b.Slots[slot])));
}

TJSONObject* TJSON::ObjectFor(uint32_t record, TJSONObject* parent) {
  if (TJSONObject* existing = ExistingObject(record))
    return existing;
  const size_t block = record / ObjectsPerBlock;
  if (block >= FObjectBlocks.size())
    FObjectBlocks.resize(block + 1);
  if (!FObjectBlocks[block])
    FObjectBlocks[block] = std::make_unique<ObjectBlock>();
  ObjectBlock& b = *FObjectBlocks[block];
  const uint32_t slot = record % ObjectsPerBlock;
  UJSON_UNPOISON(b.Slots[slot], sizeof(TJSONObject));
  void* memory = b.Slots[slot];
  TJSONObject* node =
      new (memory) TJSONObject(this, parent, record, parent != nullptr ? parent->FLevel + 1 : 0);
  b.Live[slot] = true;
  ++FLiveObjects;
  if (parent != nullptr)
    ++parent->FChildObjects;
  return node;
}

TJSONObject* TJSON::NewDetachedNode(TJSONObject* parent) {
  const uint32_t record = FRecords.Append();
  TJSONObject* node = ObjectFor(record, parent);
  node->FDetached = true;
  ++JSONInstanceCount;
  if (parent != nullptr)
    FBlanks.emplace(parent, node);
  return node;
}

void TJSON::Released(TJSONObject* node) noexcept {
  node->FPending = true;
  FPendingReleases.push_back(node);
  if (FReleasing)
    return;
  // Releasing one object may release others (the children of its list, the parents that only
  // it kept): they queue up here instead of recursing, so any depth goes in constant stack.
  FReleasing = true;
  while (!FPendingReleases.empty()) {
    TJSONObject* next = FPendingReleases.back();
    FPendingReleases.pop_back();
    HandleRelease(next);
  }
  FReleasing = false;
  DeleteIfUnused();
}

void TJSON::HandleRelease(TJSONObject* node) noexcept {
  node->FPending = false;
  if (node->FRefCount != 0)
    return;
  if (node == this) {
    DocumentDied();
    return;
  }
  node->FChilds.reset();
  if (node->FDetached && node->FNested) {
    node->FDetached = node->FNested = false;
    DropObject(node);
  } else if (node->FDetached) {
    SubtreeDied(node);
  } else {
    DropObject(node);
  }
}

void TJSON::DropObject(TJSONObject* node) noexcept {
  while (node != nullptr && node != this && node->FRefCount == 0 && node->FChildObjects == 0 &&
         !node->FDetached && !node->FPending) {
    TJSONObject* parent = node->FParent;
    const uint32_t record = node->FRecord;
    node->~TJSONObject();
    ObjectBlock& b = *FObjectBlocks[record / ObjectsPerBlock];
    b.Live[record % ObjectsPerBlock] = false;
    UJSON_POISON(b.Slots[record % ObjectsPerBlock], sizeof(TJSONObject));
    --FLiveObjects;
    if (parent == nullptr)
      return;
    --parent->FChildObjects;
    node = parent;
  }
}

void TJSON::ForgetBlank(const TJSONObject* parent, const TJSONObject* blank) noexcept {
  const auto [first, last] = FBlanks.equal_range(parent);
  for (auto entry = first; entry != last; ++entry) {
    if (entry->second == blank) {
      FBlanks.erase(entry);
      return;
    }
  }
}

void TJSON::OrphanBlanksOf(const TJSONObject* parent) noexcept {
  const auto [first, last] = FBlanks.equal_range(parent);
  std::vector<TJSONObject*> blanks;
  for (auto entry = first; entry != last; ++entry)
    blanks.push_back(entry->second);
  for (TJSONObject* blank : blanks)
    CutFromParent(blank);
}

void TJSON::CutFromParent(TJSONObject* node) noexcept {
  TJSONObject* parent = std::exchange(node->FParent, nullptr);
  if (parent == nullptr)
    return;
  if (node->FDetached)
    ForgetBlank(parent, node);
  --parent->FChildObjects;
  DropObject(parent);
}

void TJSON::DocumentDied() noexcept {
  FChilds.reset();
  // Nodes that callers hold outlive the document with their subtrees; the topmost of them lose
  // their parents. Blank nodes hanging off the tree lose theirs the same way.
  std::vector<TJSONObject*> topmost;
  ForEachObject([this, &topmost](TJSONObject& node) {
    if (node.FRefCount == 0)
      return;
    const TJSONObject* up = node.FParent;
    while (up != nullptr && up != this && up->FRefCount == 0)
      up = up->FParent;
    if (up == this)
      topmost.push_back(&node);
  });
  int64_t surviving = 0;
  for (TJSONObject* node : topmost) {
    if (!node->FDetached) {
      surviving += SubtreeSize(node->FRecord);
      node->FDetached = true;
    }
    CutFromParent(node);
  }
  JSONInstanceCount -= FTreeRecords - surviving;
  FTreeRecords = 0;
  StructureChanged();
  // The text's buffer may serve the next document loaded.
  ujson::KeepSpareText(std::move(FText));
  std::u16string().swap(FText);
}

void TJSON::SubtreeDied(TJSONObject* root) noexcept {
  ++root->FChildObjects; // keeps the object while its subtree goes
  root->FDetached = false;
  // A blank node's parent no longer sees it die.
  if (root->FParent != nullptr)
    ForgetBlank(root->FParent, root);
  int64_t dying = 0;
  std::vector<TJSONObject*> survivors;
  std::vector<TJSONObject*> orphaning{root};
  VisitSubtree(root->FRecord, [&](uint32_t record) {
    TJSONObject* node = record == root->FRecord ? nullptr : ExistingObject(record);
    if (node != nullptr && (node->FRefCount != 0 || node->FDetached)) {
      // Held: it lives on with its subtree, the topmost losing its parent.
      if (!node->FDetached)
        survivors.push_back(node);
      node->FNested = false;
      return false;
    }
    ++dying;
    if (node != nullptr)
      orphaning.push_back(node);
    return true;
  });
  for (TJSONObject* node : survivors) {
    node->FDetached = true;
    CutFromParent(node);
  }
  for (const TJSONObject* node : orphaning)
    OrphanBlanksOf(node);
  JSONInstanceCount -= dying;
  --root->FChildObjects;
  DropObject(root);
}

void TJSON::DeleteIfUnused() noexcept {
  if (!Alive() && FLiveObjects == 0 && !FReleasing)
    delete this;
}

int64_t TJSON::SubtreeSize(uint32_t record) const {
  int64_t size = 0;
  VisitSubtree(record, [&size](uint32_t) {
    ++size;
    return true;
  });
  return size;
}

bool TJSON::InTree(const TJSONObject& node) const {
  const TJSONObject* up = &node;
  while (up != nullptr && up != this) {
    if (up->FDetached)
      return false;
    up = up->FParent;
  }
  return up == this && Alive();
}

const std::vector<uint32_t>* TJSON::ChildIndex(uint32_t record) {
  if (!FChildIndexes.empty()) {
    if (const auto found = FChildIndexes.find(record); found != FChildIndexes.end())
      return &found->second;
  }
  int32_t count = 0;
  for (uint32_t child = FRecords.FirstChild(record);
       child != ujson::NoRecord && count < IndexedChildren; child = FRecords.NextSibling(child))
    ++count;
  if (count < IndexedChildren)
    return nullptr;
  std::vector<uint32_t> index;
  for (uint32_t child = FRecords.FirstChild(record); child != ujson::NoRecord;
       child = FRecords.NextSibling(child))
    index.push_back(child);
  return &FChildIndexes.emplace(record, std::move(index)).first->second;
}

void TJSON::ParseInto(TJSONObject& node, int32_t& position) {
  const uint32_t before = FRecords.Size();
  const bool inTree = InTree(node);
  StructureChanged();
  ujson::TNodeRecordBuilder(FRecords, FText, node.FRecord, node.FLevel).Parse(position);
  const int64_t added = FRecords.Size() - before;
  JSONInstanceCount += added;
  if (inTree)
    FTreeRecords += added;
}

JSONRef TJSON::AppendChild(TJSONObject& node) {
  const uint32_t last = FRecords.LastChild(node.FRecord);
  const uint32_t child = FRecords.Append();
  if (last == ujson::NoRecord)
    FRecords.SetFirstChild(node.FRecord, child);
  else
    FRecords.SetNextSibling(last, child);
  ++JSONInstanceCount;
  ++FTreeRecords;
  StructureChanged();
  return JSONRef(ObjectFor(child, &node));
}

void TJSON::DropChildren(uint32_t record) {
  uint32_t child = FRecords.FirstChild(record);
  if (child == ujson::NoRecord)
    return;
  FRecords.SetFirstChild(record, ujson::NoRecord);
  StructureChanged();
  int64_t dropped = 0;
  std::vector<TJSONObject*> held;
  std::vector<TJSONObject*> orphaning;
  for (; child != ujson::NoRecord; child = FRecords.NextSibling(child)) {
    VisitSubtree(child, [&](uint32_t each) {
      ++dropped;
      if (TJSONObject* node = FLiveObjects != 0 ? ExistingObject(each) : nullptr) {
        if (node->FRefCount != 0)
          held.push_back(node);
        else
          orphaning.push_back(node);
      }
      return true;
    });
  }
  // Every node that a caller holds leaves the tree on its own and loses its parent; what they
  // hold between them (nested ones counted once) stays alive.
  std::unordered_set<const TJSONObject*> heldSet(held.begin(), held.end());
  int64_t surviving = 0;
  for (TJSONObject* node : held) {
    bool nested = false;
    for (const TJSONObject* up = node->FParent; up != nullptr && !nested; up = up->FParent)
      nested = heldSet.count(up) != 0;
    node->FNested = nested;
    if (!nested)
      surviving += SubtreeSize(node->FRecord);
  }
  FTreeRecords -= dropped;
  JSONInstanceCount -= dropped - surviving;
  for (TJSONObject* node : held) {
    node->FDetached = true;
    CutFromParent(node);
  }
  for (const TJSONObject* node : orphaning)
    OrphanBlanksOf(node);
}

void TJSON::LoadFromFile(const std::u16string& AFileName, const TextInspector& Inspect) {
  if (!Inspect) {
    ParseNormalized(ujson::ReadNormalizedFileText(AFileName));
    return;
  }
  ujson::FileTextWithBytes file = ujson::ReadFileTextWithBytes(AFileName);
  if (!file.normalized) {
    // UTF-16 or the ANSI code page: the inspector reads the decoded text, normalised after it.
    Inspect(InspectedFile{false, {}, file.text});
    LoadFromString(std::move(file.text));
    return;
  }
  const InspectedFile inspected{true, file.body, {}};
  if (file.body.size() < kInspectAlongsideFrom || file.body.size() > kInspectAlongsideUpTo) {
    Inspect(inspected);
    // The bytes go before the parse, so the inspector adds nothing to the load's peak.
    file.bytes = {};
    ParseNormalized(std::move(file.text));
    return;
  }
  // The inspector reads the bytes on another core while the text is parsed; the bytes stay
  // until it is done (the task waits for it when the parse fails).
  ujson::BackgroundTask inspection([&Inspect, &inspected] { Inspect(inspected); });
  ParseNormalized(std::move(file.text));
  inspection.Wait();
}

void TJSON::LoadFromString(std::u16string AString) {
  ujson::NormalizeText(AString);
  ParseNormalized(std::move(AString));
}

void TJSON::ParseNormalized(std::u16string AText) {
  FText = std::move(AText);
  // A big text fills many full-size record chunks; another core makes them ready.
  std::optional<ujson::PreparedBlocks> chunks;
  if (FText.size() >= kPrepareChunksFrom) {
    chunks.emplace(ujson::TNodeRecords::FullChunkBytes(), kChunksAhead);
    FRecords.UsePreparedChunks(&*chunks);
  }
  const auto done = [this] { FRecords.UsePreparedChunks(nullptr); };
  // The builder refuses a text too long for its positions.
  int32_t position = 1;
  try {
    ParseInto(*this, position);
  } catch (...) {
    done();
    throw;
  }
  done();
}

JSONRef JSONFromFile(const std::u16string& AFileName) { return JSONFromFile(AFileName, {}); }

JSONRef JSONFromFile(const std::u16string& AFileName, const TextInspector& Inspect) {
  CountedRef<TJSON> document(TJSON::Create());
  document->LoadFromFile(AFileName, Inspect);
  return document;
}

JSONRef JSONFromString(std::u16string AText) {
  CountedRef<TJSON> document(TJSON::Create());
  document->LoadFromString(std::move(AText));
  return document;
}

std::u16string_view DocumentTextOf(const IJSONObject& Node) {
  const auto* node = dynamic_cast<const TJSONObject*>(&Node);
  if (node == nullptr || node->Owner() == nullptr)
    return {};
  return node->Owner()->FText;
}

std::u16string_view NodeNameView(const IJSONObject& Node) {
  const auto* node = dynamic_cast<const TJSONObject*>(&Node);
  return node == nullptr ? std::u16string_view() : node->NameView();
}

std::u16string_view NodeValueView(const IJSONObject& Node) {
  const auto* node = dynamic_cast<const TJSONObject*>(&Node);
  return node == nullptr ? std::u16string_view() : node->ValueTextView();
}

bool HoldsQuotedValue(const IJSONObject& Node) {
  const auto* node = dynamic_cast<const TJSONObject*>(&Node);
  return node != nullptr && node->HoldsQuotedValue();
}
