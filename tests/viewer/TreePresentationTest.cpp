#include "ViewerFixture.h"

#include "viewer/ViewerError.h"

namespace {

// Every map entry leads to a live tree node whose data is the key, and the other way round.
void ExpectMapMatchesTree(const TfmMain& Viewer, tkmem::MemoryTreeView& Tree) {
  for (const auto& [node, treeNode] : Viewer.NodeMap()) {
    ASSERT_TRUE(Tree.Contains(treeNode));
    EXPECT_EQ(Tree.Data(treeNode), node.get());
  }
}

TEST_F(ViewerTest, ShowingADocumentCostsOneNodeAndOnePlaceholderWhateverItsSize) {
  Open();
  std::u16string big = u"[0";
  for (int i = 1; i < 5000; ++i)
    big += u",{\"k\":" + std::u16string(1, u'1') + u"}";
  Paste(big + u"]");
  EXPECT_EQ(Tree().NodeCount(), 2u);
  EXPECT_EQ(Tree().InsertCount(), 2u);
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" [] (5000)"}));
  EXPECT_EQ(Labels(Top()), U16s({u"..."}));
  EXPECT_EQ(Tree().Data(Child(Top(), 0)), nullptr);
  ASSERT_EQ(viewer->NodeMap().size(), 1u);
  EXPECT_EQ(viewer->NodeMap().at(viewer->RootObj()), Top());
  EXPECT_EQ(Tree().Data(Top()), viewer->RootObj().get());
}

TEST_F(ViewerTest, ExpandingReplacesThePlaceholderByTheChildrenInOrderWithRedrawSuspended) {
  Open();
  Paste(u"{\"a\":1,\"b\":[1,2],\"c\":{},\"d\":\"x\"}");
  const uint64_t suspensions = Tree().RedrawSuspensions();
  Tree().UserExpand(Top());
  EXPECT_TRUE(Reports().empty());
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_EQ(Labels(Top()), U16s({u"a : 1", u"b [] (2)", u"c {} (0)", u"d : \"x\""}));
  EXPECT_EQ(Labels(Child(Top(), 1)), U16s({u"..."}));
  EXPECT_EQ(Labels(Child(Top(), 2)), U16s({u"..."}));
  EXPECT_TRUE(Labels(Child(Top(), 0)).empty());
  EXPECT_EQ(Tree().RedrawSuspensions(), suspensions + 1);
  EXPECT_EQ(Tree().UpdateDepth(), 0);
  EXPECT_EQ(viewer->NodeMap().size(), 5u);
  ExpectMapMatchesTree(*viewer, Tree());
}

TEST_F(ViewerTest, AnEmptyObjectExpandsToNothingAndThenShowsNoExpandButton) {
  Open();
  Paste(u"{}");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" {} (0)"}));
  EXPECT_TRUE(Tree().HasExpandButton(Top()));
  Tree().UserExpand(Top());
  EXPECT_FALSE(Tree().HasExpandButton(Top()));
  EXPECT_EQ(Tree().NodeCount(), 1u);
  EXPECT_EQ(viewer->NodeMap().size(), 1u);
}

TEST_F(ViewerTest, CollapsingAndExpandingAgainLeavesChildrenLabelsAndMapAsTheyWere) {
  Open();
  Paste(u"[{\"x\":1},2]");
  Tree().UserExpand(Top());
  const std::vector<tk::TreeNodeHandle> children = Tree().Children(Top());
  const uint64_t inserts = Tree().InsertCount();
  Tree().UserCollapse(Top());
  Tree().UserExpand(Top());
  Tree().Expand(Top());
  EXPECT_EQ(Tree().Children(Top()), children);
  EXPECT_EQ(Labels(Top()), U16s({u" {} (1)", u"2"}));
  EXPECT_EQ(Tree().InsertCount(), inserts);
  EXPECT_EQ(viewer->NodeMap().size(), 3u);
  ExpectMapMatchesTree(*viewer, Tree());
}

TEST_F(ViewerTest, ShowingAnotherDocumentLeavesOnlyItsTopNodeInTreeAndMap) {
  Open();
  Paste(u"[1,[2,3]]");
  Tree().UserExpand(Top());
  Tree().UserExpand(Child(Top(), 1));
  Paste(u"{\"only\":true}");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" {} (1)"}));
  ASSERT_EQ(viewer->NodeMap().size(), 1u);
  EXPECT_EQ(viewer->NodeMap().begin()->first, viewer->RootObj());
}

