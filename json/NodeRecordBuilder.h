#pragma once

#include "json/NodeRecords.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace ujson {

// The lenient one-pass parser. It reads the document text with one running position, records
// ranges in the node records it appends and never reports malformed text: the tree simply ends
// up with odd ranges or missing nodes.
//
// The recursive reading (a value, its children, each child's value, ...) runs as a loop over an
// explicit stack of open objects and arrays, so nesting depth is bounded by the library's limit
// and not by the call stack. New records go to the end of the store in pre-order; children are
// linked to their container as they are found.
class TNodeRecordBuilder {
public:
  // Parses into the record root, whose node sits at rootLevel; children it finds are appended
  // after the ones it has already.
  TNodeRecordBuilder(TNodeRecords& records, std::u16string_view text, uint32_t root,
                     int32_t rootLevel);
  TNodeRecordBuilder(const TNodeRecordBuilder&) = delete;
  TNodeRecordBuilder& operator=(const TNodeRecordBuilder&) = delete;

  // Parses one value starting at CurrentPosition and leaves CurrentPosition behind it. A failure
  // (the nesting bound) takes back every record it appended and every link it made.
  void Parse(int32_t& CurrentPosition);

private:
  struct OpenContainer {
    uint32_t record;
    uint32_t lastChild; // NoRecord before the first
    int32_t level;
  };

  void Run(int32_t& position);

  TNodeRecords& records_;
  const char16_t* text_;
  int32_t length_;
  uint32_t root_;
  int32_t rootLevel_;
  std::vector<OpenContainer> open_;
};

} // namespace ujson
