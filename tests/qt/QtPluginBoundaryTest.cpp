// The plugin Treskal.wlx as the file manager uses it: loaded with dlopen, called through its
// exported C functions, with the host's widgets built the way Double Commander builds them.

#include "QtFixture.h"

#include "viewer/ListerProtocol.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qttest::MessageBoxAnswerer;
using qttest::ProcessEvents;
using qttest::TempFile;

// The exports, looked up by name as the host looks them up.
struct Plugin {
  Plugin() {
    // The host loads it once and never unloads it; neither does the test.
    handle = ::dlopen(TRESKAL_QT_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
      return;
    load = Find<void*(void*, uint16_t*, int)>("ListLoadW");
    loadNext = Find<int(void*, void*, uint16_t*, int)>("ListLoadNextW");
    search = Find<int(void*, uint16_t*, int)>("ListSearchTextW");
    search8 = Find<int(void*, char*, int)>("ListSearchText");
    command = Find<int(void*, int, int)>("ListSendCommand");
    close = Find<void(void*)>("ListCloseWindow");
  }
  template <class Fn> Fn* Find(const char* Name) const {
    return reinterpret_cast<Fn*>(::dlsym(handle, Name));
  }
  bool Complete() const { return load && loadNext && search && search8 && command && close; }

  void* handle = nullptr;
  void* (*load)(void*, uint16_t*, int) = nullptr;
  int (*loadNext)(void*, void*, uint16_t*, int) = nullptr;
  int (*search)(void*, uint16_t*, int) = nullptr;
  int (*search8)(void*, char*, int) = nullptr;
  int (*command)(void*, int, int) = nullptr;
  void (*close)(void*) = nullptr;
};

Plugin& ThePlugin() {
  static Plugin plugin;
  return plugin;
}

uint16_t* Wide(std::u16string& Text) { return reinterpret_cast<uint16_t*>(Text.data()); }

// The host's side: a viewer window (a titled top-level widget around the lister window) or the
// quick-view panel (the same form inside the main window's notebook).
class PluginBoundaryTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(ThePlugin().handle) << ::dlerror();
    ASSERT_TRUE(ThePlugin().Complete());
  }
  void TearDown() override {
    if (window && ThePlugin().close)
      ThePlugin().close(window);
    main.reset();
    ProcessEvents();
  }

  // A viewer window: top-level, titled with the file's name, holding the lister window.
  QWidget& ViewerWindow() {
    main = std::make_unique<QWidget>();
    main->setWindowTitle(QStringLiteral("/tmp/file.json"));
    lister = new QWidget(main.get());
    auto* layout = new QVBoxLayout(main.get());
    layout->addWidget(lister);
    main->resize(400, 300);
    main->show();
    return *lister;
  }
  // The quick-view panel: the viewer's form, titled, inside a notebook of the main window.
  QWidget& QuickViewPanel() {
    main = std::make_unique<QWidget>();
    main->setWindowTitle(QStringLiteral("Double Commander"));
    auto* tabs = new QTabWidget(main.get());
    auto* form = new QWidget();
    form->setWindowTitle(QStringLiteral("/tmp/file.json"));
    tabs->addTab(form, QStringLiteral("files"));
    lister = new QWidget(form);
    auto* layout = new QVBoxLayout(main.get());
    layout->addWidget(tabs);
    main->resize(400, 300);
    main->show();
    return *lister;
  }
  QWidget* Load(QWidget& Lister, const std::string& Json) {
    files.push_back(std::make_unique<TempFile>(".json", Json));
    std::u16string name = files.back()->Name();
    window = ThePlugin().load(&Lister, Wide(name), 0);
    return static_cast<QWidget*>(window);
  }
  static std::u16string Clipboard() {
    const QString text = QGuiApplication::clipboard()->text();
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
  }

  std::unique_ptr<QWidget> main;
  QPointer<QWidget> lister;
  std::vector<std::unique_ptr<TempFile>> files;
  void* window = nullptr;
};

