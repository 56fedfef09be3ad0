// Node objects are made on demand, for the nodes callers hold. Whatever way a held node is asked
// for again, the same object comes back: the viewer keys its tree nodes on it.

#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string WideArray(int count) {
  std::u16string text = u"[";
  for (int i = 0; i < count; ++i)
    text += (i > 0 ? u"," : u"") + std::u16string(u"{\"k\":") + (i % 2 ? u"1" : u"\"s\"") + u"}";
  return text + u"]";
}

TEST(HeldNodeIdentity, EveryWayToANodeGivesTheSameObjectWhileItIsHeld) {
  const JSONRef doc = JSONFromString(u"{\"a\":{\"b\":[10,20]},\"c\":\"x y\"}");
  const JSONRef b = doc->GetChild(0)->GetChild(0);
  EXPECT_EQ(doc->GetChild(0)->GetChild(0), b);
  EXPECT_EQ(doc->GetChild(0)->GetChildByName(u"B"), b);
  const JSONRef twenty = b->GetChild(1);
  EXPECT_EQ(doc->FindByPosition(twenty->GetTextStart()), twenty);
  EXPECT_EQ(doc->Find(u"20", 0), twenty);
  EXPECT_EQ(twenty->GetParent(), b);
  EXPECT_EQ(twenty->GetParent()->GetParent()->GetParent(), doc);
  EXPECT_EQ(b->GetAsList()[1], twenty.get());
  EXPECT_EQ(doc->GetChildByName(u"c")->GetValue(), u"x y");
}

TEST(HeldNodeIdentity, ANodeAskedForAgainAfterItsReleaseReadsTheSame) {
  const JSONRef doc = JSONFromString(WideArray(1000));
  const IJSONObject* first = doc->GetChild(500).get();
  const std::u16string text = doc->GetChild(500)->GetText();
  EXPECT_EQ(doc->GetChild(500).get(), first);
  EXPECT_EQ(text, u"{\"k\":\"s\"}");
  EXPECT_EQ(doc->GetChild(999)->GetChild(0)->GetValue(), u"1");
  EXPECT_EQ(doc->GetCount(), 1000);
}

TEST(HeldNodeIdentity, TheChildListHoldsTheSameObjectsAsGetChildAndFollowsEdits) {
  const JSONRef doc = JSONFromString(WideArray(40));
  const TJSONChildList& list = doc->GetAsList();
  ASSERT_EQ(list.Count(), 40);
  for (int32_t i = 0; i < list.Count(); ++i)
    EXPECT_EQ(list[i], doc->GetChild(i).get());
  const JSONRef added = doc->AddChild(u"", u"7");
  ASSERT_TRUE(added);
  EXPECT_EQ(doc->GetAsList().Count(), 41);
  EXPECT_EQ(doc->GetAsList()[40], added.get());
}

TEST(HeldNodeIdentity, AHeldNodeKeepsItsParentsSoGetParentAnswersAfterTheyAreLetGo) {
  const JSONRef doc = JSONFromString(u"[[[[1]]]]");
  JSONRef deep = doc->GetChild(0)->GetChild(0)->GetChild(0)->GetChild(0);
  EXPECT_EQ(deep->GetLevel(), 4);
  JSONRef up = deep;
  for (int level = 3; level >= 0; --level) {
    up = up->GetParent();
    ASSERT_TRUE(up);
    EXPECT_EQ(up->GetLevel(), level);
  }
  EXPECT_EQ(up, doc);
  EXPECT_EQ(up->GetParent(), nullptr);
}

} // namespace
