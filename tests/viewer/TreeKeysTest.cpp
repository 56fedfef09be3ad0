#include "ViewerFixture.h"

namespace {

tk::KeyPress Key(uint32_t Code, char16_t Character = 0, bool Shift = false, bool Control = false,
                 bool Alt = false) {
  return {Code, Character, Shift, Control, Alt};
}

class TreeKeysTest : public ViewerTest {
protected:
  void SetUp() override {
    ViewerTest::SetUp();
    Open();
    Paste(uR"({"name":"a\"b","list":[1,{"deep":[true]}]})");
  }
  tk::KeyRoute Press(const tk::KeyPress& K) { return Tree().UserPressKey(K); }
  std::u16string Clipboard() { return app.TestClipboard().Content().value_or(u"<none>"); }
};

TEST_F(TreeKeysTest, TheTreeKeepsTheKeysItNavigatesWithAlsoWithShiftOrCtrl) {
  for (const uint32_t code :
       {tk::key::Left, tk::key::Right, tk::key::Up, tk::key::Down, tk::key::Home, tk::key::End,
        tk::key::Prior, tk::key::Next, tk::key::Return}) {
    EXPECT_EQ(Press(Key(code)), tk::KeyRoute::Tree) << code;
    EXPECT_EQ(Press(Key(code, 0, true)), tk::KeyRoute::Tree) << code;
    EXPECT_EQ(Press(Key(code, 0, false, true)), tk::KeyRoute::Tree) << code;
  }
  EXPECT_TRUE(Tree().ForwardedKeys().empty());
}

TEST_F(TreeKeysTest, EveryOtherKeyGoesToTheListerWindowAsItWasPressed) {
  const std::vector<tk::KeyPress> hostKeys = {
      Key(tk::key::Escape),
      Key(tk::key::Letter('N'), u'n'),
      Key(tk::key::Letter('P'), u'P', true),
      Key(tk::key::Digit0 + 1, u'1'),
      Key(tk::key::Digit0 + 7, u'7'),
      Key(tk::key::Function(2)),
      Key(tk::key::Function(3)),
      Key(tk::key::Function(3), 0, true),
      Key(tk::key::Function(7)),
      Key(tk::key::Letter('A'), 0, false, true),
      Key(tk::key::Letter('Q'), u'q'),
      Key(tk::key::Left, 0, false, false, true), // Alt+Left is the host's
      Key(tk::key::Space, u' '),
      Key(tk::key::Tab, u'\t'),
  };
  app.TestClipboard().SetText(u"kept");
  for (const tk::KeyPress& key : hostKeys)
    EXPECT_EQ(Press(key), tk::KeyRoute::Host) << key.Key;
  ASSERT_EQ(Tree().ForwardedKeys().size(), hostKeys.size());
  EXPECT_TRUE(Tree().ForwardedKeys()[2].Shift);
  EXPECT_TRUE(Tree().ForwardedKeys()[11].Alt);
  // Forwarding copies nothing and selects nothing.
  EXPECT_EQ(Clipboard(), u"kept");
  EXPECT_FALSE(Tree().Selected());
}

TEST_F(TreeKeysTest, CopyKeysPutTheSelectedNodesValueOrPathOnTheClipboard) {
  // Nothing selected: the whole document, as the copy command.
  EXPECT_EQ(Press(Key(tk::key::Letter('C'), 0, false, true)), tk::KeyRoute::Handled);
  EXPECT_EQ(Clipboard(), uR"({"name":"a\"b","list":[1,{"deep":[true]}]})");
  Tree().UserExpand(Top());
  Tree().UserClick(Child(Top(), 0));
  Press(Key(tk::key::Insert, 0, false, true));
  EXPECT_EQ(Clipboard(), u"a\"b");
  Tree().UserExpand(Child(Top(), 1));
  Tree().UserClick(Child(Child(Top(), 1), 1));
  EXPECT_EQ(Press(Key(tk::key::Letter('C'), 0, true, true)), tk::KeyRoute::Handled);
  EXPECT_EQ(Clipboard(), u"$.list[1]");
  // Ctrl+Alt+C and Shift+Insert are not ours.
  EXPECT_EQ(Press(Key(tk::key::Letter('C'), 0, false, true, true)), tk::KeyRoute::Host);
  EXPECT_EQ(Press(Key(tk::key::Insert, 0, true)), tk::KeyRoute::Host);
}

