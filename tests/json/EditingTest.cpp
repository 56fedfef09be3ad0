#include "NodeAccess.h"

#include "json/JSONGeneration.h"
#include "json/JSONLimits.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

namespace {

const std::u16string& TextOf(const JSONRef& node) { return Node(node).Owner()->FText; }

JSONRef Generating(std::u16string text) {
  JSONRef doc = JSONFromString(std::move(text));
  doc->SetIsGenerating(true);
  return doc;
}

std::u16string Nested(int32_t depth, std::u16string_view leaf) {
  return std::u16string(static_cast<size_t>(depth), u'[') + std::u16string(leaf) +
         std::u16string(static_cast<size_t>(depth), u']');
}

JSONRef Deepest(JSONRef node) {
  while (node->GetCount() > 0)
    node = node->GetChild(0);
  return node;
}

void ExpectNestingFailure(const std::function<void()>& edit) {
  try {
    edit();
    ADD_FAILURE() << "the edit did not fail";
  } catch (const EJSONError& e) {
    EXPECT_STREQ(e.what(),
                 "The document is nested too deeply: more than 100000 levels are not supported");
  }
}

TEST(GetChildByName, ComparesUpperCasedNamesAndReturnsTheFirstMatch) {
  JSONRef doc = JSONFromString(u"{\"name\":1,\"äσ\":2,\"Name\":3,\" a \":4,\"ß\":5}");
  EXPECT_EQ(doc->GetChildByName(u"NAME")->GetValue(), u"1");
  EXPECT_EQ(doc->GetChildByName(u"ÄΣ")->GetValue(), u"2");
  // Names compare as the file holds them, spaces included.
  EXPECT_EQ(doc->GetChildByName(u" a ")->GetValue(), u"4");
  EXPECT_EQ(doc->GetChildByName(u"a")->GetJType(), jt_unknown);
  // The simple mapping keeps lengths, so the sharp s matches only itself.
  EXPECT_EQ(doc->GetChildByName(u"ß")->GetValue(), u"5");
  EXPECT_EQ(doc->GetChildByName(u"SS")->GetJType(), jt_unknown);
}

TEST(GetChildByName, AnEmptyNameFindsAnArraysFirstElementButNoMemberOfAnObject) {
  JSONRef array = JSONFromString(u"[7,8]");
  EXPECT_EQ(array->GetChildByName(u""), array->GetChild(0));
  JSONRef object = JSONFromString(u"{\"a\":1}");
  EXPECT_EQ(object->GetChildByName(u"")->GetJType(), jt_unknown);
  JSONRef unnamed = JSONFromString(u"{\"a\":1,\"\":2}");
  EXPECT_EQ(unnamed->GetChildByName(u"")->GetValue(), u"2");
}

TEST(GetChildByName, AMissingNameGivesABlankNodeOutsideTheTreeAndChangesNothing) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef doc = JSONFromString(u"{\"a\":{\"b\":1}}");
    JSONRef a = doc->GetChild(0);
    JSONRef blank = a->GetChildByName(u"zz");
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->GetJType(), jt_unknown);
    EXPECT_EQ(blank->GetText(), u"");
    EXPECT_EQ(blank->GetName(), u"");
    EXPECT_EQ(blank->GetValue(), u"");
    EXPECT_EQ(blank->GetAsString(), u"");
    EXPECT_EQ(blank->GetCount(), 0);
    EXPECT_EQ(blank->GetLevel(), 2);
    EXPECT_EQ(blank->GetParent(), a);
    EXPECT_EQ(a->GetCount(), 1);
    EXPECT_EQ(TextOf(doc), u"{\"a\":{\"b\":1}}");

    // Writes to it change nothing and do not fail.
    blank->SetValue(u"5");
    blank->SetAsString(u"5");
    blank->SetName(u"n");
    EXPECT_FALSE(blank->AddChild(u"x", u"1"));
    doc->SetChildByName(u"missing", doc->GetChild(0));
    EXPECT_EQ(TextOf(doc), u"{\"a\":{\"b\":1}}");
    EXPECT_EQ(blank->GetText(), u"");
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(GetChildByName, InGeneratingModeAMissingMemberIsAppendedWithTheValueNull) {
  JSONRef object = Generating(u"{\"a\":1}");
  JSONRef b = object->GetChildByName(u"b");
  EXPECT_EQ(TextOf(object), u"{\"a\":1,\"b\":null}");
  EXPECT_EQ(b->GetName(), u"b");
  EXPECT_EQ(b->GetValue(), u"null");
  EXPECT_EQ(object->GetChildByName(u"B"), b);
  EXPECT_EQ(object->GetCount(), 2);

  // Array elements have no names, so every call appends another object.
  JSONRef array = Generating(u"[]");
  JSONRef first = array->GetChildByName(u"b");
  JSONRef second = array->GetChildByName(u"b");
  EXPECT_EQ(TextOf(array), u"[{\"b\":null},{\"b\":null}]");
  EXPECT_EQ(first->GetJType(), jt_object);
  EXPECT_EQ(first->GetChild(0)->GetName(), u"b");
  EXPECT_NE(first, second);

  JSONRef strings = Generating(u"{\"s\":\"x\"}");
  EXPECT_FALSE(strings->GetChild(0)->GetChildByName(u"b"));
  EXPECT_EQ(TextOf(strings), u"{\"s\":\"x\"}");
}

