#pragma once

#include "json/JSONObject.h"
#include "json/NodePool.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// Shown the text of a file as it was decoded, before the library normalises it: for readers
// that need the file's own characters, lines and columns. What it throws ends the load.
using TextInspector = std::function<void(std::u16string_view)>;

// The document: the node of the top-level value, which also owns the text
// every range of its nodes points into, the generating flag and the pool its
// nodes live in.
//
// When its last reference goes, the document is destroyed as a node (its tree
// is released, its text freed, it leaves the live count), but its object stays
// allocated until the last node of its pool is gone: nodes that callers still
// hold can then always find their pool, and their owner reads as an empty
// document instead of freed memory.
class TJSON final : public TJSONObject {
public:
  // Documents are made by JSONFromFile and JSONFromString, which hand out
  // the first counted reference.
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
  friend class TJSONTreeBuilder;

  TJSON();
  ~TJSON() override = default;
  // Stores and parses a text that is normalised already.
  void ParseNormalized(std::u16string AText);
  void Destroy() noexcept override;

  // Nodes made with this document's node as parent but kept in no child list (the blank nodes of
  // a lookup by name). Their parent may die first; it then clears their parent reference here,
  // as it does for the children in its list.
  void AddDetachedNode(TJSONObject& parent, TJSONObject& node);
  void ForgetDetachedNode(const TJSONObject& parent, const TJSONObject& node) noexcept;
  void OrphanDetachedNodesOf(const TJSONObject& parent) noexcept;

  // When no node but the document is held from outside the tree and no child list lives on the
  // heap, every node dies with the document: the pool goes as a whole and the nodes leave the
  // live count together. True when that was done (the document object is gone then).
  bool ReleaseWholesale() noexcept;

  bool FIsGenerating = false;
  TNodePool FNodePool;
  // Counts on this document's nodes (the document's own excluded) held outside child lists: by
  // callers, blank nodes and the parser's scratch.
  int64_t FHeldNodeRefs = 0;
  // Child lists grown by edits, which live on the heap and not in the pool.
  int64_t FHeapChildLists = 0;
  std::unordered_multimap<const TJSONObject*, TJSONObject*> FDetachedNodes;
};

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
