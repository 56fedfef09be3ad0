#pragma once

#ifdef _WIN32

#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/win32/Colours_win.h"
#include "viewer/win32/Dpi_win.h"
#include "viewer/win32/Handles_win.h"
#include "viewer/win32/WindowSubclass_win.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tkwin {

class Win32Form;

// The tree view on a SysTreeView32. A node handle carries the item's HTREEITEM. The tree keeps
// the set of items it inserted (the control reports each deletion), so a handle of a deleted
// item is refused with ToolkitError instead of reaching the control. The data pointers live
// here too; an item's lParam is the toolkit's own.
//
// The control is subclassed for the keyboard: every key press goes to the key event first,
// and a key that is not the tree's own never reaches the control, nor do the characters made
// of it (the control's search by first letter would jump about). The host's keys are sent on
// to the lister window, the form's parent, as the same message.
class Win32TreeView final : public tk::TreeView {
public:
  Win32TreeView(Win32Form& Form, tk::TreeViewDescription Description);

  tk::TreeNodeHandle AddChild(tk::TreeNodeHandle Parent, std::u16string_view Label,
                              void* Data) override;
  std::u16string Label(tk::TreeNodeHandle Node) const override;
  void SetLabel(tk::TreeNodeHandle Node, std::u16string_view Label) override;
  void SetLabelParts(tk::TreeNodeHandle Node, std::span<const tk::LabelPart> Parts) override;
  void* Data(tk::TreeNodeHandle Node) const override;
  tk::TreeNodeHandle FirstChild(tk::TreeNodeHandle Node) const override;
  tk::TreeNodeHandle NextSibling(tk::TreeNodeHandle Node) const override;
  tk::TreeNodeHandle Parent(tk::TreeNodeHandle Node) const override;
  void DeleteChildren(tk::TreeNodeHandle Node) override;
  void Clear() override;
  void MakeVisible(tk::TreeNodeHandle Node) override;
  void Expand(tk::TreeNodeHandle Node) override;
  bool IsExpanded(tk::TreeNodeHandle Node) const override;
  void Collapse(tk::TreeNodeHandle Node) override;
  tk::TreeNodeHandle Selected() const override;
  void Select(tk::TreeNodeHandle Node) override;
  void BeginUpdate() override;
  void EndUpdate() noexcept override;
  void SetFocus() override;
  bool Focused() const override;
  std::optional<std::size_t> PopupMenu(tk::TreeNodeHandle Node, std::span<const tk::MenuItem> Items,
                                       std::optional<tk::ScreenPoint> At) override;

  // For the form.
  const tk::TreeViewDescription& Description() const noexcept { return description_; }
  // Makes the control as a child of Parent; ToolkitError when the system refuses.
  void Create(HWND Parent, HINSTANCE Instance, int Id, HFONT Font, const DpiScale& Scale);
  // A new font and sizes for another DPI.
  void Rescale(HFONT Font, const DpiScale& Scale) noexcept;
  // The colours (and with DarkNative the system's dark theme), now and for a later window.
  void ApplyColourScheme(tk::ColourScheme Scheme) noexcept;
  // The control is gone with the form's window: the tree is empty from now on.
  void Detach() noexcept;
  HWND Window() const noexcept { return window_; }
  // A notification from the control; the message's result when it is answered here.
  std::optional<LRESULT> OnNotify(NMHDR& Header);

private:
  static HTREEITEM ItemOf(tk::TreeNodeHandle Node) noexcept {
    return reinterpret_cast<HTREEITEM>(Node.Value());
  }
  static tk::TreeNodeHandle NodeOf(HTREEITEM Item) noexcept {
    return tk::TreeNodeHandle(reinterpret_cast<std::uintptr_t>(Item));
  }

  // The control, created with the form's window if that does not exist yet.
  HWND RequireWindow() const;
  // The item of a live node; ToolkitError for anything else.
  HTREEITEM Require(tk::TreeNodeHandle Node) const;
  bool IsLive(HTREEITEM Item) const noexcept { return items_.contains(Item); }
  HTREEITEM Next(HTREEITEM Item, UINT Relation) const noexcept;
  bool ItemExpanded(HTREEITEM Item) const noexcept;
  void ResetItemState(HTREEITEM Item, UINT Mask) noexcept;
  // Opens an item while updates are suspended when its row is out of sight; false when the
  // row may be shown, so the control has to open it.
  bool OpenOutOfSight(HTREEITEM Item) noexcept;
  // Sends a message that may make the control expand items, from an operation the viewer
  // called: the expanding event raised meanwhile fails into this call, not into the control.
  LRESULT SendInOperation(UINT Message, WPARAM WParam, LPARAM LParam);
  void RaiseExpanding(HTREEITEM Item, bool& Allow);

