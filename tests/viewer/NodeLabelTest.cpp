#include "viewer/NodeLabel.h"

#include "viewer/NodeCopy.h"

#include "json/UJSON.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

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

TEST(NodeLabel, StringsAreQuotedAsMembersAndAsElements) {
  JSONRef doc = JSONFromString(u"{\"n\":\"v\",\"\":\"only\",\"q\":\"a\\\"b\",\"num\":42,"
                               u"\"arr\":[\"quoted\",7,true]}");
  EXPECT_EQ(LabelOfChild(doc, 0).Text, u"n : \"v\"");
  EXPECT_EQ(LabelOfChild(doc, 1).Text, u"\"only\"");
  // AsString drops the escape backslash; nothing in a label is escaped again.
  EXPECT_EQ(LabelOfChild(doc, 2).Text, u"q : \"a\"b\"");
  EXPECT_EQ(LabelOfChild(doc, 3).Text, u"num : 42");
  EXPECT_FALSE(LabelOfChild(doc, 3).HasChildren);
  JSONRef arr = doc->GetChild(4);
  EXPECT_EQ(LabelOfChild(arr, 0).Text, u"\"quoted\"");
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
  EXPECT_EQ(LabelOfChild(doc->GetChild(1), 0).Text, u"\"  lead\"");
  EXPECT_EQ(LabelOfChild(doc->GetChild(1), 1).Text, u"\"trail \"");
  EXPECT_EQ(LabelOfChild(doc, 2).Text, u"raw : \"t\\tl\\nr\\r\"");
  EXPECT_EQ(LabelOfChild(doc, 3).Text, u"nul : \"\\u0000\"");
  EXPECT_EQ(LabelOfChild(doc, 4).Text, u"e\\u0041 : 1");
}

TEST(NodeLabel, ADocumentThatIsOneValueIsLabelledWithIt) {
  EXPECT_EQ(NodeLabel(*JSONFromString(u"42")).Text, u"42");
  EXPECT_EQ(NodeLabel(*JSONFromString(u"0\n")).Text, u"0");
  EXPECT_EQ(NodeLabel(*JSONFromString(u"\"asd\"")).Text, u"\"asd\"");
  EXPECT_EQ(NodeLabel(*JSONFromString(u" true ")).Text, u"true");
  EXPECT_EQ(NodeLabel(*JSONFromString(u"\" \"")).Text, u"\" \"");
}

TEST(NodeLabel, UnparsedNodesShowAReadableNoteWithoutName) {
  JSONRef empty = JSONFromString(u"");
  const TreeLabel label = NodeLabel(*empty);
  EXPECT_EQ(label.Text, u"(empty)");
  EXPECT_FALSE(label.HasChildren);
}

TEST(NodeLabel, SomethingTheReadingMadeNothingOfIsNotJson) {
  for (const std::u16string_view text : {u"   ", u"\t\r\n"})
    EXPECT_EQ(NodeLabel(*JSONFromString(std::u16string(text))).Text, u"(empty)");
  for (const std::u16string_view text : {u"]", u"}", u"]]"}) {
    const TreeLabel label = NodeLabel(*JSONFromString(std::u16string(text)));
    EXPECT_EQ(label.Text, u"(not JSON)") << std::u16string(text).size();
    EXPECT_FALSE(label.HasChildren);
  }
}

using Kind = tk::LabelPartKind;
using Runs = std::vector<std::pair<std::u16string, Kind>>;

// The label's parts as the texts they cover.
Runs RunsOf(const TreeLabel& Label) {
  Runs runs;
  std::size_t at = 0;
  for (const tk::LabelPart& part : Label.Parts) {
    runs.emplace_back(Label.Text.substr(at, part.Length), part.Kind);
    at += part.Length;
  }
  EXPECT_EQ(at, Label.Text.size()) << "the parts cover the label";
  return runs;
}

