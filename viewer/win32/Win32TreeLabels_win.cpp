#ifdef _WIN32

// How the tree shows its labels beyond the control's own text: each part in its kind's colour,
// and a node's info tip.

#include "viewer/win32/Win32TreeView_win.h"

#include "viewer/win32/Win32Application_win.h"
#include "viewer/win32/Win32Form_win.h"

#include <algorithm>

namespace tkwin {

LRESULT Win32TreeView::OnCustomDraw(NMTVCUSTOMDRAW& Draw) noexcept {
  std::span<const tk::LabelPart> parts;
  if (Draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT || Draw.nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
    const auto found = items_.find(reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec));
    if (found != items_.end())
      parts = found->second.parts;
  }
  return *TreeCustomDraw(Draw, scheme_, !description_.HideSelection, parts);
}

LRESULT Win32TreeView::OnGetInfoTip(NMTVGETINFOTIPW& Tip) noexcept {
  if (!Tip.pszText || Tip.cchTextMax <= 0)
    return 0;
  Tip.pszText[0] = L'\0';
  const tk::TreeToolTipEvent handler = description_.OnToolTip;
  if (!handler || !IsLive(Tip.hItem))
    return 0;
  std::u16string text;
  form_.App().Guard([&] { text = handler(NodeOf(Tip.hItem)); });
  // The control's buffer (INFOTIPSIZE, 1024 units) is all a tree's info tip can show; a longer
  // text ends with an ellipsis there.
  const auto room = static_cast<std::size_t>(Tip.cchTextMax - 1);
  const bool cut = text.size() > room;
  const std::size_t kept = tk::WholeUnitsIn(text, cut && room > 0 ? room - 1 : room);
  std::copy_n(text.data(), kept, Tip.pszText);
  std::size_t end = kept;
  if (cut && end < room)
    Tip.pszText[end++] = L'\u2026';
  Tip.pszText[end] = L'\0';
  return 0;
}

} // namespace tkwin

#endif // _WIN32
