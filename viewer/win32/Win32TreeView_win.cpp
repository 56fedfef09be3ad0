#ifdef _WIN32

#include "viewer/win32/Win32TreeView_win.h"

#include "viewer/toolkit/Handles.h"
#include "viewer/toolkit/TreeReveal.h"
#include "viewer/win32/Win32Application_win.h"
#include "viewer/win32/Win32Form_win.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace tkwin {

namespace {

LPARAM ItemParam(HTREEITEM Item) noexcept { return reinterpret_cast<LPARAM>(Item); }

// Restores a value when the scope ends, on every path.
template <class T> class Restore {
public:
  Restore(T& Target, T Value) noexcept : target_(Target), saved_(std::exchange(Target, Value)) {}
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;
  ~Restore() { target_ = saved_; }

private:
  T& target_;
  T saved_;
};

} // namespace

// Holds the change event back while the control deletes items, and raises it once afterwards
// when the selection moved: the control may move it from item to item as they go.
class Win32TreeView::QuietSelection {
public:
  explicit QuietSelection(Win32TreeView& Tree) noexcept
      : tree_(Tree), before_(Tree.Next(nullptr, TVGN_CARET)), outer_(Tree.quietSelection_) {
    tree_.quietSelection_ = true;
  }
  QuietSelection(const QuietSelection&) = delete;
  QuietSelection& operator=(const QuietSelection&) = delete;
  ~QuietSelection() {
    tree_.quietSelection_ = outer_;
    if (!outer_ && tree_.Next(nullptr, TVGN_CARET) != before_)
      tree_.OnSelectionChanged();
  }

private:
  Win32TreeView& tree_;
  HTREEITEM before_;
  bool outer_;
};

Win32TreeView::Win32TreeView(Win32Form& Form, tk::TreeViewDescription Description)
    : form_(Form), description_(std::move(Description)) {}

void Win32TreeView::Create(HWND Parent, HINSTANCE Instance, int Id, HFONT Font,
                           const DpiScale& Scale) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (description_.ShowLines)
    style |= TVS_HASLINES;
  if (description_.ShowButtons)
    style |= TVS_HASBUTTONS;
  if (description_.ShowRoot)
    style |= TVS_LINESATROOT;
  if (!description_.ReadOnly)
    style |= TVS_EDITLABELS;
  if (!description_.HideSelection)
    style |= TVS_SHOWSELALWAYS;
  if (!description_.ToolTips)
    style |= TVS_NOTOOLTIPS;
  else if (description_.OnToolTip)
    style |= TVS_INFOTIP;
  window_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, 0, 0, 0, 0, Parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), Instance, nullptr);
  if (!window_)
    throw tk::ToolkitError("Cannot create tree view");
  ::SendMessageW(window_, TVM_SETUNICODEFORMAT, TRUE, 0);
  try {
    subclass_.Install(window_, &SubclassProc, this);
  } catch (...) {
    ::DestroyWindow(std::exchange(window_, nullptr));
    throw;
  }
  scale_ = Scale;
  if (Font)
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  ApplyMetrics(Font);
  if (updateDepth_ > 0)
    ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  appliedColours_ = tk::ColourScheme::System;
  appliedTheme_ = TreeTheme::Default;
  ApplyColourScheme(scheme_);
  ApplyToolTipMetrics();
}

void Win32TreeView::ApplyToolTipMetrics() noexcept {
  const auto tips = reinterpret_cast<HWND>(::SendMessageW(window_, TVM_GETTOOLTIPS, 0, 0));
  if (!tips)
    return;
  // A width makes the tooltip wrap its lines; a long value stays up long enough to be read.
  ::SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, scale_(kToolTipWidth));
  ::SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(SHRT_MAX, 0));
}

void Win32TreeView::ApplyMetrics(HFONT Font) noexcept {
  if (description_.Indent > 0)
    ::SendMessageW(window_, TVM_SETINDENT, static_cast<WPARAM>(scale_(description_.Indent)), 0);
  // The rows follow the font, with the control's minimum scaled like everything else.
  ::SendMessageW(window_, TVM_SETITEMHEIGHT,
                 static_cast<WPARAM>(TreeItemHeightFor(window_, Font, scale_)), 0);
}

