#pragma once

#include "json/IJSONObject.h"
#include "json/JSONChildList.h"
#include "json/NodeRecords.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TJSON;

// A node of a document as a caller holds it. The node itself is a record in its document's
// TNodeRecords; this object exists only while somebody holds the node (or one of its
// descendants), and asked for again meanwhile, the document hands out the same object.
//
// A held node keeps its parent's object alive (not the parent's node: that is the tree's
// business), so GetParent always has an answer. Its owner reference does not count: the
// document object stays allocated while any of its node objects exists.
class TJSONObject : public IJSONObject {
public:
  // Makes a node of AOwner's document whose parent is AParent (none for a node outside the
  // tree); it has a record of its own and is not added to the parent's children.
  static TJSONObject* Create(TJSON* AOwner, TJSONObject* AParent);

  void AddRef() noexcept final { ++FRefCount; }
  void Release() noexcept final;

  void SetAsString(std::u16string_view Value) override;
  void SetName(std::u16string_view Value) override;
  void ShiftPositions(int32_t After, int32_t Delta) override;
  void Parse(int32_t& CurrentPosition) override;
  JSONRef GetChild(int32_t Index) override;
  JSONRef GetChildByName(std::u16string_view Name) override;
  void SetChildByName(std::u16string_view Name, const JSONRef& Source) override;
  bool GetAsBoolean() const override;
  int32_t GetCount() const override;
  std::u16string GetName() const override { return std::u16string(NameView()); }
  const TJSONChildList& GetAsList() const override;
  std::u16string GetAsString() const override;
  int32_t GetAsInt() const override;
  int64_t GetAsInt64() const override;
  double GetAsDouble() const override;
  std::u16string GetText() const override { return std::u16string(ElementView(TextRange())); }
  int32_t GetLevel() const override { return FLevel; }
  JSONRef GetParent() const override { return JSONRef(FParent); }
  TJSONType GetJType() const override;
  int32_t GetTextStart() const override { return TextRange().Start; }
  int32_t GetTextFinish() const override { return TextRange().Finish; }
  std::u16string GetValue() const override { return std::u16string(ValueTextView()); }
  void SetValue(std::u16string_view Value) override;
  bool GetDebud() const override;
  void SetIsGenerating(bool Value) override;
  bool GetIsGenerating() const override;
  JSONRef Find(std::u16string_view AText, int32_t AStartIndex) const override;
  JSONRef AddChild(std::u16string_view Name, std::u16string_view Value) override;
  JSONRef FindByPosition(int32_t Position) const override;

  // The document whose text the ranges point into.
  TJSON* Owner() const { return FOwner; }

  // The stored ranges, as the parser and the editing operations left them.
  TStringElement TextRange() const;
  TStringElement NameRange() const;
  TStringElement ValueRange() const;
  // The name and the value as GetName and GetValue read them, without a copy; valid until the
  // document is edited or released.
  std::u16string_view NameView() const { return StringView(NameRange()); }
  std::u16string_view ValueTextView() const;
  // The value range holds a string's content, between its quotes (set by the parser).
  bool HoldsQuotedValue() const;

protected:
  TJSONObject(TJSON* AOwner, TJSONObject* AParent, uint32_t ARecord, int32_t ALevel);
  virtual ~TJSONObject();

private:
  friend class TJSON;
  friend class TJSONEditor;

  // Characters of the range, clipped to the document text and trimmed of every character up to
  // code 32 at both ends.
  std::u16string_view ElementView(TStringElement range) const;
  // Characters of a range that holds a string's content, clipped to the document text and
  // never trimmed: what stands between the quotes is the string, spaces and controls included.
  std::u16string_view StringView(TStringElement range) const;

  // The record of the child at Index, or NoRecord.
  uint32_t ChildRecord(int32_t Index) const;

  TJSON* FOwner;
  // Holds one count of FChildObjects on the parent's object.
  TJSONObject* FParent;
  uint32_t FRecord;
  int32_t FLevel;
  uint32_t FRefCount = 0;
  // Objects of nodes that name this one as their parent.
  uint32_t FChildObjects = 0;
  // The root of nodes outside the document's tree: a blank node, a node an edit dropped, or a
  // node that outlived its document. Its records are counted apart from the tree's.
  bool FDetached = false;
  // A detached node inside the subtree of another one (both dropped by one edit): it lives as
  // long as that one does, whoever lets go of it.
  bool FNested = false;
  // Waits in the document's queue of released objects.
  bool FPending = false;
  // Asked for by GetAsList only.
  mutable std::unique_ptr<TJSONChildList> FChilds;
};
