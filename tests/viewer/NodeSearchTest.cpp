#include "ViewerFixture.h"

namespace {

class NodeSearchTest : public ViewerTest {
protected:
  void Search(const std::u16string& Text) {
    Form().Edit("ESearch").SetText(Text);
    Form().UserClickButton("BtnFindNode");
  }
  std::u16string SelectedLabel() {
    const tk::TreeNodeHandle selected = Tree().Selected();
    return selected ? Tree().Label(selected) : u"<none>";
  }
};

TEST_F(NodeSearchTest, WithoutADocumentAClickChangesNothingNotEvenTheFocus) {
  Open();
  Search(u"x");
  EXPECT_FALSE(Tree().Focused());
  EXPECT_TRUE(Reports().empty());
}

TEST_F(NodeSearchTest, AnEmptyOrUnmatchedSearchOnlyMovesTheFocus) {
  Open();
  Paste(u"{\"a\":\"xyz\"}");
  Search(u"");
  EXPECT_TRUE(Tree().Focused());
  EXPECT_EQ(SelectedLabel(), u"<none>");
  // Matching is exact and case-sensitive.
  Search(u"XYZ");
  EXPECT_EQ(SelectedLabel(), u"<none>");
  EXPECT_FALSE(Tree().IsExpanded(Top()));
}

TEST_F(NodeSearchTest, RepeatedClicksWalkTheHitsInTextOrderThroughNeverShownNodes) {
  Open();
  Paste(u"{\"a\":\"xyz\",\"b\":{\"c\":\"xyz\"},\"d\":[1,\"xyz\"]}");
  Search(u"xyz");
  EXPECT_EQ(SelectedLabel(), u"a : \"xyz\"");
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  Search(u"xyz");
  EXPECT_EQ(SelectedLabel(), u"c : \"xyz\"");
  EXPECT_TRUE(Tree().IsExpanded(Tree().Parent(Tree().Selected())));
  Search(u"xyz");
  EXPECT_EQ(SelectedLabel(), u"\"xyz\"");
  EXPECT_EQ(Tree().Label(Tree().Parent(Tree().Selected())), u"d [] (2)");
  EXPECT_EQ(Tree().LastMadeVisible(), Tree().Selected());
  // After the last hit the selection stays where it is.
  const tk::TreeNodeHandle last = Tree().Selected();
  Search(u"xyz");
  EXPECT_EQ(Tree().Selected(), last);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(NodeSearchTest, ASelectedObjectsOwnTextIsSkippedAndTheTopNodeStartsOver) {
  Open();
  Paste(u"{\"b\":{\"c\":\"xyz\"},\"d\":\"xyz\"}");
  Tree().UserExpand(Top());
  Tree().UserClick(Child(Top(), 0));
  Search(u"xyz");
  EXPECT_EQ(SelectedLabel(), u"d : \"xyz\"");
  Tree().UserClick(Top());
  Search(u"xyz");
  EXPECT_EQ(SelectedLabel(), u"c : \"xyz\"");
}

TEST_F(NodeSearchTest, TheCharacterRightBehindTheSelectedNodeIsNotSearched) {
  Open();
  Paste(u"[1,2,3]");
  Tree().UserExpand(Top());
  Tree().UserClick(Child(Top(), 0));
  Search(u",2");
  EXPECT_EQ(Tree().Selected(), Child(Top(), 0));
  Search(u"2,");
  EXPECT_EQ(SelectedLabel(), u"2");
}

TEST_F(NodeSearchTest, AHitBetweenChildrenBelongsToTheTopNode) {
  Open();
  Paste(u"[1, 2]");
  Search(u",");
  EXPECT_EQ(Tree().Selected(), Top());
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  Search(u",");
  EXPECT_EQ(Tree().Selected(), Top());
}

TEST_F(NodeSearchTest, AFoundObjectIsExpandedAndEveryAncestorIsRegistered) {
  Open();
  Paste(u"{\"p\":{\"q\":{\"r\":{\"needle\":1,\"s\":2}}}}");
  Search(u"needle");
  EXPECT_EQ(SelectedLabel(), u"needle : 1");
  Tree().UserClick(Top());
  Search(u"\"r\"");
  EXPECT_EQ(SelectedLabel(), u"r {} (2)");
  EXPECT_TRUE(Tree().IsExpanded(Tree().Selected()));
  // Top, p, q, r and r's two members.
  EXPECT_EQ(viewer->NodeMap().size(), 6u);
}

TEST_F(NodeSearchTest, AfterTheDeleteCommandAHitFailsWithItemNotFound) {
  Open();
  Paste(u"{\"a\":\"xyz\"}");
  Form().UserClickButton("TBClear");
  Search(u"xyz");
  EXPECT_EQ(Reports(), U16s({u"Item not found"}));
  EXPECT_EQ(Tree().NodeCount(), 0u);
}

TEST_F(NodeSearchTest, ASearchOpensADocumentOneHundredThousandLevelsDeep) {
  constexpr int kDepth = 100000;
  std::u16string text(kDepth, u'[');
  text += u"\"deep\"";
  text.append(kDepth, u']');
  Open();
  Paste(std::move(text));
  Search(u"deep");
  EXPECT_EQ(SelectedLabel(), u"\"deep\"");
  EXPECT_EQ(viewer->NodeMap().size(), static_cast<std::size_t>(kDepth) + 1);
  EXPECT_TRUE(Reports().empty());
  viewer.reset(); // tears the deep tree down without recursion
}

} // namespace