  LRESULT OnItemExpanding(const NMTREEVIEWW& Notice);
  LRESULT OnBeginLabelEdit(const NMTVDISPINFOW& Notice);
  LRESULT OnEndLabelEdit(const NMTVDISPINFOW& Notice);
  void OnDeleteItem(const NMTREEVIEWW& Notice) noexcept;
  // Raises the change event, unless a QuietSelection holds it back.
  void OnSelectionChanged() noexcept;
  class QuietSelection;
  // Labels (Win32TreeLabels_win.cpp): NM_CUSTOMDRAW with the label parts, and
  // TVN_GETINFOTIPW, the tooltip event's text cut to the control's buffer.
  LRESULT OnCustomDraw(NMTVCUSTOMDRAW& Draw) noexcept;
  LRESULT OnGetInfoTip(NMTVGETINFOTIPW& Tip) noexcept;

  // Input (Win32TreeInput_win.cpp).
  static LRESULT CALLBACK SubclassProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  // The label editor's: the host's keys end the edit unchanged and go on as from the tree.
  static LRESULT CALLBACK EditProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT OnKeyDown(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT OnCharacter(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void OnContextMenu(LPARAM LParam);
  LRESULT OnRightClick();
  // The node on the row at a screen point; NoNode for none.
  tk::TreeNodeHandle NodeAt(POINT Screen) const noexcept;
  void RaiseContextPopup(tk::TreeNodeHandle Node, std::optional<tk::ScreenPoint> At);
  void ApplyMetrics(HFONT Font) noexcept;
  void ApplyToolTipMetrics() noexcept;
  // The width at which tooltips wrap, in pixels at 96 DPI.
  static constexpr int kToolTipWidth = 480;
  // Whether the item's row is shown: every ancestor is open.
  bool RowShown(HTREEITEM Item) const noexcept;
  void ExpandDeferred() noexcept;

  struct RevealWalk;

  // What the tree keeps of each item it inserted.
  struct Entry {
    void* data = nullptr;
    HTREEITEM parent = nullptr; // nullptr: top level
    // The collapse epoch in which the item and all its ancestors were last seen expanded (0:
    // never): lets MakeVisible stop early, so opening a deep chain level by level stays linear.
    uint64_t shownEpoch = 0;
    // The suspension of updates in which the item was opened out of sight (0: none).
    uint64_t hiddenOpenUpdate = 0;
    std::vector<tk::LabelPart> parts; // the label's; dropped with a new label
  };

  Win32Form& form_;
  tk::TreeViewDescription description_;
  HWND window_ = nullptr; // a child of the form's window, destroyed with it
  // Every item we inserted that still exists (the control reports each deletion).
  std::unordered_map<HTREEITEM, Entry> items_;
  // Each item's lParam is its insertion number.
  uint64_t insertions_ = 0;
  uint64_t collapseEpoch_ = 1;
  int updateDepth_ = 0;
  uint64_t updates_ = 0; // outermost suspensions so far
  bool clearing_ = false;
  bool quietSelection_ = false;
  HTREEITEM editing_ = nullptr; // the item whose label edit began and has not ended yet
  // The item that Expand has already raised the event for while the control expands it.
  HTREEITEM expandingNow_ = nullptr;
  // Shown items opened while the update is suspended, opened in the control when it ends.
  std::vector<HTREEITEM> deferredExpansions_;
  // Operations of the viewer in progress, and the first failure of an event raised inside one.
  int operationDepth_ = 0;
  std::exception_ptr operationFailure_;
  std::wstring scratch_; // zero-terminated labels on their way into the control

  WindowSubclass subclass_;
  WindowSubclass editSubclass_; // the label editor while it is open
  // Set by a key press that is not the tree's: the characters and the release it makes go
  // nowhere.
  bool swallowCharacters_ = false;
  WPARAM swallowRelease_ = 0;
  DpiScale scale_;
  tk::ColourScheme scheme_ = tk::ColourScheme::System;
  // What the control shows now, so that only a change touches it.
  tk::ColourScheme appliedColours_ = tk::ColourScheme::System;
  TreeTheme appliedTheme_ = TreeTheme::Default;
};

} // namespace tkwin

#endif // _WIN32