TEST_F(TreeKeysTest, PlusMinusAndStarFromEitherKeyboardExpandCollapseAndExpandAll) {
  Tree().UserClick(Top());
  EXPECT_EQ(Press(Key(0xBB, u'+', true)), tk::KeyRoute::Handled); // main keyboard, Shift+=
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_EQ(Press(Key(tk::key::Subtract, u'-')), tk::KeyRoute::Handled);
  EXPECT_FALSE(Tree().IsExpanded(Top()));
  EXPECT_EQ(Press(Key(tk::key::Add, u'+')), tk::KeyRoute::Handled);
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_EQ(Press(Key(tk::key::Digit0 + 8, u'*', true)), tk::KeyRoute::Handled);
  const tk::TreeNodeHandle deep = Child(Child(Child(Top(), 1), 1), 0);
  EXPECT_TRUE(Tree().IsExpanded(deep));
  EXPECT_EQ(Labels(deep), U16s({u"true"}));
  // With nothing selected they do nothing, and fail nothing.
  Tree().Select(tk::NoNode);
  EXPECT_EQ(Press(Key(tk::key::Multiply, u'*')), tk::KeyRoute::Handled);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(TreeKeysTest, TheContextMenuOffersTheNodesCommandsAndRunsTheChosenOne) {
  Tree().UserExpand(Top());
  const tk::TreeNodeHandle list = Child(Top(), 1);
  Tree().PlanMenuChoice(2); // Copy path
  Tree().UserRightClick(list, {40, 50});
  EXPECT_EQ(Tree().Selected(), list);
  ASSERT_EQ(Tree().Menus().size(), 1u);
  const auto& menu = Tree().Menus().back();
  std::vector<std::u16string> captions;
  for (const tk::MenuItem& item : menu.Items)
    captions.push_back(item.Caption);
  EXPECT_EQ(captions, U16s({u"Copy value", u"Copy name", u"Copy path", u"Copy JSON", u"",
                            u"Expand all", u"Collapse all"}));
  EXPECT_EQ(menu.At->X, 40);
  EXPECT_EQ(Clipboard(), u"$.list");

  Tree().PlanMenuChoice(1);
  Tree().UserRightClick(list);
  EXPECT_EQ(Clipboard(), u"list");
  Tree().PlanMenuChoice(3);
  Tree().UserRightClick(list);
  EXPECT_EQ(Clipboard(), u"\"list\":[1,{\"deep\":[true]}]");
  Tree().PlanMenuChoice(5);
  Tree().UserRightClick(list);
  EXPECT_TRUE(Tree().IsExpanded(Child(Child(list, 1), 0)));
  Tree().PlanMenuChoice(6);
  Tree().UserRightClick(list);
  EXPECT_FALSE(Tree().IsExpanded(list));
  EXPECT_FALSE(Tree().IsExpanded(Child(Child(list, 1), 0)));
  EXPECT_TRUE(Reports().empty());
}

TEST_F(TreeKeysTest, TheMenuKeyOpensTheMenuOfTheSelectionWithWhatDoesNotApplyDisabled) {
  Tree().UserExpand(Top());
  Tree().UserExpand(Child(Top(), 1));
  const tk::TreeNodeHandle element = Child(Child(Top(), 1), 0); // 1, an array element
  Tree().UserClick(element);
  Tree().PlanMenuChoice(1); // Copy name: disabled, chooses nothing
  app.TestClipboard().SetText(u"kept");
  EXPECT_EQ(Tree().UserPressKey(Key(tk::key::Apps)), tk::KeyRoute::Handled);
  EXPECT_EQ(Tree().UserPressKey(Key(tk::key::Function(10), 0, true)), tk::KeyRoute::Handled);
  ASSERT_EQ(Tree().Menus().size(), 2u);
  const auto& menu = Tree().Menus().front();
  EXPECT_EQ(menu.Node, element);
  EXPECT_FALSE(menu.At.has_value());
  EXPECT_FALSE(menu.Items[1].Enabled); // no name
  EXPECT_FALSE(menu.Items[5].Enabled); // no children
  EXPECT_TRUE(menu.Items[0].Enabled);
  EXPECT_EQ(Clipboard(), u"kept");
  // With nothing selected there is no menu.
  Tree().Select(tk::NoNode);
  Tree().UserPressKey(Key(tk::key::Apps));
  Tree().UserRightClick(tk::NoNode);
  EXPECT_EQ(Tree().Menus().size(), 2u);
}

} // namespace
