#pragma once

#include "json/CountedRef.h"
#include "json/JSONTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

class IJSONObject;
class TJSONChildList;

// The counted reference through which every caller holds a node.
using JSONRef = CountedRef<IJSONObject>;

// A node of a document: one JSON value, an object member or an array element.
// Names, values and texts are cut out of the one shared document text when
// they are read; nothing is stored in the node but ranges.
//
// Reading never fails (a value that does not convert reads as 0 or false).
// Operations that return a node return an empty reference where they find
// nothing.
class IJSONObject {
public:
  virtual void AddRef() noexcept = 0;
  virtual void Release() noexcept = 0;

  virtual void SetAsString(std::u16string_view Value) = 0;
  virtual void SetName(std::u16string_view Value) = 0;
  // Moves every stored position of this subtree that lies strictly behind
  // After by Delta; the editing operations call it on the document.
  virtual void ShiftPositions(int32_t After, int32_t Delta) = 0;
  // Parses one value starting at CurrentPosition into this node and leaves
  // CurrentPosition behind it.
  virtual void Parse(int32_t& CurrentPosition) = 0;
  // Fails with "Argument out of range" unless 0 <= Index < GetCount().
  virtual JSONRef GetChild(int32_t Index) = 0;
  virtual JSONRef GetChildByName(std::u16string_view Name) = 0;
  virtual void SetChildByName(std::u16string_view Name, const JSONRef& Source) = 0;
  virtual bool GetAsBoolean() const = 0;
  virtual int32_t GetCount() const = 0;
  virtual std::u16string GetName() const = 0;
  virtual const TJSONChildList& GetAsList() const = 0;
  virtual std::u16string GetAsString() const = 0;
  virtual int32_t GetAsInt() const = 0;
  virtual int64_t GetAsInt64() const = 0;
  virtual double GetAsDouble() const = 0;
  virtual std::u16string GetText() const = 0;
  virtual int32_t GetLevel() const = 0;
  virtual JSONRef GetParent() const = 0;
  virtual TJSONType GetJType() const = 0;
  virtual int32_t GetTextStart() const = 0;
  virtual int32_t GetTextFinish() const = 0;
  virtual std::u16string GetValue() const = 0;
  virtual void SetValue(std::u16string_view Value) = 0;
  // Writes this node's text to "ObjDebug.json" in the current directory.
  virtual bool GetDebud() const = 0;
  virtual void SetIsGenerating(bool Value) = 0;
  virtual bool GetIsGenerating() const = 0;
  // The deepest node holding the first exact occurrence of AText that starts
  // AStartIndex characters or more into this node's text and ends before its
  // last character.
  virtual JSONRef Find(std::u16string_view AText, int32_t AStartIndex) const = 0;
  // Appends a member (Name not empty; wrapped in an object inside arrays) or
  // an element; none when this node is neither an object nor an array.
  virtual JSONRef AddChild(std::u16string_view Name, std::u16string_view Value) = 0;
  // The deepest node whose text range holds Position (1-based).
  virtual JSONRef FindByPosition(int32_t Position) const = 0;

protected:
  IJSONObject() = default;
  IJSONObject(const IJSONObject&) = delete;
  IJSONObject& operator=(const IJSONObject&) = delete;
  ~IJSONObject() = default;
};
