#include "QtFixture.h"

#include "viewer/ListerProtocol.h"
#include "viewer/qt/QtKeys_qt.h"
#include "viewer/qt/QtText_qt.h"
#include "viewer/qt/QtTreeWidget_qt.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <string>
#include <vector>

namespace {

using qttest::ProcessEvents;

// Keeps the key presses that reach a widget, modifiers on their own left out, and takes none.
class KeyRecorder final : public QObject {
public:
  bool eventFilter(QObject*, QEvent* Event) override {
    if (Event->type() != QEvent::KeyPress)
      return false;
    const int key = static_cast<QKeyEvent*>(Event)->key();
    if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt)
      keys.push_back(key);
    return false;
  }
  std::vector<int> keys;
};

// The viewer inside a host's widget, the way the file manager embeds it.
class QtViewerKeysTest : public qttest::QtViewerTest {
protected:
  TfmMain& OpenInHost(const std::string& Json) {
    host.resize(400, 300);
    host.show();
    file.emplace(".json", Json);
    viewer = TfmMain::CreateParented(app, tkqt::NativeOf(&host));
    viewer->uFileToView = file->Name();
    viewer->Show();
    host.installEventFilter(&hostKeys);
    return *viewer;
  }
  void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::keyClick(&Widget(), static_cast<Qt::Key>(Key), Modifiers);
    ProcessEvents();
  }
  static std::u16string Clipboard() {
    return tkqt::FromQString(QGuiApplication::clipboard()->text());
  }

  QWidget host;
  KeyRecorder hostKeys;
};

TEST_F(QtViewerKeysTest, QtKeysBecomeTheViewersKeyPresses) {
  const auto press = [](int Key, Qt::KeyboardModifiers Modifiers, const QString& Text = {}) {
    return tkqt::KeyPressOf(QKeyEvent(QEvent::KeyPress, Key, Modifiers, Text));
  };
  EXPECT_EQ(press(Qt::Key_N, Qt::NoModifier, "n").Key, tk::key::Letter('N'));
  EXPECT_EQ(press(Qt::Key_N, Qt::NoModifier, "n").Character, u'n');
  const tk::KeyPress copy = press(Qt::Key_C, Qt::ControlModifier, QString(QChar(3)));
  EXPECT_EQ(copy.Key, tk::key::Letter('C'));
  EXPECT_TRUE(copy.Control);
  EXPECT_EQ(copy.Character, 0); // Ctrl+C types a control character, which is no character
  EXPECT_EQ(press(Qt::Key_F7, Qt::NoModifier).Key, tk::key::Function(7));
  EXPECT_EQ(press(Qt::Key_F10, Qt::ShiftModifier).Key, tk::key::Function(10));
  EXPECT_TRUE(press(Qt::Key_F10, Qt::ShiftModifier).Shift);
  EXPECT_EQ(press(Qt::Key_Escape, Qt::NoModifier).Key, tk::key::Escape);
  EXPECT_EQ(press(Qt::Key_Menu, Qt::NoModifier).Key, tk::key::Apps);
  // The keypad's plus has a key of its own; the main keyboard's is known by its character.
  EXPECT_EQ(press(Qt::Key_Plus, Qt::KeypadModifier, "+").Key, tk::key::Add);
  const tk::KeyPress mainPlus = press(Qt::Key_Plus, Qt::ShiftModifier, "+");
  EXPECT_EQ(mainPlus.Key, 0u);
  EXPECT_EQ(mainPlus.Character, u'+');
  EXPECT_TRUE(press(Qt::Key_X, Qt::AltModifier, "x").Alt);
}

TEST_F(QtViewerKeysTest, TheTreeKeepsItsKeysTheViewerActsOnItsOwnAndTheRestGoesToTheHost) {
  OpenInHost(R"({"name": "Alpha", "list": [1, 2, 3]})");
  Widget().setFocus();
  Widget().setCurrentIndex(TopIndex());
  // Right stays with the tree, which opens the node after the viewer filled it.
  Press(Qt::Key_Right);
  EXPECT_EQ(Labels(Top()), (std::vector<std::u16string>{u"name : \"Alpha\"", u"list [] (3)"}));
  Press(Qt::Key_Down);
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), u"Alpha");
  EXPECT_TRUE(hostKeys.keys.empty());

  // Letters, function keys and Esc go up to the host's widgets.
  Press(Qt::Key_N);
  Press(Qt::Key_F3);
  Press(Qt::Key_Escape);
  EXPECT_EQ(hostKeys.keys, (std::vector<int>{Qt::Key_N, Qt::Key_F3, Qt::Key_Escape}));

  // Unless the embedding takes them.
  std::vector<int> taken;
  Form().SetHostKeyHandler([&taken](const QKeyEvent& Event) {
    taken.push_back(Event.key());
    return Event.key() == Qt::Key_Escape;
  });
  Press(Qt::Key_Escape);
  Press(Qt::Key_P);
  EXPECT_EQ(taken, (std::vector<int>{Qt::Key_Escape, Qt::Key_P}));
  EXPECT_EQ(hostKeys.keys.back(), Qt::Key_P);
  EXPECT_EQ(hostKeys.keys.size(), 4u);
}

