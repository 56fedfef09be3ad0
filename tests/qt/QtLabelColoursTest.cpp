#include "QtFixture.h"

#include "viewer/ListerProtocol.h"
#include "viewer/qt/QtColours_qt.h"
#include "viewer/qt/QtLabelDelegate_qt.h"
#include "viewer/qt/QtTreeModel_qt.h"
#include "viewer/toolkit/LabelPalette.h"

#include <QImage>
#include <QPixmap>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using qttest::ProcessEvents;
using tk::LabelPartKind;

class QtLabelColoursTest : public qttest::QtViewerTest {
protected:
  QModelIndex ChildIndex(int Row) {
    tk::TreeNodeHandle child = Tree().FirstChild(Top());
    for (int i = 0; i < Row; ++i)
      child = Tree().NextSibling(child);
    return Tree().IndexOf(child);
  }
  std::vector<tkqt::LabelRun> Runs(int Row) {
    return tkqt::LabelRuns(ChildIndex(Row), Widget().palette().color(QPalette::Base));
  }
  // The kind whose colour most of the row's ink is drawn in: an antialiased pixel is a blend
  // of the background and its text colour, so each pixel that stands out votes for the palette
  // colour whose blends with the background lie nearest to it.
  static LabelPartKind InkKind(const QImage& Image, const QRect& Rect,
                               const tk::LabelPalette& Palette) {
    const QColor background = tkqt::QColorOf(Palette.Background);
    std::array<int, tk::kLabelPartKinds> votes{};
    for (int y = Rect.top(); y <= Rect.bottom(); ++y)
      for (int x = Rect.left(); x <= Rect.right(); ++x) {
        if (!Image.valid(x, y))
          continue;
        const QColor pixel = Image.pixelColor(x, y);
        const double p[3] = {double(pixel.red() - background.red()),
                             double(pixel.green() - background.green()),
                             double(pixel.blue() - background.blue())};
        double best = 1e18;
        std::size_t nearest = tk::kLabelPartKinds;
        for (std::size_t kind = 0; kind < tk::kLabelPartKinds; ++kind) {
          const QColor colour = tkqt::QColorOf(Palette.Kinds.at(kind));
          const double c[3] = {double(colour.red() - background.red()),
                               double(colour.green() - background.green()),
                               double(colour.blue() - background.blue())};
          const double t = std::clamp((p[0] * c[0] + p[1] * c[1] + p[2] * c[2]) /
                                          (c[0] * c[0] + c[1] * c[1] + c[2] * c[2]),
                                      0.0, 1.0);
          if (t < 0.4)
            continue; // too faint a blend to tell
          double residual = 0;
          for (int i = 0; i < 3; ++i)
            residual += (p[i] - t * c[i]) * (p[i] - t * c[i]);
          if (residual < best) {
            best = residual;
            nearest = kind;
          }
        }
        if (nearest < tk::kLabelPartKinds)
          ++votes.at(nearest);
      }
    return static_cast<LabelPartKind>(std::max_element(votes.begin(), votes.end()) - votes.begin());
  }
  void ExpectKindsPainted(const tk::LabelPalette& Palette) {
    Widget().viewport()->repaint();
    const QImage image = Widget().viewport()->grab().toImage();
    const LabelPartKind kinds[] = {LabelPartKind::String, LabelPartKind::Number,
                                   LabelPartKind::Boolean, LabelPartKind::Null};
    for (int row = 0; row < 4; ++row)
      EXPECT_EQ(InkKind(image, Widget().visualRect(ChildIndex(row)), Palette), kinds[row])
          << "row " << row;
  }
};

TEST_F(QtLabelColoursTest, TheModelGivesEachPartItsKindsColourInBothSchemes) {
  TfmMain& shown = Open(R"(["text", 12, true, null, {"k": "v"}])");
  Tree().Expand(Top());
  ProcessEvents();
  ASSERT_EQ(Widget().palette().color(QPalette::Base), QColor(Qt::white));
  const auto colour = [](const tk::LabelPalette& Palette, LabelPartKind Kind) {
    return tkqt::QColorOf(Palette.Of(Kind));
  };
  std::vector<tkqt::LabelRun> runs = Runs(0);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].Text, QStringLiteral("\""));
  EXPECT_EQ(runs[1].Text, QStringLiteral("text"));
  EXPECT_EQ(runs[0].Colour, colour(tk::LightLabelPalette, LabelPartKind::Punctuation));
  EXPECT_EQ(runs[1].Colour, colour(tk::LightLabelPalette, LabelPartKind::String));
  ASSERT_EQ(Runs(1).size(), 1u);
  EXPECT_EQ(Runs(1)[0].Colour, colour(tk::LightLabelPalette, LabelPartKind::Number));
  EXPECT_EQ(Runs(2)[0].Colour, colour(tk::LightLabelPalette, LabelPartKind::Boolean));
  EXPECT_EQ(Runs(3)[0].Colour, colour(tk::LightLabelPalette, LabelPartKind::Null));
  EXPECT_EQ(Runs(4)[0].Colour, colour(tk::LightLabelPalette, LabelPartKind::Marker));
  ExpectKindsPainted(tk::LightLabelPalette);

  ASSERT_EQ(shown.AnswerSendCommand(lc_newparams, lcp_darkmode), LISTPLUGIN_OK);
  ProcessEvents();
  EXPECT_EQ(Runs(0)[1].Colour, colour(tk::DarkLabelPalette, LabelPartKind::String));
  EXPECT_EQ(Runs(1)[0].Colour, colour(tk::DarkLabelPalette, LabelPartKind::Number));
  ExpectKindsPainted(tk::DarkLabelPalette);
}

TEST_F(QtLabelColoursTest, AnEditedLabelLosesItsPartsAndDrawsInOneColour) {
  Open(R"({"a": 1})");
  Tree().Expand(Top());
  ProcessEvents();
  ASSERT_EQ(Runs(0).size(), 3u);
  Tree().SetLabel(Tree().FirstChild(Top()), u"edited");
  EXPECT_TRUE(Runs(0).empty());
  EXPECT_TRUE(Tree().Model().data(ChildIndex(0), tkqt::kLabelPartsRole).toList().isEmpty());
}

TEST_F(QtLabelColoursTest, TheToolTipRoleGivesTheValueAsWrappingEscapedRichText) {
  Open(R"({"s": "one\ntwo <b>&", "o": {"k": [1]}})");
  EXPECT_FALSE(
      Tree().Model().data(Tree().IndexOf(Tree().FirstChild(Top())), Qt::ToolTipRole).isValid())
      << "a placeholder has no tooltip";
  Tree().Expand(Top());
  ProcessEvents();
  const QString tip = ChildIndex(0).data(Qt::ToolTipRole).toString();
  EXPECT_EQ(tip, QStringLiteral("<p style=\"white-space:pre-wrap\">one\ntwo &lt;b&gt;&amp;</p>"));
  EXPECT_TRUE(Qt::mightBeRichText(tip));
  EXPECT_EQ(ChildIndex(1).data(Qt::ToolTipRole).toString(),
            QStringLiteral("<p style=\"white-space:pre-wrap\">{&quot;k&quot;: [1]}</p>"));
}

} // namespace
