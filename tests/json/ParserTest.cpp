#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Expected {
  TJSONType kind;
  int32_t level;
  TStringElement text;
  TStringElement name;
  TStringElement value;
};

void ExpectNode(const JSONRef& node, const Expected& expected) {
  EXPECT_EQ(node->GetJType(), expected.kind);
  EXPECT_EQ(node->GetLevel(), expected.level);
  EXPECT_EQ(Node(node).TextRange(), expected.text);
  EXPECT_EQ(Node(node).NameRange(), expected.name);
  EXPECT_EQ(Node(node).ValueRange(), expected.value);
}

// Parses the text as it stands, without normalising it first, and reports
// where the running position ended.
int32_t ParseRaw(const CountedRef<TJSON>& doc, std::u16string text) {
  doc->FText = std::move(text);
  int32_t position = 1;
  doc->Parse(position);
  return position;
}

TEST(Parser, RecordsTheRangesOfAnObjectWithAStringAndAnArrayMember) {
  CountedRef<TJSON> doc(TJSON::Create());
  EXPECT_EQ(ParseRaw(doc, u"{\"k\": \"v\", \"n\": [1, \"x\"]}"), 26);
  ExpectNode(JSONRef(doc), {jt_object, 0, Range(1, 25), Range(0, 0), Range(1, 25)});
  ASSERT_EQ(doc->GetCount(), 2);
  JSONRef k = doc->GetChild(0);
  JSONRef n = doc->GetChild(1);
  ExpectNode(k, {jt_string, 1, Range(2, 9), Range(3, 3), Range(8, 8)});
  EXPECT_EQ(k->GetName(), u"k");
  EXPECT_EQ(k->GetValue(), u"v");
  ExpectNode(n, {jt_array, 1, Range(12, 24), Range(13, 13), Range(17, 24)});
  EXPECT_EQ(n->GetValue(), u"[1, \"x\"]");
  ASSERT_EQ(n->GetCount(), 2);
  ExpectNode(n->GetChild(0), {jt_variant, 2, Range(18, 18), Range(0, 0), Range(18, 18)});
  ExpectNode(n->GetChild(1), {jt_variant, 2, Range(21, 23), Range(0, 0), Range(22, 22)});
  EXPECT_EQ(n->GetChild(1)->GetValue(), u"x");
}

TEST(Parser, ParsesTheNormalisedTextOfAFileWithLineBreaksAndIndentation) {
  JSONRef doc = JSONFromString(u"{\r\n  \"a\": 1,\r\n  \"b\": \"x  y\"\r\n}\r\n");
  EXPECT_EQ(Node(doc).Owner()->FText, u"{ \"a\": 1, \"b\": \"x  y\"}\n");
  ExpectNode(doc, {jt_object, 0, Range(1, 22), Range(0, 0), Range(1, 22)});
  ASSERT_EQ(doc->GetCount(), 2);
  ExpectNode(doc->GetChild(0), {jt_variant, 1, Range(3, 8), Range(4, 4), Range(8, 8)});
  ExpectNode(doc->GetChild(1), {jt_string, 1, Range(11, 21), Range(12, 12), Range(17, 20)});
  EXPECT_EQ(doc->GetChild(1)->GetValue(), u"x  y");
}

TEST(Parser, TextRangesIncludeTheSpacesThatEndValues) {
  JSONRef doc = JSONFromString(u" [ 1 , 2 ] ");
  ExpectNode(doc, {jt_array, 0, Range(1, 10), Range(0, 0), Range(2, 10)});
  ASSERT_EQ(doc->GetCount(), 2);
  ExpectNode(doc->GetChild(0), {jt_variant, 1, Range(4, 5), Range(0, 0), Range(4, 4)});
  ExpectNode(doc->GetChild(1), {jt_variant, 1, Range(8, 9), Range(0, 0), Range(8, 8)});
  EXPECT_EQ(doc->GetChild(0)->GetText(), u"1");
}

