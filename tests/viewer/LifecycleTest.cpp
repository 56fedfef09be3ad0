#include "ViewerFixture.h"

#include "viewer/LeakReport.h"
#include "viewer/ToolbarPictures.h"

namespace {

TEST_F(ViewerTest, TheWindowIsCreatedInsideTheCreateHandlerAndExistsBeforeShowing) {
  Open();
  EXPECT_EQ(Form().Journal(), (std::vector<std::string>{"created", "window"}));
  EXPECT_TRUE(Form().AcceptsDrops());
  EXPECT_TRUE(app.LeakReportEnabled());
  EXPECT_EQ(Form().ParentWindow(), kLister);
  EXPECT_EQ(app.ParentWindowOf(viewer->Handle()), kLister);
  EXPECT_EQ(Form().Description().Style, tk::WsChild | tk::WsMaximize);
  EXPECT_EQ(viewer->ParentWin, kLister);
  EXPECT_FALSE(viewer->QuickView);
  EXPECT_FALSE(Form().Visible());
  // Without a command-line argument nothing is loaded before showing.
  EXPECT_FALSE(viewer->RootObj());
  EXPECT_EQ(Tree().NodeCount(), 0u);
}

TEST_F(ViewerTest, QuickViewIsTrueExactlyWhenTheListerWindowHasAParent) {
  app.SetWindowParent(0x600, 0x601);
  auto inPanel = TfmMain::CreateParented(app, 0x600);
  EXPECT_TRUE(inPanel->QuickView);
  EXPECT_FALSE(Open().QuickView);
}

TEST_F(ViewerTest, ShowingLoadsTheHostsFileAndAFailedShowKeepsWhatTheTreeHeld) {
  TempFile file(".json", "{\"host\":1}");
  Open();
  viewer->uFileToView = file.Name();
  viewer->Show();
  EXPECT_EQ(Form().Journal(), (std::vector<std::string>{"created", "window", "shown"}));
  EXPECT_TRUE(Form().Visible());
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" {} (1)"}));
  EXPECT_EQ(Status().substr(0, 15), u"Время разбора: ");

  TfmMain second(app, kLister);
  second.uFileToView = u"/nonexistent/treskal/file.json";
  second.Show();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports()[0].rfind(u"Cannot open file", 0), 0u);
  EXPECT_FALSE(second.RootObj());
  EXPECT_TRUE(second.Window().HandleAllocated());
}

TEST_F(ViewerTest, ACommandLineJsonFileIsShownFirstAndKeptWhenTheHostsFileFails) {
  TempFile file(".JSON", "[\"from command line\"]");
  app.SetCommandLine(u"\"C:\\totalcmd\\TOTALCMD64.EXE\" \"" + file.Name() + u"\" /O");
  app.AddRegularFile(file.Name());
  Open();
  ASSERT_TRUE(viewer->RootObj());
  EXPECT_EQ(viewer->RootObj()->GetText(), u"[\"from command line\"]");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" [] (1)"}));
  viewer->uFileToView = u"/nonexistent/treskal/file.json";
  viewer->Show();
  EXPECT_EQ(Reports().size(), 1u);
  ASSERT_TRUE(viewer->RootObj());
  EXPECT_EQ(viewer->RootObj()->GetText(), u"[\"from command line\"]");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" [] (1)"}));
}

TEST_F(ViewerTest, SwitchesFoldersAndOtherFilesOnTheCommandLineAreSkippedSilently) {
  TempFile text(".txt", "[1]");
  app.AddRegularFile(text.Name());
  for (const std::u16string& argument :
       {std::u16string(u"/O"), std::u16string(u"/tmp"), text.Name(),
        std::u16string(u"/nonexistent/a.json"), std::u16string(u"\"\"")}) {
    app.SetCommandLine(u"tc.exe " + argument);
    Open();
    EXPECT_FALSE(viewer->RootObj()) << ujson::Utf16ToUtf8(argument);
    EXPECT_EQ(Tree().NodeCount(), 0u);
  }
  EXPECT_TRUE(Reports().empty());
}

TEST_F(ViewerTest, AnExistingJsonFileThatFailsToLoadIsStillReported) {
  app.SetCommandLine(u"tc.exe /nonexistent/locked.json");
  app.AddRegularFile(u"/nonexistent/locked.json");
  Open();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports()[0].rfind(u"Cannot open file", 0), 0u);
  EXPECT_FALSE(viewer->RootObj());
  EXPECT_EQ(Tree().NodeCount(), 0u);
  EXPECT_TRUE(Form().AcceptsDrops());
}

