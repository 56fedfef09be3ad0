#pragma once

#include "viewer/qt/QtControls_qt.h"
#include "viewer/qt/QtTreeView_qt.h"
#include "viewer/toolkit/FormControls.h"
#include "viewer/toolkit/FormDescription.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QMimeData;

namespace tkqt {

class QtApplication;
class QtForm;

// The form's own widget. It tells its form when it goes, so that a widget destroyed by the
// host (with its parent, say) is never touched again.
class FormWidget final : public QWidget {
public:
  FormWidget(QWidget* Parent, QtForm& Form);
  ~FormWidget() override;
  FormWidget(const FormWidget&) = delete;
  FormWidget& operator=(const FormWidget&) = delete;

  // The form goes first: nothing is told any more.
  void Detach() noexcept { form_ = nullptr; }

protected:
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dragMoveEvent(QDragMoveEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  void customEvent(QEvent* Event) override;

private:
  QtForm* form_;
};

// The local files a drag carries, in order; other URLs are left out.
std::vector<std::u16string> DroppedLocalFiles(const QMimeData& Data);

// A form on a FormWidget, a child of the widget given at creation (or a window of its own
// without one). The widget and its controls are made on first need; the control objects exist
// from construction on.
class QtForm final
    : public tk::FormControls<QtTreeView, QtStatusBar, QtEditBox, QtToolBar, QtOpenDialog> {
public:
  QtForm(QtApplication& App, QWidget* Parent, tk::FormDescription Description);
  ~QtForm() override;

  tk::NativeWindow Handle() override;
  bool HandleAllocated() const override { return widget_ != nullptr; }
  void SetColourScheme(tk::ColourScheme Scheme) override;
  tk::ColourScheme CurrentColourScheme() const override { return scheme_; }
  std::u16string Caption() const override { return caption_; }
  void SetCaption(std::u16string_view Caption) override;

  // The Qt side.
  QtApplication& App() const noexcept { return app_; }
  // The form's widget; nullptr before it is made and once it is gone.
  QWidget* Widget() const noexcept { return widget_; }
  // Called once when the widget goes without the form having destroyed it. It runs inside the
  // widget's destruction: the handler must not destroy this form there and then.
  void SetWidgetGoneHandler(std::function<void()> Handler) { onWidgetGone_ = std::move(Handler); }
  // Key presses the viewer hands on to the host go to Handler first (see QtTreeView).
  void SetHostKeyHandler(const QtTreeView::HostKeyHandler& Handler);
  QtTreeView& Tree(std::string_view Name);
  QtStatusBar& Status(std::string_view Name);

  // For FormWidget.
  void WidgetGone() noexcept;
  void DeliverDrop(std::vector<std::u16string> Names) noexcept;
  bool FillsParent() const noexcept;

private:
  void Deliver(const std::function<void()>& Action) noexcept override;
  void ShowNativeWindow() override;
  void DestroyNativeWindow() noexcept override;
  void RegisterForDrops(bool Accept) override;

  FormWidget& EnsureWidget();
  void CreateWidget();
  double Scale() const;
  void ApplyColours();

  QtApplication& app_;
  QPointer<QWidget> parent_;
  bool hasParent_;
  std::u16string caption_;
  FormWidget* widget_ = nullptr; // cleared by WidgetGone before the widget is half destroyed
  bool lost_ = false;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
  std::function<void()> onWidgetGone_;
};

// The Qt form behind the toolkit surface; ToolkitError when the form is of another toolkit.
QtForm& AsQt(tk::Form& Form);

} // namespace tkqt
