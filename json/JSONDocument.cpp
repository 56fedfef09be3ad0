#include "json/JSONDocument.h"

#include "json/FileReading.h"
#include "json/JSONTreeBuilder.h"
#include "json/MemoryBlocks.h"
#include "json/NormalizeText.h"
#include "json/TextDecoding.h"

#include <string>
#include <utility>

TJSON::TJSON() : TJSONObject(this, nullptr) {}

TJSON* TJSON::Create() { return new TJSON(); }

void TJSON::Destroy() noexcept {
  // The tree has been let go by now; what stays is the object itself, for
  // the nodes that callers still hold (see the class comment).
  // The text's buffer may serve the next document loaded.
  ujson::KeepSpareText(std::move(FText));
  std::u16string().swap(FText);
  --JSONInstanceCount;
  if (FNodePool.ReleaseDocumentSlot())
    delete this;
}

bool TJSON::ReleaseWholesale() noexcept {
  if (FHeldNodeRefs != 0 || FHeapChildLists != 0)
    return false;
  JSONInstanceCount -= FNodePool.ReleaseAllNodes();
  ClearChilds();
  Destroy();
  return true;
}

void TJSON::AddDetachedNode(TJSONObject& parent, TJSONObject& node) {
  FDetachedNodes.emplace(&parent, &node);
}

void TJSON::ForgetDetachedNode(const TJSONObject& parent, const TJSONObject& node) noexcept {
  if (FDetachedNodes.empty())
    return;
  const auto [first, last] = FDetachedNodes.equal_range(&parent);
  for (auto entry = first; entry != last; ++entry) {
    if (entry->second == &node) {
      FDetachedNodes.erase(entry);
      return;
    }
  }
}

void TJSON::OrphanDetachedNodesOf(const TJSONObject& parent) noexcept {
  if (FDetachedNodes.empty())
    return;
  const auto [first, last] = FDetachedNodes.equal_range(&parent);
  for (auto entry = first; entry != last; ++entry)
    entry->second->FParent = nullptr;
  FDetachedNodes.erase(first, last);
}

void TJSON::LoadFromFile(const std::u16string& AFileName, const TextInspector& Inspect) {
  // The inspector reads the text as decoded, so for it the text is normalised after; else both
  // happen in one pass.
  std::u16string text;
  {
    const ujson::FileBytes bytes = ujson::ReadFileBytes(AFileName);
    text = Inspect ? ujson::DecodeFileBytes(bytes.View()) : ujson::NormalizedFileText(bytes.View());
  }
  if (!Inspect) {
    ParseNormalized(std::move(text));
    return;
  }
  // The bytes are gone by now: the inspector never adds to the load's peak.
  Inspect(text);
  LoadFromString(std::move(text));
}

void TJSON::LoadFromString(std::u16string AString) {
  ujson::NormalizeText(AString);
  ParseNormalized(std::move(AString));
}

void TJSON::ParseNormalized(std::u16string AText) {
  FText = std::move(AText);
  // The tree builder refuses a text too long for its positions.
  int32_t position = 1;
  TJSONTreeBuilder(*this, TJSONTreeBuilder::ChildStorage::Pool).Parse(position);
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