TEST(AddChild, AppendsMembersWithTrimmedValuesAndACommaFromTheSecondOn) {
  JSONRef doc = JSONFromString(u"{}");
  JSONRef a = doc->AddChild(u"a", u"1");
  EXPECT_EQ(TextOf(doc), u"{\"a\":1}");
  EXPECT_EQ(a->GetJType(), jt_variant);
  EXPECT_EQ(a->GetName(), u"a");
  EXPECT_EQ(a->GetValue(), u"1");
  EXPECT_EQ(a->GetParent(), doc);
  JSONRef b = doc->AddChild(u"b", u" 2 ");
  EXPECT_EQ(TextOf(doc), u"{\"a\":1,\"b\":2}");
  EXPECT_EQ(b->GetText(), u"\"b\":2");
  EXPECT_EQ(doc->GetText(), TextOf(doc));
  EXPECT_EQ(doc->GetCount(), 2);
  // The value is normalised first: outside its strings only.
  doc->AddChild(u"c", u"\"x \t \r\n y\"");
  EXPECT_EQ(TextOf(doc), u"{\"a\":1,\"b\":2,\"c\":\"x \t \r\n y\"}");
  doc->AddChild(u"d", u"[ 1 ,\t\r\n  \"  \" ]");
  EXPECT_EQ(TextOf(doc), u"{\"a\":1,\"b\":2,\"c\":\"x \t \r\n y\",\"d\":[ 1 , \"  \" ]}");
  EXPECT_EQ(doc->GetChild(3)->GetChild(1)->GetAsString(), u"  ");
}

TEST(AddChild, AppendsElementsAndWrapsNamedEntriesOfAnArrayInAnObject) {
  JSONRef numbers = JSONFromString(u"[1]");
  EXPECT_EQ(numbers->AddChild(u"", u"2")->GetValue(), u"2");
  EXPECT_EQ(TextOf(numbers), u"[1,2]");

  JSONRef empty = JSONFromString(u"[]");
  JSONRef element = empty->AddChild(u"k", u"true");
  EXPECT_EQ(TextOf(empty), u"[{\"k\":true}]");
  EXPECT_EQ(element->GetJType(), jt_object);
  EXPECT_EQ(element->GetText(), u"{\"k\":true}");
  ASSERT_EQ(element->GetCount(), 1);
  EXPECT_EQ(element->GetChild(0)->GetName(), u"k");
  EXPECT_EQ(element->GetChild(0)->GetLevel(), 2);

  JSONRef spaced = JSONFromString(u"[1 ]");
  spaced->AddChild(u"", u"2");
  EXPECT_EQ(TextOf(spaced), u"[1 ,2]");
  EXPECT_EQ(spaced->GetChild(1)->GetText(), u"2");
}

TEST(AddChild, AnEmptyValueLeavesAChildWithoutText) {
  JSONRef doc = JSONFromString(u"[1]");
  JSONRef child = doc->AddChild(u"", u"");
  EXPECT_EQ(TextOf(doc), u"[1,]");
  EXPECT_EQ(child->GetJType(), jt_unknown);
  EXPECT_EQ(child->GetText(), u"");
  EXPECT_EQ(doc->GetCount(), 2);
}

