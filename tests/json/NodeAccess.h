#pragma once

#include "json/UJSON.h"

#include <ostream>

// Tests look at the stored ranges, which only the node class exposes.
inline const TJSONObject& Node(const JSONRef& ref) { return static_cast<const TJSONObject&>(*ref); }

inline void PrintTo(const TStringElement& range, std::ostream* os) {
  *os << "(" << range.Start << ", " << range.Finish << ")";
}

// A range as the parser leaves it, for compact expectations.
inline TStringElement Range(int32_t start, int32_t finish) { return {start, finish}; }
