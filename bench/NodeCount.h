#pragma once

// How many nodes a loaded document has, for the benchmarks' per-node figures.

#include "json/UJSON.h"

#include <cstdint>
#include <utility>
#include <vector>

// Walks with an explicit stack: documents may be nested far deeper than the call stack allows.
// Node objects are made on demand, so a walk by GetChild holds only the ones still to visit.
inline int64_t CountNodes(const IJSONObject& Root) {
  auto& root = const_cast<IJSONObject&>(Root);
  int64_t count = 1;
  std::vector<JSONRef> pending;
  pending.reserve(static_cast<size_t>(root.GetCount()));
  for (int32_t i = 0; i < root.GetCount(); ++i)
    pending.push_back(root.GetChild(i));
  while (!pending.empty()) {
    const JSONRef node = std::move(pending.back());
    pending.pop_back();
    ++count;
    for (int32_t i = 0; i < node->GetCount(); ++i)
      pending.push_back(node->GetChild(i));
  }
  return count;
}
