#include "viewer/memory/MemoryApplication.h"

#include "json/UnicodeConversion.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using tk::NoNode;
using tk::TreeNodeHandle;

// A tree on its own, with a journal of the events it raised.
class MemoryTreeTest : public ::testing::Test {
protected:
  MemoryTreeTest() : tree(app, Description()) {}

  tk::TreeViewDescription Description() {
    tk::TreeViewDescription description;
    description.Name = "Tree";
    description.OnExpanding = [this](TreeNodeHandle node, bool& allow) {
      events.push_back(u"expanding " + tree.Label(node) +
                       (tree.IsExpanded(node) ? u" (open)" : u" (closed)"));
      allow = allowExpansion;
      if (failExpansion)
        throw std::runtime_error("expanding failed");
    };
    description.OnEdited = [this](TreeNodeHandle node, std::u16string& text) {
      events.push_back(u"edited " + tree.Label(node) + u" -> " + text);
      text += u"!";
    };
    description.OnClick = [this] { events.push_back(u"click"); };
    return description;
  }

  std::vector<std::u16string> Reports() const {
    std::vector<std::u16string> texts;
    for (const auto& message : app.Messages())
      texts.push_back(message.Text);
    return texts;
  }

  tkmem::MemoryApplication app;
  tkmem::MemoryTreeView tree;
  std::vector<std::u16string> events;
  bool allowExpansion = true;
  bool failExpansion = false;
};

TEST_F(MemoryTreeTest, ExpandingIsAnnouncedBeforeEveryExpansionOfANodeWithChildren) {
  const TreeNodeHandle a = tree.AddChild(NoNode, u"a", nullptr);
  const TreeNodeHandle b = tree.AddChild(a, u"b", nullptr);
  const TreeNodeHandle leaf = tree.AddChild(b, u"leaf", nullptr);
  tree.Expand(leaf); // no children: nothing
  tree.UserExpand(a);
  tree.Expand(a); // programmatic, although open already
  tree.UserCollapse(a);
  tree.MakeVisible(leaf);
  EXPECT_EQ(events,
            (std::vector<std::u16string>{u"expanding a (closed)", u"expanding a (open)",
                                         u"expanding a (closed)", u"expanding b (closed)"}));
  EXPECT_TRUE(tree.IsExpanded(a));
  EXPECT_TRUE(tree.IsExpanded(b));
  EXPECT_EQ(tree.LastMadeVisible(), leaf);

  allowExpansion = false;
  tree.UserCollapse(b);
  tree.UserExpand(b);
  EXPECT_FALSE(tree.IsExpanded(b));
}

TEST_F(MemoryTreeTest, UserEventsFailIntoTheHandlerSlotButProgrammaticOnesPropagate) {
  const TreeNodeHandle a = tree.AddChild(NoNode, u"a", nullptr);
  tree.AddChild(a, u"b", nullptr);
  failExpansion = true;
  EXPECT_THROW(tree.Expand(a), std::runtime_error);
  tree.UserExpand(a);
  EXPECT_EQ(Reports(), std::vector<std::u16string>{u"expanding failed"});
  EXPECT_EQ(app.Messages()[0].Caption, u"Treskal");

  std::vector<std::string> handled;
  app.SetExceptionHandler([&handled](const std::exception& e) { handled.emplace_back(e.what()); });
  tree.UserExpand(a);
  EXPECT_EQ(handled, std::vector<std::string>{"expanding failed"});

  // A handler that fails itself is reported by the default report.
  app.SetExceptionHandler([](const std::exception&) { throw std::runtime_error("handler broke"); });
  tree.UserExpand(a);
  EXPECT_EQ(Reports().back(), u"handler broke");
}

TEST_F(MemoryTreeTest, AConfirmedEditIsAnnouncedBeforeItIsStoredAndACancelledOneIsNot) {
  const TreeNodeHandle a = tree.AddChild(NoNode, u"old", nullptr);
  EXPECT_TRUE(tree.UserEditLabel(a, u"new", false));
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(tree.UserEditLabel(a, u"new", true));
  EXPECT_EQ(events, std::vector<std::u16string>{u"edited old -> new"});
  EXPECT_EQ(tree.Label(a), u"new!");
  tree.UserClick(a);
  EXPECT_EQ(tree.Selected(), a);
  EXPECT_EQ(events.back(), u"click");
}

