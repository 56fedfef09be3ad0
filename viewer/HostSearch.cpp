#include "viewer/ListerProtocol.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewerMain.h"

#include "json/JSONDocument.h"

#include <cstdint>
#include <limits>

namespace {

bool Holds(const IJSONObject& Node, int32_t Position) {
  const int32_t start = Node.GetTextStart();
  return start != 0 && start <= Position && Position <= Node.GetTextFinish();
}

// The child of Node whose text holds Position, or none. Children lie in text order, one behind
// the other (the parser and every edit keep them so), so the only candidate is the last one
// that starts at or before Position. A search through a wide array passes many hits, and each
// must cost little.
JSONRef ChildHolding(IJSONObject& Node, int32_t Position) {
  int32_t low = 0;
  int32_t high = Node.GetCount() - 1;
  int32_t candidate = -1;
  while (low <= high) {
    const int32_t middle = low + (high - low) / 2;
    const int32_t start = Node.GetChild(middle)->GetTextStart();
    if (start != 0 && start <= Position) {
      candidate = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (candidate < 0)
    return nullptr;
  JSONRef child = Node.GetChild(candidate);
  return Holds(*child, Position) ? child : nullptr;
}

// The deepest node whose text holds Position (1-based), as FindByPosition finds it.
JSONRef DeepestNodeAt(IJSONObject& Root, int32_t Position) {
  if (!Holds(Root, Position))
    return nullptr;
  JSONRef deepest(&Root);
  while (JSONRef child = ChildHolding(*deepest, Position))
    deepest = std::move(child);
  return deepest;
}

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
    const JSONRef node = DeepestNodeAt(*FRootObj, static_cast<int32_t>(hit + 1));
    if (node && node != selected) {
      RevealNode(node);
      lastHit_ = hit;
      ShowStatusNote(u"");
      return true;
    }
    from = backwards ? hit : hit + 1;
  }
}