TEST(AddChild, RefusesStringsScalarsAndUnterminatedObjectsAndArrays) {
  const std::u16string text = u"{\"s\":\"x\",\"n\":[1]}";
  JSONRef doc = JSONFromString(text);
  EXPECT_FALSE(doc->GetChild(0)->AddChild(u"a", u"1"));
  EXPECT_FALSE(doc->GetChild(1)->GetChild(0)->AddChild(u"", u"1"));
  EXPECT_EQ(TextOf(doc), text);

  // Not ended inside the text, or ended on a character other than a closing bracket: a comma and
  // the new child would go in front of some other character of the document.
  for (const std::u16string unterminated :
       {u"{\"a\":[1", u"[[1],", u"[1 2]", u"{\"a\":1 \"b\":2}"}) {
    JSONRef broken = JSONFromString(unterminated);
    const int32_t count = broken->GetCount();
    EXPECT_FALSE(broken->AddChild(u"", u"9"));
    EXPECT_EQ(broken->GetCount(), count);
    EXPECT_EQ(TextOf(broken), unterminated);
  }
  JSONRef holder = JSONFromString(u"{\"a\":[1");
  JSONRef member = holder->GetChild(0);
  ASSERT_EQ(member->GetJType(), jt_array);
  EXPECT_FALSE(member->AddChild(u"", u"9"));
  EXPECT_EQ(TextOf(holder), u"{\"a\":[1");
}

TEST(AddChild, KeepsEveryOtherNodeReadingAsBefore) {
  JSONRef doc = JSONFromString(u"{\"x\":{\"y\":[1,\"two\"]},\"z\":3}");
  JSONRef x = doc->GetChild(0);
  JSONRef y = x->GetChild(0);
  JSONRef one = y->GetChild(0);
  JSONRef two = y->GetChild(1);
  JSONRef z = doc->GetChild(1);
  JSONRef added = y->AddChild(u"", u"{\"q\":[]}");
  EXPECT_EQ(TextOf(doc), u"{\"x\":{\"y\":[1,\"two\",{\"q\":[]}]},\"z\":3}");
  EXPECT_EQ(added->GetText(), u"{\"q\":[]}");
  EXPECT_EQ(added->GetLevel(), 3);
  EXPECT_EQ(added->GetChild(0)->GetJType(), jt_array);
  EXPECT_EQ(one->GetText(), u"1");
  EXPECT_EQ(two->GetText(), u"\"two\"");
  EXPECT_EQ(two->GetValue(), u"two");
  EXPECT_EQ(z->GetText(), u"\"z\":3");
  EXPECT_EQ(z->GetName(), u"z");
  EXPECT_EQ(y->GetValue(), u"[1,\"two\",{\"q\":[]}]");
  EXPECT_EQ(x->GetText(), u"\"x\":{\"y\":[1,\"two\",{\"q\":[]}]}");
  EXPECT_EQ(doc->GetText(), TextOf(doc));
}

TEST(SetValue, ReparsesTheNodeSoThatItsKindMayChange) {
  JSONRef doc = JSONFromString(u"{\"a\":1,\"b\":2}");
  JSONRef a = doc->GetChild(0);
  JSONRef b = doc->GetChild(1);
  a->SetValue(u"[1, 2]");
  EXPECT_EQ(TextOf(doc), u"{\"a\":[1, 2],\"b\":2}");
  EXPECT_EQ(a->GetJType(), jt_array);
  EXPECT_EQ(a->GetCount(), 2);
  EXPECT_EQ(a->GetChild(1)->GetValue(), u"2");
  EXPECT_EQ(a->GetName(), u"a");
  EXPECT_EQ(doc->GetText(), TextOf(doc));
  EXPECT_EQ(b->GetText(), u"\"b\":2");

  b->SetValue(u"\"text\"");
  EXPECT_EQ(b->GetJType(), jt_string);
  EXPECT_EQ(b->GetValue(), u"text");
  EXPECT_EQ(TextOf(doc), u"{\"a\":[1, 2],\"b\":\"text\"}");
  // A string's value lies between its quotation marks, and is kept as a string's content.
  b->SetValue(u"x  y\t\\u0041");
  EXPECT_EQ(TextOf(doc), u"{\"a\":[1, 2],\"b\":\"x  y\tA\"}");
  EXPECT_EQ(b->GetAsString(), u"x  y\tA");
}