void Win32TreeView::Rescale(HFONT Font, const DpiScale& Scale) noexcept {
  scale_ = Scale;
  if (!window_)
    return;
  if (Font)
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  ApplyMetrics(Font);
  ApplyToolTipMetrics();
  ::InvalidateRect(window_, nullptr, TRUE);
}

void Win32TreeView::ApplyColourScheme(tk::ColourScheme Scheme) noexcept {
  scheme_ = Scheme;
  if (!window_)
    return;
  if (Scheme != appliedColours_) {
    ApplyTreeColours(window_, Scheme);
    appliedColours_ = Scheme;
  }
  if (const TreeTheme theme = TreeThemeOf(Scheme); theme != appliedTheme_) {
    ApplyTreeTheme(window_, theme);
    appliedTheme_ = theme;
  }
}

void Win32TreeView::Detach() noexcept {
  subclass_.Remove();
  window_ = nullptr;
  swallowCharacters_ = false;
  swallowRelease_ = 0;
  items_.clear();
  deferredExpansions_.clear();
  expandingNow_ = nullptr;
  editing_ = nullptr;
  ++collapseEpoch_;
}

HWND Win32TreeView::RequireWindow() const {
  if (!window_)
    form_.EnsureWindow();
  if (!window_)
    throw tk::ToolkitError("The tree view has no window");
  return window_;
}

HTREEITEM Win32TreeView::Require(tk::TreeNodeHandle Node) const {
  const HTREEITEM item = ItemOf(Node);
  if (!Node || !IsLive(item))
    throw tk::ToolkitError("Invalid tree node");
  return item;
}

HTREEITEM Win32TreeView::Next(HTREEITEM Item, UINT Relation) const noexcept {
  if (!window_)
    return nullptr;
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(window_, TVM_GETNEXTITEM, Relation, ItemParam(Item)));
}

