#include "NodeAccess.h"

#include <gtest/gtest.h>

namespace {

TEST(Find, ReturnsTheDeepestNodeHoldingTheFirstHitAfterTheStart) {
  JSONRef doc = JSONFromString(u"{\"a\":\"xyz\"}");
  JSONRef a = doc->GetChild(0);
  EXPECT_EQ(doc->Find(u"y", 0), a);
  EXPECT_EQ(doc->Find(u"a", 1), a); // starts at position 2, hits the name at 3
  EXPECT_EQ(doc->Find(u"{", 0), doc);
  EXPECT_EQ(doc->Find(u"\"xyz\"", 0), a);
}

TEST(Find, NeverFindsEmptyTextsHitsOnTheLastCharacterOrHitsBeforeTheStart) {
  JSONRef doc = JSONFromString(u"{\"a\":\"xyz\"}");
  EXPECT_EQ(doc->Find(u"}", 0), nullptr);
  EXPECT_EQ(doc->Find(u"\"}", 0), nullptr);
  EXPECT_EQ(doc->Find(u"", 0), nullptr);
  EXPECT_EQ(doc->Find(u"x", 9), nullptr);  // the search starts at position 10
  EXPECT_EQ(doc->Find(u"z", 10), nullptr); // 10 is not less than 11 - 1
  EXPECT_EQ(doc->Find(u"Y", 0), nullptr);  // case-sensitive
  EXPECT_EQ(doc->Find(u"xyz\"}x", 0), nullptr);
  EXPECT_EQ(doc->Find(u"y", INT32_MAX), nullptr);
}

TEST(Find, ANegativeStartCountsAsZero) {
  JSONRef doc = JSONFromString(u"[\"abc\",1]");
  EXPECT_EQ(doc->Find(u"[", -5), doc);
  EXPECT_EQ(doc->Find(u"b", INT32_MIN), doc->GetChild(0));
}

TEST(Find, SearchesOnlyWithinTheNodeItIsCalledOn) {
  JSONRef doc = JSONFromString(u"[[\"k\",\"x\"],[\"x\"]]");
  JSONRef first = doc->GetChild(0);
  JSONRef second = doc->GetChild(1);
  EXPECT_EQ(first->Find(u"x", 0), first->GetChild(1));
  EXPECT_EQ(second->Find(u"x", 0), second->GetChild(0));
  EXPECT_EQ(first->Find(u"]", 0), nullptr); // only at its own last character
  JSONRef unparsed = JSONFromString(u"");
  EXPECT_EQ(unparsed->Find(u"x", 0), nullptr);
}

TEST(FindByPosition, DescendsIntoTheFirstChildHoldingThePosition) {
  //                              1234567890123456789
  JSONRef doc = JSONFromString(u"[1, {\"k\": [true]}]");
  JSONRef object = doc->GetChild(1);
  JSONRef member = object->GetChild(0);
  JSONRef element = member->GetChild(0);
  EXPECT_EQ(doc->FindByPosition(3), doc); // the comma between the elements
  EXPECT_EQ(doc->FindByPosition(2), doc->GetChild(0));
  EXPECT_EQ(doc->FindByPosition(5), object);
  EXPECT_EQ(doc->FindByPosition(7), member);
  EXPECT_EQ(doc->FindByPosition(13), element);
  EXPECT_EQ(doc->FindByPosition(18), doc); // both ends of a range belong to it
  EXPECT_EQ(doc->FindByPosition(1), doc);
}

TEST(FindByPosition, FindsNothingOutsideTheNodesText) {
  JSONRef doc = JSONFromString(u"[1, [2]] tail");
  EXPECT_EQ(doc->FindByPosition(0), nullptr);
  EXPECT_EQ(doc->FindByPosition(-1), nullptr);
  EXPECT_EQ(doc->FindByPosition(9), nullptr);
  EXPECT_EQ(doc->FindByPosition(INT32_MAX), nullptr);
  JSONRef inner = doc->GetChild(1);
  EXPECT_EQ(inner->FindByPosition(2), nullptr);
  EXPECT_EQ(inner->FindByPosition(6), inner->GetChild(0));
  EXPECT_EQ(JSONFromString(u"")->FindByPosition(0), nullptr);
}

TEST(Find, FindsTheTextOfStringsAsTheFileHoldsIt) {
  JSONRef doc = JSONFromString(u"{\r\n  \"a\": \"x  y\",\r\n  \"b  c\": \"tab\there\"\r\n}");
  ASSERT_EQ(doc->GetCount(), 2);
  EXPECT_EQ(doc->Find(u"x  y", 0), doc->GetChild(0));
  EXPECT_EQ(doc->Find(u"b  c", 0), doc->GetChild(1));
  EXPECT_EQ(doc->Find(u"tab\there", 0), doc->GetChild(1));
  EXPECT_EQ(doc->Find(u"x y", 0), nullptr);
}

TEST(FindByPosition, FindsADocumentThatIsOneValue) {
  for (const char16_t* text : {u"7", u"42", u"\"s\"", u"true\n"}) {
    JSONRef doc = JSONFromString(text);
    EXPECT_EQ(doc->FindByPosition(1), doc);
  }
}

} // namespace