TEST(SetValue, ReplacesEmptyAndOneCharacterValuesExactly) {
  JSONRef doc = JSONFromString(u"{\"s\":\"\",\"n\":5}");
  JSONRef s = doc->GetChild(0);
  JSONRef n = doc->GetChild(1);
  s->SetValue(u"abc");
  EXPECT_EQ(s->GetValue(), u"abc");
  n->SetValue(u"");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"abc\",\"n\":}");
  n->SetValue(u"12");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"abc\",\"n\":12}");
  EXPECT_EQ(n->GetValue(), u"12");
  EXPECT_EQ(n->GetText(), u"\"n\":12");
}

TEST(SetValue, ReplacesABareValueRunningToTheEndOfTheText) {
  JSONRef doc = JSONFromString(u"12");
  ASSERT_EQ(Node(doc).ValueRange(), Range(1, 2));
  doc->SetValue(u"[3]");
  EXPECT_EQ(TextOf(doc), u"[3]");
  EXPECT_EQ(doc->GetJType(), jt_array);
  EXPECT_EQ(doc->GetText(), u"[3]");
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"3");
}

TEST(SetValue, DropsTheOldChildrenFromTheTreeSoThatNoEditReachesThem) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef doc = JSONFromString(u"{\"a\":{\"b\":[1,2]},\"c\":3}");
    JSONRef a = doc->GetChild(0);
    JSONRef b = a->GetChild(0);
    JSONRef two = b->GetChild(1);
    a->SetValue(u"[7]");
    EXPECT_EQ(a->GetCount(), 1);
    EXPECT_EQ(a->GetChild(0)->GetValue(), u"7");
    EXPECT_FALSE(b->GetParent());

    // Its parent gone too, the element is still held; it leads nowhere and edits nothing.
    doc->SetValue(u"{\"c\":4}");
    a.reset();
    b.reset();
    EXPECT_FALSE(two->GetParent());
    const std::u16string text = TextOf(doc);
    two->SetValue(u"\"overwritten\"");
    two->SetAsString(u"overwritten");
    two->SetName(u"overwritten");
    EXPECT_EQ(TextOf(doc), text);
    EXPECT_EQ(doc->GetChild(0)->GetValue(), u"4");
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(SetValue, ChangesNothingOnceTheDocumentIsGone) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef doc = JSONFromString(u"{\"a\":{\"b\":1}}");
    JSONRef a = doc->GetChild(0);
    doc.reset();
    a->SetValue(u"2");
    a->SetName(u"x");
    a->SetAsString(u"y");
    EXPECT_FALSE(a->AddChild(u"k", u"1"));
    EXPECT_EQ(a->GetCount(), 1);
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(SetValue, FailsBeforeTheTextChangesWhenTheResultWouldBeNestedTooDeeply) {
  JSONRef doc = JSONFromString(Nested(ujson::MaxNestingLevel, u"1"));
  JSONRef leaf = Deepest(doc);
  ASSERT_EQ(leaf->GetLevel(), ujson::MaxNestingLevel);
  const std::u16string text = TextOf(doc);
  ExpectNestingFailure([&] { leaf->SetValue(u"[]"); });
  ExpectNestingFailure([&] { leaf->GetParent()->AddChild(u"", u"[2]"); });
  EXPECT_EQ(TextOf(doc), text);
  EXPECT_EQ(leaf->GetValue(), u"1");
  EXPECT_EQ(leaf->GetParent()->GetCount(), 1);
  leaf->SetValue(u"2");
  EXPECT_EQ(leaf->GetValue(), u"2");
  EXPECT_EQ(leaf->GetParent()->AddChild(u"", u"3")->GetLevel(), ujson::MaxNestingLevel);
}