TEST(Parser, TextsWithoutAValueLeaveTheDocumentUnparsed) {
  for (const char16_t* text : {u"", u" ", u"\n", u" \r\n", u"]", u"}"}) {
    JSONRef doc = JSONFromString(text);
    ExpectNode(doc, {jt_unknown, 0, Range(0, 0), Range(0, 0), Range(0, 0)});
    EXPECT_EQ(doc->GetCount(), 0);
  }
  // One character is enough for a value: an open container, a digit, a lone quote.
  EXPECT_EQ(JSONFromString(u"{")->GetJType(), jt_object);
  EXPECT_EQ(JSONFromString(u"[")->GetCount(), 0);
  EXPECT_EQ(JSONFromString(u"5")->GetValue(), u"5");
  EXPECT_EQ(JSONFromString(u"\"")->GetValue(), u"");
}

TEST(Parser, EmptyAndNestedEmptyContainers) {
  for (const char16_t* text : {u"{}", u"[]"}) {
    JSONRef doc = JSONFromString(text);
    EXPECT_EQ(Node(doc).TextRange(), Range(1, 2));
    EXPECT_EQ(Node(doc).ValueRange(), Range(1, 2));
    EXPECT_EQ(doc->GetCount(), 0);
  }
  JSONRef nested = JSONFromString(u"[[]]");
  ASSERT_EQ(nested->GetCount(), 1);
  EXPECT_EQ(nested->GetChild(0)->GetJType(), jt_array);
  EXPECT_EQ(nested->GetChild(0)->GetCount(), 0);
}

TEST(Parser, ADocumentThatIsOneValueShowsIt) {
  JSONRef bare = JSONFromString(u"12");
  ExpectNode(bare, {jt_variant, 0, Range(1, 2), Range(0, 0), Range(1, 2)});
  EXPECT_EQ(bare->GetValue(), u"12");
  EXPECT_EQ(bare->GetText(), u"12");
  ExpectNode(JSONFromString(u"0"), {jt_variant, 0, Range(1, 1), Range(0, 0), Range(1, 1)});
  EXPECT_EQ(JSONFromString(u"12 ")->GetValue(), u"12");
  EXPECT_EQ(JSONFromString(u"\r\n -0.1\r\n")->GetValue(), u"-0.1");
  EXPECT_EQ(JSONFromString(u"true\n")->GetText(), u"true");
  EXPECT_EQ(JSONFromString(u"null")->GetAsString(), u"null");

  JSONRef quoted = JSONFromString(u"\"abc\"");
  ExpectNode(quoted, {jt_variant, 0, Range(1, 5), Range(0, 0), Range(2, 4)});
  EXPECT_EQ(quoted->GetValue(), u"abc");
  EXPECT_EQ(quoted->GetText(), u"\"abc\"");
  JSONRef spaced = JSONFromString(u"\n \"  a  \" \n");
  EXPECT_EQ(spaced->GetJType(), jt_variant);
  EXPECT_EQ(spaced->GetAsString(), u"  a  ");
  EXPECT_EQ(spaced->GetText(), u"\"  a  \"");
  EXPECT_EQ(JSONFromString(u"\"\"")->GetText(), u"\"\"");
}

TEST(Parser, IgnoresWhateverFollowsTheTopLevelValue) {
  JSONRef doc = JSONFromString(u"{\"a\":1} xyz");
  EXPECT_EQ(doc->GetText(), u"{\"a\":1}");
  ASSERT_EQ(doc->GetCount(), 1);
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"1");
}

TEST(Parser, CommasAndUnterminatedArraysAreTakenLeniently) {
  JSONRef trailing = JSONFromString(u"[1,]");
  ASSERT_EQ(trailing->GetCount(), 1);
  EXPECT_EQ(trailing->GetChild(0)->GetValue(), u"1");

  JSONRef doubled = JSONFromString(u"[1,,2]");
  ASSERT_EQ(doubled->GetCount(), 2);
  EXPECT_EQ(doubled->GetChild(0)->GetValue(), u"1");
  EXPECT_EQ(doubled->GetChild(1)->GetValue(), u",2");

  // An unterminated array keeps every element, the one at the last character too.
  JSONRef open = JSONFromString(u"[1,2");
  ASSERT_EQ(open->GetCount(), 2);
  EXPECT_EQ(open->GetChild(1)->GetValue(), u"2");
  EXPECT_EQ(open->GetText(), u"[1,2");
  EXPECT_EQ(JSONFromString(u"[1,2,")->GetCount(), 2);
  EXPECT_EQ(JSONFromString(u"[\"a\",\"b")->GetChild(1)->GetJType(), jt_variant);
}

