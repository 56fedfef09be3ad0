#pragma once

#include "TempFile.h"
#include "viewer/ViewerMain.h"
#include "viewer/qt/QtApplication_qt.h"
#include "viewer/qt/QtForm_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qttest {

using ::TempFile;

// Runs the event loop's pending work, deferred deletions included.
inline void ProcessEvents() {
  for (int round = 0; round < 3; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// A message box that was shown and answered.
struct SeenBox {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
};

// Answers every modal message box that opens while it lives, as a user pressing OK would,
// and keeps what each one showed.
class MessageBoxAnswerer {
public:
  MessageBoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible())
        return;
      seen_.push_back({box->windowTitle(), box->text(), box->icon()});
      box->accept();
    });
    timer_.start();
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  const std::vector<SeenBox>& Seen() const { return seen_; }
  std::vector<QString> Texts() const {
    std::vector<QString> texts;
    for (const SeenBox& box : seen_)
      texts.push_back(box.Text);
    return texts;
  }

private:
  QTimer timer_;
  std::vector<SeenBox> seen_;
};

// The viewer itself on the Qt toolkit, in a window of its own.
class QtViewerTest : public ::testing::Test {
protected:
  void TearDown() override {
    viewer.reset();
    ProcessEvents();
  }

  // Shows Json in a new viewer, from a file.
  TfmMain& Open(const std::string& Json) {
    file.emplace(".json", Json);
    viewer = TfmMain::CreateParented(app, tk::NoWindow);
    viewer->uFileToView = file->Name();
    viewer->Show();
    return *viewer;
  }
  tkqt::QtForm& Form() { return tkqt::AsQt(viewer->Window()); }
  tkqt::QtTreeView& Tree() { return Form().Tree("JSONTreeViewer"); }
  tkqt::TreeWidget& Widget() { return *Tree().Widget(); }
  tk::TreeNodeHandle Top() { return Tree().FirstChild(tk::NoNode); }
  QModelIndex TopIndex() { return Tree().IndexOf(Top()); }
  std::vector<std::u16string> Labels(tk::TreeNodeHandle Parent) {
    std::vector<std::u16string> labels;
    for (tk::TreeNodeHandle child = Tree().FirstChild(Parent); child;
         child = Tree().NextSibling(child))
      labels.push_back(Tree().Label(child));
    return labels;
  }

  tkqt::QtApplication app;
  std::optional<TempFile> file;
  std::unique_ptr<TfmMain> viewer;
};

} // namespace qttest