TEST_F(QtViewerKeysTest, PlusMinusAndStarOpenAndShutThroughTheViewer) {
  OpenInHost(R"({"a": {"b": {"c": 1}}, "d": [1]})");
  Widget().setFocus();
  Widget().setCurrentIndex(TopIndex());
  Press(Qt::Key_Asterisk, Qt::KeypadModifier);
  const tk::TreeNodeHandle a = Tree().FirstChild(Top());
  const tk::TreeNodeHandle b = Tree().FirstChild(a);
  ASSERT_TRUE(b);
  EXPECT_TRUE(Tree().IsExpanded(b));
  EXPECT_EQ(Labels(b), std::vector<std::u16string>{u"c : 1"});
  EXPECT_TRUE(Widget().isExpanded(Tree().IndexOf(b)));

  // Minus shuts the selected node; a selection inside it moves up to it.
  Tree().Select(Tree().FirstChild(b));
  Tree().Collapse(a);
  EXPECT_FALSE(Tree().IsExpanded(a));
  EXPECT_EQ(Tree().Selected(), a);
  Press(Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_TRUE(Tree().IsExpanded(a));
  Press(Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_FALSE(Tree().IsExpanded(a));
  EXPECT_FALSE(Widget().isExpanded(Tree().IndexOf(a)));
}

TEST_F(QtViewerKeysTest, StarOnADeepChainTellsTheViewOfItsRowsOnceInsteadOfLevelByLevel) {
  constexpr int kDepth = 100000;
  OpenInHost(std::string(kDepth, '[') + std::string(kDepth, ']'));
  Widget().setFocus();
  Widget().setCurrentIndex(TopIndex());
  const QSignalSpy removals(&Tree().Model(), &QAbstractItemModel::rowsAboutToBeRemoved);
  const QSignalSpy insertions(&Tree().Model(), &QAbstractItemModel::rowsAboutToBeInserted);
  Press(Qt::Key_Asterisk, Qt::KeypadModifier);
  // Opened down to the deepest level Expand all opens.
  tk::TreeNodeHandle node = Top();
  int open = 0;
  while (Tree().IsExpanded(node)) {
    ASSERT_TRUE(Widget().isExpanded(Tree().IndexOf(node)));
    node = Tree().FirstChild(node);
    ++open;
  }
  EXPECT_EQ(open, static_cast<int>(TfmMain::ExpandAllLevels));
  EXPECT_NE(viewer->StatusBar1.Text().find(u"stopped"), std::u16string::npos);
  // The top node's placeholder goes and the new subtree comes, each told once: a level at a
  // time made every change walk all the open rows above it.
  EXPECT_EQ(removals.count(), 1);
  EXPECT_EQ(insertions.count(), 1);
  EXPECT_TRUE(Widget().visualRect(Tree().IndexOf(Top())).isValid());
}

TEST_F(QtViewerKeysTest, StarOnAFreshHugeArrayOpensItsFirstLevel) {
  std::string json = "[0";
  for (int index = 1; index < 1000000; ++index)
    json += ",0";
  OpenInHost(json + "]");
  Widget().setFocus();
  Widget().setCurrentIndex(TopIndex());
  Press(Qt::Key_Asterisk, Qt::KeypadModifier);
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_TRUE(Widget().isExpanded(TopIndex()));
  EXPECT_EQ(Tree().Model().rowCount(TopIndex()), 1000000);
  // Nothing below it was left: Expand all did not stop.
  EXPECT_EQ(viewer->StatusBar1.Text().find(u"stopped"), std::u16string::npos);
}

TEST_F(QtViewerKeysTest, HostKeysEndALabelEditUnchangedAndThenGoToTheHost) {
  OpenInHost(R"({"a": 1})");
  Widget().setFocus();
  Widget().setCurrentIndex(TopIndex());
  const auto openEditor = [this]() -> QLineEdit* {
    Widget().edit(TopIndex());
    ProcessEvents();
    for (QLineEdit* editor : Widget().findChildren<QLineEdit*>())
      if (editor->isVisible())
        return editor;
    return nullptr;
  };
  for (const int key : {Qt::Key_N, Qt::Key_P, Qt::Key_Escape, Qt::Key_F2, Qt::Key_F7}) {
    QLineEdit* editor = openEditor();
    ASSERT_TRUE(editor) << key;
    QTest::keyClicks(editor, "xy");
    hostKeys.keys.clear();
    QTest::keyClick(editor, static_cast<Qt::Key>(key));
    ProcessEvents();
    EXPECT_EQ(Tree().Label(Top()), u" {} (1)") << key;
    EXPECT_EQ(hostKeys.keys, std::vector<int>{key}) << key;
    EXPECT_EQ(QApplication::focusWidget(), &Widget()) << key;
  }
  // Editing itself stays: other letters type, Shift+N too, and Enter confirms.
  QLineEdit* editor = openEditor();
  ASSERT_TRUE(editor);
  editor->clear();
  QTest::keyClicks(editor, "ab");
  QTest::keyClick(editor, 'N', Qt::ShiftModifier);
  QTest::keyClick(editor, Qt::Key_Return);
  ProcessEvents();
  EXPECT_EQ(Tree().Label(Top()), u"abN");
}

TEST_F(QtViewerKeysTest, TheFirstKeyAfterTheNextFileActsOnItsTopNode) {
  OpenInHost(R"({"a": 1})");
  QApplication::setActiveWindow(&host);
  Widget().setFocus();
  ProcessEvents();
  ASSERT_TRUE(Widget().hasFocus());
  const TempFile next(".json", R"({"x": [1, 2], "y": 3})");
  EXPECT_EQ(viewer->AnswerLoadNext(next.Name(), 0), LISTPLUGIN_OK);
  ProcessEvents();
  Press(Qt::Key_Right);
  EXPECT_TRUE(Tree().IsExpanded(Top()));
  EXPECT_EQ(Labels(Top()), (std::vector<std::u16string>{u"x [] (2)", u"y : 3"}));
}

TEST_F(QtViewerKeysTest, TheContextMenuOffersTheNodesCommandsAndRunsTheOneChosen) {
  OpenInHost(R"({"store": {"unit price": 3}})");
  Tree().Expand(Top());
  const tk::TreeNodeHandle store = Tree().FirstChild(Top());
  Tree().Expand(store);
  const tk::TreeNodeHandle price = Tree().FirstChild(store);
  std::vector<QString> captions;
  std::vector<bool> enabled;
  // Answers the menu as a user would, choosing "Copy path".
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      captions.push_back(action->text());
      enabled.push_back(action->isEnabled());
    }
    for (QAction* action : menu->actions())
      if (action->text() == QStringLiteral("Copy path"))
        menu->setActiveAction(action);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  const QRect row = Widget().visualRect(Tree().IndexOf(price));
  QContextMenuEvent click(QContextMenuEvent::Mouse, row.center(),
                          Widget().viewport()->mapToGlobal(row.center()));
  QApplication::sendEvent(Widget().viewport(), &click);
  ProcessEvents();
  EXPECT_EQ(captions, (std::vector<QString>{"Copy value", "Copy name", "Copy path", "Copy JSON", "",
                                            "Expand all", "Collapse all"}));
  EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, true, true, false, false}));
  EXPECT_EQ(Tree().Selected(), price);
  EXPECT_EQ(Clipboard(), u"$.store[\"unit price\"]");
}