TEST(SetValue, BoundsTheNestingOfTheTextThatFollowsAnUnbalancedValue) {
  // Behind the member's value the parser stops; an opening bracket written in its place makes
  // the brackets that follow nest.
  JSONRef doc = JSONFromString(u"{\"a\":0 " + Nested(ujson::MaxNestingLevel, u"1") + u"}");
  JSONRef a = doc->GetChild(0);
  ASSERT_EQ(a->GetJType(), jt_variant);
  const std::u16string text = TextOf(doc);
  ExpectNestingFailure([&] { a->SetValue(u"["); });
  EXPECT_EQ(TextOf(doc), text);
  EXPECT_EQ(a->GetJType(), jt_variant);

  // Many brackets behind an edit do not count when the parse never gets to them.
  JSONRef deep = JSONFromString(u"[0," + Nested(ujson::MaxNestingLevel - 1, u"1") + u"]");
  deep->GetChild(0)->SetValue(u"[[1]]");
  EXPECT_EQ(deep->GetChild(0)->GetChild(0)->GetChild(0)->GetValue(), u"1");
  EXPECT_EQ(deep->GetChild(0)->GetText(), u"[[1]]");
}

TEST(SetName, ReplacesTheNameAloneAndIgnoresNodesWithoutOne) {
  JSONRef doc = JSONFromString(u"{\"ab\":1,\"\":[2],\"c\":3}");
  JSONRef ab = doc->GetChild(0);
  ab->SetName(u"xyz");
  EXPECT_EQ(TextOf(doc), u"{\"xyz\":1,\"\":[2],\"c\":3}");
  EXPECT_EQ(ab->GetName(), u"xyz");
  EXPECT_EQ(ab->GetValue(), u"1");

  // Empty and one-character old names are covered exactly by the new one.
  JSONRef unnamed = doc->GetChild(1);
  unnamed->SetName(u"k");
  EXPECT_EQ(unnamed->GetName(), u"k");
  EXPECT_EQ(unnamed->GetText(), u"\"k\":[2]");
  unnamed->SetName(u"long");
  EXPECT_EQ(unnamed->GetName(), u"long");
  unnamed->SetName(u"");
  EXPECT_EQ(unnamed->GetName(), u"");
  unnamed->SetName(u"m");
  EXPECT_EQ(TextOf(doc), u"{\"xyz\":1,\"m\":[2],\"c\":3}");
  EXPECT_EQ(unnamed->GetChild(0)->GetValue(), u"2");
  EXPECT_EQ(doc->GetChild(2)->GetText(), u"\"c\":3");

  JSONRef element = unnamed->GetChild(0);
  element->SetName(u"n");
  doc->SetName(u"n");
  EXPECT_EQ(TextOf(doc), u"{\"xyz\":1,\"m\":[2],\"c\":3}");
}

TEST(SetAsString, WritesJsonEscapesThatAsStringReadsBackUnchanged) {
  JSONRef doc = JSONFromString(u"{\"s\":\"ab\",\"n\":1}");
  JSONRef s = doc->GetChild(0);
  s->SetAsString(u"x\"y");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"x\\\"y\",\"n\":1}");
  EXPECT_EQ(s->GetAsString(), u"x\"y");
  EXPECT_EQ(s->GetValue(), u"x\\\"y");

  // Structural characters need no escape inside a string.
  s->SetAsString(u"a:b,c[]{}");
  EXPECT_EQ(s->GetValue(), u"a:b,c[]{}");
  EXPECT_EQ(s->GetAsString(), u"a:b,c[]{}");

  s->SetAsString(u"two\nlines\tand\r\b\f");
  EXPECT_EQ(s->GetValue(), u"two\\nlines\\tand\\r\\b\\f");
  EXPECT_EQ(s->GetAsString(), u"two\nlines\tand\r\b\f");

  const std::pair<std::u16string, std::u16string> backslashes[] = {
      {u"a\\b", u"a\\\\b"},
      {u"a\\", u"a\\\\"},
      {u"\\\\server\\share", u"\\\\\\\\server\\\\share"},
      {u"\\n\\\"", u"\\\\n\\\\\\\""}};
  for (const auto& [text, stored] : backslashes) {
    JSONRef fresh = JSONFromString(u"{\"s\":\"ab\",\"n\":1}");
    fresh->GetChild(0)->SetAsString(text);
    EXPECT_EQ(fresh->GetChild(0)->GetValue(), stored);
    EXPECT_EQ(fresh->GetChild(0)->GetAsString(), text);
    // The string still ends where it should when the document is read again.
    JSONRef reread = JSONFromString(TextOf(fresh));
    ASSERT_EQ(reread->GetCount(), 2);
    EXPECT_EQ(reread->GetChild(0)->GetAsString(), text);
    EXPECT_EQ(reread->GetChild(1)->GetValue(), u"1");
  }
}

