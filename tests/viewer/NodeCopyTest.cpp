#include "viewer/NodeCopy.h"

#include "json/UJSON.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The node reached from Document by child indices.
JSONRef At(const JSONRef& Document, const std::vector<int32_t>& Path) {
  JSONRef node = Document;
  for (int32_t index : Path)
    node = node->GetChild(index);
  return node;
}

TEST(NodeCopyTest, AValueIsCopiedAsAUserReadsIt) {
  const std::u16string text =
      uR"({"s":"a\"b","n":-1.5e3,"t":true,"z":null,"o":{"k":1},"a":[ "x" ,2],"e":""})";
  const JSONRef doc = JSONFromString(text + u" ");
  EXPECT_EQ(NodeValueText(*At(doc, {0})), u"a\"b");
  EXPECT_EQ(NodeValueText(*At(doc, {1})), u"-1.5e3");
  EXPECT_EQ(NodeValueText(*At(doc, {2})), u"true");
  EXPECT_EQ(NodeValueText(*At(doc, {3})), u"null");
  EXPECT_EQ(NodeValueText(*At(doc, {4})), u"{\"k\":1}");
  EXPECT_EQ(NodeValueText(*At(doc, {5})), u"[ \"x\" ,2]");
  // A string standing alone in an array loses its quotes like a member's string.
  EXPECT_EQ(NodeValueText(*At(doc, {5, 0})), u"x");
  EXPECT_EQ(NodeValueText(*At(doc, {5, 1})), u"2");
  EXPECT_EQ(NodeValueText(*At(doc, {6})), u"");
  EXPECT_EQ(NodeValueText(*doc), text);
}

TEST(NodeCopyTest, TheJsonTextOfAMemberHoldsItsNameAndValue) {
  const JSONRef doc = JSONFromString(u"{\"a\": [1, 2], \"b\":\"x\"}");
  EXPECT_EQ(NodeJsonText(*At(doc, {0})), u"\"a\": [1, 2]");
  EXPECT_EQ(NodeJsonText(*At(doc, {1})), u"\"b\":\"x\"");
  EXPECT_EQ(NodeJsonText(*At(doc, {0, 1})), u"2");
  EXPECT_EQ(NodeNameText(*At(doc, {1})), u"b");
  EXPECT_EQ(NodeNameText(*At(doc, {0, 1})), u"");
}

TEST(NodeCopyTest, CopiedNamesAndValuesDecodeWindowsPathsAndLineBreaks) {
  const JSONRef doc = JSONFromString(uR"({"C:\\dir\\":"\\\\server\\share","l\nm":"a\nb"})");
  EXPECT_EQ(NodeNameText(*At(doc, {0})), u"C:\\dir\\");
  EXPECT_EQ(NodeValueText(*At(doc, {0})), u"\\\\server\\share");
  EXPECT_EQ(NodeNameText(*At(doc, {1})), u"l\nm");
  EXPECT_EQ(NodeValueText(*At(doc, {1})), u"a\nb");
  EXPECT_EQ(NodePath(*At(doc, {0})), uR"($["C:\\dir\\"])");
}

TEST(NodeCopyTest, CopiesKeepSpacesAndRawControlsInsideStrings) {
  // Raw TAB, LF and CR inside strings are no JSON, but common; they stay as the file has them.
  const JSONRef doc =
      JSONFromString(u"{\r\n  \" a  b \" : \"  x  y  \",\r\n  \"t\":\"a\tb\r\nc\"\r\n}");
  EXPECT_EQ(NodeNameText(*At(doc, {0})), u" a  b ");
  EXPECT_EQ(NodeValueText(*At(doc, {0})), u"  x  y  ");
  EXPECT_EQ(NodeJsonText(*At(doc, {0})), u"\" a  b \" : \"  x  y  \"");
  EXPECT_EQ(NodeValueText(*At(doc, {1})), u"a\tb\r\nc");
  EXPECT_EQ(NodePath(*At(doc, {0})), u"$[\" a  b \"]");
  // Outside strings the copy of the document stays compact.
  EXPECT_EQ(NodeJsonText(*doc), u"{ \" a  b \" : \"  x  y  \", \"t\":\"a\tb\r\nc\"}");

  const JSONRef one = JSONFromString(u"\r\n\"  lone  \"\r\n");
  EXPECT_EQ(NodeValueText(*one), u"  lone  ");
  EXPECT_EQ(NodeJsonText(*one), u"\"  lone  \"");
  EXPECT_EQ(NodeValueText(*JSONFromString(u"-0.1")), u"-0.1");
}

