#pragma once

#include "json/JSONObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The lenient one-pass parser. It reads the document text with one running
// position, records ranges in the nodes it creates and never reports
// malformed text: the tree simply ends up with odd ranges or missing nodes.
//
// The recursive reading (a value, its children, each child's value, ...) is
// run as a loop over an explicit stack of open objects and arrays, so nesting
// depth is bounded by the library's limit and not by the call stack. The
// children of every open container are gathered on one scratch stack and moved
// into a list of exactly their number when the container closes.
class TJSONTreeBuilder {
public:
  enum class ChildStorage {
    Pool, // while a document loads: lists never grow afterwards
    Heap, // during edits: lists may be appended to and freed again
  };

  TJSONTreeBuilder(TJSONObject& node, ChildStorage storage);
  TJSONTreeBuilder(const TJSONTreeBuilder&) = delete;
  TJSONTreeBuilder& operator=(const TJSONTreeBuilder&) = delete;
  // Releases the nodes of an unfinished parse.
  ~TJSONTreeBuilder();

  // Parses one value starting at CurrentPosition into the node and leaves
  // CurrentPosition behind it.
  void Parse(int32_t& CurrentPosition);

private:
  struct OpenContainer {
    TJSONObject* node;
    size_t firstChild; // index into pending_ of its first child
  };

  char16_t At(int32_t position) const {
    return static_cast<uint32_t>(position) - 1u < static_cast<uint32_t>(length_)
               ? text_[position - 1]
               : u'\0';
  }
  bool Begin(TJSONObject& node, int32_t position) const;
  // True when the value turned out to be an object or array, whose children
  // follow.
  bool ParseValue(TJSONObject& node, int32_t& position) const;
  void SkipSpaces(int32_t& position) const;
  void SeekUnescapedQuote(int32_t& position) const;
  int32_t FindBareDelimiter(int32_t from) const;
  bool HasVisibleText(TStringElement range) const;
  // True when nothing but spaces, TABs and line breaks stands from the
  // position to the end of the text.
  bool RestIsBlank(int32_t position) const;

  TJSONObject& root_;
  TJSON* owner_;
  const char16_t* text_;
  int32_t length_;
  bool intoPool_;
  std::vector<OpenContainer> open_;
  // Children of the open containers, each holding the one count that its
  // parent's list will take over.
  std::vector<TJSONObject*> pending_;
};