TEST(SetAsString, CoversEmptyAndOneCharacterValuesAndTheTextEndingWithThem) {
  JSONRef doc = JSONFromString(u"{\"s\":\"\",\"t\":[1]}");
  JSONRef s = doc->GetChild(0);
  s->SetAsString(u"hello");
  EXPECT_EQ(s->GetValue(), u"hello");
  EXPECT_EQ(s->GetText(), u"\"s\":\"hello\"");

  JSONRef one = doc->GetChild(1)->GetChild(0);
  one->SetAsString(u"xyz");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"hello\",\"t\":[xyz]}");
  EXPECT_EQ(one->GetText(), u"xyz");
  EXPECT_EQ(one->GetValue(), u"xyz");
  doc->GetChild(1)->AddChild(u"", u"2");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"hello\",\"t\":[xyz,2]}");
  one->SetAsString(u"");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"hello\",\"t\":[,2]}");
  EXPECT_EQ(one->GetText(), u"");
  one->SetAsString(u"q");
  EXPECT_EQ(TextOf(doc), u"{\"s\":\"hello\",\"t\":[q,2]}");
  EXPECT_EQ(one->GetText(), u"q");
}

TEST(SetAsString, EmptiesTheChildListOfAnObjectOrArray) {
  JSONRef doc = JSONFromString(u"{\"o\":{\"a\":1},\"z\":2}");
  JSONRef o = doc->GetChild(0);
  JSONRef a = o->GetChild(0);
  o->SetAsString(u"t");
  EXPECT_EQ(TextOf(doc), u"{\"o\":t,\"z\":2}");
  EXPECT_EQ(o->GetCount(), 0);
  EXPECT_EQ(o->GetValue(), u"t");
  EXPECT_FALSE(a->GetParent());
  a->SetValue(u"9");
  EXPECT_EQ(TextOf(doc), u"{\"o\":t,\"z\":2}");
  EXPECT_EQ(doc->GetChild(1)->GetValue(), u"2");
}

TEST(SetChildByName, WritesTheSourcesValueIntoTheNamedMember) {
  JSONRef source = JSONFromString(u"{\"v\":[1,2],\"w\":\"t\"}");
  JSONRef doc = JSONFromString(u"{\"a\":0}");
  doc->SetChildByName(u"A", source->GetChild(0));
  EXPECT_EQ(TextOf(doc), u"{\"a\":[1,2]}");
  EXPECT_EQ(doc->GetChild(0)->GetCount(), 2);
  doc->SetChildByName(u"a", nullptr);
  EXPECT_EQ(TextOf(doc), u"{\"a\":[1,2]}");

  JSONRef generated = NewJSONObject();
  generated->SetChildByName(u"b", source->GetChild(1));
  EXPECT_EQ(TextOf(generated), u"{\"b\":t}");
}

TEST(Editing, RefusesATextLongerThanPositionsCanAddressBeforeChangingAnything) {
  // A name of 2^31 - 1 characters, backed by pages that are never touched.
  const size_t length = (size_t{1} << 31) - 1;
  void* pages = mmap(nullptr, length * sizeof(char16_t), PROT_READ,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  JSONRef doc = JSONFromString(u"{\"a\":1}");
  try {
    doc->GetChild(0)->SetName(std::u16string_view(static_cast<const char16_t*>(pages), length));
    ADD_FAILURE() << "the edit did not fail";
  } catch (const EJSONError& e) {
    EXPECT_STREQ(e.what(),
                 "The text is too long: 2147483653 characters, at most 2147483631 are supported");
  }
  munmap(pages, length * sizeof(char16_t));
  EXPECT_EQ(TextOf(doc), u"{\"a\":1}");
  EXPECT_EQ(doc->GetChild(0)->GetName(), u"a");
}

} // namespace
