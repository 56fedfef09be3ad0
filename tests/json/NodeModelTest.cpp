#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(NodeModel, AnUnparsedDocumentHasNoKindNoChildrenAndEmptyTexts) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef doc = JSONFromString(u"");
    EXPECT_EQ(JSONInstanceCount, before + 1);
    EXPECT_EQ(doc->GetJType(), jt_unknown);
    EXPECT_EQ(doc->GetLevel(), 0);
    EXPECT_EQ(doc->GetCount(), 0);
    EXPECT_EQ(doc->GetText(), u"");
    EXPECT_EQ(doc->GetName(), u"");
    EXPECT_EQ(doc->GetValue(), u"");
    EXPECT_EQ(doc->GetParent(), nullptr);
    EXPECT_FALSE(doc->GetIsGenerating());
    EXPECT_EQ(Node(doc).Owner(), doc.get());
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(NodeModel, GetChildOutsideTheListFailsWithArgumentOutOfRange) {
  JSONRef doc = JSONFromString(u"[1,2]");
  for (int32_t index : {-1, 2, INT32_MIN, INT32_MAX}) {
    try {
      doc->GetChild(index);
      ADD_FAILURE() << "no failure for index " << index;
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), "Argument out of range");
    }
  }
  EXPECT_EQ(doc->GetCount(), 2);
  JSONRef leaf = doc->GetChild(0);
  EXPECT_THROW(leaf->GetChild(0), std::out_of_range);
}

TEST(NodeModel, NamesOfElementsAndOfTheDocumentAreEmpty) {
  JSONRef doc = JSONFromString(u"{\"a\":[1]}");
  EXPECT_EQ(doc->GetName(), u"");
  JSONRef member = doc->GetChild(0);
  EXPECT_EQ(member->GetName(), u"a");
  EXPECT_EQ(member->GetChild(0)->GetName(), u"");
  EXPECT_EQ(Node(member->GetChild(0)).NameRange(), Range(0, 0));
}

TEST(NodeModel, LevelsCountFromTheDocumentAndParentsLeadBackToIt) {
  JSONRef doc = JSONFromString(u"{\"a\":{\"b\":[true]}}");
  JSONRef a = doc->GetChild(0);
  JSONRef b = a->GetChild(0);
  JSONRef element = b->GetChild(0);
  EXPECT_EQ(a->GetLevel(), 1);
  EXPECT_EQ(b->GetLevel(), 2);
  EXPECT_EQ(element->GetLevel(), 3);
  EXPECT_EQ(element->GetParent(), b);
  EXPECT_EQ(b->GetParent(), a);
  EXPECT_EQ(a->GetParent(), doc);
  EXPECT_EQ(doc->GetParent(), nullptr);
}

TEST(NodeModel, ElementTextIsClippedToTheDocumentAndTrimmedOutsideStrings) {
  // A string's content reads as it stands; texts and bare values are trimmed.
  JSONRef spaced = JSONFromString(u"[ \"  \" , 1 ]");
  EXPECT_EQ(spaced->GetChild(0)->GetValue(), u"  ");
  EXPECT_EQ(spaced->GetChild(0)->GetText(), u"\"  \"");
  EXPECT_EQ(spaced->GetChild(1)->GetText(), u"1");
  EXPECT_EQ(spaced->GetText(), u"[ \"  \" , 1 ]");

  // Pushing ranges around with ShiftPositions reaches the clipping cases
  // that a parse alone never produces.
  JSONRef doc = JSONFromString(u"[\" a b \"]");
  JSONRef element = doc->GetChild(0);
  ASSERT_EQ(Node(element).ValueRange(), Range(3, 7));
  EXPECT_EQ(element->GetValue(), u" a b ");

  doc->ShiftPositions(6, 1000); // (3, 1007): runs past the end
  EXPECT_EQ(element->GetValue(), u" a b \"]");
  doc->ShiftPositions(0, 2000); // (2003, 3007): beyond the end
  EXPECT_EQ(element->GetValue(), u"");
  doc->ShiftPositions(2500, -3000); // (2003, 7)
  EXPECT_EQ(element->GetValue(), u"");
  doc->ShiftPositions(0, -2001); // (2, -1994): finish before start
  EXPECT_EQ(Node(element).ValueRange(), Range(2, -1994));
  EXPECT_EQ(element->GetValue(), u"");
  doc->ShiftPositions(-3000, -10); // (-8, -2004): start below 1
  EXPECT_EQ(element->GetValue(), u"");
  doc->ShiftPositions(-3000, 2012); // (2004, 8) -> and back into the text
  doc->ShiftPositions(2003, -2000); // (4, 8): clipped at nothing, trimmed
  EXPECT_EQ(element->GetValue(), u"a b \"");
}

