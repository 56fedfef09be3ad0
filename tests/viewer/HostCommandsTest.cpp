#include "ViewerFixture.h"

#include "viewer/ListerProtocol.h"

#include <string>

namespace {

class HostCommandsTest : public ViewerTest {
protected:
  std::u16string Clipboard() { return app.TestClipboard().Content().value_or(u"<none>"); }
  tk::ColourScheme Scheme() { return Form().CurrentColourScheme(); }
};

TEST_F(HostCommandsTest, CopyCopiesTheSelectedValueOrTheWholeDocument) {
  Open();
  EXPECT_EQ(viewer->AnswerSendCommand(lc_copy, 0), LISTPLUGIN_ERROR);
  EXPECT_EQ(Clipboard(), u"<none>");
  Paste(u"{ \"a\": \"x\\ty\", \"b\": [1, 2] }");
  EXPECT_EQ(viewer->AnswerSendCommand(lc_copy, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Clipboard(), u"{ \"a\": \"x\\ty\", \"b\": [1, 2] }");
  Tree().UserExpand(Top());
  Tree().UserClick(Child(Top(), 1));
  EXPECT_EQ(viewer->AnswerSendCommand(lc_copy, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Clipboard(), u"[1, 2]");
}

TEST_F(HostCommandsTest, ACopyTheClipboardRefusesIsReportedAndAnswersAnError) {
  Open();
  Paste(u"[1]");
  app.TestClipboard().SetLocked(true);
  EXPECT_EQ(viewer->AnswerSendCommand(lc_copy, 0), LISTPLUGIN_ERROR);
  EXPECT_EQ(Reports().size(), 1u);
}

TEST_F(HostCommandsTest, SelectAllSelectsTheTopNodeAndUnknownCommandsAreRefused) {
  Open();
  EXPECT_EQ(viewer->AnswerSendCommand(lc_selectall, 0), LISTPLUGIN_ERROR);
  Paste(u"[1,[2]]");
  Tree().UserExpand(Top());
  Tree().UserClick(Child(Top(), 1));
  EXPECT_EQ(viewer->AnswerSendCommand(lc_selectall, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Tree().Selected(), Top());
  for (const int command : {0, lc_setpercent, 5, -1, 1000})
    EXPECT_EQ(viewer->AnswerSendCommand(command, 50), LISTPLUGIN_ERROR) << command;
  EXPECT_EQ(Tree().Selected(), Top());
}

TEST_F(HostCommandsTest, NewParamsSwitchDarkModeOnAndBackToTheSystemColours) {
  Open();
  EXPECT_EQ(Scheme(), tk::ColourScheme::System);
  EXPECT_EQ(viewer->AnswerSendCommand(lc_newparams, lcp_darkmode | lcp_wraptext), LISTPLUGIN_OK);
  EXPECT_EQ(Scheme(), tk::ColourScheme::Dark);
  viewer->AnswerSendCommand(lc_newparams, lcp_darkmode | lcp_darkmodenative);
  EXPECT_EQ(Scheme(), tk::ColourScheme::DarkNative);
  // The native parts come with the dark mode, not without it.
  viewer->AnswerSendCommand(lc_newparams, lcp_darkmodenative);
  EXPECT_EQ(Scheme(), tk::ColourScheme::System);
  viewer->AnswerSendCommand(lc_newparams, lcp_darkmode);
  viewer->AnswerSendCommand(lc_newparams, 0);
  EXPECT_EQ(Scheme(), tk::ColourScheme::System);
}

TEST_F(HostCommandsTest, LoadNextShowsTheFileWithItsStatusAndShowFlags) {
  const TempFile next(".json", "{\"n\":[1,2,3]}");
  Open();
  Paste(u"[1]");
  Tree().UserClick(Top());
  EXPECT_EQ(viewer->AnswerLoadNext(next.Name(), lcp_darkmode), LISTPLUGIN_OK);
  EXPECT_EQ(Labels(tk::NoNode), U16s({u" {} (1)"}));
  EXPECT_EQ(viewer->uFileToView, next.Name());
  EXPECT_EQ(viewer->RootObj()->GetCount(), 1);
  EXPECT_NE(Status().find(u"Элементов: "), std::u16string::npos);
  EXPECT_EQ(Scheme(), tk::ColourScheme::Dark);
  EXPECT_FALSE(Tree().Selected());
  EXPECT_TRUE(Reports().empty());
}

TEST_F(HostCommandsTest, TheCountAfterLoadNextHoldsOnlyTheNewFilesNodes) {
  const TempFile next(".json", "{\"n\":[1,2,3]}"); // five nodes
  const int64_t others = JSONInstanceCount;
  Open();
  Paste(u"[1,[2,3]]");
  Tree().UserExpand(Top());
  EXPECT_EQ(viewer->AnswerLoadNext(next.Name(), 0), LISTPLUGIN_OK);
  std::u16string count = u" Элементов: ";
  for (const char digit : std::to_string(others + 5))
    count += static_cast<char16_t>(digit);
  ASSERT_GE(Status().size(), count.size());
  EXPECT_EQ(Status().substr(Status().size() - count.size()), count);
  EXPECT_EQ(JSONInstanceCount, others + 5);
}

TEST_F(HostCommandsTest, ALoadNextThatFailsLeavesTheViewerAsItWasWithoutABox) {
  Open();
  Paste(u"[1,2]");
  Tree().UserExpand(Top());
  Tree().UserClick(Child(Top(), 1));
  const std::u16string status = Status();
  const JSONRef root = viewer->RootObj();
  const std::u16string before = viewer->uFileToView;
  EXPECT_EQ(viewer->AnswerLoadNext(u"/no/such/file.json", lcp_darkmode), LISTPLUGIN_ERROR);
  EXPECT_EQ(viewer->AnswerLoadNext(u"", 0), LISTPLUGIN_ERROR);
  EXPECT_EQ(viewer->RootObj(), root);
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(Tree().Selected(), Child(Top(), 1));
  EXPECT_EQ(viewer->uFileToView, before);
  EXPECT_EQ(Scheme(), tk::ColourScheme::System);
  EXPECT_TRUE(Reports().empty());
}

} // namespace
