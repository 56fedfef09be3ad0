#include "tools/lister-host/TreeReading_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <cwchar>
#include <vector>

namespace host {

HWND CurrentTree(Host& H) {
  Lister& lister = H.Listers().Current();
  HWND tree = lister.ViewerDestroyed ? nullptr : FindDescendant(lister.Viewer, L"SysTreeView32");
  if (tree == nullptr)
    throw StepError("viewer" + std::to_string(lister.Number) + " has no tree view");
  return tree;
}

HTREEITEM NextItem(HWND Tree, HTREEITEM Item, WPARAM Relation) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(Tree, TVM_GETNEXTITEM, Relation, reinterpret_cast<LPARAM>(Item)));
}

std::wstring ItemLabel(HWND Tree, HTREEITEM Item, UINT* State) {
  std::wstring text(8192, L'\0');
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
  item.hItem = Item;
  item.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  SendMessageW(Tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  if (State != nullptr)
    *State = item.state;
  text.resize(wcslen(text.c_str()));
  return text;
}

namespace {

void DumpItems(Host& H, HWND Tree, HTREEITEM First, int Depth, bool All, HTREEITEM Selected) {
  for (HTREEITEM item = First; item != nullptr; item = NextItem(Tree, item, TVGN_NEXT)) {
    UINT state = 0;
    const std::wstring label = ItemLabel(Tree, item, &state);
    const HTREEITEM child = NextItem(Tree, item, TVGN_CHILD);
    const bool expanded = (state & TVIS_EXPANDED) != 0;
    const char* marker = child == nullptr ? "[ ]" : expanded ? "[-]" : "[+]";
    H.Out("tree: " + std::string(static_cast<std::size_t>(Depth) * 2, ' ') + marker +
          (item == Selected ? "*" : " ") + Esc(label));
    if (child != nullptr && (expanded || All))
      DumpItems(H, Tree, child, Depth + 1, All, Selected);
  }
}

std::vector<std::wstring> SplitPath(const std::wstring& Path, wchar_t Separator) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = Path.find(Separator, start);
    parts.push_back(Path.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
    if (at == std::wstring::npos)
      break;
    start = at + 1;
  }
  return parts;
}

} // namespace

void PrintTree(Host& H, bool All) {
  HWND tree = CurrentTree(H);
  const auto count = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
  const HTREEITEM selected = NextItem(tree, nullptr, TVGN_CARET);
  H.Out("tree items: " + std::to_string(count));
  DumpItems(H, tree, NextItem(tree, nullptr, TVGN_ROOT), 0, All, selected);
  H.Out("tree selected: " + (selected != nullptr ? Esc(ItemLabel(tree, selected)) : "none"));
}

HTREEITEM FindItem(HWND Tree, const std::wstring& Path, bool ByIndex) {
  HTREEITEM level = NextItem(Tree, nullptr, TVGN_ROOT);
  HTREEITEM found = nullptr;
  for (const std::wstring& part : SplitPath(Path, ByIndex ? L'.' : L'|')) {
    found = nullptr;
    if (ByIndex) {
      long index = std::wcstol(part.c_str(), nullptr, 10);
      for (HTREEITEM item = level; item != nullptr; item = NextItem(Tree, item, TVGN_NEXT))
        if (index-- == 0) {
          found = item;
          break;
        }
    } else {
      for (HTREEITEM item = level; item != nullptr; item = NextItem(Tree, item, TVGN_NEXT))
        if (ItemLabel(Tree, item) == part) {
          found = item;
          break;
        }
    }
    if (found == nullptr)
      throw StepError("no tree node " + Utf8(Path));
    level = NextItem(Tree, found, TVGN_CHILD);
  }
  return found;
}

void ExpandItem(Host& H, const std::wstring& Path, bool ByIndex, UINT Action) {
  HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  const auto result = SendMessageW(tree, TVM_EXPAND, Action, reinterpret_cast<LPARAM>(item));
  H.Out(std::string(Action == TVE_EXPAND ? "expand " : "collapse ") + Esc(Path) + ": " +
        (result != 0 ? "done" : "refused"));
}

void SelectItem(Host& H, const std::wstring& Path, bool ByIndex) {
  HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  H.Out("select " + Esc(Path) + ": done");
}

void EditItem(Host& H, const std::wstring& Path) {
  HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, true);
  SetFocus(tree);
  const auto edit =
      reinterpret_cast<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
  H.Pump();
  H.Out("edit " + Esc(Path) + ": " +
        (edit != nullptr && GetFocus() == edit ? "editing" : "refused"));
}

void PrintChildCount(Host& H, const std::wstring& Path, bool ByIndex) {
  HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  long count = 0;
  for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child != nullptr;
       child = NextItem(tree, child, TVGN_NEXT))
    ++count;
  H.Out("children " + Esc(Path) + ": " + std::to_string(count));
}

} // namespace host
