#include "viewer/NodeLabel.h"

#include "json/UJSON.h"

#include <gtest/gtest.h>

namespace {

TreeLabel LabelOfChild(const JSONRef& Parent, int32_t Index) {
  return NodeLabel(*Parent->GetChild(Index));
}

TEST(NodeLabel, ContainersShowNameBracketsAndCountAndAlwaysGetAPlaceholder) {
  JSONRef doc = JSONFromString(u"{\"n\":{\"a\":1,\"b\":2,\"c\":3},\"list\":[],\"e\":{}}");
  const TreeLabel top = NodeLabel(*doc);
  EXPECT_EQ(top.Text, u" {} (3)");
  EXPECT_TRUE(top.HasChildren);
  EXPECT_EQ(LabelOfChild(doc, 0).Text, u"n {} (3)");
  EXPECT_EQ(LabelOfChild(doc, 1).Text, u"list [] (0)");
  EXPECT_TRUE(LabelOfChild(doc, 1).HasChildren);
  EXPECT_TRUE(LabelOfChild(doc, 2).HasChildren);

  JSONRef array = JSONFromString(u"[1,2]");
  EXPECT_EQ(NodeLabel(*array).Text, u" [] (2)");
}

TEST(NodeLabel, StringMembersAreQuotedAndElementsAreNot) {
  JSONRef doc = JSONFromString(u"{\"n\":\"v\",\"\":\"only\",\"q\":\"a\\\"b\",\"num\":42,"
                               u"\"arr\":[\"quoted\",7,true]}");
  EXPECT_EQ(LabelOfChild(doc, 0).Text, u"n : \"v\"");
  EXPECT_EQ(LabelOfChild(doc, 1).Text, u"\"only\"");
  // AsString drops the escape backslash; nothing in a label is escaped again.
  EXPECT_EQ(LabelOfChild(doc, 2).Text, u"q : \"a\"b\"");
  EXPECT_EQ(LabelOfChild(doc, 3).Text, u"num : 42");
  EXPECT_FALSE(LabelOfChild(doc, 3).HasChildren);
  JSONRef arr = doc->GetChild(4);
  EXPECT_EQ(LabelOfChild(arr, 0).Text, u"quoted");
  EXPECT_EQ(LabelOfChild(arr, 1).Text, u"7");
  EXPECT_EQ(LabelOfChild(arr, 2).Text, u"true");
}

TEST(NodeLabel, ShowsDecodedEscapesAndKeepsEveryLabelOnOneLine) {
  JSONRef doc =
      JSONFromString(u"{\"unc\":\"\\\\\\\\server\\\\share\",\"text\":\"one\\ntwo\\tend\","
                     u"\"ctl\":\"a\\u0001b\",\"raw\\u000Aname\":[1],\"dir\":\"c:\\\\t\\\\\"}");
  ASSERT_EQ(doc->GetCount(), 5);
  EXPECT_EQ(LabelOfChild(doc, 0).Text, u"unc : \"\\\\server\\share\"");
  EXPECT_EQ(LabelOfChild(doc, 1).Text, u"text : \"one\\ntwo\\tend\"");
  EXPECT_EQ(LabelOfChild(doc, 2).Text, u"ctl : \"a\\u0001b\"");
  EXPECT_EQ(LabelOfChild(doc, 3).Text, u"raw\\nname [] (1)");
  EXPECT_EQ(LabelOfChild(doc, 4).Text, u"dir : \"c:\\t\\\"");
}

TEST(NodeLabel, UnparsedNodesShowTheirTextWithoutName) {
  JSONRef empty = JSONFromString(u"");
  const TreeLabel label = NodeLabel(*empty);
  EXPECT_EQ(label.Text, u"jt_unknown = ");
  EXPECT_FALSE(label.HasChildren);
}

} // namespace