TEST(NodeCopyTest, APathNamesMembersByDotOrQuotedBracketAndElementsByIndex) {
  const JSONRef doc = JSONFromString(
      uR"({"store":{"products":[{"unit price":3,"$id":1,"_x9":2,"9a":0,"q\"b":5,"":6}]}})");
  EXPECT_EQ(NodePath(*doc), u"$");
  EXPECT_EQ(NodePath(*At(doc, {0})), u"$.store");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0})), u"$.store.products[0]");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0, 0})), u"$.store.products[0][\"unit price\"]");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0, 1})), u"$.store.products[0].$id");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0, 2})), u"$.store.products[0]._x9");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0, 3})), u"$.store.products[0][\"9a\"]");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0, 4})), u"$.store.products[0][\"q\\\"b\"]");
  EXPECT_EQ(NodePath(*At(doc, {0, 0, 0, 5})), u"$.store.products[0][\"\"]");
}

TEST(NodeCopyTest, APathCountsElementsFromEitherEndOfAWideArray) {
  std::u16string text = u"[";
  for (int i = 0; i < 1000; ++i)
    text += i == 0 ? u"[0]" : u",[0]";
  text += u"]";
  const JSONRef doc = JSONFromString(text);
  EXPECT_EQ(NodePath(*At(doc, {0, 0})), u"$[0][0]");
  EXPECT_EQ(NodePath(*At(doc, {998})), u"$[998]");
  EXPECT_EQ(NodePath(*At(doc, {500, 0})), u"$[500][0]");
}

TEST(NodeCopyTest, OnlyAsciiLettersDigitsUnderscoreAndDollarMakeAnIdentifier) {
  EXPECT_TRUE(IsPathIdentifier(u"a"));
  EXPECT_TRUE(IsPathIdentifier(u"$"));
  EXPECT_TRUE(IsPathIdentifier(u"_0"));
  EXPECT_FALSE(IsPathIdentifier(u""));
  EXPECT_FALSE(IsPathIdentifier(u"0"));
  EXPECT_FALSE(IsPathIdentifier(u"a-b"));
  EXPECT_FALSE(IsPathIdentifier(u"имя"));
  EXPECT_FALSE(IsPathIdentifier(u"a b"));
}

} // namespace

namespace {

TEST(NodeToolTipTest, ATooltipShowsTheValueAsCopyValueGivesIt) {
  const JSONRef doc =
      JSONFromString(uR"({"s":"line one\nline two\t\"q\" C:\\dir","n":-1.5e3,"t":true,"z":null,)"
                     uR"("o":{"k": [1, "x"]},"a":["\u00e9",2],"e":"","w":{}})");
  EXPECT_EQ(NodeToolTip(*At(doc, {0})), u"line one\nline two\t\"q\" C:\\dir");
  EXPECT_EQ(NodeToolTip(*At(doc, {1})), u"-1.5e3");
  EXPECT_EQ(NodeToolTip(*At(doc, {2})), u"true");
  EXPECT_EQ(NodeToolTip(*At(doc, {3})), u"null");
  // Containers show their JSON text, as Copy value gives it.
  EXPECT_EQ(NodeToolTip(*At(doc, {4})), NodeValueText(*At(doc, {4})));
  EXPECT_EQ(NodeToolTip(*At(doc, {4})), u"{\"k\": [1, \"x\"]}");
  EXPECT_EQ(NodeToolTip(*At(doc, {5, 0})), u"\u00e9");
  EXPECT_EQ(NodeToolTip(*At(doc, {6})), u"");
  EXPECT_EQ(NodeToolTip(*At(doc, {7})), u"{}");
  EXPECT_EQ(NodeToolTip(*JSONFromString(u"")), u"");
  EXPECT_EQ(NodeToolTip(*JSONFromString(u"]")), u"");
}

TEST(NodeToolTipTest, ALongValueIsCutAtTheBoundWithAnEllipsis) {
  const std::u16string fits(kMaxToolTipLength, u'a');
  EXPECT_EQ(NodeToolTip(*JSONFromString(u"[\"" + fits + u"\"]")->GetChild(0)), fits);
  const std::u16string tip = NodeToolTip(*JSONFromString(u"[\"" + fits + u"b\"]")->GetChild(0));
  EXPECT_EQ(tip, fits + u"\u2026");

  // A megabyte of escapes decodes only as far as the tooltip shows.
  std::u16string huge = u"{\"big\":\"";
  for (int i = 0; i < 500000; ++i)
    huge += u"\\n";
  huge += u"\"}";
  const JSONRef doc = JSONFromString(huge);
  EXPECT_EQ(NodeToolTip(*doc->GetChild(0)), std::u16string(kMaxToolTipLength, u'\n') + u"\u2026");
  EXPECT_EQ(NodeValueHead(*doc->GetChild(0), 3), u"\n\n\n");
  EXPECT_EQ(NodeValueText(*doc->GetChild(0)).size(), 500000u);
  // The whole document as a container's tooltip, cut the same way, and a pair never split.
  EXPECT_EQ(NodeToolTip(*doc).size(), kMaxToolTipLength + 1);
  const std::u16string pairs = std::u16string(kMaxToolTipLength - 1, u'x') + u"\U0001F600";
  EXPECT_EQ(NodeToolTip(*JSONFromString(u"\"" + pairs + u"\"")),
            std::u16string(kMaxToolTipLength - 1, u'x') + u"\u2026");
}

} // namespace