TEST(PluginExports, ExactlyTheNineFunctionsOfTheListerInterfaceAreVisible) {
  const std::string command = std::string("nm -D --defined-only ") + TRESKAL_QT_PLUGIN;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  ASSERT_TRUE(pipe);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::istringstream fields(line);
    std::string address, type, name;
    fields >> address >> type >> name;
    // Text symbols are the functions; a global data symbol would show up here too.
    if (!name.empty() && type != "w" && type != "v")
      exported.insert(name);
  }
  EXPECT_EQ(exported,
            (std::set<std::string>{"ListCloseWindow", "ListGetDetectString", "ListLoad",
                                   "ListLoadNext", "ListLoadNextW", "ListLoadW", "ListSearchText",
                                   "ListSearchTextW", "ListSendCommand"}));
}

TEST_F(PluginBoundaryTest, TheViewerAnswersTheHostsCallsUntilItIsClosedOnce) {
  QWidget* viewer = Load(ViewerWindow(), R"({"a": "first beta", "b": ["Grüße", 2]})");
  ASSERT_NE(viewer, nullptr);
  const QPointer<QWidget> alive = viewer;
  EXPECT_EQ(viewer->parentWidget(), lister.data());
  EXPECT_TRUE(viewer->isVisible());

  Plugin& plugin = ThePlugin();
  std::u16string beta = u"BETA";
  EXPECT_EQ(plugin.search(window, Wide(beta), lcs_findfirst), LISTPLUGIN_OK);
  EXPECT_EQ(plugin.command(window, lc_copy, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Clipboard(), u"first beta");
  EXPECT_EQ(plugin.search(window, Wide(beta), lcs_findfirst | lcs_matchcase), LISTPLUGIN_ERROR);
  // The 8-bit text is UTF-8 here.
  std::string greeting = "grüße";
  EXPECT_EQ(plugin.search8(window, greeting.data(), 0), LISTPLUGIN_OK);
  EXPECT_EQ(plugin.command(window, lc_copy, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Clipboard(), u"Grüße");
  EXPECT_EQ(plugin.command(window, lc_selectall, 0), LISTPLUGIN_OK);
  EXPECT_EQ(plugin.command(window, lc_setpercent, 50), LISTPLUGIN_ERROR);

  // The next file loads into the same window; one that does not load leaves it, unreported.
  TempFile next(".json", R"(["next"])");
  std::u16string nextName = next.Name();
  std::u16string missing = next.Name() + u".gone";
  {
    MessageBoxAnswerer boxes;
    EXPECT_EQ(plugin.loadNext(lister, window, Wide(nextName), 0), LISTPLUGIN_OK);
    EXPECT_EQ(plugin.loadNext(lister, window, Wide(missing), 0), LISTPLUGIN_ERROR);
    ProcessEvents();
    EXPECT_TRUE(boxes.Seen().empty());
  }
  EXPECT_EQ(plugin.command(window, lc_copy, 0), LISTPLUGIN_OK);
  EXPECT_EQ(Clipboard(), u"[\"next\"]");

  plugin.close(window);
  ProcessEvents();
  EXPECT_TRUE(alive.isNull());
  // Closed: the window is no viewer any more, whatever the host calls.
  plugin.close(window);
  EXPECT_EQ(plugin.command(window, lc_copy, 0), LISTPLUGIN_ERROR);
  EXPECT_EQ(plugin.search(window, Wide(beta), lcs_findfirst), LISTPLUGIN_ERROR);
  EXPECT_EQ(plugin.loadNext(lister, window, Wide(nextName), 0), LISTPLUGIN_ERROR);
  window = nullptr;
}

TEST_F(PluginBoundaryTest, TheHostDestroyingTheListerWindowTearsTheViewerDown) {
  QWidget* viewer = Load(ViewerWindow(), R"([1, 2, 3])");
  ASSERT_NE(viewer, nullptr);
  delete lister.data();
  ProcessEvents();
  // Torn down already: closing it now, or asking it anything, finds no viewer.
  ThePlugin().close(window);
  EXPECT_EQ(ThePlugin().command(window, lc_selectall, 0), LISTPLUGIN_ERROR);
  window = nullptr;
  // And the next viewer works.
  EXPECT_NE(Load(ViewerWindow(), R"({"again": true})"), nullptr);
  EXPECT_EQ(ThePlugin().command(window, lc_selectall, 0), LISTPLUGIN_OK);
}

TEST_F(PluginBoundaryTest, BadListerWindowsAndUnreadableFilesAreReportedWithoutACrash) {
  MessageBoxAnswerer boxes;
  std::u16string name = u"/nonexistent/x.json";
  // Not a widget of this program: no viewer, and the open error says why.
  EXPECT_EQ(ThePlugin().load(reinterpret_cast<void*>(0x1234), Wide(name), 0), nullptr);
  ProcessEvents();
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Title, QStringLiteral("Message"));
  EXPECT_EQ(boxes.Seen()[0].Text,
            QStringLiteral("Open error:\nThe lister window is not a widget of this program"));
  EXPECT_EQ(boxes.Seen()[0].Icon, QMessageBox::Information);

  // A file that does not load still gets its window, after the report.
  ASSERT_NE(Load(ViewerWindow(), "[1]"), nullptr);
  files.clear();
  void* first = window;
  window = ThePlugin().load(lister, Wide(name), 0);
  EXPECT_NE(window, nullptr);
  ProcessEvents();
  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(boxes.Seen()[1].Title, QStringLiteral("Message"));
  EXPECT_TRUE(boxes.Seen()[1].Text.startsWith(QStringLiteral("Plugin Error:\n")))
      << boxes.Seen()[1].Text.toStdString();
  ThePlugin().close(first);
}

TEST_F(PluginBoundaryTest, EscClosesTheViewerWindowButNeverTheMainWindowInQuickView) {
  QWidget* viewer = Load(QuickViewPanel(), R"([1])");
  ASSERT_NE(viewer, nullptr);
  QWidget* tree = viewer->focusProxy();
  ASSERT_NE(tree, nullptr);
  QTest::keyClick(tree, Qt::Key_Escape);
  ProcessEvents();
  EXPECT_TRUE(main->isVisible());
  ThePlugin().close(window);
  window = nullptr;

  viewer = Load(ViewerWindow(), R"([1])");
  ASSERT_NE(viewer, nullptr);
  QTest::keyClick(viewer->focusProxy(), Qt::Key_Escape);
  ProcessEvents();
  EXPECT_FALSE(main->isVisible());
}

// Keeps the key presses that reach a widget, with whether they came as from the window system.
class SpontaneousKeys final : public QObject {
public:
  bool eventFilter(QObject*, QEvent* Event) override {
    if (Event->type() == QEvent::KeyPress)
      keys.push_back({static_cast<QKeyEvent*>(Event)->key(), Event->spontaneous()});
    return false;
  }
  std::vector<std::pair<int, bool>> keys;
};

TEST_F(PluginBoundaryTest, F7GoesToTheListerWindowAsTheWindowSystemWouldSendItAndTheFocusReturns) {
  QWidget* viewer = Load(ViewerWindow(), R"([1])");
  ASSERT_NE(viewer, nullptr);
  SpontaneousKeys seen;
  lister->setFocusPolicy(Qt::StrongFocus);
  lister->installEventFilter(&seen);
  QWidget* tree = viewer->focusProxy();
  QApplication::setActiveWindow(main.get());
  tree->setFocus();
  QWidget* focusedBefore = QApplication::focusWidget();
  ASSERT_EQ(focusedBefore, tree);
  QTest::keyClick(tree, Qt::Key_F7);
  EXPECT_TRUE(seen.keys.empty()); // not while the key is being handled
  ProcessEvents();
  EXPECT_EQ(seen.keys, (std::vector<std::pair<int, bool>>{{Qt::Key_F7, true}}));
  EXPECT_EQ(QApplication::focusWidget(), focusedBefore);
}

} // namespace
