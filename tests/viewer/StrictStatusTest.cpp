// What the viewer tells of a text that is no strict JSON: the place after the load figures,
// and the node the lenient reading made there selected.

#include "ViewerFixture.h"

#include "viewer/ListerProtocol.h"
#include "viewer/StatusText.h"

#include "json/Regional.h"

#include <string>

namespace {

class StrictStatusTest : public ViewerTest {
protected:
  // The figures a load writes, before anything else on the status bar.
  std::u16string Figures() {
    const std::u16string status = Status();
    return status.substr(0, status.find(u"  "));
  }
  std::u16string AfterFigures() {
    const std::u16string status = Status();
    const std::size_t gap = status.find(u"  ");
    return gap == std::u16string::npos ? u"" : status.substr(gap + 2);
  }
  // The text of the document node selected (labels are another matter).
  std::u16string SelectedText() {
    const tk::TreeNodeHandle selected = Tree().Selected();
    for (const auto& [node, treeNode] : viewer->NodeMap()) {
      if (selected && treeNode == selected)
        return node->GetText();
    }
    return u"<none>";
  }
};

TEST_F(StrictStatusTest, ABrokenTextTellsWhereAndSelectsTheNodeThere) {
  Open();
  Paste(u"{\"list\": [1,\r\n  2 3],\r\n \"b\": {}}");
  EXPECT_EQ(AfterFigures(), u"invalid JSON at line 2, column 5: expected ',' or ']'");
  EXPECT_EQ(Figures().rfind(u"Время разбора: ", 0), 0u);
  EXPECT_NE(Figures().find(u" Элементов: "), std::u16string::npos);
  // The element just read before the missing comma; its ancestors are open.
  EXPECT_EQ(SelectedText(), u"2");
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_TRUE(Tree().IsExpanded(Child(Top(), 0)));
}

TEST_F(StrictStatusTest, AValidTextShowsTheFiguresAloneAndSelectsNothing) {
  Open();
  app.SetTicks(1000);
  Paste(u"{\"a\": [1, 2]}");
  EXPECT_EQ(Status(), StatusText(0, JSONInstanceCount, ujson::DecimalSeparator()));
  EXPECT_FALSE(Tree().Selected());
}

TEST_F(StrictStatusTest, ADepartureAroundTheTopValueLeavesTheSelectionAlone) {
  Open();
  Paste(u"[1, 2] x");
  EXPECT_EQ(AfterFigures(), u"invalid JSON at line 1, column 8: text after the value");
  EXPECT_FALSE(Tree().Selected());
  // The selected container is not opened itself: only its ancestors are.
  Paste(u"[[1, 2]");
  EXPECT_EQ(AfterFigures(), u"invalid JSON at line 1, column 8: expected ',' or ']'");
  EXPECT_EQ(SelectedText(), u"[1, 2]");
  EXPECT_FALSE(Tree().IsExpanded(Tree().Selected()));
}

TEST_F(StrictStatusTest, NotesComeAfterTheDepartureAndLoadNextRenewsIt) {
  const TempFile broken(".json", "[\n  {\"a\": \"x\\q\"}\n]");
  const TempFile valid(".json", "[1]");
  Open();
  ASSERT_EQ(viewer->AnswerLoadNext(broken.Name(), 0), LISTPLUGIN_OK);
  EXPECT_EQ(AfterFigures(), u"invalid JSON at line 2, column 11: invalid escape");
  EXPECT_EQ(SelectedText(), u"\"a\": \"x\\q\"");
  viewer->AnswerSearchText(u"nowhere", lcs_findfirst);
  EXPECT_EQ(AfterFigures(),
            u"invalid JSON at line 2, column 11: invalid escape  Not found: \"nowhere\"");
  ASSERT_EQ(viewer->AnswerLoadNext(valid.Name(), 0), LISTPLUGIN_OK);
  EXPECT_EQ(AfterFigures(), u"");
  EXPECT_FALSE(Tree().Selected());
  // A file that does not load leaves the status, departure included, as it was.
  ASSERT_EQ(viewer->AnswerLoadNext(broken.Name(), 0), LISTPLUGIN_OK);
  const std::u16string status = Status();
  EXPECT_EQ(viewer->AnswerLoadNext(broken.Name() + u".missing", 0), LISTPLUGIN_ERROR);
  EXPECT_EQ(Status(), status);
}

TEST_F(StrictStatusTest, TheShowHandlerChecksTheFileItLoads) {
  const TempFile file(".json", "\xEF\xBB\xBF{\"\xC3\xA9t\xC3\xA9\": [true, fals]}");
  Open();
  viewer->uFileToView = file.Name();
  viewer->Show();
  EXPECT_EQ(AfterFigures(), u"invalid JSON at line 1, column 16: expected a value");
  EXPECT_EQ(SelectedText(), u"fals");
}

TEST_F(StrictStatusTest, TheRevealStopsAboveAContainerTooWideToOpen) {
  std::u16string text = u"[";
  for (std::size_t k = 0; k <= TfmMain::ExpandAllLimit; ++k)
    text += u"1,";
  text += u"x]";
  Open();
  Paste(text);
  EXPECT_NE(AfterFigures().find(u": expected a value"), std::u16string::npos);
  EXPECT_FALSE(Tree().IsExpanded(Top()));
}

} // namespace
