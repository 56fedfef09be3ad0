#include "ViewerFixture.h"

#include <cstdio>

namespace {

class DocumentCommandsTest : public ViewerTest {
protected:
  tkmem::MemoryOpenDialog& Dialog() { return Form().Dialog("OpenDialog1"); }
  bool Drop(std::vector<std::u16string> Names) { return Form().UserDropFiles(std::move(Names)); }
  // Fails the test if a drop is still held when an error is reported.
  void ReportOnlyReleasedDrops() {
    app.SetExceptionHandler([this](const std::exception& e) {
      EXPECT_EQ(app.Drops().Outstanding(), 0u) << "drop still held while reporting";
      app.ShowMessageBox(tk::NoWindow, ujson::Utf8ToUtf16(e.what()), u"test", 0);
    });
  }
};

TEST_F(DocumentCommandsTest, OpenLoadsTheChosenFileAndCancellingChangesNothing) {
  TempFile file(".json", "{\"k\": [1, 2]}");
  Open();
  Dialog().QueueAnswer(file.Name());
  Form().UserClickButton("TBOpen");
  EXPECT_EQ(Dialog().Executions(), std::vector<tk::NativeWindow>{viewer->Handle()});
  ASSERT_TRUE(viewer->RootObj());
  EXPECT_EQ(viewer->RootObj()->GetText(), u"{\"k\": [1, 2]}");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" {} (1)"}));
  const std::u16string status = Status();
  EXPECT_EQ(status.substr(0, 15), u"Время разбора: ");

  const JSONRef shown = viewer->RootObj();
  Dialog().QueueAnswer(std::nullopt);
  Form().UserClickButton("TBOpen");
  EXPECT_EQ(viewer->RootObj(), shown);
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(Tree().Data(Top()), shown.get());
  EXPECT_TRUE(Reports().empty());
}

TEST_F(DocumentCommandsTest, AFailingOpenIsReportedAndKeepsDocumentTreeAndStatus) {
  Open();
  Paste(u"[1]");
  const JSONRef shown = viewer->RootObj();
  const std::u16string status = Status();
  const tk::TreeNodeHandle top = Top();
  Dialog().QueueAnswer(u"/nonexistent/treskal/missing.json");
  Form().UserClickButton("TBOpen");
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports()[0].rfind(u"Cannot open file \"/nonexistent/treskal/missing.json\".", 0), 0u);
  EXPECT_EQ(viewer->RootObj(), shown);
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(Top(), top);
}

TEST_F(DocumentCommandsTest, PasteSuspendsRedrawingAndAFailingClipboardChangesNothing) {
  Open();
  const uint64_t suspensions = Tree().RedrawSuspensions();
  Paste(u"  {\"a\" :   1}  ");
  EXPECT_EQ(Tree().RedrawSuspensions(), suspensions + 1);
  const JSONRef shown = viewer->RootObj();
  app.TestClipboard().SetLocked(true);
  Form().UserClickButton("TBPaste");
  Form().UserClickButton("TBCopy");
  EXPECT_EQ(Reports(), U16s({u"Cannot open clipboard", u"Cannot open clipboard"}));
  EXPECT_EQ(viewer->RootObj(), shown);
  EXPECT_EQ(Tree().Data(Top()), shown.get());
}

TEST_F(DocumentCommandsTest, CopyPutsTheNormalisedDocumentTextOnTheClipboardOnlyWhenLoaded) {
  Open();
  app.TestClipboard().SetText(u"untouched");
  Form().UserClickButton("TBCopy");
  EXPECT_EQ(app.TestClipboard().Writes(), 0u);
  EXPECT_EQ(app.TestClipboard().Content(), u"untouched");

  Paste(u"  {\"a\" :\t  1}  ");
  Form().UserClickButton("TBCopy");
  EXPECT_EQ(app.TestClipboard().Content(), u"{\"a\" : 1}");

  app.TestClipboard().SetNoText();
  Form().UserClickButton("TBPaste");
  Form().UserClickButton("TBCopy");
  EXPECT_EQ(app.TestClipboard().Content(), u"");
}

