#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tk {

// What a stretch of a tree label shows; each kind has its own colour.
enum class LabelPartKind : uint8_t {
  Plain,       // text in the tree's own colour: notes, bare values that are no number or literal
  Name,        // a member's name
  Punctuation, // " : ", a string's quotes, the ellipsis of a cut label
  String,      // a string's content
  Number,      // a number
  Boolean,     // true, false
  Null,        // null
  Marker,      // an object's or array's bracket marker with its count, " {} (3)"
};
inline constexpr std::size_t kLabelPartKinds = 8;

// One stretch of a label: Length UTF-16 units following the previous part's.
struct LabelPart {
  LabelPartKind Kind = LabelPartKind::Plain;
  uint32_t Length = 0;
  friend bool operator==(const LabelPart&, const LabelPart&) = default;
};

// Whether Parts cover Label exactly; a toolkit draws a label whose parts do not (it was edited
// since) in one colour.
inline bool PartsCover(std::span<const LabelPart> Parts, std::u16string_view Label) {
  std::size_t total = 0;
  for (const LabelPart& part : Parts)
    total += part.Length;
  return !Parts.empty() && total == Label.size();
}

// How many of Text's first Count units can be kept without splitting a surrogate pair: a
// text cut to a bound ends with whole characters.
inline std::size_t WholeUnitsIn(std::u16string_view Text, std::size_t Count) {
  if (Count >= Text.size())
    return Text.size();
  const bool splitsPair = Count > 0 && Text[Count - 1] >= 0xD800 && Text[Count - 1] <= 0xDBFF;
  return splitsPair ? Count - 1 : Count;
}

} // namespace tk