TEST_F(QtViewerKeysTest, DarkModeColoursTheTreeAndTheStatusBarAndTheSystemSchemeUndoesIt) {
  TfmMain& shown = OpenInHost(R"([1])");
  const QColor systemBase = Widget().palette().color(QPalette::Base);
  const QColor systemText = Widget().palette().color(QPalette::Text);
  EXPECT_EQ(shown.AnswerSendCommand(lc_newparams, lcp_darkmode), LISTPLUGIN_OK);
  EXPECT_EQ(Form().CurrentColourScheme(), tk::ColourScheme::Dark);
  const QPalette dark = Widget().palette();
  EXPECT_EQ(dark.color(QPalette::Active, QPalette::Base), QColor(0x20, 0x20, 0x20));
  EXPECT_EQ(dark.color(QPalette::Active, QPalette::Text), QColor(0xE6, 0xE6, 0xE6));
  EXPECT_EQ(dark.color(QPalette::Active, QPalette::Highlight), QColor(0x26, 0x4F, 0x78));
  QLabel* panel = Form().Status("StatusBar1").Panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(0xE6, 0xE6, 0xE6));
  EXPECT_EQ(panel->parentWidget()->palette().color(QPalette::Window), QColor(0x2B, 0x2B, 0x2B));

  EXPECT_EQ(shown.AnswerSendCommand(lc_newparams, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Widget().palette().color(QPalette::Base), systemBase);
  EXPECT_EQ(Widget().palette().color(QPalette::Text), systemText);
}