TEST(NodeLabel, EachPartOfALabelHasItsKind) {
  const JSONRef doc =
      JSONFromString(u"{\"s\":\"v\",\"n\":-1.5,\"t\":true,\"f\":false,\"z\":null,\"o\":{\"a\":1},"
                     u"\"a\":[\"x\",2,abc],\"\":\"\"}");
  EXPECT_EQ(RunsOf(NodeLabel(*doc)), (Runs{{u" {} (8)", Kind::Marker}}));
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 0)), (Runs{{u"s", Kind::Name},
                                                {u" : \"", Kind::Punctuation},
                                                {u"v", Kind::String},
                                                {u"\"", Kind::Punctuation}}));
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 1)),
            (Runs{{u"n", Kind::Name}, {u" : ", Kind::Punctuation}, {u"-1.5", Kind::Number}}));
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 2)).back(),
            std::make_pair(std::u16string(u"true"), Kind::Boolean));
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 3)).back(),
            std::make_pair(std::u16string(u"false"), Kind::Boolean));
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 4)).back(),
            std::make_pair(std::u16string(u"null"), Kind::Null));
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 5)), (Runs{{u"o", Kind::Name}, {u" {} (1)", Kind::Marker}}));
  const JSONRef array = doc->GetChild(6);
  EXPECT_EQ(RunsOf(LabelOfChild(array, 0)),
            (Runs{{u"\"", Kind::Punctuation}, {u"x", Kind::String}, {u"\"", Kind::Punctuation}}));
  EXPECT_EQ(RunsOf(LabelOfChild(array, 1)), (Runs{{u"2", Kind::Number}}));
  // A bare word the lenient reading keeps is no number and no literal.
  EXPECT_EQ(RunsOf(LabelOfChild(array, 2)), (Runs{{u"abc", Kind::Plain}}));
  // An empty string is its two quotes.
  EXPECT_EQ(RunsOf(LabelOfChild(doc, 7)), (Runs{{u"\"\"", Kind::Punctuation}}));
  EXPECT_EQ(RunsOf(NodeLabel(*JSONFromString(u""))), (Runs{{u"(empty)", Kind::Plain}}));
}

TEST(NodeLabel, ALongLabelIsCutWithAnEllipsis) {
  const std::u16string fits(kMaxLabelLength - 2, u'a');
  EXPECT_EQ(NodeLabel(*JSONFromString(u"[\"" + fits + u"\"]")->GetChild(0)).Text,
            u"\"" + fits + u"\"");
  const TreeLabel cut = NodeLabel(*JSONFromString(u"[\"" + fits + u"b\"]")->GetChild(0));
  EXPECT_EQ(cut.Text, u"\"" + fits + u"b\u2026");
  EXPECT_EQ(RunsOf(cut).back(), std::make_pair(std::u16string(u"\u2026"), Kind::Punctuation));

  // A long name leaves no room for the value; a long number is cut like a string.
  const std::u16string name(300, u'n');
  const TreeLabel named = NodeLabel(*JSONFromString(u"{\"" + name + u"\":[1]}")->GetChild(0));
  EXPECT_EQ(named.Text, name.substr(0, kMaxLabelLength) + u"\u2026");
  EXPECT_EQ(RunsOf(named),
            (Runs{{name.substr(0, kMaxLabelLength), Kind::Name}, {u"\u2026", Kind::Punctuation}}));
  const std::u16string digits(500, u'7');
  EXPECT_EQ(NodeLabel(*JSONFromString(digits)).Text, digits.substr(0, kMaxLabelLength) + u"\u2026");

  // Escapes decoded and controls escaped again before the cut; a surrogate pair is never split.
  std::u16string escapes;
  for (int i = 0; i < 150; ++i)
    escapes += u"\\n";
  EXPECT_EQ(NodeLabel(*JSONFromString(u"\"" + escapes + u"\"")).Text.size(), kMaxLabelLength + 1);
  const std::u16string pairs = std::u16string(kMaxLabelLength - 2, u'x') + u"\U0001F600";
  EXPECT_EQ(NodeLabel(*JSONFromString(u"[\"" + pairs + u"\"]")->GetChild(0)).Text,
            u"\"" + std::u16string(kMaxLabelLength - 2, u'x') + u"\u2026");
}

TEST(NodeLabel, TheLabelOfAHugeStringReadsOnlyItsStart) {
  // 1 MB of escapes: decoded whole, the label would first hold half a million characters.
  std::u16string huge = u"{\"big\":\"";
  for (int i = 0; i < 500000; ++i)
    huge += u"\\t";
  huge += u"\"}";
  const JSONRef doc = JSONFromString(huge);
  const TreeLabel label = NodeLabel(*doc->GetChild(0));
  EXPECT_EQ(label.Text.size(), kMaxLabelLength + 1);
  EXPECT_TRUE(label.Text.starts_with(u"big : \"\\t\\t"));
  EXPECT_TRUE(label.Text.ends_with(u"\u2026"));
  // What is read of the value is bounded, whatever the value's length.
  EXPECT_LE(DecodedHead(NodeValueView(*doc->GetChild(0)), kMaxLabelLength).size(),
            2 * kMaxLabelLength);
}

} // namespace
