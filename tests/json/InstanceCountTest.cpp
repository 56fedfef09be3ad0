// JSONInstanceCount counts every node of every live document, whether or not a caller holds a
// node object for it: loads add their nodes, edits add and drop theirs, releases give them back.

#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstanceCount, LoadsAddEveryNodeAndHoldingNodesAddsNothing) {
  const int64_t before = JSONInstanceCount;
  JSONRef one = JSONFromString(u"{\"a\":[1,2,{\"b\":null}],\"c\":\"x\"}");
  EXPECT_EQ(JSONInstanceCount, before + 7);
  JSONRef two = JSONFromString(u"[1,2,3]");
  EXPECT_EQ(JSONInstanceCount, before + 11);
  {
    const JSONRef held = one->GetChild(0)->GetChild(2)->GetChild(0);
    const JSONRef found = one->FindByPosition(held->GetTextStart());
    EXPECT_EQ(JSONInstanceCount, before + 11);
  }
  EXPECT_EQ(JSONInstanceCount, before + 11);
  one.reset();
  EXPECT_EQ(JSONInstanceCount, before + 4);
  two.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(InstanceCount, EditsAddAndDropNodesAndBlankNodesCountWhileHeld) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef doc = JSONFromString(u"{\"a\":[1,2],\"b\":3}");
    ASSERT_EQ(JSONInstanceCount, before + 5);
    ASSERT_TRUE(doc->AddChild(u"n", u"[4,5]"));
    EXPECT_EQ(JSONInstanceCount, before + 8);
    doc->GetChild(0)->SetValue(u"{\"x\":[6,7,8]}");
    EXPECT_EQ(JSONInstanceCount, before + 10); // a lost two elements and gained x with three
    doc->GetChild(0)->SetAsString(u"plain");
    EXPECT_EQ(JSONInstanceCount, before + 6);
    {
      const JSONRef blank = doc->GetChildByName(u"missing");
      EXPECT_EQ(JSONInstanceCount, before + 7);
    }
    EXPECT_EQ(JSONInstanceCount, before + 6);
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(InstanceCount, NodesDroppedTogetherByOneEditLiveAsLongAsTheOutermostHeldOne) {
  const int64_t before = JSONInstanceCount;
  JSONRef doc = JSONFromString(u"{\"a\":{\"b\":[1,2]}}");
  JSONRef b = doc->GetChild(0)->GetChild(0);
  JSONRef one = b->GetChild(0);
  doc->SetValue(u"[9]");
  // The document and its new element, and b with both elements.
  EXPECT_EQ(JSONInstanceCount, before + 5);
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_EQ(one->GetParent(), nullptr);
  // Letting go of the inner one first does not take it from the outer one.
  one.reset();
  EXPECT_EQ(JSONInstanceCount, before + 5);
  EXPECT_EQ(b->GetCount(), 2);
  one = b->GetChild(0);
  b.reset();
  EXPECT_EQ(JSONInstanceCount, before + 3);
  doc.reset();
  EXPECT_EQ(JSONInstanceCount, before + 1);
  one.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(InstanceCount, ABigDocumentGoesBackWholeWithOrWithoutHeldNodes) {
  const int64_t before = JSONInstanceCount;
  std::u16string text = u"[";
  for (int i = 0; i < 100000; ++i)
    text += i > 0 ? u",[0]" : u"[0]";
  text += u"]";
  {
    JSONRef doc = JSONFromString(text);
    EXPECT_EQ(JSONInstanceCount, before + 200001);
  }
  EXPECT_EQ(JSONInstanceCount, before);
  JSONRef doc = JSONFromString(text);
  JSONRef middle = doc->GetChild(50000);
  doc.reset();
  EXPECT_EQ(JSONInstanceCount, before + 2);
  middle.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

} // namespace
