#include "QtFixture.h"

#include "viewer/qt/QtApplication_qt.h"
#include "viewer/qt/QtForm_qt.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using tk::NoNode;
using tk::TreeNodeHandle;

// A bare form with one tree and a status bar, its expanding event handed to the test.
class QtTreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    tk::TreeViewDescription tree;
    tree.Name = "Tree";
    tree.Indent = 19;
    tree.OnExpanding = [this](TreeNodeHandle Node, bool& Allow) {
      events.push_back(Node);
      expandedWhenAsked.push_back(Widget() && Widget()->isExpanded(Tree().IndexOf(Node)));
      if (onExpanding)
        onExpanding(Node, Allow);
    };
    tk::StatusBarDescription status;
    status.Name = "Status";
    status.Height = 19;
    status.Panels = {{50}};
    tk::FormDescription description;
    description.Name = "fmTest";
    description.ClientWidth = 400;
    description.ClientHeight = 300;
    description.Controls.emplace_back(std::move(tree));
    description.Controls.emplace_back(std::move(status));
    form = app.CreateForm(tk::NoWindow, std::move(description));
    form->Show();
    tester = std::make_unique<QAbstractItemModelTester>(
        &Tree().Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }
  void TearDown() override {
    tester.reset();
    form.reset();
    qttest::ProcessEvents();
  }

  tkqt::QtForm& Form() { return tkqt::AsQt(*form); }
  tkqt::QtTreeView& Tree() { return Form().Tree("Tree"); }
  tkqt::TreeWidget* Widget() { return Tree().Widget(); }
  std::vector<std::u16string> Labels(TreeNodeHandle Parent) {
    std::vector<std::u16string> labels;
    for (TreeNodeHandle child = Tree().FirstChild(Parent); child; child = Tree().NextSibling(child))
      labels.push_back(Tree().Label(child));
    return labels;
  }
  // Replaces a "..." placeholder by Count children, as the viewer does.
  void FillOnExpanding(int Count) {
    onExpanding = [this, Count](TreeNodeHandle Node, bool&) {
      const TreeNodeHandle first = Tree().FirstChild(Node);
      if (!first || Tree().Label(first) != u"...")
        return;
      tk::TreeUpdateGuard suspended(Tree());
      Tree().DeleteChildren(Node);
      for (int i = 0; i < Count; ++i)
        Tree().AddChild(Node, u"child " + std::u16string(1, static_cast<char16_t>(u'0' + i)),
                        nullptr);
    };
  }

  tkqt::QtApplication app;
  std::unique_ptr<tk::Form> form;
  std::unique_ptr<QAbstractItemModelTester> tester;
  std::function<void(TreeNodeHandle, bool&)> onExpanding;
  std::vector<TreeNodeHandle> events;
  std::vector<bool> expandedWhenAsked;
};

TEST_F(QtTreeTest, NodesKeepTheirInsertionOrderAndTheViewShowsExactlyThem) {
  const TreeNodeHandle top = Tree().AddChild(NoNode, u" {} (3)", &app);
  const TreeNodeHandle b = Tree().AddChild(top, u"b : 1", nullptr);
  const TreeNodeHandle a = Tree().AddChild(top, u"a : 2", nullptr);
  Tree().AddChild(b, u"...", nullptr);
  EXPECT_EQ(Labels(NoNode), std::vector<std::u16string>{u" {} (3)"});
  EXPECT_EQ(Labels(top), (std::vector<std::u16string>{u"b : 1", u"a : 2"}));
  EXPECT_EQ(Tree().Parent(a), top);
  EXPECT_EQ(Tree().Parent(top), NoNode);
  EXPECT_EQ(Tree().NextSibling(a), NoNode);
  EXPECT_EQ(Tree().Data(top), &app);

  tkqt::TreeModel& model = Tree().Model();
  const QModelIndex topIndex = model.index(0, 0, QModelIndex());
  EXPECT_EQ(model.rowCount(QModelIndex()), 1);
  EXPECT_EQ(model.rowCount(topIndex), 2);
  EXPECT_EQ(model.index(1, 0, topIndex).data().toString(), QStringLiteral("a : 2"));
  EXPECT_TRUE(model.hasChildren(model.index(0, 0, topIndex)));
  Tree().SetLabel(a, u"a : changed");
  EXPECT_EQ(model.index(1, 0, topIndex).data().toString(), QStringLiteral("a : changed"));
  EXPECT_EQ(Widget()->model(), &model);
}

