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

TEST(NodeLabel, ShowsStringsExactlyWithDecodedNamesOnOneLine) {
  JSONRef doc =
      JSONFromString(u"{\"a\\\"b\": \"x  y\", \" sp \": [\"  lead\", \"trail \"],"
                     u" \"raw\": \"t\tl\nr\r\", \"nul\": \"\\u0000\", \"e\\\\u0041\": 1}");
  ASSERT_EQ(doc->GetCount(), 5);
  EXPECT_EQ(LabelOfChild(doc, 0).Text, u"a\"b : \"x  y\"");
  EXPECT_EQ(LabelOfChild(doc, 1).Text, u" sp  [] (2)");
  EXPECT_EQ(LabelOfChild(doc->GetChild(1), 0).Text, u"  lead");
  EXPECT_EQ(LabelOfChild(doc->GetChild(1), 1).Text, u"trail ");
  EXPECT_EQ(LabelOfChild(doc, 2).Text, u"raw : \"t\\tl\\nr\\r\"");
  EXPECT_EQ(LabelOfChild(doc, 3).Text, u"nul : \"\\u0000\"");
  EXPECT_EQ(LabelOfChild(doc, 4).Text, u"e\\u0041 : 1");
}

TEST(NodeLabel, ADocumentThatIsOneValueIsLabelledWithIt) {
  EXPECT_EQ(NodeLabel(*JSONFromString(u"42")).Text, u"42");
  EXPECT_EQ(NodeLabel(*JSONFromString(u"0\n")).Text, u"0");
  EXPECT_EQ(NodeLabel(*JSONFromString(u"\"asd\"")).Text, u"asd");
  EXPECT_EQ(NodeLabel(*JSONFromString(u" true ")).Text, u"true");
  EXPECT_EQ(NodeLabel(*JSONFromString(u"\" \"")).Text, u" ");
}

TEST(NodeLabel, UnparsedNodesShowTheirTextWithoutName) {
  JSONRef empty = JSONFromString(u"");
  const TreeLabel label = NodeLabel(*empty);
  EXPECT_EQ(label.Text, u"jt_unknown = ");
  EXPECT_FALSE(label.HasChildren);
}

} // namespace
