#pragma once

#include "json/JSONObject.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A file as a load shows it to an inspector, before the library normalises it: for readers that
// need the file's own characters, lines and columns. A file read as UTF-8 (its mark or its
// bytes chose it) comes as its bytes after the mark, which decode to the file's text (each
// ill-formed sequence to U+FFFD), so that its decoded text need not be made; any other as the
// text it decoded to.
struct InspectedFile {
  bool IsUtf8 = false;
  std::string_view Utf8;
  std::u16string_view Text;
};
// What it throws ends the load. It may run on another thread while the text is parsed, and must
// not touch documents meanwhile.
using TextInspector = std::function<void(const InspectedFile&)>;

// The document: the node of the top-level value, which also owns the text every range of its
// nodes points into, the generating flag and the records of its nodes (TNodeRecords), and hands
// out the node objects of the nodes that callers hold.
//
// When its last reference goes, the document dies as a node: its tree goes (nodes that callers
// still hold live on outside it, with their subtrees), its text is freed and it leaves the live
// count. Its object stays allocated until the last node object of it is gone, so those nodes can
// always find their records, and their owner reads as an empty document.
class TJSON final : public TJSONObject {
public:
  // Documents are made by JSONFromFile and JSONFromString, which hand out the first counted
  // reference.
  static TJSON* Create();

  void SetIsGenerating(bool Value) override { FIsGenerating = Value; }
  bool GetIsGenerating() const override { return FIsGenerating; }

  // Reads the file, decodes its bytes, shows the text to Inspect (when given) and loads it.
  void LoadFromFile(const std::u16string& AFileName, const TextInspector& Inspect = {});
  // Stores, normalises and parses the text; meant for a new document.
  void LoadFromString(std::u16string AString);

  std::u16string FText;

private:
  friend class TJSONObject;
  friend class TJSONEditor;

  TJSON();
  ~TJSON() override = default;
  // Stores and parses a text that is normalised already.
  void ParseNormalized(std::u16string AText);

  bool Alive() const { return FRefCount != 0; }
  // The object of the node at record, made if nobody holds it yet; parent is the object of
  // its parent node.
  TJSONObject* ObjectFor(uint32_t record, TJSONObject* parent);
  // A new node outside the tree, with a record of its own.
  TJSONObject* NewDetachedNode(TJSONObject* parent);
  // A node object nobody holds any more: a node in the tree only loses its object, a node
  // outside it dies with the part of its subtree that nobody holds.
  void Released(TJSONObject* node) noexcept;
  void HandleRelease(TJSONObject* node) noexcept;
  void DocumentDied() noexcept;
  void SubtreeDied(TJSONObject* root) noexcept;
  // Gives up an object that nobody holds and no child object names as parent, and so on up.
  void DropObject(TJSONObject* node) noexcept;
  void ForgetBlank(const TJSONObject* parent, const TJSONObject* blank) noexcept;
  // Blank nodes of a dying node lose their parent.
  void OrphanBlanksOf(const TJSONObject* parent) noexcept;
  // Cuts node from its parent object.
  void CutFromParent(TJSONObject* node) noexcept;
  void DeleteIfUnused() noexcept;

  // Parses into the node's record from position; the records it adds join the live count.
  void ParseInto(TJSONObject& node, int32_t& position);
  // A new, empty last child of node, in the tree.
  JSONRef AppendChild(TJSONObject& node);
  // Takes the children of record out of the tree; those that callers hold live on outside it.
  void DropChildren(uint32_t record);
  // Records of the subtree below record (itself included), walked without recursion.
  template <class Visit> void VisitSubtree(uint32_t record, Visit visit) const;
  int64_t SubtreeSize(uint32_t record) const;
  bool InTree(const TJSONObject& node) const;
  // The children of record in order, for containers large enough to be worth an index.
  const std::vector<uint32_t>* ChildIndex(uint32_t record);
  void StructureChanged() { ++FGeneration, FChildIndexes.clear(); }

  bool FIsGenerating = false;
  ujson::TNodeRecords FRecords;
  // Records reachable from the document's own (its own included): what leaves the live count
  // when the document dies.
  int64_t FTreeRecords = 0;
  // Node objects live in slots by record, 256 records a block, so that the node of a record
  // comes back at the same address whenever it is asked for: callers may compare nodes they
  // let go of with ones they hold. Blocks stay until the document object goes.
  static constexpr uint32_t ObjectsPerBlock = 256;
  struct ObjectBlock {
    alignas(TJSONObject) std::byte Slots[ObjectsPerBlock][sizeof(TJSONObject)];
    bool Live[ObjectsPerBlock] = {};
  };
  TJSONObject* ExistingObject(uint32_t record) const;
  template <class Visit> void ForEachObject(Visit visit);
  std::vector<std::unique_ptr<ObjectBlock>> FObjectBlocks;
  int64_t FLiveObjects = 0;
  // Blank nodes by their parent's object, whose death they do not share.
  std::unordered_multimap<const TJSONObject*, TJSONObject*> FBlanks;
  std::vector<TJSONObject*> FPendingReleases;
  bool FReleasing = false;
  uint64_t FGeneration = 1;
  std::unordered_map<uint32_t, std::vector<uint32_t>> FChildIndexes;
};

template <class Visit> inline void TJSON::VisitSubtree(uint32_t record, Visit visit) const {
  if (!visit(record))
    return;
  std::vector<uint32_t> resume;
  uint32_t node = FRecords.FirstChild(record);
  while (node != ujson::NoRecord) {
    const uint32_t firstChild = visit(node) ? FRecords.FirstChild(node) : ujson::NoRecord;
    if (firstChild != ujson::NoRecord) {
      resume.push_back(FRecords.NextSibling(node));
      node = firstChild;
      continue;
    }
    node = FRecords.NextSibling(node);
    while (node == ujson::NoRecord && !resume.empty()) {
      node = resume.back();
      resume.pop_back();
    }
  }
}

template <class Visit> inline void TJSON::ForEachObject(Visit visit) {
  if (FLiveObjects == 0)
    return;
  for (size_t block = 0; block < FObjectBlocks.size(); ++block) {
    if (!FObjectBlocks[block])
      continue;
    for (uint32_t slot = 0; slot < ObjectsPerBlock; ++slot) {
      if (FObjectBlocks[block]->Live[slot])
        visit(*ExistingObject(static_cast<uint32_t>(block * ObjectsPerBlock + slot)));
    }
  }
}

// A new document loaded from the file; fails with the reason the file could
// not be read.
JSONRef JSONFromFile(const std::u16string& AFileName);
// The same, showing the decoded text to Inspect before it is normalised; no second copy of it
// is made.
JSONRef JSONFromFile(const std::u16string& AFileName, const TextInspector& Inspect);
// A new document loaded from the text.
JSONRef JSONFromString(std::u16string AText);

// The whole text of Node's document as the library holds it (normalised): the character at
// position p of a node's ranges is at index p - 1 here. Valid until the document is edited or
// released; empty for a node whose document is gone.
std::u16string_view DocumentTextOf(const IJSONObject& Node);

// Node's name and value as GetName and GetValue read them, as views into the document text (no
// copy, so a caller can look at the start of a huge value). Valid as DocumentTextOf's text.
std::u16string_view NodeNameView(const IJSONObject& Node);
std::u16string_view NodeValueView(const IJSONObject& Node);
// Whether Node's value is a string's content: a member's string, and a string that stands
// alone (an array element, the top value), which has the kind jt_variant like a bare value.
bool HoldsQuotedValue(const IJSONObject& Node);
