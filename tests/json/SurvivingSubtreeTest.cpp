// A held node that outlives its document or its place in the tree keeps its whole subtree:
// children, their objects' identity and the live count, whichever node is let go of first.

#include "NodeAccess.h"

#include <gtest/gtest.h>

namespace {

TEST(SurvivingSubtree, AHeldContainerKeepsItsChildrenWalkableAfterItsDocumentDies) {
  const int64_t before = JSONInstanceCount;
  JSONRef doc = JSONFromString(u"{\"a\":[[1,2],{\"k\":[3]}],\"z\":0}");
  JSONRef a = doc->GetChild(0);
  JSONRef k = a->GetChild(1)->GetChild(0);
  doc.reset();
  EXPECT_EQ(JSONInstanceCount, before + 7); // a, [1,2] with both, the object, k and 3
  EXPECT_EQ(a->GetParent(), nullptr);
  ASSERT_EQ(a->GetCount(), 2);
  EXPECT_EQ(a->GetChild(0)->GetCount(), 2);
  // k keeps its parent, which lives on inside a's subtree.
  EXPECT_EQ(k->GetParent(), a->GetChild(1));
  EXPECT_EQ(a->GetAsList()[1], a->GetChild(1).get());
  a.reset();
  // k lives on with its element; the rest of a's subtree goes.
  EXPECT_EQ(JSONInstanceCount, before + 2);
  EXPECT_EQ(k->GetParent(), nullptr);
  EXPECT_EQ(k->GetCount(), 1);
  k.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(SurvivingSubtree, NodesDroppedTogetherGoInAnyOrder) {
  for (const bool outerFirst : {true, false}) {
    const int64_t before = JSONInstanceCount;
    JSONRef doc = JSONFromString(u"[{\"b\":[1,[2]]},3]");
    JSONRef outer = doc->GetChild(0)->GetChild(0);
    JSONRef inner = outer->GetChild(1);
    doc->GetChild(0)->SetAsString(u"gone");
    EXPECT_EQ(JSONInstanceCount, before + 3 + 4); // document, the object and 3; b with its four
    EXPECT_EQ(inner->GetParent(), nullptr);
    (outerFirst ? outer : inner).reset();
    EXPECT_EQ(JSONInstanceCount, before + 3 + (outerFirst ? 2 : 4));
    (outerFirst ? inner : outer).reset();
    EXPECT_EQ(JSONInstanceCount, before + 3);
    doc.reset();
    EXPECT_EQ(JSONInstanceCount, before);
  }
}

TEST(SurvivingSubtree, ABlankNodeParsedOutsideTheTreeGoesWithItsLastHolder) {
  const int64_t before = JSONInstanceCount;
  JSONRef doc = JSONFromString(u"{\"a\":1} [4,5]");
  JSONRef blank = doc->GetChildByName(u"none");
  int32_t position = 9;
  blank->Parse(position);
  EXPECT_EQ(blank->GetCount(), 2);
  EXPECT_EQ(doc->GetCount(), 1);
  EXPECT_EQ(JSONInstanceCount, before + 2 + 3);
  doc.reset();
  EXPECT_EQ(blank->GetParent(), nullptr);
  EXPECT_EQ(JSONInstanceCount, before + 3);
  blank.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

} // namespace
