#pragma once

#include <cstdint>

// The kind of a node, decided by the first significant character of its value.
enum TJSONType : uint8_t {
  jt_unknown, // not parsed (yet); every new node starts here
  jt_object,
  jt_array,
  jt_string,  // the string value of a named member
  jt_variant, // any other value: numbers, words, strings that are not a member's value
};

// A range of the document text: 1-based, inclusive at both ends, in UTF-16
// units. Start 0 means the range is not set; Finish < Start is empty.
struct TStringElement {
  int32_t Start = 0;
  int32_t Finish = 0;
};

inline bool operator==(const TStringElement& a, const TStringElement& b) {
  return a.Start == b.Start && a.Finish == b.Finish;
}

// Nodes alive, documents included. A plain counter: the library is used from
// one thread only.
extern int64_t JSONInstanceCount;