TEST_F(QtTreeTest, AHandleOfADeletedNodeIsRefusedAndNeverReachesANewOne) {
  const TreeNodeHandle top = Tree().AddChild(NoNode, u"top", nullptr);
  const TreeNodeHandle child = Tree().AddChild(top, u"child", nullptr);
  Tree().DeleteChildren(top);
  EXPECT_THROW(Tree().Label(child), tk::ToolkitError);
  EXPECT_EQ(Tree().FirstChild(top), NoNode);
  const TreeNodeHandle again = Tree().AddChild(top, u"again", nullptr);
  EXPECT_NE(again, child);
  EXPECT_THROW(Tree().Label(child), tk::ToolkitError);
  Tree().Clear();
  EXPECT_THROW(Tree().Label(top), tk::ToolkitError);
  EXPECT_THROW(Tree().AddChild(top, u"x", nullptr), tk::ToolkitError);
  EXPECT_THROW(Tree().Expand(TreeNodeHandle(12345)), tk::ToolkitError);
  EXPECT_EQ(Tree().FirstChild(NoNode), NoNode);
  EXPECT_EQ(Tree().Model().rowCount(QModelIndex()), 0);
}

TEST_F(QtTreeTest, RowsAddedWhileRedrawingIsSuspendedAreAnnouncedOncePerParentAtTheEnd) {
  const TreeNodeHandle top = Tree().AddChild(NoNode, u"top", nullptr);
  QSignalSpy inserted(&Tree().Model(), &QAbstractItemModel::rowsInserted);
  {
    tk::TreeUpdateGuard outer(Tree());
    EXPECT_FALSE(Widget()->updatesEnabled());
    {
      tk::TreeUpdateGuard inner(Tree());
      for (int i = 0; i < 1000; ++i)
        Tree().AddChild(Tree().AddChild(top, u"element", nullptr), u"...", nullptr);
    }
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(Tree().Model().rowCount(Tree().Model().IndexOf(*Tree().ItemOf(top))), 0);
    // The tree itself knows them at once.
    EXPECT_EQ(Labels(top).size(), 1000u);
  }
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
  EXPECT_EQ(inserted.at(0).at(2).toInt(), 999);
  EXPECT_TRUE(Widget()->updatesEnabled());
  const QModelIndex last = Tree().Model().index(999, 0, Tree().IndexOf(top));
  EXPECT_EQ(Tree().Model().rowCount(last), 1);
}

TEST_F(QtTreeTest, ExpandRaisesTheEventBeforeOpeningAndARefusalOrFailureKeepsTheNodeShut) {
  const TreeNodeHandle top = Tree().AddChild(NoNode, u"top", nullptr);
  const TreeNodeHandle leaf = Tree().AddChild(NoNode, u"leaf", nullptr);
  Tree().AddChild(top, u"...", nullptr);
  FillOnExpanding(3);
  Tree().Expand(top);
  ASSERT_EQ(events, std::vector<TreeNodeHandle>{top});
  EXPECT_EQ(expandedWhenAsked, std::vector<bool>{false});
  EXPECT_TRUE(Tree().IsExpanded(top));
  EXPECT_TRUE(Widget()->isExpanded(Tree().IndexOf(top)));
  EXPECT_EQ(Labels(top), (std::vector<std::u16string>{u"child 0", u"child 1", u"child 2"}));
  // Raised again for an open node; nothing for a node without children.
  Tree().Expand(top);
  Tree().Expand(leaf);
  EXPECT_EQ(events, (std::vector<TreeNodeHandle>{top, top}));

  const TreeNodeHandle refused = Tree().AddChild(NoNode, u"refused", nullptr);
  Tree().AddChild(refused, u"...", nullptr);
  onExpanding = [](TreeNodeHandle, bool& Allow) { Allow = false; };
  Tree().Expand(refused);
  EXPECT_FALSE(Tree().IsExpanded(refused));
  onExpanding = [](TreeNodeHandle, bool&) { throw std::runtime_error("expanding failed"); };
  EXPECT_THROW(Tree().Expand(refused), std::runtime_error);
  EXPECT_FALSE(Tree().IsExpanded(refused));
  EXPECT_FALSE(Widget()->isExpanded(Tree().IndexOf(refused)));
}