TEST(Parser, ClosingBracketsAreNotMatched) {
  JSONRef doc = JSONFromString(u"{\"a\":[1}]");
  EXPECT_EQ(doc->GetJType(), jt_object);
  ASSERT_EQ(doc->GetCount(), 1);
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"[1}");
}

TEST(Parser, AnUnterminatedStringRunsToTheEndAndReadsEmpty) {
  JSONRef doc = JSONFromString(u"{\"a\":\"xyz}");
  ASSERT_EQ(doc->GetCount(), 1);
  JSONRef a = doc->GetChild(0);
  EXPECT_EQ(a->GetJType(), jt_string);
  EXPECT_EQ(a->GetValue(), u"");
  EXPECT_EQ(Node(doc).TextRange(), Range(1, 8)); // ends before the last two characters
}

TEST(Parser, AMemberWithoutAColonOrValueKeepsTheClosingBracketOfItsObject) {
  // The name is no name without its colon; what follows is lost, but the object closes.
  JSONRef doc = JSONFromString(u"{\"a\" 1}");
  EXPECT_EQ(doc->GetJType(), jt_object);
  ASSERT_EQ(doc->GetCount(), 1);
  EXPECT_EQ(doc->GetChild(0)->GetName(), u"");
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"");
  EXPECT_EQ(doc->GetText(), u"{\"a\" 1}");

  JSONRef empty = JSONFromString(u"{\"n\":}");
  ASSERT_EQ(empty->GetCount(), 1);
  EXPECT_EQ(empty->GetChild(0)->GetName(), u"n");
  EXPECT_EQ(empty->GetChild(0)->GetValue(), u"");
  EXPECT_EQ(Node(empty->GetChild(0)).ValueRange(), Range(6, 5));
  EXPECT_EQ(empty->GetText(), u"{\"n\":}");
}

TEST(Parser, AQuoteEndsAStringUnlessAnOddRunOfBackslashesStandsBeforeIt) {
  JSONRef doc = JSONFromString(u"{\"a\":\"c\\\\\"}");
  ASSERT_EQ(doc->GetCount(), 1);
  EXPECT_EQ(doc->GetChild(0)->GetJType(), jt_string);
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"c\\\\");

  // A Windows path ending in a separator must not swallow the members behind it.
  JSONRef path = JSONFromString(u"{\"a\":\"c:\\\\dir\\\\\",\"b\":1,\"c\":[1,2]}");
  ASSERT_EQ(path->GetCount(), 3);
  EXPECT_EQ(path->GetChild(0)->GetValue(), u"c:\\\\dir\\\\");
  EXPECT_EQ(path->GetChild(1)->GetName(), u"b");
  EXPECT_EQ(path->GetChild(2)->GetCount(), 2);

  JSONRef escaped = JSONFromString(u"[\"say \\\"hi\\\"\", 2]");
  ASSERT_EQ(escaped->GetCount(), 2);
  EXPECT_EQ(escaped->GetChild(0)->GetValue(), u"say \\\"hi\\\"");

  // Three backslashes: one escaped backslash, then an escaped quote.
  JSONRef odd = JSONFromString(u"[\"x\\\\\\\"y\",2]");
  ASSERT_EQ(odd->GetCount(), 2);
  EXPECT_EQ(odd->GetChild(0)->GetValue(), u"x\\\\\\\"y");
  // A name ending in an escaped backslash is a name all the same.
  JSONRef name = JSONFromString(u"{\"k\\\\\":1}");
  ASSERT_EQ(name->GetCount(), 1);
  EXPECT_EQ(name->GetChild(0)->GetName(), u"k\\\\");
  EXPECT_EQ(name->GetChild(0)->GetValue(), u"1");
}

TEST(Parser, ControlCharactersAndSpaceRunsAreNormalisedAwayOutsideStrings) {
  JSONRef joined = JSONFromString(u"[1\t2]");
  ASSERT_EQ(joined->GetCount(), 1);
  EXPECT_EQ(joined->GetChild(0)->GetValue(), u"12");
  EXPECT_EQ(JSONFromString(u"[1,\t2]")->GetCount(), 2);
  EXPECT_EQ(Node(JSONFromString(u"[1]\r\n")).Owner()->FText, u"[1]\n");
  EXPECT_EQ(JSONFromString(u"[ \"a  b\" ]")->GetChild(0)->GetValue(), u"a  b");
}