TEST_F(QtViewerKeysTest, ADropOfFilesShowsTheFirstLocalOneOnceTheDragHasEnded) {
  OpenInHost(R"([1])");
  qttest::TempFile dropped(".json", R"({"dropped": true, "n": 2})");
  QMimeData data;
  data.setUrls({QUrl(QStringLiteral("https://example.com/x.json")),
                QUrl::fromLocalFile(QString::fromStdString(dropped.Path())),
                QUrl::fromLocalFile(QStringLiteral("/nonexistent/second.json"))});
  QWidget& form = *Form().Widget();
  ASSERT_TRUE(form.acceptDrops());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  // Straight to the widget: outside a real drag Qt's own routing drops the event.
  static_cast<QObject&>(form).event(&drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(Tree().Label(Top()), u" [] (1)"); // not while the drag is still going on
  ProcessEvents();
  EXPECT_EQ(Tree().Label(Top()), u" {} (2)");

  // A drag without local files is turned away.
  QMimeData remote;
  remote.setUrls({QUrl(QStringLiteral("https://example.com/y.json"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject&>(form).event(&enter);
  EXPECT_FALSE(enter.isAccepted());
}

} // namespace

TEST_F(QtViewerKeysTest, TheStatusBarsSecondLabelShowsThePathOfTheSelectionAsItMoves) {
  OpenInHost(R"({"store": {"unit price": [10, 20]}, "z": null})");
  QWidget& window = *Form().Widget();
  window.resize(1000, 300);
  QApplication::setActiveWindow(&host);
  Widget().setFocus();
  Widget().setCurrentIndex(TopIndex());
  ProcessEvents();
  tkqt::QtStatusBar& bar = Form().Status("StatusBar1");
  QLabel* figures = bar.Panel(0);
  QLabel* path = bar.Panel(1);
  ASSERT_NE(figures, nullptr);
  ASSERT_NE(path, nullptr);
  const QString status = figures->text();
  EXPECT_TRUE(status.startsWith(QStringLiteral("Время разбора: ")));
  EXPECT_EQ(path->text(), QStringLiteral("$"));
  // Right of the figures, on the same line.
  EXPECT_GE(path->geometry().left(), figures->geometry().right());
  EXPECT_EQ(path->geometry().top(), figures->geometry().top());

  Press(Qt::Key_Right);
  Press(Qt::Key_Down);
  EXPECT_EQ(path->text(), QStringLiteral("$.store"));
  Press(Qt::Key_Right);
  Press(Qt::Key_Down);
  EXPECT_EQ(path->text(), QStringLiteral("$.store[\"unit price\"]"));
  Press(Qt::Key_Right);
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  EXPECT_EQ(path->text(), QStringLiteral("$.store[\"unit price\"][1]"));
  // Left on a child goes to its parent.
  Press(Qt::Key_Left);
  EXPECT_EQ(path->text(), QStringLiteral("$.store[\"unit price\"]"));

  // A bar too narrow for the path shows it shortened in the middle, as the viewer fits it.
  window.resize(figures->geometry().right() + 60, 300);
  ProcessEvents();
  EXPECT_TRUE(path->text().startsWith(QStringLiteral("$")));
  EXPECT_TRUE(path->text().contains(QChar(0x2026)));
  EXPECT_LE(bar.TextWidth(tkqt::FromQString(path->text())), bar.PartRoom(TfmMain::kPathPart));
  window.resize(1000, 300);
  ProcessEvents();
  EXPECT_EQ(path->text(), QStringLiteral("$.store[\"unit price\"]"));

  // Selecting nothing empties it; the figures stay.
  Tree().Select(tk::NoNode);
  EXPECT_EQ(path->text(), QString());
  EXPECT_EQ(figures->text(), status);
}
