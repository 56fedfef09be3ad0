#include "tools/lister-host/PluginCommands_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/WideText_win.h"
#include "tools/lister-host/WindowQueries_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>

namespace host {

void PressToolButton(Host& H, int Index) {
  Lister& lister = H.Listers().Current();
  HWND bar = FindDescendant(lister.Viewer, L"ToolbarWindow32");
  if (bar == nullptr)
    throw StepError("no tool bar");
  TBBUTTON button{};
  if (SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(Index),
                   reinterpret_cast<LPARAM>(&button)) == 0)
    throw StepError("no tool bar button " + std::to_string(Index));
  H.Out("press " + std::to_string(Index) + ": command " + std::to_string(button.idCommand));
  // What a click on the button sends to the tool bar's parent.
  SendMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
               reinterpret_cast<LPARAM>(bar));
  H.Out("press " + std::to_string(Index) + ": returned");
}

void TypeSearchText(Host& H, const std::wstring& Text) {
  Lister& lister = H.Listers().Current();
  HWND edit = FindDescendant(lister.Viewer, L"Edit");
  if (edit == nullptr)
    throw StepError("no search box");
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  H.Out("search: " + Esc(TextOf(edit)));
}

void DropFiles(Host& H, const std::vector<std::wstring>& Files) {
  Lister& lister = H.Listers().Current();
  if (lister.Viewer == nullptr || lister.ViewerDestroyed)
    throw StepError("no viewer to drop on");
  std::size_t units = 1;
  for (const std::wstring& file : Files)
    units += file.size() + 1;
  UniqueGlobal memory(GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t)));
  if (!memory)
    throw StepError("GlobalAlloc failed");
  {
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory.Get()));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = POINT{10, 10};
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<uint8_t*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& file : Files) {
      std::memcpy(names, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
      names += file.size() + 1;
    }
    *names = L'\0';
    GlobalUnlock(memory.Get());
  }
  H.Out("drop: " + std::to_string(Files.size()) + " file(s) on viewer" +
        std::to_string(lister.Number));
  const auto result =
      SendMessageW(lister.Viewer, WM_DROPFILES, reinterpret_cast<WPARAM>(memory.Get()), 0);
  // The receiver releases the drop with DragFinish; a handle it released reads as invalid.
  const bool released = GlobalFlags(memory.Get()) == GMEM_INVALID_HANDLE;
  if (released)
    memory.Release();
  H.Out("drop: result " + std::to_string(result) + ", drop " +
        (released ? "released by the viewer" : "NOT released by the viewer"));
}

} // namespace host
