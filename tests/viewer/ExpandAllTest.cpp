#include "ViewerFixture.h"

#include <string>

namespace {

// An array of Rows arrays of Width numbers each.
std::u16string Grid(int Rows, int Width) {
  std::u16string text = u"[";
  for (int row = 0; row < Rows; ++row) {
    text += row == 0 ? u"[" : u",[";
    for (int column = 0; column < Width; ++column)
      text += column == 0 ? u"0" : u",0";
    text += u']';
  }
  return text + u"]";
}

class ExpandAllTest : public ViewerTest {};

TEST_F(ExpandAllTest, ExpandsTheWholeSubtreeBelowTheNodeAndCollapseAllClosesIt) {
  Open();
  Paste(u"{\"a\":{\"b\":{\"c\":[1,[2]]}},\"d\":[]}");
  const std::u16string status = Status();
  EXPECT_TRUE(viewer->ExpandAll(Top()));
  const tk::TreeNodeHandle c = Child(Child(Child(Top(), 0), 0), 0);
  EXPECT_TRUE(Tree().IsExpanded(c));
  EXPECT_EQ(Labels(Child(c, 1)), U16s({u"2"}));
  EXPECT_FALSE(Tree().HasExpandButton(Child(Top(), 1))); // the empty array, opened once
  EXPECT_EQ(Status(), status);
  EXPECT_GE(Tree().RedrawSuspensions(), 1u);

  viewer->CollapseAll(Child(Top(), 0));
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_FALSE(Tree().IsExpanded(Child(Top(), 0)));
  EXPECT_FALSE(Tree().IsExpanded(c));
  EXPECT_FALSE(Tree().IsExpanded(Child(c, 1)));
  // Expanding again shows what was there, without building it anew.
  const uint64_t inserts = Tree().InsertCount();
  viewer->ExpandAll(Child(Top(), 0));
  EXPECT_EQ(Tree().InsertCount(), inserts);
  EXPECT_TRUE(Tree().IsExpanded(Child(c, 1)));
}

TEST_F(ExpandAllTest, StopsBeforeCreatingMoreThanTheLimitAndSaysSoInTheStatusText) {
  Open();
  Paste(Grid(40, 3000));
  const std::u16string status = Status();
  const uint64_t before = Tree().InsertCount();
  EXPECT_FALSE(viewer->ExpandAll(Top()));
  const uint64_t created = Tree().InsertCount() - before;
  EXPECT_LE(created, TfmMain::ExpandAllLimit);
  // 40 rows with their placeholders, then 33 rows of 3000 fit; the 34th would not.
  EXPECT_EQ(created, 80u + 33u * 3000u);
  const std::vector<tk::TreeNodeHandle> rows = Tree().Children(Top());
  EXPECT_TRUE(Tree().IsExpanded(rows[32]));
  EXPECT_FALSE(Tree().IsExpanded(rows[33]));
  EXPECT_EQ(Status(), status + u"  Expand all stopped after 100000 new tree nodes");
  // The user can still open the rest one by one.
  Tree().UserExpand(rows[39]);
  EXPECT_EQ(Tree().Children(rows[39]).size(), 3000u);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(ExpandAllTest, ANodeWhoseChildrenAloneExceedTheLimitIsLeftShut) {
  Open();
  Paste(Grid(1, 100001));
  Tree().UserExpand(Top());
  const uint64_t before = Tree().InsertCount();
  EXPECT_FALSE(viewer->ExpandAll(Top()));
  EXPECT_EQ(Tree().InsertCount(), before);
  EXPECT_FALSE(Tree().IsExpanded(Child(Top(), 0)));
  // Exactly at the limit it goes through.
  Paste(Grid(1, 99998)); // one row and its placeholder, then 99998 numbers: 100000
  EXPECT_TRUE(viewer->ExpandAll(Top()));
  EXPECT_TRUE(Tree().IsExpanded(Child(Top(), 0)));
}

TEST_F(ExpandAllTest, TheStartNodeOpensWhateverItCostsAsAPlainExpandWould) {
  Open();
  std::u16string numbers = u"[0";
  for (int index = 1; index < 200000; ++index)
    numbers += u",0";
  Paste(numbers + u"]");
  const std::u16string status = Status();
  EXPECT_TRUE(viewer->ExpandAll(Top()));
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_EQ(Tree().Children(Top()).size(), 200000u);
  EXPECT_EQ(Status(), status);

  // Below the start the limit holds: each row alone is over it.
  Paste(Grid(2, 100001));
  EXPECT_FALSE(viewer->ExpandAll(Top()));
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_FALSE(Tree().IsExpanded(Child(Top(), 0)));
  EXPECT_EQ(Tree().Children(Child(Top(), 0)).size(), 1u); // its placeholder
}

TEST_F(ExpandAllTest, ADeepChainOpensLevelByLevelDownToTheDeepestLevelAndSaysSo) {
  constexpr int kDepth = 100000;
  Open();
  Paste(std::u16string(kDepth, u'[') + std::u16string(kDepth, u']'));
  const std::u16string status = Status();
  const uint64_t before = Tree().InsertCount();
  EXPECT_FALSE(viewer->ExpandAll(Top()));
  // A row and its placeholder per level, none below the last one opened.
  EXPECT_EQ(Tree().InsertCount() - before, 2 * TfmMain::ExpandAllLevels);
  tk::TreeNodeHandle node = Top();
  std::size_t open = 0;
  while (Tree().IsExpanded(node)) {
    node = Tree().FirstChild(node);
    ++open;
  }
  EXPECT_EQ(open, TfmMain::ExpandAllLevels);
  EXPECT_EQ(Status(), status + u"  Expand all stopped 5000 levels down");
  EXPECT_TRUE(Reports().empty());

  // Exactly that deep it goes through: the last level holds no container.
  Paste(std::u16string(TfmMain::ExpandAllLevels, u'[') +
        std::u16string(TfmMain::ExpandAllLevels, u']'));
  EXPECT_TRUE(viewer->ExpandAll(Top()));
  viewer.reset(); // the deep tree goes without recursion
}

} // namespace