TEST_F(ViewerTest, DestroyingTheViewerEmptiesTreeAndMapAndReleasesEveryNode) {
  const int64_t before = JSONInstanceCount;
  Open();
  Paste(u"{\"a\":[1,{\"b\":2}],\"c\":\"d\"}");
  Tree().UserExpand(Top());
  Tree().UserExpand(Child(Top(), 0));
  ASSERT_GT(JSONInstanceCount, before);
  tkmem::MemoryTreeView& tree = Tree();
  viewer->FormDestroy();
  EXPECT_EQ(tree.NodeCount(), 0u);
  EXPECT_TRUE(viewer->NodeMap().empty());
  viewer.reset();
  EXPECT_EQ(JSONInstanceCount, before);
  EXPECT_TRUE(app.Forms().empty());
}

TEST_F(ViewerTest, TheDestroyHandlerRunsOnceAtTheStartOfDestruction) {
  Open();
  tkmem::MemoryForm& form = Form();
  form.Destroy();
  form.Destroy();
  EXPECT_EQ(form.Journal(),
            (std::vector<std::string>{"created", "window", "destroyed", "window destroyed"}));
}

TEST_F(ViewerTest, AFailureBeforeTheCreateHandlerPassesOnAndLeavesNothing) {
  const int64_t before = JSONInstanceCount;
  app.SetFormCreationFails(true);
  try {
    TfmMain::CreateParented(app, kLister);
    ADD_FAILURE() << "no failure";
  } catch (const tk::ToolkitError& e) {
    EXPECT_STREQ(e.what(), "Cannot create window");
  }
  EXPECT_TRUE(app.Forms().empty());
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST_F(ViewerTest, TheBoundHandlerReportsWithPluginErrorInABoxOwnedByTheViewer) {
  Open();
  app.SetExceptionHandler([this](const std::exception& e) { viewer->HandleAppException(e); });
  Paste(u"[1]");
  Form().UserClickButton("TBClear");
  Form().Edit("ESearch").SetText(u"1");
  Form().UserClickButton("BtnFindNode");
  ASSERT_EQ(app.Messages().size(), 1u);
  const tkmem::ShownMessage& box = app.Messages()[0];
  EXPECT_EQ(box.Text, u"Plugin Error:\rItem not found");
  EXPECT_EQ(box.Caption, u"Message");
  EXPECT_EQ(box.Flags, tk::MbIconInformation);
  EXPECT_EQ(box.Owner, viewer->Handle());
}

TEST_F(ViewerTest, TheWindowDescriptionHidesTheToolBarAndBindsEveryButton) {
  Open();
  EXPECT_FALSE(viewer->ToolBar1.Visible());
  EXPECT_EQ(
      Form().CreationOrder(),
      (std::vector<std::string>{"ToolBar1", "TBOpen", "TBPaste", "TBCopy", "TBClear", "ToolButton1",
                                "ESearch", "BtnFindNode", "ToolButton3", "TBGeneration",
                                "JSONTreeViewer", "StatusBar1", "OpenDialog1", "ImageList1"}));
  std::vector<std::u16string> tips;
  for (const tk::ToolItemDescription& item : Form().Bar("ToolBar1").Description().Items) {
    if (item.Kind == tk::ToolItemKind::Button) {
      tips.emplace_back(tk::TooltipOf(item.Hint));
      EXPECT_TRUE(item.OnClick) << item.Name;
    }
  }
  EXPECT_EQ(tips, U16s({u"Open file", u"Paste", u"Copy", u"Delete", u"", u"Тестовая генерация"}));
  EXPECT_FALSE(Tree().Description().ReadOnly);
}

TEST(ToolbarPictures, EightPicturesOf17By17EachWithMaskAndColour) {
  const std::vector<tk::Picture> pictures = ToolbarPictures();
  ASSERT_EQ(pictures.size(), 8u);
  for (const tk::Picture& picture : pictures) {
    ASSERT_EQ(picture.Width, 17);
    ASSERT_EQ(picture.Height, 17);
    ASSERT_EQ(picture.Pixels.size(), 17u * 17u);
    int transparent = 0;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x)
        transparent += picture.Transparent(x, y) ? 1 : 0;
    EXPECT_GT(transparent, 0);
    EXPECT_LT(transparent, 17 * 17);
  }
}

TEST(LeakReport, OnlyLiveNodesAreReportedWithTheFixedFirstSentence) {
  EXPECT_FALSE(LeakReportText(0));
  const std::optional<std::u16string> text = LeakReportText(3);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->rfind(u"An unexpected memory leak has occurred. ", 0), 0u);
  EXPECT_NE(text->find(u"3"), std::u16string::npos);
}

} // namespace
