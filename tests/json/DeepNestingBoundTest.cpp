// A document nested exactly as deep as the library allows: it loads, every level can be walked
// down and back up, searched by position and edited, and a node held at the bottom outlives the
// document, all without recursion.

#include "NodeAccess.h"

#include "json/JSONLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Nested(int32_t levels) {
  return std::u16string(static_cast<size_t>(levels), u'[') + u"7" +
         std::u16string(static_cast<size_t>(levels), u']');
}

TEST(DeepNestingBound, ADocumentAtTheBoundLoadsWalksSearchesAndEdits) {
  const int64_t before = JSONInstanceCount;
  // The document is level 0; the number sits at the deepest level allowed.
  JSONRef doc = JSONFromString(Nested(ujson::MaxNestingLevel));
  EXPECT_EQ(JSONInstanceCount, before + ujson::MaxNestingLevel + 1);
  JSONRef node = doc;
  while (node->GetCount() > 0)
    node = node->GetChild(0);
  EXPECT_EQ(node->GetLevel(), ujson::MaxNestingLevel);
  EXPECT_EQ(node->GetValue(), u"7");
  EXPECT_EQ(doc->FindByPosition(node->GetTextStart()), node);
  node->SetValue(u"8");
  EXPECT_EQ(node->GetValue(), u"8");
  // Nothing deeper fits below it.
  EXPECT_THROW(node->GetParent()->SetValue(u"[[1]]"), EJSONError);
  JSONRef up = node;
  for (int32_t level = ujson::MaxNestingLevel; level > 0; --level)
    up = up->GetParent();
  EXPECT_EQ(up, doc);
  up.reset();
  doc.reset();
  EXPECT_EQ(node->GetParent(), nullptr);
  EXPECT_EQ(JSONInstanceCount, before + 1);
  node.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(DeepNestingBound, OneLevelPastTheBoundFailsAndLeavesNothingBehind) {
  const int64_t before = JSONInstanceCount;
  EXPECT_THROW(JSONFromString(Nested(ujson::MaxNestingLevel + 1)), EJSONError);
  EXPECT_EQ(JSONInstanceCount, before);
}

} // namespace