TEST_F(ViewerTest, AnUnparsedDocumentShowsOneUnknownNodeWithoutPlaceholder) {
  Open();
  app.TestClipboard().SetNoText();
  Form().UserClickButton("TBPaste");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u"(empty)"}));
  EXPECT_FALSE(Tree().HasExpandButton(Top()));
  EXPECT_TRUE(Reports().empty());
}

TEST_F(ViewerTest, AConfirmedLabelEditSetsLabelAndCaptionButNotTheDocument) {
  Open();
  Paste(u"{\"a\":1}");
  Tree().UserExpand(Top());
  const tk::TreeNodeHandle member = Child(Top(), 0);
  ASSERT_TRUE(Tree().UserEditLabel(member, u"renamed", false));
  EXPECT_EQ(Tree().Label(member), u"a : 1");
  EXPECT_EQ(viewer->Window().Caption(), u"Treskal");
  ASSERT_TRUE(Tree().UserEditLabel(member, u"renamed", true));
  EXPECT_EQ(Tree().Label(member), u"renamed");
  EXPECT_EQ(viewer->Window().Caption(), u"renamed");
  EXPECT_EQ(viewer->RootObj()->GetText(), u"{\"a\":1}");
  EXPECT_EQ(viewer->NodeMap().size(), 2u);
  // A click changes nothing beyond the selection.
  Tree().UserClick(member);
  EXPECT_EQ(Tree().Selected(), member);
  EXPECT_EQ(viewer->Window().Caption(), u"renamed");
}

TEST_F(ViewerTest, ARealChildRelabelledAsThreeDotsIsNotMistakenForAPlaceholder) {
  Open();
  Paste(u"[{\"x\":1},{\"y\":2}]");
  Tree().UserExpand(Top());
  Tree().UserEditLabel(Child(Top(), 0), u"...", true);
  Tree().UserCollapse(Top());
  Tree().UserExpand(Top());
  EXPECT_EQ(Labels(Top()), U16s({u"...", u" {} (1)"}));
  EXPECT_EQ(viewer->NodeMap().size(), 3u);
  ExpectMapMatchesTree(*viewer, Tree());
}

TEST_F(ViewerTest, ShowingAPresentedNodeAgainFailsWithDuplicatesNotAllowed) {
  Open();
  Paste(u"[1]");
  try {
    viewer->ShowObject(Top(), viewer->RootObj());
    ADD_FAILURE() << "no failure";
  } catch (const EViewerError& e) {
    EXPECT_STREQ(e.what(), "Duplicates not allowed");
  }
  // The tree node made for it stays with an empty label; the map keeps its first entry.
  EXPECT_EQ(Labels(Top()), U16s({u"...", u""}));
  ASSERT_EQ(viewer->NodeMap().size(), 1u);
  EXPECT_EQ(viewer->NodeMap().at(viewer->RootObj()), Top());
}

} // namespace

namespace {

TEST_F(ViewerTest, TreeNodesCarryTheirLabelPartsUntilTheLabelIsEdited) {
  Open();
  Paste(u"{\"a\":1,\"s\":\"x\"}");
  EXPECT_EQ(Tree().LabelParts(Top()), (std::vector<tk::LabelPart>{{tk::LabelPartKind::Marker, 7}}));
  Tree().UserExpand(Top());
  const tk::TreeNodeHandle number = Child(Top(), 0);
  EXPECT_EQ(Tree().LabelParts(number),
            (std::vector<tk::LabelPart>{{tk::LabelPartKind::Name, 1},
                                        {tk::LabelPartKind::Punctuation, 3},
                                        {tk::LabelPartKind::Number, 1}}));
  // An edited label draws in one colour.
  ASSERT_TRUE(Tree().UserEditLabel(number, u"renamed", true));
  EXPECT_TRUE(Tree().LabelParts(number).empty());
  EXPECT_FALSE(Tree().LabelParts(Child(Top(), 1)).empty());
}

TEST_F(ViewerTest, HoveringANodeShowsItsValueAndAPlaceholderShowsNothing) {
  Open();
  Paste(u"{\"s\":\"one\\ntwo\",\"o\":{\"k\":1}}");
  EXPECT_EQ(Tree().UserHover(Top()), u"{\"s\":\"one\\ntwo\",\"o\":{\"k\":1}}");
  EXPECT_EQ(Tree().UserHover(Child(Top(), 0)), u"");
  Tree().UserExpand(Top());
  EXPECT_EQ(Tree().UserHover(Child(Top(), 0)), u"one\ntwo");
  EXPECT_EQ(Tree().UserHover(Child(Top(), 1)), u"{\"k\":1}");
  EXPECT_TRUE(Reports().empty());
}

} // namespace