TEST_F(MemoryTreeTest, ChildrenKeepTheirOrderAndDeletingThemRemovesTheButtonAndTheirHandles) {
  int data = 0;
  const TreeNodeHandle top = tree.AddChild(NoNode, u"top", &data);
  std::vector<TreeNodeHandle> children;
  for (const char16_t* label : {u"z", u"a", u"m"})
    children.push_back(tree.AddChild(top, label, nullptr));
  const TreeNodeHandle grandchild = tree.AddChild(children[0], u"g", nullptr);
  EXPECT_EQ(tree.Children(top), children);
  EXPECT_EQ(tree.NextSibling(children[0]), children[1]);
  EXPECT_EQ(tree.Parent(grandchild), children[0]);
  EXPECT_EQ(tree.Parent(top), NoNode);
  EXPECT_EQ(tree.Data(top), &data);
  tree.Select(grandchild);

  tree.DeleteChildren(top);
  EXPECT_FALSE(tree.HasExpandButton(top));
  EXPECT_EQ(tree.Selected(), NoNode);
  EXPECT_EQ(tree.NodeCount(), 1u);
  // The slot of a deleted node is reused, but its old handle stays refused.
  const TreeNodeHandle reused = tree.AddChild(top, u"new", nullptr);
  EXPECT_FALSE(tree.Contains(grandchild));
  EXPECT_TRUE(tree.Contains(reused));
  try {
    tree.Label(grandchild);
    ADD_FAILURE() << "stale handle accepted";
  } catch (const tk::ToolkitError& e) {
    EXPECT_STREQ(e.what(), "Invalid tree node");
  }
  tree.Clear();
  EXPECT_EQ(tree.FirstChild(NoNode), NoNode);
  EXPECT_THROW(tree.Label(top), tk::ToolkitError);
  EXPECT_EQ(tree.InsertCount(), 6u);
}

TEST(MemoryToolkit, ADropCopiesNamesCutToFitAndIsReleasedExactlyOnce) {
  tkmem::DropCounters counters;
  {
    tk::DroppedFiles drop(std::make_unique<tkmem::MemoryDropSource>(
        std::vector<std::u16string>{u"abcdef", u"x"}, counters));
    std::array<char16_t, 4> small{};
    EXPECT_EQ(drop.Count(), 2u);
    EXPECT_EQ(drop.QueryFile(0, small), 3u);
    EXPECT_EQ(std::u16string(small.data()), u"abc");
    EXPECT_EQ(drop.QueryFile(1, small), 1u);
    EXPECT_EQ(drop.QueryFile(2, small), 0u);
    EXPECT_EQ(drop.QueryFile(0, std::span<char16_t>()), 0u);

    tk::DroppedFiles moved = std::move(drop);
    // The moved-from drop is what is under test here.
    EXPECT_FALSE(drop.Pending()); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(drop.QueryFile(0, small), 0u);
    EXPECT_TRUE(moved.Pending());
    moved.Finish();
    moved.Finish();
    EXPECT_EQ(counters.Finished, 1u);
  }
  EXPECT_EQ(counters.Finished, 1u);
  EXPECT_EQ(counters.Outstanding(), 0u);
}

TEST(MemoryToolkit, ALockedClipboardRefusesBothDirectionsAndKeepsItsText) {
  tkmem::MemoryClipboard clipboard;
  EXPECT_EQ(clipboard.ReadText(), u"");
  clipboard.SetText(u"kept");
  clipboard.SetLocked(true);
  EXPECT_THROW(clipboard.ReadText(), tk::ToolkitError);
  try {
    clipboard.WriteText(u"new");
    ADD_FAILURE() << "no failure";
  } catch (const tk::ToolkitError& e) {
    EXPECT_STREQ(e.what(), "Cannot open clipboard");
  }
  EXPECT_EQ(clipboard.Content(), u"kept");
}

class Owned final : public tk::OwnedWindow {
public:
  Owned(std::vector<int>& Log, int Id) : log_(Log), id_(Id) {}
  ~Owned() override { log_.push_back(id_); }

private:
  std::vector<int>& log_;
  int id_;
};

TEST(MemoryToolkit, OwnedWindowsGoWithTheApplicationLastFirstUnlessGivenBack) {
  std::vector<int> destroyed;
  std::unique_ptr<tk::OwnedWindow> returned;
  {
    tkmem::MemoryApplication app;
    app.AddOwned(std::make_unique<Owned>(destroyed, 1));
    auto second = std::make_unique<Owned>(destroyed, 2);
    const tk::OwnedWindow* secondWindow = second.get();
    app.AddOwned(std::move(second));
    app.AddOwned(std::make_unique<Owned>(destroyed, 3));
    returned = app.RemoveOwned(secondWindow);
    EXPECT_EQ(returned.get(), secondWindow);
    EXPECT_FALSE(app.IsOwned(secondWindow));
    EXPECT_EQ(app.RemoveOwned(secondWindow), nullptr);
    EXPECT_EQ(app.OwnedCount(), 2u);
  }
  EXPECT_EQ(destroyed, (std::vector<int>{3, 1}));
}

TEST(MemoryToolkit, TheTickCounterWrapsAndUnknownExceptionsAreReportedToo) {
  tkmem::MemoryApplication app;
  app.SetTicks(UINT32_MAX - 1);
  app.AdvanceTicksOnEachRead(3);
  EXPECT_EQ(app.TickCount(), UINT32_MAX - 1);
  EXPECT_EQ(app.TickCount(), 1u);
  app.Guard([] { throw 42; });
  ASSERT_EQ(app.Messages().size(), 1u);
  EXPECT_EQ(app.Messages()[0].Text, u"Unknown exception");
}

} // namespace
