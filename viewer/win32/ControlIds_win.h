#pragma once

#ifdef _WIN32

#include <array>
#include <string_view>

// How another program finds and drives a viewer window with ordinary window messages.
//
// The form is a child of the window it was created for, of the window class kFormClassName;
// from that parent: FindWindowExW(parent, nullptr, kFormClassName, nullptr). Its controls are
// reached with GetDlgItem(form, id):
//
//   kToolBarId     ToolbarWindow32, hidden. Its buttons send WM_COMMAND (wParam: the
//                  button's command id, BN_CLICKED in the high word) to the form; sending that
//                  WM_COMMAND to the form yourself clicks the button.
//   kSearchEditId  the search box, an EDIT that sits on the tool bar:
//                  GetDlgItem(GetDlgItem(form, kToolBarId), kSearchEditId); set it with
//                  WM_SETTEXT.
//   kTreeViewId    SysTreeView32 with the document; every TVM_* message works on it. An
//                  item's lParam is the toolkit's insertion number and must not be changed.
//   kStatusBarId   msctls_statusbar32 with two parts; read them with SB_GETTEXTLENGTHW and
//                  SB_GETTEXTW: part 0 the load figures and their notes, part 1 the selected
//                  node's path.
//
// Controls named below get these ids; any other control of a window description gets an id
// from kFirstFreeId on, in description order.
namespace tkwin {

inline constexpr wchar_t kFormClassName[] = L"TreskalViewerForm";

inline constexpr int kToolBarId = 1001;
inline constexpr int kTreeViewId = 1002;
inline constexpr int kStatusBarId = 1003;
inline constexpr int kSearchEditId = 1004;

// Command ids of the tool bar's buttons.
inline constexpr int kOpenCommand = 2001;       // TBOpen: open-file dialog
inline constexpr int kPasteCommand = 2002;      // TBPaste: document from the clipboard
inline constexpr int kCopyCommand = 2003;       // TBCopy: document text to the clipboard
inline constexpr int kClearCommand = 2004;      // TBClear: empty the tree
inline constexpr int kFindCommand = 2005;       // BtnFindNode: search for the search box text
inline constexpr int kGenerationCommand = 2006; // TBGeneration: show the test document

inline constexpr int kFirstFreeId = 3001;

struct NamedControlId {
  std::string_view Name;
  int Id;
};

inline constexpr std::array<NamedControlId, 10> kNamedControlIds{{
    {"ToolBar1", kToolBarId},
    {"JSONTreeViewer", kTreeViewId},
    {"StatusBar1", kStatusBarId},
    {"ESearch", kSearchEditId},
    {"TBOpen", kOpenCommand},
    {"TBPaste", kPasteCommand},
    {"TBCopy", kCopyCommand},
    {"TBClear", kClearCommand},
    {"BtnFindNode", kFindCommand},
    {"TBGeneration", kGenerationCommand},
}};

// The fixed id of a control name; 0 when the name has none.
constexpr int NamedControlIdOf(std::string_view Name) noexcept {
  for (const NamedControlId& entry : kNamedControlIds)
    if (entry.Name == Name)
      return entry.Id;
  return 0;
}

} // namespace tkwin

#endif // _WIN32
