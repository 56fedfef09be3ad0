#pragma once

#include "viewer/toolkit/Keys.h"

// What a key press in the tree means to the viewer. The tree keeps the keys it navigates with,
// the viewer's own shortcuts act on the selected node, and every other key goes to the host's
// lister window, so the lister's keys (Esc, N, P, 1 to 7, F2, F3, F7, ...) work while the tree
// has the focus.
enum class TreeKeyAction {
  Navigate,     // the tree's own: arrows, Home, End, Page Up, Page Down, Enter
  PassToHost,   // everything the viewer does not use
  CopyValue,    // Ctrl+C, Ctrl+Insert
  CopyPath,     // Ctrl+Shift+C
  ContextMenu,  // the menu key, Shift+F10
  ExpandNode,   // +
  CollapseNode, // -
  ExpandAll,    // *
};

TreeKeyAction ActionOfKey(const tk::KeyPress& Key);