TEST(Parser, StringsReadExactlyAsTheFileHoldsThem) {
  JSONRef doc = JSONFromString(
      u"{\" sp \": \"   lead\", \"t\": \"trail  \", \"one\": \" \", \"raw\": \"a\tb\r\nc\",\n"
      u"  \"nul\": \"\\u0000\", \"ctl\": \"\\u0012\", \"esc\": \"\\\\u0000\"}");
  ASSERT_EQ(doc->GetCount(), 7);
  EXPECT_EQ(doc->GetChild(0)->GetName(), u" sp ");
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"   lead");
  EXPECT_EQ(doc->GetChild(1)->GetValue(), u"trail  ");
  EXPECT_EQ(doc->GetChild(2)->GetValue(), u" ");
  EXPECT_EQ(doc->GetChild(3)->GetValue(), u"a\tb\r\nc");
  EXPECT_EQ(doc->GetChild(4)->GetValue(), std::u16string(1, u'\0'));
  EXPECT_EQ(doc->GetChild(5)->GetAsString(), u"\x12");
  // An escaped backslash, then the letters u0000.
  EXPECT_EQ(doc->GetChild(6)->GetAsString(), u"\\u0000");
  // Texts stay trimmed: a member's text runs from its name's quote to its value's.
  EXPECT_EQ(doc->GetChild(1)->GetText(), u"\"t\": \"trail  \"");
}

TEST(Parser, UnicodeEscapesAreDecodedBeforeParsing) {
  EXPECT_EQ(JSONFromString(u"[\"\\u0041\"]")->GetChild(0)->GetValue(), u"A");
  // A decoded quote or backslash stays escaped, as .NET writes them, and ends nothing.
  JSONRef doc = JSONFromString(u"{\"c\":\"\\u0022q\\u0022\",\"d\":2,\"e\":\"\\u005C\"}");
  ASSERT_EQ(doc->GetCount(), 3);
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"\\\"q\\\"");
  EXPECT_EQ(doc->GetChild(1)->GetValue(), u"2");
  EXPECT_EQ(doc->GetChild(2)->GetValue(), u"\\\\");
  // An escape ending at the very last character is decoded as well.
  EXPECT_EQ(Node(JSONFromString(u"[1,\\u0041")).Owner()->FText, u"[1,A");
}

TEST(Parser, AnEscapeThatIsNoHexNumberIsKeptAndTheLoadGoesOn) {
  JSONRef doc = JSONFromString(u"{\"a\":\"\\u004\"}");
  ASSERT_EQ(doc->GetCount(), 1);
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"\\u004");

  JSONRef path = JSONFromString(u"{\"p\":\"C:\\\\Users\\\\x\"}");
  ASSERT_EQ(path->GetCount(), 1);
  EXPECT_EQ(path->GetChild(0)->GetValue(), u"C:\\\\Users\\\\x");
  EXPECT_EQ(path->GetChild(0)->GetAsString(), u"C:\\Users\\x");
}

TEST(Parser, AMemberValueMayBeAnyKindOfValue) {
  JSONRef doc = JSONFromString(u"{\"o\":{\"p\":null},\"a\":[],\"n\":-1.5e3,\"t\":true,\"s\":\"\"}");
  ASSERT_EQ(doc->GetCount(), 5);
  EXPECT_EQ(doc->GetChild(0)->GetJType(), jt_object);
  EXPECT_EQ(doc->GetChild(0)->GetChild(0)->GetValue(), u"null");
  EXPECT_EQ(doc->GetChild(1)->GetJType(), jt_array);
  EXPECT_EQ(doc->GetChild(2)->GetValue(), u"-1.5e3");
  EXPECT_EQ(doc->GetChild(3)->GetJType(), jt_variant);
  EXPECT_EQ(doc->GetChild(4)->GetJType(), jt_string);
  EXPECT_EQ(doc->GetChild(4)->GetValue(), u"");
  for (int32_t i = 0; i < doc->GetCount(); ++i)
    EXPECT_EQ(doc->GetChild(i)->GetParent(), doc);
}

} // namespace
