#pragma once

#include "json/IJSONObject.h"
#include "json/JSONChildList.h"

#include <cstdint>
#include <string>
#include <string_view>

class TJSON;

// A node of a document. It holds ranges into its document's text, its kind,
// its depth and its children; its owner and parent references do not count.
// Nodes live in their document's pool and are only ever handled through
// counted references.
class TJSONObject : public IJSONObject {
public:
  // Makes a node of AOwner's document whose parent is AParent (none for
  // the document itself). The node is not added to the parent's list.
  static TJSONObject* Create(TJSON* AOwner, TJSONObject* AParent);

  // Counts taken and given back through these are held outside the child lists; the document
  // keeps their number for its nodes (see TJSON::FHeldNodeRefs).
  void AddRef() noexcept final;
  void Release() noexcept final;

  void SetAsString(std::u16string_view Value) override;
  void SetName(std::u16string_view Value) override;
  void ShiftPositions(int32_t After, int32_t Delta) override;
  void Parse(int32_t& CurrentPosition) override;
  JSONRef GetChild(int32_t Index) override;
  JSONRef GetChildByName(std::u16string_view Name) override;
  void SetChildByName(std::u16string_view Name, const JSONRef& Source) override;
  bool GetAsBoolean() const override;
  int32_t GetCount() const override { return FChilds.Count(); }
  std::u16string GetName() const override { return std::u16string(StringView(FName)); }
  const TJSONChildList& GetAsList() const override { return FChilds; }
  std::u16string GetAsString() const override;
  int32_t GetAsInt() const override;
  int64_t GetAsInt64() const override;
  double GetAsDouble() const override;
  std::u16string GetText() const override { return GetElementText(FJSONText); }
  int32_t GetLevel() const override { return FLevel; }
  JSONRef GetParent() const override { return JSONRef(FParent); }
  TJSONType GetJType() const override { return FJSONType; }
  int32_t GetTextStart() const override { return FJSONText.Start; }
  int32_t GetTextFinish() const override { return FJSONText.Finish; }
  std::u16string GetValue() const override { return std::u16string(ValueView()); }
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
  TStringElement TextRange() const { return FJSONText; }
  TStringElement NameRange() const { return FName; }
  TStringElement ValueRange() const { return FValue; }
  // The name and the value as GetName and GetValue read them, without a copy; valid until the
  // document is edited or released.
  std::u16string_view NameView() const { return StringView(FName); }
  std::u16string_view ValueTextView() const { return ValueView(); }
  // The value range holds a string's content, between its quotes (set by the parser).
  bool HoldsQuotedValue() const { return FQuotedValue; }

protected:
  TJSONObject(TJSON* AOwner, TJSONObject* AParent);
  virtual ~TJSONObject() = default;

  // Runs when the last count is gone and the children have been let go: the
  // node leaves the live count and gives its memory back to the pool.
  virtual void Destroy() noexcept;

private:
  friend class TJSON;
  friend class TJSONTreeBuilder;
  friend class TJSONEditor;

  // Characters of the range, clipped to the document text and trimmed of
  // every character up to code 32 at both ends.
  std::u16string GetElementText(TStringElement range) const;
  std::u16string_view ElementView(TStringElement range) const;
  // Characters of a range that holds a string's content, clipped to the
  // document text and never trimmed: what stands between the quotes is the
  // string, spaces and controls included.
  std::u16string_view StringView(TStringElement range) const;
  // The value as it is read: exact for a quoted string, trimmed otherwise.
  std::u16string_view ValueView() const {
    return FQuotedValue ? StringView(FValue) : ElementView(FValue);
  }

  // Gives back one count held by a child list (or by the parser, for the list to come).
  void ReleaseListCount() noexcept;

  // Frees the list's storage without touching the children's counts (for
  // callers that have dealt with them already).
  void ClearChilds() noexcept;
  // Empties the list, letting go of each child's count.
  void ReleaseChilds() noexcept;
  // Appends children that already carry one count each.
  void AppendChilds(TJSONObject* const* childs, int32_t count, bool intoPool);

  TJSON* FOwner;
  TJSONObject* FParent;
  TStringElement FJSONText;
  TStringElement FName;
  TStringElement FValue;
  // The kind sits in the list's tail padding: that keeps a node at 72 bytes,
  // which matters when a large file loads millions of them.
  [[no_unique_address]] TJSONChildList FChilds;
  TJSONType FJSONType = jt_unknown;
  // The value range holds the content of a quoted string (set by the parser).
  bool FQuotedValue = false;
  int32_t FLevel;
  uint32_t FRefCount = 0;
};
