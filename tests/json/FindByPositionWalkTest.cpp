// FindByPosition against a brute-force walk over every node, on wide containers (which it
// searches through an index of their children) before and after edits change them.

#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The deepest node whose text holds the position, the first child winning at each level, found
// by looking at every node.
JSONRef BruteForce(const JSONRef& root, int32_t position) {
  auto holds = [position](const JSONRef& node) {
    return node->GetTextStart() != 0 && node->GetTextStart() <= position &&
           position <= node->GetTextFinish();
  };
  if (!holds(root))
    return nullptr;
  JSONRef deepest = root;
  for (bool deeper = true; deeper;) {
    deeper = false;
    for (int32_t i = 0; i < deepest->GetCount() && !deeper; ++i) {
      if (JSONRef child = deepest->GetChild(i); holds(child)) {
        deepest = child;
        deeper = true;
      }
    }
  }
  return deepest;
}

std::u16string Wide(std::mt19937& engine, int depth) {
  std::u16string text = u"[";
  const int count = depth == 0 ? 40 + static_cast<int>(engine() % 40) : 35;
  for (int i = 0; i < count; ++i) {
    if (i > 0)
      text += engine() % 2 ? u", " : u",";
    if (depth > 0 && engine() % 5 == 0)
      text += Wide(engine, depth - 1);
    else
      text += engine() % 2 ? u"{\"k\": 12}" : u"\"s t\"";
  }
  return text + u"]";
}

void ExpectEveryPositionAsTheWalk(const JSONRef& doc) {
  const int32_t end = doc->GetTextFinish() + 2;
  for (int32_t position = 0; position <= end; ++position)
    ASSERT_EQ(doc->FindByPosition(position), BruteForce(doc, position)) << position;
}

TEST(FindByPositionWalk, WideContainersAnswerAsTheWalkBeforeAndAfterEdits) {
  std::mt19937 engine(1512);
  for (int round = 0; round < 12; ++round) {
    const JSONRef doc = JSONFromString(Wide(engine, 2));
    ExpectEveryPositionAsTheWalk(doc);
    const int32_t at = static_cast<int32_t>(engine() % static_cast<uint32_t>(doc->GetCount()));
    doc->GetChild(at)->SetValue(engine() % 2 ? u"[1, [2, 3], 4]" : u"\"replaced\"");
    ASSERT_TRUE(doc->AddChild(u"", u"{\"tail\": [5]}"));
    ExpectEveryPositionAsTheWalk(doc);
    if (HasFatalFailure())
      return;
  }
}

} // namespace
