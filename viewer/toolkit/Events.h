#pragma once

#include "viewer/toolkit/DroppedFiles.h"
#include "viewer/toolkit/Handles.h"
#include "viewer/toolkit/Keys.h"
#include "viewer/toolkit/Menu.h"

#include <functional>
#include <optional>
#include <string>

// The event slots a window description binds. The sender is left out: no handler of the viewer
// uses it.
//
// Events that the user or the system causes (a click, an expansion by the user, a confirmed
// edit, a drop, a tool button) and the form's created, shown and destroyed events are raised
// through the application's exception boundary (Application::Guard): no exception leaves them
// for a window procedure or a system callback. An event raised inside an operation that the
// viewer called itself (the expanding event of TreeView::Expand and TreeView::MakeVisible)
// propagates to that caller like any other failure of the operation.
namespace tk {

using NotifyEvent = std::function<void()>;

// Raised before a tree node with children expands, by the user or by TreeView::Expand or
// TreeView::MakeVisible. AllowExpansion comes preset to true; false stops the expansion.
using TreeExpandingEvent = std::function<void(TreeNodeHandle Node, bool& AllowExpansion)>;

// Raised when the user confirms a label edit, before the tree stores S as the label; the
// handler may change S. A cancelled edit raises nothing. If the handler fails, the label stays.
using TreeEditedEvent = std::function<void(TreeNodeHandle Node, std::u16string& S)>;

// Raised for each key press while the tree has the focus, before the tree handles it; the
// answer says where the key goes (KeyRoute). Key releases and the characters of a key that does
// not stay with the tree go nowhere. Raised through the exception boundary; a handler that fails
// leaves the key handled.
using TreeKeyEvent = std::function<KeyRoute(const KeyPress& Key)>;

// Raised when the user asks for a node's context menu: with the mouse (At is where, Node the
// node under it or NoNode) or with the keyboard (At empty). Raised through the exception
// boundary.
using TreeContextPopupEvent =
    std::function<void(TreeNodeHandle Node, std::optional<ScreenPoint> At)>;

// Asked when the mouse rests on Node: the text of its tooltip, empty for none. The toolkit asks
// each time it shows one and keeps nothing; it wraps long lines. Raised through the exception
// boundary; a handler that fails shows no tooltip.
using TreeToolTipEvent = std::function<std::u16string(TreeNodeHandle Node)>;

// Hands the handler the drop (WM_DROPFILES); the drop is released when the handler's
// DroppedFiles goes, on every path. The toolkit answers the message with 0.
using DropFilesEvent = std::function<void(DroppedFiles Drop)>;

} // namespace tk
