#pragma once

// Steps that read the plugin's tree view back through its own messages, and that expand,
// collapse and select its nodes as a user would. A node is named by its path from the top: the
// labels joined by |, or the indices among siblings joined by dots (0.2.1).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace host {

class Host;

// The current viewer's tree view; StepError when it has none.
HWND CurrentTree(Host& H);
HTREEITEM NextItem(HWND Tree, HTREEITEM Item, WPARAM Relation);
// The node's label, and its state when State is given.
std::wstring ItemLabel(HWND Tree, HTREEITEM Item, UINT* State = nullptr);
// The node at Path; StepError when there is none.
HTREEITEM FindItem(HWND Tree, const std::wstring& Path, bool ByIndex);

// The nodes shown (or, with All, every node that exists), one line each with its depth, its
// button ([+] collapsed, [-] expanded, [ ] none) and * when selected.
void PrintTree(Host& H, bool All);
// TVM_EXPAND with TVE_EXPAND or TVE_COLLAPSE.
void ExpandItem(Host& H, const std::wstring& Path, bool ByIndex, UINT Action);
void SelectItem(Host& H, const std::wstring& Path, bool ByIndex);
// Starts editing the item's label, as a slow second click does; the edit box takes the focus.
void EditItem(Host& H, const std::wstring& Path);
void PrintChildCount(Host& H, const std::wstring& Path, bool ByIndex);

} // namespace host
