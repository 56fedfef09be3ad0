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

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  previousHandler = qInstallMessageHandler(FilterMessages);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
