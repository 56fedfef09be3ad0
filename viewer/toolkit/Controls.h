#pragma once

#include "viewer/toolkit/Handles.h"
#include "viewer/toolkit/LabelParts.h"
#include "viewer/toolkit/Menu.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The controls of a form, as the viewer uses them. The form owns them; they live as long as the
// Form object. All calls happen on the window's thread.
namespace tk {

// A tree of labelled nodes, each with an uncounted data pointer. Every Node argument must be a
// live node of this tree (NoNode only where stated); the in-memory tree throws ToolkitError for
// anything else.
class TreeView {
public:
  virtual ~TreeView() = default;

  // Appends a node as the last child of Parent (NoNode: at the top level) and returns it.
  // Children stay in insertion order; nothing is sorted.
  virtual TreeNodeHandle AddChild(TreeNodeHandle Parent, std::u16string_view Label, void* Data) = 0;

  virtual std::u16string Label(TreeNodeHandle Node) const = 0;
  // A new label drops the node's label parts: it shows in the tree's own colour.
  virtual void SetLabel(TreeNodeHandle Node, std::u16string_view Label) = 0;
  // The kinds of the label's parts, each drawn in its colour of the scheme's label palette, until
  // the label changes (SetLabel, the user's edit). Parts that do not cover the label are ignored.
  virtual void SetLabelParts(TreeNodeHandle Node, std::span<const LabelPart> Parts) = 0;
  virtual void* Data(TreeNodeHandle Node) const = 0;
  // First child of Node, or with NoNode the first top-level node; NoNode when there is none.
  virtual TreeNodeHandle FirstChild(TreeNodeHandle Node) const = 0;
  virtual TreeNodeHandle NextSibling(TreeNodeHandle Node) const = 0;
  // NoNode for a top-level node.
  virtual TreeNodeHandle Parent(TreeNodeHandle Node) const = 0;

  // Deletes every descendant of Node; Node then shows no expand button.
  virtual void DeleteChildren(TreeNodeHandle Node) = 0;
  // Removes every node.
  virtual void Clear() = 0;

  // Expands the collapsed ancestors of Node (each raising the expanding event) and scrolls Node
  // into view.
  virtual void MakeVisible(TreeNodeHandle Node) = 0;
  // Expands Node alone, not its descendants. A node with children raises the expanding event
  // first, also when it is expanded already; a node without children does nothing.
  virtual void Expand(TreeNodeHandle Node) = 0;
  virtual bool IsExpanded(TreeNodeHandle Node) const = 0;
  // Collapses Node alone; its children stay. A selection inside it moves to Node. Raises no
  // event.
  virtual void Collapse(TreeNodeHandle Node) = 0;

  // NoNode when nothing is selected; Select(NoNode) clears the selection.
  virtual TreeNodeHandle Selected() const = 0;
  virtual void Select(TreeNodeHandle Node) = 0;

  // Suspend and resume redrawing; calls nest, redrawing resumes with the outermost EndUpdate.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() noexcept = 0;

  virtual void SetFocus() = 0;
  virtual bool Focused() const = 0;

  // Shows a pop-up menu of Items at At, or with At empty beside Node (the selected node, or the
  // tree's corner with NoNode), and waits for the user: the index of the item chosen, or
  // nothing when the menu was dismissed. Disabled items and separators cannot be chosen.
  virtual std::optional<std::size_t> PopupMenu(TreeNodeHandle Node, std::span<const MenuItem> Items,
                                               std::optional<ScreenPoint> At) = 0;
};

// Suspends a tree's redrawing for the lifetime of the guard.
class TreeUpdateGuard {
public:
  explicit TreeUpdateGuard(TreeView& Tree) : tree_(Tree) { tree_.BeginUpdate(); }
  TreeUpdateGuard(const TreeUpdateGuard&) = delete;
  TreeUpdateGuard& operator=(const TreeUpdateGuard&) = delete;
  ~TreeUpdateGuard() { tree_.EndUpdate(); }

private:
  TreeView& tree_;
};

// A status bar of parts side by side, one per panel of its description, the last spanning the
// rest of the bar; with no panel it has one part. Part numbers from PartCount on are refused
// with ToolkitError.
class StatusBar {
public:
  virtual ~StatusBar() = default;
  // The first part's text.
  std::u16string Text() const { return PartText(0); }
  void SetText(std::u16string_view Text) { SetPartText(0, Text); }

  virtual std::size_t PartCount() const = 0;
  virtual std::u16string PartText(std::size_t Part) const = 0;
  // Shown as it is: a text too wide for its part is cut by the toolkit at its end. A part
  // sized to its text grows or shrinks with it, which changes the room of the parts after it.
  virtual void SetPartText(std::size_t Part, std::u16string_view Text) = 0;
  // The room the part has for its text and the width a text takes in the bar's font, in one
  // unit (pixels on screen), so that the viewer can fit a text to its part itself. The room is
  // 0 while the bar is not laid out.
  virtual int PartRoom(std::size_t Part) const = 0;
  virtual int TextWidth(std::u16string_view Text) const = 0;

protected:
  // Part itself; ToolkitError for a part the bar does not have.
  std::size_t RequirePart(std::size_t Part) const {
    if (Part >= PartCount())
      throw ToolkitError("No such status bar part");
    return Part;
  }
};

// A one-line edit box.
class EditBox {
public:
  virtual ~EditBox() = default;
  virtual std::u16string Text() const = 0;
  virtual void SetText(std::u16string_view Text) = 0;
};

// A tool bar; its buttons raise the click events their descriptions bind.
class ToolBar {
public:
  virtual ~ToolBar() = default;
  virtual bool Visible() const = 0;
};

// The common open-file dialog, with the filters and initial folder of its description.
class OpenDialog {
public:
  virtual ~OpenDialog() = default;
  // Shows the dialog modally, owned by Owner; the chosen file's full name, or nothing when the
  // user cancels.
  virtual std::optional<std::u16string> Execute(NativeWindow Owner) = 0;
};

// The system clipboard's Unicode text. Both calls throw ToolkitError when the clipboard cannot
// be opened, and then change nothing.
class Clipboard {
public:
  virtual ~Clipboard() = default;
  // The clipboard's text; empty when it holds none.
  virtual std::u16string ReadText() = 0;
  // Replaces the clipboard's whole content by Text.
  virtual void WriteText(std::u16string_view Text) = 0;
};

} // namespace tk
