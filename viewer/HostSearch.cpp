#include "viewer/ListerProtocol.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewerMain.h"

#include "json/JSONDocument.h"

#include <cstdint>
#include <limits>

namespace {

std::u16string NotFoundNote(std::u16string_view Text) {
  // One line, and not the whole of a pasted page.
  constexpr std::size_t kShown = 60;
  std::u16string note = u"Not found: \"";
  for (std::size_t i = 0; i < Text.size() && i < kShown; ++i)
    note += Text[i] < 0x20 ? u' ' : Text[i];
  if (Text.size() > kShown)
    note += u'\u2026';
  note += u'"';
  return note;
}

} // namespace

bool TfmMain::SearchText(std::u16string_view Text, int SearchParameter) {
  if (!FRootObj || Text.empty()) {
    ShowStatusNote(NotFoundNote(Text));
    return false;
  }
  const bool backwards = (SearchParameter & lcs_backwards) != 0;
  const TextSearch search(
      Text, {(SearchParameter & lcs_matchcase) != 0, (SearchParameter & lcs_wholewords) != 0});
  const std::u16string_view text = DocumentTextOf(*FRootObj);
  std::size_t from = backwards ? text.size() : 0;
  if ((SearchParameter & lcs_findfirst) == 0 && lastHit_)
    from = backwards ? *lastHit_ : *lastHit_ + 1;

  const JSONRef selected = SelectedNode();
  for (;;) {
    const std::size_t hit = backwards ? search.Previous(text, from) : search.Next(text, from);
    if (hit == TextSearch::npos ||
        hit >= static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
      ShowStatusNote(NotFoundNote(Text));
      return false;
    }
    // A hit in the selected node itself, or outside the top value, shows nothing new.
    const JSONRef node = FRootObj->FindByPosition(static_cast<int32_t>(hit + 1));
    if (node && node != selected) {
      RevealNode(node);
      lastHit_ = hit;
      ShowStatusNote(u"");
      return true;
    }
    from = backwards ? hit : hit + 1;
  }
}
