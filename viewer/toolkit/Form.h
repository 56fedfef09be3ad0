#pragma once

#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/Handles.h"

#include <string>
#include <string_view>

namespace tk {

// A window built from a FormDescription by Application::CreateForm, as a child of the native
// parent given there. Its native window is made on first need (Handle, AcceptDroppedFiles,
// Show), with the description's Style in place of the computed style. The control objects
// live as long as the Form object.
class Form {
public:
  virtual ~Form() = default;

  // Construction is complete: raises the created event, once, through the exception boundary.
  virtual void ConstructionComplete() = 0;
  // Makes the window visible (creating it if need be), then raises the shown event through the
  // exception boundary.
  virtual void Show() = 0;
  // Raises the destroyed event through the exception boundary (only when the created event was
  // raised), then destroys the native window. Later calls do nothing; the destructor calls it.
  virtual void Destroy() noexcept = 0;

  // The native window, created now if it does not exist yet.
  virtual NativeWindow Handle() = 0;
  virtual bool HandleAllocated() const = 0;
  // Registers the window for dropped files (DragAcceptFiles); creates the window if need be.
  virtual void AcceptDroppedFiles(bool Accept) = 0;

  // The colours of the form's controls; the scheme holds from now on, for a window made later
  // too.
  virtual void SetColourScheme(ColourScheme Scheme) = 0;
  virtual ColourScheme CurrentColourScheme() const = 0;

  virtual std::u16string Caption() const = 0;
  virtual void SetCaption(std::u16string_view Caption) = 0;

  // The controls by their description names; ToolkitError when the description has no control
  // of that kind and name.
  virtual TreeView& FindTreeView(std::string_view Name) = 0;
  virtual StatusBar& FindStatusBar(std::string_view Name) = 0;
  virtual EditBox& FindEditBox(std::string_view Name) = 0;
  virtual ToolBar& FindToolBar(std::string_view Name) = 0;
  virtual OpenDialog& FindOpenDialog(std::string_view Name) = 0;

protected:
  Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
};

} // namespace tk
