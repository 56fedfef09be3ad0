#pragma once

#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/FormDescription.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QString>
#include <QToolBar>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The simple controls on Qt widgets. Each keeps its state in memory as well, so it answers the
// same before its widget is made and after the host has destroyed it.
namespace tkqt {

// A picture as an icon: alpha 0 is transparent, anything else opaque.
QIcon IconOf(const tk::Picture& Picture);
// The filter list of an open dialog in Qt's form: "json (*.json);;txt (*.txt);;All (*.*)".
QString OpenDialogFilter(const tk::OpenDialogDescription& Description);

// A status bar with a label per panel, side by side. A panel sized to its text takes its
// label's width, every other one stretches; their texts never widen them, so a text wider
// than its label is cut at its end. Each label's resizing raises the resized event through
// Deliver.
class QtStatusBar final : public tk::StatusBar {
public:
  using Delivery = std::function<void(const tk::NotifyEvent& Event)>;

  explicit QtStatusBar(tk::StatusBarDescription Description);
  ~QtStatusBar() override;
  QtStatusBar(const QtStatusBar&) = delete;
  QtStatusBar& operator=(const QtStatusBar&) = delete;

  std::size_t PartCount() const override { return texts_.size(); }
  std::u16string PartText(std::size_t Part) const override { return texts_.at(RequirePart(Part)); }
  void SetPartText(std::size_t Part, std::u16string_view Text) override;
  int PartRoom(std::size_t Part) const override;
  int TextWidth(std::u16string_view Text) const override;

  const tk::StatusBarDescription& Description() const noexcept { return description_; }
  QStatusBar* Create(QWidget* Parent, double Scale, Delivery Deliver);
  void Detach() noexcept;
  // The label of a part; nullptr without a widget.
  QLabel* Panel(std::size_t Part = 0) const noexcept {
    return Part < panels_.size() ? panels_[Part].data() : nullptr;
  }

private:
  class ResizeWatch;

  tk::StatusBarDescription description_;
  std::vector<std::u16string> texts_;
  QPointer<QStatusBar> bar_;
  std::vector<QPointer<QLabel>> panels_;
  std::unique_ptr<ResizeWatch> watch_;
};

class QtEditBox final : public tk::EditBox {
public:
  explicit QtEditBox(tk::ToolItemDescription Description)
      : description_(std::move(Description)), text_(description_.Text) {}
  std::u16string Text() const override;
  void SetText(std::u16string_view Text) override;

  QLineEdit* Create(QWidget* Parent, double Scale);
  void Detach() noexcept;

private:
  tk::ToolItemDescription description_;
  std::u16string text_; // while there is no widget
  QPointer<QLineEdit> edit_;
};

// A tool bar whose buttons run their click events through Deliver.
class QtToolBar final : public tk::ToolBar {
public:
  using Delivery = std::function<void(const tk::NotifyEvent& Event)>;

  explicit QtToolBar(tk::ToolBarDescription Description) : description_(std::move(Description)) {}
  bool Visible() const override;

  const tk::ToolBarDescription& Description() const noexcept { return description_; }
  // Images: the form's picture lists by name; EditBoxes: the bar's edit boxes by item name.
  QToolBar*
  Create(QWidget* Parent, double Scale,
         const std::map<std::string, const tk::ImageListDescription*, std::less<>>& Images,
         const std::map<std::string, QtEditBox*, std::less<>>& EditBoxes, const Delivery& Deliver);
  void Detach() noexcept;

private:
  tk::ToolBarDescription description_;
  QPointer<QToolBar> bar_;
};

// The open-file dialog: Qt's own, modal, owned by the given window.
class QtOpenDialog final : public tk::OpenDialog {
public:
  explicit QtOpenDialog(tk::OpenDialogDescription Description)
      : description_(std::move(Description)) {}
  std::optional<std::u16string> Execute(tk::NativeWindow Owner) override;

private:
  tk::OpenDialogDescription description_;
};

} // namespace tkqt