bool Win32TreeView::ItemExpanded(HTREEITEM Item) const noexcept {
  return (::SendMessageW(window_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(Item), TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

void Win32TreeView::ResetItemState(HTREEITEM Item, UINT Mask) noexcept {
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_STATE;
  item.hItem = Item;
  item.stateMask = Mask;
  item.state = 0;
  ::SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool Win32TreeView::OpenOutOfSight(HTREEITEM Item) noexcept {
  const auto entry = items_.find(Item);
  if (entry == items_.end() || !entry->second.parent)
    return false;
  const auto parent = items_.find(entry->second.parent);
  const bool parentHidden = parent != items_.end() && parent->second.hiddenOpenUpdate == updates_;
  if (!parentHidden && ItemExpanded(entry->second.parent))
    return false;
  // Marked open, not expanded by the control: its expansion of an item walks up to the top
  // for the next row below (under Wine), which on a deep chain costs the square of the depth.
  // The control lays the rows out when the shown ancestor opens.
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_STATE;
  item.hItem = Item;
  item.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  item.state = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  ::SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  entry->second.hiddenOpenUpdate = updates_;
  return true;
}

LRESULT Win32TreeView::SendInOperation(UINT Message, WPARAM WParam, LPARAM LParam) {
  const HWND tree = RequireWindow();
  // Each operation collects only the failures of its own message.
  std::exception_ptr outer = std::exchange(operationFailure_, nullptr);
  LRESULT result;
  {
    const Restore<int> depth(operationDepth_, operationDepth_ + 1);
    result = ::SendMessageW(tree, Message, WParam, LParam);
  }
  if (std::exception_ptr failure = std::exchange(operationFailure_, std::move(outer)))
    std::rethrow_exception(failure);
  return result;
}

void Win32TreeView::RaiseExpanding(HTREEITEM Item, bool& Allow) {
  // A copy: the handler may destroy this tree, and with it the slot it runs from.
  if (const tk::TreeExpandingEvent handler = description_.OnExpanding)
    handler(NodeOf(Item), Allow);
}

tk::TreeNodeHandle Win32TreeView::AddChild(tk::TreeNodeHandle Parent, std::u16string_view Label,
                                           void* Data) {
  const HWND tree = RequireWindow();
  const HTREEITEM parent = Parent ? Require(Parent) : nullptr;
  scratch_.assign(reinterpret_cast<const wchar_t*>(Label.data()), Label.size());
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = scratch_.data();
  insert.item.lParam = static_cast<LPARAM>(++insertions_);
  const auto item = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item)
    throw tk::ToolkitError("Cannot add a tree node");
  try {
    items_.emplace(item, Entry{Data, parent, 0, 0, {}});
  } catch (...) {
    // No item may exist that the tree does not know.
    ::SendMessageW(tree, TVM_DELETEITEM, 0, ItemParam(item));
    throw;
  }
  return NodeOf(item);
}

std::u16string Win32TreeView::Label(tk::TreeNodeHandle Node) const {
  const HTREEITEM item = Require(Node);
  // Labels can be far longer than a path: grow the buffer until the text fits in it.
  std::wstring buffer;
  for (std::size_t capacity = 256;; capacity *= 2) {
    buffer.assign(capacity, L'\0');
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer.data();
    query.cchTextMax = static_cast<int>(capacity);
    if (!::SendMessageW(window_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
      throw tk::ToolkitError("Cannot read a tree node's label");
    // The control may answer with its own copy instead of filling the buffer.
    if (query.pszText != buffer.data())
      return FromWide(query.pszText);
    std::size_t length = 0;
    while (length < capacity && buffer[length] != L'\0')
      ++length;
    if (length + 1 < capacity || capacity > INT_MAX / 2)
      return FromWide(buffer.data(), length);
  }
}

void Win32TreeView::SetLabel(tk::TreeNodeHandle Node, std::u16string_view Label) {
  const HTREEITEM item = Require(Node);
  scratch_.assign(reinterpret_cast<const wchar_t*>(Label.data()), Label.size());
  TVITEMW change{};
  change.mask = TVIF_HANDLE | TVIF_TEXT;
  change.hItem = item;
  change.pszText = scratch_.data();
  if (!::SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change)))
    throw tk::ToolkitError("Cannot set a tree node's label");
  items_.at(item).parts.clear();
}

void Win32TreeView::SetLabelParts(tk::TreeNodeHandle Node, std::span<const tk::LabelPart> Parts) {
  const HTREEITEM item = Require(Node);
  items_.at(item).parts.assign(Parts.begin(), Parts.end());
  // While updates are suspended the whole tree repaints at the end anyway; the item's row
  // alone otherwise (a tree of many new items must not repaint for each).
  RECT row{};
  if (window_ && updateDepth_ == 0 && TreeView_GetItemRect(window_, item, &row, FALSE))
    ::InvalidateRect(window_, &row, FALSE);
}

void* Win32TreeView::Data(tk::TreeNodeHandle Node) const { return items_.at(Require(Node)).data; }

tk::TreeNodeHandle Win32TreeView::FirstChild(tk::TreeNodeHandle Node) const {
  const HTREEITEM item = Node ? Require(Node) : nullptr;
  return NodeOf(Next(item, item ? TVGN_CHILD : TVGN_ROOT));
}

tk::TreeNodeHandle Win32TreeView::NextSibling(tk::TreeNodeHandle Node) const {
  const HTREEITEM item = Require(Node);
  return NodeOf(Next(item, TVGN_NEXT));
}

tk::TreeNodeHandle Win32TreeView::Parent(tk::TreeNodeHandle Node) const {
  return NodeOf(items_.at(Require(Node)).parent);
}

void Win32TreeView::DeleteChildren(tk::TreeNodeHandle Node) {
  const HTREEITEM item = Require(Node);
  // The control moves a selection that goes from item to item; told once, at the end.
  const QuietSelection quiet(*this);
  // Collapsed first: hidden children go without the control laying out the rows again after
  // each one. A collapse by message raises no expanding event.
  if (ItemExpanded(item))
    ::SendMessageW(window_, TVM_EXPAND, TVE_COLLAPSE, ItemParam(item));
  while (const HTREEITEM child = Next(item, TVGN_CHILD))
    if (!::SendMessageW(window_, TVM_DELETEITEM, 0, ItemParam(child)))
      throw tk::ToolkitError("Cannot delete a tree node");
  // Without children the item shows no button; the control asks again (TVN_ITEMEXPANDING)
  // when it next expands it.
  ResetItemState(item, TVIS_EXPANDED | TVIS_EXPANDEDONCE);
}

void Win32TreeView::Clear() {
  if (!window_)
    return;
  const QuietSelection quiet(*this);
  {
    // One deletion for all: the per-item notices are not needed.
    const Restore<bool> clearing(clearing_, true);
    ::SendMessageW(window_, TVM_DELETEITEM, 0, ItemParam(TVI_ROOT));
  }
  items_.clear();
  deferredExpansions_.clear();
  ++collapseEpoch_;
}

bool Win32TreeView::RowShown(HTREEITEM Item) const noexcept {
  for (auto up = items_.find(Item); up != items_.end() && up->second.parent;
       up = items_.find(up->second.parent))
    if (!ItemExpanded(up->second.parent))
      return false;
  return true;
}

void Win32TreeView::Expand(tk::TreeNodeHandle Node) {
  const HTREEITEM item = Require(Node);
  if (!Next(item, TVGN_CHILD))
    return;
  // Raised here, not left to the control: it asks only on the first expansion and never for
  // an expanded item, and a failure must reach our caller, not the control.
  bool allow = true;
  RaiseExpanding(item, allow);
  if (!allow || !IsLive(item) || !Next(item, TVGN_CHILD))
    return;
  if (updateDepth_ > 0 && !ItemExpanded(item)) {
    if (OpenOutOfSight(item))
      return;
    if (RowShown(item)) {
      // The control lays out every shown row again after each expansion of a shown item
      // (under Wine with a round trip to the server for its scroll bars): opening a whole
      // subtree one item at a time would take quadratic time. Opened when the update ends
      // instead, while everything below it is opened out of sight, at little cost.
      deferredExpansions_.push_back(item);
      return;
    }
  }
  const Restore<HTREEITEM> expanding(expandingNow_, item);
  SendInOperation(TVM_EXPAND, TVE_EXPAND, ItemParam(item));
}

void Win32TreeView::ExpandDeferred() noexcept {
  // Their expanding events were raised already.
  for (const HTREEITEM item : std::exchange(deferredExpansions_, {}))
    if (IsLive(item)) {
      const Restore<HTREEITEM> expanding(expandingNow_, item);
      ::SendMessageW(window_, TVM_EXPAND, TVE_EXPAND, ItemParam(item));
    }
}

void Win32TreeView::Collapse(tk::TreeNodeHandle Node) {
  const HTREEITEM item = Require(Node);
  std::erase(deferredExpansions_, item);
  // A collapse by message raises no expanding event; the control moves a selection inside up.
  if (ItemExpanded(item))
    SendInOperation(TVM_EXPAND, TVE_COLLAPSE, ItemParam(item));
}

bool Win32TreeView::IsExpanded(tk::TreeNodeHandle Node) const {
  const HTREEITEM item = Require(Node);
  const bool expanded = ItemExpanded(item) ||
                        std::find(deferredExpansions_.begin(), deferredExpansions_.end(), item) !=
                            deferredExpansions_.end();
  return expanded && Next(item, TVGN_CHILD) != nullptr;
}

// The control as the make-visible walk sees it.
struct Win32TreeView::RevealWalk {
  Win32TreeView& Tree;
  HTREEITEM ParentOf(HTREEITEM Item) const {
    const auto known = Tree.items_.find(Item);
    return known == Tree.items_.end() ? nullptr : known->second.parent;
  }
  bool IsLive(HTREEITEM Item) const { return Tree.IsLive(Item); }
  bool IsOpen(HTREEITEM Item) const { return Tree.ItemExpanded(Item); }
  void Open(HTREEITEM Item) const { Tree.Expand(NodeOf(Item)); }
  uint64_t ShownEpoch(HTREEITEM Item) const {
    const auto known = Tree.items_.find(Item);
    return known == Tree.items_.end() ? 0 : known->second.shownEpoch;
  }
  void MarkShown(HTREEITEM Item, uint64_t Epoch) const {
    if (const auto known = Tree.items_.find(Item); known != Tree.items_.end())
      known->second.shownEpoch = Epoch;
  }
  uint64_t Epoch() const { return Tree.collapseEpoch_; }
};

void Win32TreeView::MakeVisible(tk::TreeNodeHandle Node) {
  const HTREEITEM target = Require(Node);
  RevealWalk walk{*this};
  // An ancestor that stayed shut keeps the node hidden; scrolling would make the control open
  // it against the handler's answer.
  if (tk::OpenCollapsedAncestors(walk, target))
    SendInOperation(TVM_ENSUREVISIBLE, 0, ItemParam(target));
}

tk::TreeNodeHandle Win32TreeView::Selected() const { return NodeOf(Next(nullptr, TVGN_CARET)); }

void Win32TreeView::Select(tk::TreeNodeHandle Node) {
  if (!Node) {
    if (window_)
      SendInOperation(TVM_SELECTITEM, TVGN_CARET, 0);
    return;
  }
  const HTREEITEM item = Require(Node);
  // Selecting a hidden item opens its ancestors; their events fail into this call.
  SendInOperation(TVM_SELECTITEM, TVGN_CARET, ItemParam(item));
}

void Win32TreeView::BeginUpdate() {
  if (updateDepth_++ == 0) {
    ++updates_;
    if (window_)
      ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  }
}

void Win32TreeView::EndUpdate() noexcept {
  if (updateDepth_ == 0)
    return;
  if (--updateDepth_ == 0 && window_) {
    ExpandDeferred();
    ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window_, nullptr, TRUE);
  }
}

void Win32TreeView::SetFocus() { ::SetFocus(RequireWindow()); }

bool Win32TreeView::Focused() const { return window_ && ::GetFocus() == window_; }

// --- notifications ---------------------------------------------------------------------------

std::optional<LRESULT> Win32TreeView::OnNotify(NMHDR& Header) {
  switch (Header.code) {
  case TVN_ITEMEXPANDINGW:
    return OnItemExpanding(reinterpret_cast<const NMTREEVIEWW&>(Header));
  case TVN_BEGINLABELEDITW:
    return OnBeginLabelEdit(reinterpret_cast<const NMTVDISPINFOW&>(Header));
  case TVN_ENDLABELEDITW:
    return OnEndLabelEdit(reinterpret_cast<const NMTVDISPINFOW&>(Header));
  case TVN_DELETEITEMW:
    OnDeleteItem(reinterpret_cast<const NMTREEVIEWW&>(Header));
    return 0;
  case TVN_SELCHANGEDW:
    OnSelectionChanged();
    return 0;
  case NM_CLICK:
    if (const tk::NotifyEvent handler = description_.OnClick)
      form_.App().Guard(handler);
    return 0; // the control goes on with its own handling of the click
  case NM_RCLICK:
    return OnRightClick();
  case NM_CUSTOMDRAW:
    return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW&>(Header));
  case TVN_GETINFOTIPW:
    return OnGetInfoTip(reinterpret_cast<NMTVGETINFOTIPW&>(Header));
  default:
    return std::nullopt;
  }
}

LRESULT Win32TreeView::OnItemExpanding(const NMTREEVIEWW& Notice) {
  const HTREEITEM item = Notice.itemNew.hItem;
  const UINT action = Notice.action & (TVE_COLLAPSE | TVE_EXPAND);
  if (action == TVE_COLLAPSE) {
    // What lay inside is hidden again.
    ++collapseEpoch_;
    return FALSE;
  }
  if (action != TVE_EXPAND || item == expandingNow_ || !IsLive(item))
    return FALSE;
  const tk::LifetimeWatch alive = form_.Lifetime();
  bool allow = true;
  if (operationDepth_ > 0) {
    // Inside an operation of the viewer: the failure goes to that caller.
    try {
      RaiseExpanding(item, allow);
    } catch (...) {
      if (!operationFailure_)
        operationFailure_ = std::current_exception();
      allow = false;
    }
  } else {
    bool failed = true;
    form_.App().Guard([&] {
      RaiseExpanding(item, allow);
      failed = false;
    });
    if (failed)
      allow = false;
  }
  // An item the handler deleted must not be expanded by the control.
  if (alive.Expired() || !IsLive(item))
    return TRUE;
  return allow ? FALSE : TRUE;
}

LRESULT Win32TreeView::OnBeginLabelEdit(const NMTVDISPINFOW& Notice) {
  if (description_.ReadOnly || !IsLive(Notice.item.hItem))
    return TRUE;
  editing_ = Notice.item.hItem;
  // The control's edit box may hold a label cut to a path's length; give it all of it.
  if (const auto edit = reinterpret_cast<HWND>(::SendMessageW(window_, TVM_GETEDITCONTROL, 0, 0))) {
    ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    const std::u16string label = Label(NodeOf(Notice.item.hItem));
    if (label.size() > static_cast<std::size_t>(::GetWindowTextLengthW(edit)))
      ::SetWindowTextW(edit, WidePointer(label));
    try {
      editSubclass_.Install(edit, &EditProc, this);
    } catch (const tk::ToolkitError&) {
      // The edit goes on without the host's keys.
    }
  }
  return FALSE;
}

LRESULT Win32TreeView::OnEndLabelEdit(const NMTVDISPINFOW& Notice) {
  // No text: the user cancelled, and nothing happens.
  const HTREEITEM item = Notice.item.hItem;
  // One answer per edit: some controls end an edit a second time when their edit box loses
  // the focus on its way out, and that echo (even of a cancelled edit) confirms nothing.
  if (!item || item != std::exchange(editing_, nullptr))
    return FALSE;
  if (!Notice.item.pszText || !IsLive(item))
    return FALSE;
  std::u16string text;
  if (const auto edit = reinterpret_cast<HWND>(::SendMessageW(window_, TVM_GETEDITCONTROL, 0, 0))) {
    const int length = ::GetWindowTextLengthW(edit);
    std::wstring buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    ::GetWindowTextW(edit, buffer.data(), static_cast<int>(buffer.size()));
    text = FromWide(buffer.c_str());
  } else {
    text = FromWide(Notice.item.pszText);
  }
  const tk::LifetimeWatch alive = form_.Lifetime();
  const tk::TreeEditedEvent handler = description_.OnEdited;
  form_.App().Guard([&] {
    if (handler)
      handler(NodeOf(item), text);
    if (!alive.Expired() && IsLive(item))
      SetLabel(NodeOf(item), text);
  });
  // The label is stored above as the handler left it (or, when the handler failed, stays as it
  // was); the control must not put the typed text over it.
  return FALSE;
}

void Win32TreeView::OnSelectionChanged() noexcept {
  const tk::NotifyEvent handler = description_.OnChange;
  if (quietSelection_ || !handler)
    return;
  if (operationDepth_ > 0) {
    // Inside an operation of the viewer: the failure goes to that caller.
    try {
      handler();
    } catch (...) {
      if (!operationFailure_)
        operationFailure_ = std::current_exception();
    }
    return;
  }
  form_.App().Guard(handler);
}

void Win32TreeView::OnDeleteItem(const NMTREEVIEWW& Notice) noexcept {
  if (clearing_)
    return;
  const auto known = items_.find(Notice.itemOld.hItem);
  if (known == items_.end())
    return;
  items_.erase(known);
  std::erase(deferredExpansions_, Notice.itemOld.hItem);
}

} // namespace tkwin

#endif // _WIN32