TEST(NodeModel, ShiftPositionsMovesOnlyPositionsStrictlyBehindThePoint) {
  JSONRef doc = JSONFromString(u"{\"k\": [10, 20]}");
  JSONRef member = doc->GetChild(0);
  JSONRef second = member->GetChild(1);
  const TStringElement memberText = Node(member).TextRange();
  const TStringElement memberName = Node(member).NameRange();
  const TStringElement secondValue = Node(second).ValueRange();
  ASSERT_EQ(memberName, Range(3, 3));
  ASSERT_EQ(secondValue, Range(12, 13));

  doc->ShiftPositions(12, 3);
  EXPECT_EQ(Node(member).NameRange(), memberName);
  EXPECT_EQ(Node(member).TextRange(), Range(memberText.Start, memberText.Finish + 3));
  EXPECT_EQ(Node(second).ValueRange(), Range(12, 16)); // start equals the point: it stays
  EXPECT_EQ(Node(doc).TextRange(), Range(1, 18));

  doc->ShiftPositions(12, -3);
  EXPECT_EQ(Node(second).ValueRange(), secondValue);
  EXPECT_EQ(Node(member).TextRange(), memberText);
  EXPECT_EQ(Node(member->GetChild(0)).NameRange(), Range(0, 0)); // unset stays unset
}

TEST(NodeModel, TheGeneratingFlagLivesOnTheDocumentOnly) {
  JSONRef doc = JSONFromString(u"{\"a\":{\"b\":1}}");
  JSONRef a = doc->GetChild(0);
  JSONRef b = a->GetChild(0);
  a->SetIsGenerating(true);
  EXPECT_FALSE(doc->GetIsGenerating());
  EXPECT_FALSE(b->GetIsGenerating());
  doc->SetIsGenerating(true);
  EXPECT_TRUE(a->GetIsGenerating());
  EXPECT_TRUE(b->GetIsGenerating());
}

TEST(NodeModel, ReleasingTheDocumentReleasesEveryNodeNobodyElseHolds) {
  const int64_t before = JSONInstanceCount;
  JSONRef kept;
  {
    JSONRef doc = JSONFromString(u"{\"a\":[1,2,{\"b\":null}],\"c\":\"x\"}");
    EXPECT_EQ(JSONInstanceCount, before + 7);
    kept = doc->GetChild(0)->GetChild(2);
  }
  // The held element keeps its own subtree but not its document.
  EXPECT_EQ(JSONInstanceCount, before + 2);
  // Its document is gone: reading it must not reach freed memory.
  EXPECT_EQ(kept->GetText(), u"");
  EXPECT_EQ(kept->GetCount(), 1);
  kept.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(NodeModel, CountedReferencesCopyMoveAndCompareByIdentity) {
  JSONRef doc = JSONFromString(u"[1]");
  JSONRef first = doc->GetChild(0);
  JSONRef again = doc->GetChild(0);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, doc);
  JSONRef moved = std::move(first);
  EXPECT_EQ(first, nullptr); // NOLINT(bugprone-use-after-move): moving empties the source
  EXPECT_TRUE(moved);
  EXPECT_EQ(std::hash<JSONRef>{}(moved), std::hash<JSONRef>{}(again));
}

} // namespace
