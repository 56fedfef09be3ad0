#include "ViewerFixture.h"

#include "viewer/ListerProtocol.h"

namespace {

class HostSearchTest : public ViewerTest {
protected:
  int Find(std::u16string_view Text, int Flags = 0) {
    return viewer->AnswerSearchText(Text, Flags);
  }
  std::u16string SelectedLabel() {
    const tk::TreeNodeHandle selected = Tree().Selected();
    return selected ? Tree().Label(selected) : u"<none>";
  }
};

TEST_F(HostSearchTest, FindFirstThenFindNextWalkTheHitsAndBackwardsWalksThemBack) {
  Open();
  Paste(u"{\"a\":\"Foo\",\"b\":{\"c\":\"foo\"},\"d\":[1,\"FOO\"],\"e\":\"x\"}");
  EXPECT_EQ(Find(u"foo", lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"a : \"Foo\"");
  EXPECT_EQ(Find(u"foo"), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"c : \"foo\"");
  EXPECT_TRUE(Tree().IsExpanded(Tree().Parent(Tree().Selected())));
  EXPECT_EQ(Tree().LastMadeVisible(), Tree().Selected());
  EXPECT_EQ(Find(u"foo"), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"\"FOO\"");
  // After the last hit: not found, and the selection stays.
  const tk::TreeNodeHandle last = Tree().Selected();
  EXPECT_EQ(Find(u"foo"), LISTPLUGIN_ERROR);
  EXPECT_EQ(Tree().Selected(), last);
  EXPECT_EQ(Find(u"foo", lcs_backwards), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"c : \"foo\"");
  EXPECT_EQ(Find(u"foo", lcs_backwards), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"a : \"Foo\"");
  EXPECT_EQ(Find(u"foo", lcs_backwards), LISTPLUGIN_ERROR);
  // Find first backwards starts at the end of the text.
  EXPECT_EQ(Find(u"foo", lcs_findfirst | lcs_backwards), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"\"FOO\"");
  EXPECT_TRUE(Reports().empty());
}

TEST_F(HostSearchTest, MatchCaseAndWholeWordsNarrowTheHits) {
  Open();
  Paste(u"[\"foobar\",\"Foo\",\"foo_x\",\"foo\",\"x-foo\"]");
  EXPECT_EQ(Find(u"foo", lcs_findfirst | lcs_matchcase | lcs_wholewords), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"\"foo\"");
  EXPECT_EQ(Find(u"foo", lcs_matchcase | lcs_wholewords), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"\"x-foo\"");
  EXPECT_EQ(Find(u"foo", lcs_findfirst | lcs_wholewords), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"\"Foo\"");
  EXPECT_EQ(Find(u"FOOBAR", lcs_findfirst | lcs_matchcase), LISTPLUGIN_ERROR);
  EXPECT_EQ(Find(u"FOOBAR", lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"\"foobar\"");
}

TEST_F(HostSearchTest, HitsInTheSelectedNodeArePassedOverButNotThoseInItsChildren) {
  Open();
  Paste(u"{\"key\":{\"key\":\"key key\",\"z\":\"key\"}}");
  EXPECT_EQ(Find(u"key", lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"key {} (2)");
  // The next hit is the inner member's name: a child of the selection.
  EXPECT_EQ(Find(u"key"), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"key : \"key key\"");
  // Its own value's two hits are passed over: the next stop is another node.
  EXPECT_EQ(Find(u"key"), LISTPLUGIN_OK);
  EXPECT_EQ(SelectedLabel(), u"z : \"key\"");
}

TEST_F(HostSearchTest, NothingFoundKeepsTheSelectionAndSaysSoAfterTheLoadFigures) {
  Open();
  Paste(u"{\"a\":1}");
  const std::u16string figures = Status();
  Tree().UserClick(Top());
  EXPECT_EQ(Find(u"zzz", lcs_findfirst), LISTPLUGIN_ERROR);
  EXPECT_EQ(Tree().Selected(), Top());
  EXPECT_EQ(Status(), figures + u"  Not found: \"zzz\"");
  // A long or multi-line text is shown short and on one line.
  Find(u"line\none" + std::u16string(100, u'x'), lcs_findfirst);
  EXPECT_EQ(Status(),
            figures + u"  Not found: \"line one" + std::u16string(52, u'x') + u"\u2026\"");
  EXPECT_EQ(Find(u"", lcs_findfirst), LISTPLUGIN_ERROR);
  // A hit clears the note again.
  EXPECT_EQ(Find(u"1", lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(Status(), figures);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(HostSearchTest, ANewDocumentStartsTheSearchOverAndNoDocumentFindsNothing) {
  Open();
  EXPECT_EQ(Find(u"a", lcs_findfirst), LISTPLUGIN_ERROR);
  Paste(u"[\"a\",\"b\",\"a\"]");
  EXPECT_EQ(Find(u"a", lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(Find(u"a"), LISTPLUGIN_OK);
  Paste(u"[\"a\",\"b\"]");
  EXPECT_EQ(Find(u"a"), LISTPLUGIN_OK);
  EXPECT_EQ(Tree().Selected(), Child(Top(), 0));
}

TEST_F(HostSearchTest, PassingOverManyHitsInAWideSelectedArrayStaysQuick) {
  // Every comma of the array's own text is a hit in the selected node; each costs a
  // logarithmic look-up, so this ends at once rather than after minutes.
  Open();
  std::u16string text = u"[0";
  for (int i = 1; i < 300000; ++i)
    text += u",0";
  Paste(text + u"]");
  Tree().UserClick(Top());
  EXPECT_EQ(Find(u",", lcs_findfirst), LISTPLUGIN_ERROR);
  EXPECT_EQ(Find(u"0,0"), LISTPLUGIN_OK);
  EXPECT_EQ(Tree().Selected(), Child(Top(), 0));
}

TEST_F(HostSearchTest, AHitInATreeThatNoLongerShowsTheDocumentIsReportedAndAnswersAnError) {
  Open();
  Paste(u"[\"a\"]");
  Form().UserClickButton("TBClear");
  EXPECT_EQ(Find(u"a", lcs_findfirst), LISTPLUGIN_ERROR);
  EXPECT_EQ(Reports(), U16s({u"Item not found"}));
}

} // namespace
