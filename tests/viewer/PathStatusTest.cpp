#include "ViewerFixture.h"

#include "viewer/ListerProtocol.h"
#include "viewer/NodeCopy.h"
#include "viewer/PathStatus.h"

#include <string>
#include <vector>

namespace {

// One unit of width per UTF-16 unit, so a test can see where a surrogate pair would be cut.
int Units(std::u16string_view Text) { return static_cast<int>(Text.size()); }

std::u16string Fit(const std::vector<std::u16string>& Steps, int Room) {
  return FitPathToRoom(Steps, Room, Units);
}

TEST(PathFittingTest, APathThatFitsIsShownWholeAndOneTooLongLosesItsMiddleSteps) {
  const std::vector<std::u16string> steps = {u"$", u".store", u".products", u"[0]",
                                             u"[\"unit price\"]"};
  const std::u16string whole = u"$.store.products[0][\"unit price\"]";
  EXPECT_EQ(Fit(steps, 100), whole);
  EXPECT_EQ(Fit(steps, Units(whole)), whole);
  // "$", the ellipsis and the last steps first, then as many of the first ones as fit.
  EXPECT_EQ(Fit(steps, Units(whole) - 1), u"$….products[0][\"unit price\"]");
  EXPECT_EQ(Fit(steps, Units(whole) - 8), u"$.store…[0][\"unit price\"]");
  const std::vector<std::u16string> wide = {u"$", u".a", u".bbbbbbbb", u".c", u"[1]"};
  EXPECT_EQ(Fit(wide, 12), u"$.a….c[1]");
  EXPECT_EQ(Fit(steps, 20), u"$…[0][\"unit price\"]");
  EXPECT_EQ(Fit(steps, 16), u"$…[\"unit price\"]");
  // Not even the last step whole: the end of the path behind "$…".
  EXPECT_EQ(Fit(steps, 10), u"$… price\"]");
  EXPECT_EQ(Fit(steps, 2), u"$…");
  EXPECT_EQ(Fit(steps, 1), u"…");
  EXPECT_EQ(Fit(steps, 0), u"");
  EXPECT_EQ(Fit({}, 10), u"");
  EXPECT_EQ(Fit({u"$"}, 1), u"$");
  for (int room = 0; room < 40; ++room) {
    const std::u16string shown = Fit(steps, room);
    EXPECT_LE(Units(shown), room) << room;
    if (room >= 2) {
      EXPECT_EQ(shown.substr(0, 1), u"$") << room;
    }
  }
}

TEST(PathFittingTest, ALongPathKeepsItsLastStepsAndAsManyFirstOnesAsFit) {
  std::vector<std::u16string> steps = {u"$"};
  for (int i = 0; i < 5000; ++i)
    steps.push_back(u"[" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"]");
  const std::u16string shown = Fit(steps, 40);
  // "$…" and as many whole last steps as fit: twelve of three units.
  EXPECT_EQ(shown, u"$…[8][9][0][1][2][3][4][5][6][7][8][9]");
}

TEST(PathFittingTest, ACutNeverFallsInsideASurrogatePair) {
  // "😀" is two UTF-16 units.
  const std::u16string name = u"[\"a😀b😀c😀d\"]";
  const std::vector<std::u16string> steps = {u"$", name};
  for (int room = 2; room <= Units(name); ++room) {
    const std::u16string shown = Fit(steps, room);
    ASSERT_GE(shown.size(), 2u) << room;
    EXPECT_EQ(shown.substr(0, 2), u"$…") << room;
    EXPECT_LE(Units(shown), room) << room;
    // The kept end never starts with the second half of a pair.
    const char16_t first = shown.size() > 2 ? shown[2] : u'x';
    EXPECT_FALSE(first >= 0xDC00 && first <= 0xDFFF) << room;
  }
}

TEST(PathStepsTest, EveryIndexInAnArrayIsFoundAlsoInLenientOrEditedText) {
  std::u16string text = u"[";
  for (int i = 0; i < 1000; ++i)
    text += (i ? u"," : u"") + std::u16string(i % 3 == 0 ? u"{\"k\":1}" : u"\"v\"");
  text += u"]";
  const JSONRef doc = JSONFromString(text);
  for (const int32_t index : {0, 1, 499, 500, 998, 999}) {
    const std::string digits = std::to_string(index);
    EXPECT_EQ(NodePath(*doc->GetChild(index)),
              u"$[" + std::u16string(digits.begin(), digits.end()) + u"]");
  }
  // Lenient text whose nodes may share or lack positions still finds each element.
  const JSONRef odd = JSONFromString(u"[1,,2,[],,{},\"\",,]");
  for (int32_t index = 0; index < odd->GetCount(); ++index) {
    const std::u16string expected =
        u"$[" + std::u16string(1, static_cast<char16_t>(u'0' + index)) + u"]";
    EXPECT_EQ(NodePath(*odd->GetChild(index)), expected);
  }
  const std::vector<std::u16string> steps = NodePathSteps(*doc->GetChild(6)->GetChild(0));
  EXPECT_EQ(steps, U16s({u"$", u"[6]", u".k"}));
}

class PathStatusTest : public ViewerTest {
protected:
  tkmem::MemoryStatusBar& Bar() { return Form().Status("StatusBar1"); }
  std::u16string Path() { return Bar().PartText(TfmMain::kPathPart); }
  tk::KeyRoute Press(uint32_t Code) { return Tree().UserPressKey({Code, 0, false, false, false}); }
};

TEST_F(PathStatusTest, ThePathFollowsTheSelectionAsKeysAndClicksMoveIt) {
  Open();
  Paste(uR"({"store":{"products":[{"unit price":1,"a\"b":2,"x_1":3}]}})");
  const std::u16string figures = Status();
  EXPECT_EQ(Bar().PartCount(), 2u);
  EXPECT_EQ(Path(), u"");
  Press(tk::key::Down);
  EXPECT_EQ(Path(), u"$");
  Tree().UserExpand(Top());
  Press(tk::key::Down);
  EXPECT_EQ(Path(), u"$.store");
  const tk::TreeNodeHandle store = Child(Top(), 0);
  Tree().UserExpand(store);
  Tree().UserExpand(Child(store, 0));
  Tree().UserExpand(Child(Child(store, 0), 0));
  const tk::TreeNodeHandle product = Child(Child(store, 0), 0);
  Tree().UserClick(Child(product, 0));
  EXPECT_EQ(Path(), u"$.store.products[0][\"unit price\"]");
  Press(tk::key::Down);
  EXPECT_EQ(Path(), u"$.store.products[0][\"a\\\"b\"]");
  Press(tk::key::Down);
  EXPECT_EQ(Path(), u"$.store.products[0].x_1");
  Press(tk::key::Up);
  Press(tk::key::Up);
  Press(tk::key::Up);
  EXPECT_EQ(Path(), u"$.store.products[0]");
  // Collapsing above the selection moves it up, and the path with it.
  Tree().UserClick(Child(product, 2));
  Tree().UserCollapse(Child(store, 0));
  EXPECT_EQ(Path(), u"$.store.products");
  // The first part keeps the load figures.
  EXPECT_EQ(Status(), figures);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(PathStatusTest, SearchHitsLoadNextAndAClearedSelectionSetThePath) {
  const TempFile next(".json", "[[0,[1,2]]]");
  Open();
  Paste(uR"({"a":[1,{"b c":"needle"}]})");
  EXPECT_EQ(viewer->AnswerSearchText(u"needle", lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(Path(), u"$.a[1][\"b c\"]");
  // The search's walk selected each level on its way down; the path is the last one's.
  EXPECT_GT(Tree().SelectionChanges(), 2u);
  EXPECT_EQ(viewer->AnswerLoadNext(next.Name(), 0), LISTPLUGIN_OK);
  EXPECT_EQ(Path(), u"");
  viewer->SelectTop();
  EXPECT_EQ(Path(), u"$");
  Tree().UserExpand(Top());
  Tree().UserExpand(Child(Top(), 0));
  Tree().UserClick(Child(Child(Top(), 0), 1));
  EXPECT_EQ(Path(), u"$[0][1]");
  Tree().Select(tk::NoNode);
  EXPECT_EQ(Path(), u"");
  // The node search of the hidden tool bar selects its hit too.
  Form().Edit("ESearch").SetText(u"2");
  Form().UserClickButton("BtnFindNode");
  EXPECT_EQ(Path(), u"$[0][1][1]");
  // Dropping another document clears the tree, and the selection with it.
  EXPECT_TRUE(Form().UserDropFiles({next.Name()}));
  EXPECT_EQ(Path(), u"");
  EXPECT_TRUE(Reports().empty());
}

TEST_F(PathStatusTest, TheFittedPathFollowsTheBarsWidthAndTheFirstPartsNotes) {
  Open();
  Paste(u"{\"first\":{\"second\":{\"third\":{\"fourth\":[true]}}}}");
  Tree().UserExpand(Top());
  tk::TreeNodeHandle node = Top();
  for (int level = 0; level < 5; ++level) {
    node = Child(node, 0);
    if (level < 4)
      Tree().UserExpand(node);
  }
  Tree().UserClick(node);
  const std::u16string whole = u"$.first.second.third.fourth[0]";
  EXPECT_EQ(Path(), whole);
  const std::u16string figures = Status();
  // The figures' part is as wide as its text, its panel's width at least; the path has the rest.
  const int first = std::max(50, Bar().TextWidth(figures));
  EXPECT_EQ(Bar().PartRoom(TfmMain::kPathPart), Bar().Width() - first);

  Bar().UserResize(first + 20);
  EXPECT_EQ(Path(), u"$….third.fourth[0]");
  EXPECT_LE(Bar().TextWidth(Path()), 20);
  Bar().UserResize(first + 10);
  EXPECT_EQ(Path(), u"$…[0]");
  Bar().UserResize(first + 200);
  EXPECT_EQ(Path(), whole);

  // A note after the figures widens the first part and leaves the path less room.
  Bar().UserResize(first + 30);
  EXPECT_EQ(Path(), whole);
  const std::u16string missing(40, u'z');
  EXPECT_EQ(viewer->AnswerSearchText(missing, 0), LISTPLUGIN_ERROR);
  EXPECT_EQ(Status(), figures + u"  Not found: \"" + missing + u"\"");
  EXPECT_LT(Bar().PartRoom(TfmMain::kPathPart), 30);
  EXPECT_LE(Bar().TextWidth(Path()), Bar().PartRoom(TfmMain::kPathPart));
  EXPECT_NE(Path(), whole);
  EXPECT_TRUE(Reports().empty());
}

} // namespace
