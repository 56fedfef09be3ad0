// The Qt toolkit's tests run inside one QApplication, as the plugin runs inside the host's.
// Without a display Qt draws into memory (QT_QPA_PLATFORM=offscreen).

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about window features it lacks; nothing else is dropped.
void FilterMessages(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
  for (const char* lacking : {"does not support propagateSizeHints", "does not support raise",
                              "does not support grabbing the keyboard"})
    if (Message.contains(QLatin1String(lacking)))
      return;
  if (previousHandler)
    previousHandler(Type, Context, Message);
  else
    std::fprintf(stderr, "%s\n", qPrintable(Message));
}

} // namespace

// The offscreen platform never frees its screen: LeakSanitizer is told so here, where it also
// reads it when the tests are only listed. Each entry matches the allocating frame inside Qt; a
// leak of the project's own objects is reported from its own frames and is never matched.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the sanitizer runtime looks up.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libqoffscreen.so\n"
         "leak:QScreen::QScreen\n"
         "leak:QPlatformScreen::QPlatformScreen\n"
         "leak:QWindowSystemInterface::handleScreenAdded\n"
         "leak:ExternalRefCountData::getAndRef\n"
         "leak:QObject::QObject\n";
}

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  previousHandler = qInstallMessageHandler(FilterMessages);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
