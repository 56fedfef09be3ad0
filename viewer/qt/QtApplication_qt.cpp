#include "viewer/qt/QtApplication_qt.h"

#include "viewer/qt/QtForm_qt.h"
#include "viewer/qt/QtText_qt.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QThread>
#include <QWidget>

#include <chrono>
#include <fstream>
#include <iterator>
#include <vector>

#include <sys/stat.h>

namespace tkqt {

// --- widgets ---------------------------------------------------------------------------------

QWidget* LiveWidget(tk::NativeWindow Window) {
  if (Window == tk::NoWindow || !WidgetsUsableHere())
    return nullptr;
  // Only compared with live widgets, never followed.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  const auto* wanted = reinterpret_cast<const QWidget*>(Window);
  for (QWidget* widget : QApplication::allWidgets())
    if (widget == wanted)
      return widget;
  return nullptr;
}

bool WidgetsUsableHere() noexcept {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && qobject_cast<const QApplication*>(app) && app->thread() == QThread::currentThread();
}

// --- clipboard -------------------------------------------------------------------------------

namespace {

QClipboard& OpenClipboard() {
  QClipboard* clipboard = WidgetsUsableHere() ? QGuiApplication::clipboard() : nullptr;
  if (!clipboard)
    throw tk::ToolkitError("Cannot open clipboard");
  return *clipboard;
}

} // namespace

std::u16string QtClipboard::ReadText() {
  const QMimeData* data = OpenClipboard().mimeData(QClipboard::Clipboard);
  if (!data || !data->hasText())
    return std::u16string();
  return FromQString(data->text());
}

void QtClipboard::WriteText(std::u16string_view Text) {
  QClipboard& clipboard = OpenClipboard();
  // Checked before anything changes: cut text on the clipboard would be wrong text.
  if (Text.size() > kMaxQStringUnits)
    throw tk::ToolkitError("The text is too long for the clipboard");
  clipboard.setText(ToQString(Text), QClipboard::Clipboard);
}

// --- application -----------------------------------------------------------------------------

QtApplication::~QtApplication() {
  // While the clipboard and the message boxes still work.
  DestroyOwnedWindows();
}

std::unique_ptr<tk::Form> QtApplication::CreateForm(tk::NativeWindow Parent,
                                                    tk::FormDescription Description) {
  if (!WidgetsUsableHere())
    throw tk::ToolkitError("No Qt application on this thread");
  QWidget* parent = LiveWidget(Parent);
  if (Parent != tk::NoWindow && !parent)
    throw tk::ToolkitError("Invalid parent window");
  return std::make_unique<QtForm>(*this, parent, std::move(Description));
}

uint32_t QtApplication::TickCount() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  // Wraps at 2^32 like the counter it stands for.
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void QtApplication::ShowMessageBox(tk::NativeWindow Owner, std::u16string_view Text,
                                   std::u16string_view Caption, uint32_t Flags) {
  if (!WidgetsUsableHere())
    throw tk::ToolkitError("No Qt application on this thread");
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (Flags & 0xF0u) {
  case 0x10u:
    icon = QMessageBox::Critical;
    break;
  case 0x20u:
    icon = QMessageBox::Question;
    break;
  case 0x30u:
    icon = QMessageBox::Warning;
    break;
  case 0x40u:
    icon = QMessageBox::Information;
    break;
  default:
    break;
  }
  QString text = ToQString(Text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(icon, ToQString(Caption), text, QMessageBox::Ok, LiveWidget(Owner));
  box.setTextFormat(Qt::PlainText);
  if ((Flags & tk::MbTaskModal) != 0 || !box.parentWidget())
    box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

std::u16string JoinCommandLine(std::span<const std::u16string> Arguments) {
  std::u16string line;
  for (const std::u16string& argument : Arguments) {
    if (!line.empty())
      line += u' ';
    std::u16string plain;
    bool blank = argument.empty();
    for (const char16_t c : argument) {
      if (c == u'"' || c == u'\0')
        continue;
      if (c <= u' ')
        blank = true;
      plain += c;
    }
    if (blank)
      line += u'"' + plain + u'"';
    else
      line += plain;
  }
  return line;
}

std::u16string QtApplication::ProcessCommandLine() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::u16string> arguments;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\0', start);
    if (end == std::string::npos)
      end = bytes.size();
    // Names are in the system's file name encoding.
    arguments.push_back(FromQString(
        QFile::decodeName(QByteArray(bytes.data() + start, static_cast<int>(end - start)))));
    start = end + 1;
  }
  return JoinCommandLine(arguments);
}

bool QtApplication::IsRegularFile(const std::u16string& FileName) {
  if (FileName.empty() || FileName.find(u'\0') != std::u16string::npos)
    return false;
  const QByteArray name = QFile::encodeName(ToQString(FileName));
  struct stat status {};
  return ::stat(name.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

tk::NativeWindow QtApplication::ParentWindowOf(tk::NativeWindow Window) {
  const QWidget* widget = LiveWidget(Window);
  return widget ? NativeOf(widget->parentWidget()) : tk::NoWindow;
}

} // namespace tkqt