TEST_F(DocumentCommandsTest, DeleteEmptiesTheTreeButKeepsDocumentAndStatus) {
  Open();
  Paste(u"[1,2]");
  Tree().UserExpand(Top());
  const std::u16string status = Status();
  Form().UserClickButton("TBClear");
  EXPECT_EQ(Tree().NodeCount(), 0u);
  EXPECT_TRUE(viewer->NodeMap().empty());
  EXPECT_EQ(Status(), status);
  Form().UserClickButton("TBCopy");
  EXPECT_EQ(app.TestClipboard().Content(), u"[1,2]");
}

TEST_F(DocumentCommandsTest, ADropLoadsOnlyTheFirstFileAndLeavesTheStatusAlone) {
  TempFile first(".json", "[\"first\"]");
  TempFile second(".json", "[\"second\"]");
  Open();
  Paste(u"[]");
  const std::u16string status = Status();
  app.AdvanceTicksOnEachRead(5000);
  ASSERT_TRUE(Drop({first.Name(), second.Name()}));
  ASSERT_TRUE(viewer->RootObj());
  EXPECT_EQ(viewer->RootObj()->GetText(), u"[\"first\"]");
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" [] (1)"}));
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(app.Drops().Outstanding(), 0u);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(DocumentCommandsTest, ADroppedNameIsCutTo259UnitsAndTheDropIsReleasedBeforeAFailure) {
  // A real file whose full name is exactly 259 units long.
  const std::string folder =
      std::filesystem::temp_directory_path().string() + "/treskal-" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  const std::string name = folder + "/" + std::string(259 - folder.size() - 6, 'n') + ".json";
  ASSERT_EQ(name.size(), 259u);
  std::ofstream(name) << "[259]";

  Open();
  ReportOnlyReleasedDrops();
  ASSERT_TRUE(Drop({ujson::Utf8ToUtf16(name + "-and-more-beyond-the-buffer")}));
  ASSERT_TRUE(viewer->RootObj());
  EXPECT_EQ(viewer->RootObj()->GetText(), u"[259]");

  Drop({ujson::Utf8ToUtf16(folder + "/missing.json")});
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports()[0].rfind(u"Cannot open file", 0), 0u);
  ASSERT_TRUE(viewer->RootObj());
  EXPECT_EQ(viewer->RootObj()->GetText(), u"[259]");
  EXPECT_EQ(app.Drops().Delivered, 2u);
  EXPECT_EQ(app.Drops().Finished, 2u);
  std::filesystem::remove_all(folder);
}

TEST_F(DocumentCommandsTest, AnEmptyDropLoadsNothingAndIsReleased) {
  Open();
  Paste(u"[1]");
  const JSONRef shown = viewer->RootObj();
  Drop({});
  Drop({u""});
  EXPECT_EQ(viewer->RootObj(), shown);
  EXPECT_EQ(app.Drops().Outstanding(), 0u);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(DocumentCommandsTest, TheTestDocumentIsOnlyShownAndLivesOnTheTreeAlone) {
  Open();
  Paste(u"{\"loaded\":\"xyz\"}");
  const JSONRef loaded = viewer->RootObj();
  const int64_t before = JSONInstanceCount;
  Form().UserClickButton("TBGeneration");
  ASSERT_TRUE(Reports().empty());
  EXPECT_EQ(viewer->RootObj(), loaded);
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" {} (2)"}));
  Tree().UserExpand(Top());
  EXPECT_EQ(Labels(Top()), (std::vector<std::u16string>{u" [] (6)", u"NewObj : \u00cf\u00fb"}));
  Tree().UserExpand(Child(Top(), 0));
  char self[16];
  std::snprintf(
      self, sizeof self, "$%08X",
      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(viewer.get()) & 0xFFFFFFFFu));
  EXPECT_EQ(Labels(Child(Top(), 0)),
            (std::vector<std::u16string>{u"\"sdfsdf\"", u"234234", u"3.546", u"\"s\"",
                                         ujson::Utf8ToUtf16(self), u"$000000FF"}));
  EXPECT_GT(JSONInstanceCount, before);

  // Copy and search keep acting on the loaded document.
  Form().UserClickButton("TBCopy");
  EXPECT_EQ(app.TestClipboard().Content(), u"{\"loaded\":\"xyz\"}");
  Form().Edit("ESearch").SetText(u"xyz");
  Form().UserClickButton("BtnFindNode");
  EXPECT_EQ(Reports(), U16s({u"Item not found"}));

  Form().UserClickButton("TBClear");
  EXPECT_EQ(JSONInstanceCount, before);
}
} // namespace
