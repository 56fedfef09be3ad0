#include "tools/lister-host/Benchmarks_win.h"

#include "tools/lister-host/HostText.h"
#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/ListerWindows_win.h"
#include "tools/lister-host/Loading_win.h"
#include "tools/lister-host/TreeReading_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <commctrl.h>

#include <string>

namespace host {

void BenchBareTree(Host& H, int Items) {
  // The same window geometry as a lister, with a bare tree-view in it.
  UniqueWindow frame(CreateWindowExW(0, kBareClass, L"Bare tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     0, 0, kDefaultWidth, kDefaultHeight, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
  RECT client{};
  GetClientRect(frame.Get(), &client);
  UniqueWindow tree(CreateWindowExW(
      0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
      0, 0, client.right, client.bottom, frame.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
  H.Pump();
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  std::wstring rootLabel = L" [] (" + std::to_wstring(Items) + L")";
  insert.item.pszText = rootLabel.data();
  const auto root = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree.Get(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  const LARGE_INTEGER started = Now();
  SendMessageW(tree.Get(), WM_SETREDRAW, FALSE, 0);
  insert.hParent = root;
  for (int i = 0; i < Items; ++i) {
    std::wstring label = std::to_wstring(i);
    insert.item.pszText = label.data();
    insert.item.lParam = i;
    SendMessageW(tree.Get(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  }
  SendMessageW(tree.Get(), WM_SETREDRAW, TRUE, 0);
  SendMessageW(tree.Get(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  UpdateWindow(tree.Get());
  const LARGE_INTEGER finished = Now();
  H.Out("bench bare-tree: " + std::to_string(Items) + " items inserted and shown in " +
        FormatMs(Milliseconds(started, finished)) + " ms");
}

void BenchExpand(Host& H, const std::wstring& Path, bool ByIndex) {
  HWND tree = CurrentTree(H);
  const HTREEITEM item = FindItem(tree, Path, ByIndex);
  const LARGE_INTEGER started = Now();
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  UpdateWindow(tree);
  const LARGE_INTEGER finished = Now();
  long count = 0;
  for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child != nullptr;
       child = NextItem(tree, child, TVGN_NEXT))
    ++count;
  H.Out("bench expand: " + std::to_string(count) + " children shown in " +
        FormatMs(Milliseconds(started, finished)) + " ms");
}

void BenchLoad(Host& H, const std::wstring& File) {
  LoadFile(H, false, LoadVia::WideIfExported, File);
  H.Out("bench load: ListLoad returned after " + FormatMs(H.LastLoadMs) + " ms");
}

} // namespace host