TEST_F(QtTreeTest, EveryGestureThatOpensANodeAsksFirstSoTheViewNeverShowsThePlaceholder) {
  FillOnExpanding(2);
  std::vector<TreeNodeHandle> nodes;
  for (int i = 0; i < 4; ++i) {
    nodes.push_back(Tree().AddChild(NoNode, u"node", nullptr));
    Tree().AddChild(nodes.back(), u"...", nullptr);
  }
  Form().Widget()->resize(400, 300);
  Widget()->setFocus();
  QSignalSpy opened(Widget(), &QTreeView::expanded);
  const auto opensFilled = [&](TreeNodeHandle Node, const char* Gesture) {
    EXPECT_TRUE(Tree().IsExpanded(Node)) << Gesture;
    EXPECT_EQ(Labels(Node), (std::vector<std::u16string>{u"child 0", u"child 1"})) << Gesture;
  };

  Widget()->setCurrentIndex(Tree().IndexOf(nodes[0]));
  QTest::keyClick(Widget(), Qt::Key_Right);
  opensFilled(nodes[0], "Right");
  Widget()->setCurrentIndex(Tree().IndexOf(nodes[1]));
  QTest::keyClick(Widget(), Qt::Key_Plus);
  opensFilled(nodes[1], "+");
  const QRect third = Widget()->visualRect(Tree().IndexOf(nodes[2]));
  const QPoint button(third.left() - Widget()->indentation() / 2, third.center().y());
  ASSERT_EQ(Widget()->ExpandButtonAt(button), Tree().IndexOf(nodes[2]));
  QTest::mouseClick(Widget()->viewport(), Qt::LeftButton, Qt::NoModifier, button);
  opensFilled(nodes[2], "a click on the expand button");
  // A double click as the window system sends it: a click, then the double click.
  const QPoint label = Widget()->visualRect(Tree().IndexOf(nodes[3])).center();
  QTest::mouseClick(Widget()->viewport(), Qt::LeftButton, Qt::NoModifier, label);
  QTest::mouseDClick(Widget()->viewport(), Qt::LeftButton, Qt::NoModifier, label);
  opensFilled(nodes[3], "a double click");

  // Asked once per gesture, while the node was still shut, and opened once after that.
  EXPECT_EQ(events, nodes);
  EXPECT_EQ(expandedWhenAsked, (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(opened.count(), 4);
}

TEST_F(QtTreeTest, ANodeTheViewOpensUnaskedIsAskedAboutOnceTheViewIsDoneAndShutWhenRefused) {
  const TreeNodeHandle filled = Tree().AddChild(NoNode, u"filled", nullptr);
  Tree().AddChild(filled, u"...", nullptr);
  const TreeNodeHandle refused = Tree().AddChild(NoNode, u"refused", nullptr);
  Tree().AddChild(refused, u"...", nullptr);
  FillOnExpanding(1);
  // QTreeView's own expand(), as its scrolling and its expand-all call it.
  Widget()->expand(Tree().IndexOf(filled));
  EXPECT_TRUE(events.empty()); // not inside the view's own work
  qttest::ProcessEvents();
  EXPECT_EQ(events, std::vector<TreeNodeHandle>{filled});
  EXPECT_EQ(Labels(filled), std::vector<std::u16string>{u"child 0"});
  EXPECT_TRUE(Tree().IsExpanded(filled));

  onExpanding = [](TreeNodeHandle, bool& Allow) { Allow = false; };
  Widget()->expand(Tree().IndexOf(refused));
  qttest::ProcessEvents();
  EXPECT_FALSE(Tree().IsExpanded(refused));
  EXPECT_FALSE(Widget()->isExpanded(Tree().IndexOf(refused)));
}

TEST_F(QtTreeTest, DeletingChildrenShutsTheNodeSoLaterChildrenWaitForTheNextExpansion) {
  const TreeNodeHandle top = Tree().AddChild(NoNode, u"top", nullptr);
  Tree().AddChild(top, u"one", nullptr);
  Tree().Expand(top);
  ASSERT_TRUE(Tree().IsExpanded(top));
  Tree().DeleteChildren(top);
  EXPECT_FALSE(Tree().IsExpanded(top));
  EXPECT_FALSE(Tree().Model().hasChildren(Tree().IndexOf(top)));
  Tree().AddChild(top, u"two", nullptr);
  EXPECT_FALSE(Tree().IsExpanded(top));
  EXPECT_FALSE(Widget()->isExpanded(Tree().IndexOf(top)));
}

TEST_F(QtTreeTest, MakeVisibleAndSelectOpenTheShutAncestorsTopDown) {
  std::vector<TreeNodeHandle> chain{Tree().AddChild(NoNode, u"level 0", nullptr)};
  for (int level = 1; level < 6; ++level)
    chain.push_back(Tree().AddChild(chain.back(), u"level", nullptr));
  Tree().MakeVisible(chain[3]);
  EXPECT_EQ(events, (std::vector<TreeNodeHandle>{chain[0], chain[1], chain[2]}));
  for (int level = 0; level < 3; ++level)
    EXPECT_TRUE(Tree().IsExpanded(chain[level])) << level;
  EXPECT_FALSE(Tree().IsExpanded(chain[3]));
  // Open already: nothing is asked again.
  Tree().MakeVisible(chain[3]);
  EXPECT_EQ(events.size(), 3u);

  Tree().Select(chain[5]);
  EXPECT_EQ(events,
            (std::vector<TreeNodeHandle>{chain[0], chain[1], chain[2], chain[3], chain[4]}));
  EXPECT_EQ(Tree().Selected(), chain[5]);
  EXPECT_EQ(Widget()->currentIndex(), Tree().IndexOf(chain[5]));
  Tree().Select(NoNode);
  EXPECT_EQ(Tree().Selected(), NoNode);

  // An ancestor that stays shut keeps the node hidden.
  Widget()->collapse(Tree().IndexOf(chain[1]));
  onExpanding = [](TreeNodeHandle, bool& Allow) { Allow = false; };
  Tree().MakeVisible(chain[4]);
  EXPECT_FALSE(Tree().IsExpanded(chain[1]));
}

TEST_F(QtTreeTest, ADeepChainIsAnnouncedAndFreedWithoutRecursion) {
  constexpr int kDepth = 100000;
  {
    // Built while suspended, so its rows are announced in one go at the end.
    tk::TreeUpdateGuard suspended(Tree());
    TreeNodeHandle node = Tree().AddChild(NoNode, u"deep", nullptr);
    for (int level = 1; level < kDepth; ++level)
      node = Tree().AddChild(node, u"deeper", nullptr);
  }
  EXPECT_EQ(Tree().Model().Count(), static_cast<std::size_t>(kDepth));
  const TreeNodeHandle top = Tree().FirstChild(NoNode);
  Tree().DeleteChildren(Tree().FirstChild(top));
  EXPECT_EQ(Tree().Model().Count(), 2u);
  TreeNodeHandle node = top;
  for (int level = 1; level < kDepth; ++level)
    node = Tree().AddChild(node, u"again", nullptr);
  Tree().Clear();
  EXPECT_EQ(Tree().Model().Count(), 0u);
}

TEST_F(QtTreeTest, LabelsStayWholeWhileTheViewDrawsThemCut) {
  const std::u16string longLabel(100000, u'x');
  const TreeNodeHandle node = Tree().AddChild(NoNode, longLabel, nullptr);
  EXPECT_EQ(Tree().Label(node), longLabel);
  const QModelIndex index = Tree().IndexOf(node);
  EXPECT_EQ(index.data(Qt::DisplayRole).toString().size(),
            static_cast<int>(tkqt::TreeModel::kDisplayLimit));
  EXPECT_EQ(index.data(Qt::EditRole).toString().size(), 100000);
}

TEST_F(QtTreeTest, TheTreeWorksInMemoryOnceTheHostHasDestroyedItsWidget) {
  const TreeNodeHandle top = Tree().AddChild(NoNode, u"top", nullptr);
  Tree().AddChild(top, u"...", nullptr);
  int gone = 0;
  Form().SetWidgetGoneHandler([&gone] { ++gone; });
  delete Form().Widget();
  EXPECT_EQ(gone, 1);
  EXPECT_EQ(Form().Widget(), nullptr);
  EXPECT_EQ(Widget(), nullptr);
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_THROW(form->Handle(), tk::ToolkitError);

  FillOnExpanding(2);
  Tree().Expand(top);
  EXPECT_TRUE(Tree().IsExpanded(top));
  EXPECT_EQ(Labels(top), (std::vector<std::u16string>{u"child 0", u"child 1"}));
  Tree().Select(Tree().FirstChild(top));
  EXPECT_EQ(Tree().Selected(), Tree().FirstChild(top));
  EXPECT_THROW(Tree().SetFocus(), tk::ToolkitError);
  Form().Status("Status").SetText(u"still here");
  EXPECT_EQ(form->FindStatusBar("Status").Text(), u"still here");
  form.reset();
  EXPECT_EQ(gone, 1);
}

} // namespace
