// The form's life as every toolkit shares it (tk::FormBase), seen through the memory toolkit:
// each event raised once and in order, nothing after destruction, drops only while accepted,
// and the lookups by name.

#include "viewer/memory/MemoryApplication.h"
#include "viewer/memory/MemoryForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class FormLifeTest : public ::testing::Test {
protected:
  std::unique_ptr<tk::Form> Make() {
    tk::FormDescription description;
    description.Name = "fmTest";
    description.OnCreate = [this] { events.emplace_back("create"); };
    description.OnShow = [this] { events.emplace_back("show"); };
    description.OnDestroy = [this] { events.emplace_back("destroy"); };
    description.OnDropFiles = [this](tk::DroppedFiles Drop) {
      events.push_back("drop " + std::to_string(Drop.Count()));
    };
    tk::TreeViewDescription tree;
    tree.Name = "Tree";
    description.Controls.emplace_back(tree);
    return app.CreateForm(tk::NoWindow, std::move(description));
  }

  tkmem::MemoryApplication app;
  std::vector<std::string> events;
};

TEST_F(FormLifeTest, EachEventIsRaisedOnceInOrderAndNothingAfterTheDestruction) {
  std::unique_ptr<tk::Form> form = Make();
  form->ConstructionComplete();
  form->ConstructionComplete();
  form->Show();
  form->Show();
  form->Destroy();
  form->Destroy();
  form->ConstructionComplete();
  EXPECT_EQ(events, (std::vector<std::string>{"create", "show", "show", "destroy"}));
  EXPECT_THROW(form->Show(), tk::ToolkitError);
  EXPECT_EQ(tkmem::AsMemory(*form).Journal(),
            (std::vector<std::string>{"created", "window", "shown", "shown", "destroyed",
                                      "window destroyed"}));
}

TEST_F(FormLifeTest, AFormNeverCreatedRaisesNoDestroyedEvent) {
  std::unique_ptr<tk::Form> form = Make();
  form->Show();
  form.reset();
  EXPECT_EQ(events, (std::vector<std::string>{"show"}));
}

TEST_F(FormLifeTest, DropsArriveOnlyWhileTheFormTakesThemAndAreAlwaysGivenBack) {
  std::unique_ptr<tk::Form> form = Make();
  tkmem::MemoryForm& memory = tkmem::AsMemory(*form);
  form->ConstructionComplete();
  EXPECT_FALSE(memory.UserDropFiles({u"a.json"}));
  form->AcceptDroppedFiles(true);
  EXPECT_TRUE(memory.UserDropFiles({u"a.json", u"b.json"}));
  form->AcceptDroppedFiles(false);
  EXPECT_FALSE(memory.UserDropFiles({u"c.json"}));
  form->AcceptDroppedFiles(true);
  form->Destroy();
  EXPECT_FALSE(memory.UserDropFiles({u"d.json"}));
  EXPECT_EQ(events, (std::vector<std::string>{"create", "drop 2", "destroy"}));
  EXPECT_EQ(app.Drops().Delivered, 1u);
  EXPECT_EQ(app.Drops().Outstanding(), 0u);
}

TEST_F(FormLifeTest, ControlsAreFoundByKindAndNameAndAMissingOneIsNamedInTheError) {
  std::unique_ptr<tk::Form> form = Make();
  EXPECT_NO_THROW(form->FindTreeView("Tree"));
  try {
    form->FindStatusBar("Tree");
    FAIL() << "a tree view was found as a status bar";
  } catch (const tk::ToolkitError& e) {
    EXPECT_STREQ(e.what(), "No status bar named Tree");
  }
  EXPECT_THROW(form->FindTreeView("Other"), tk::ToolkitError);
}

} // namespace
