#pragma once

#include "viewer/toolkit/LabelParts.h"

#include "json/IJSONObject.h"

#include <cstddef>
#include <string>
#include <vector>

// The label of a node's tree node, the kinds of its parts, and whether the tree node gets a
// placeholder child.
struct TreeLabel {
  std::u16string Text;
  std::vector<tk::LabelPart> Parts; // cover Text exactly, in order
  bool HasChildren = false;         // objects and arrays, empty ones included
};

// A longer label is cut to this many characters and ends with an ellipsis (U+2026) after them.
inline constexpr std::size_t kMaxLabelLength = 200;

// Builds the label from one reading of each of the node's parts it shows:
//   object  Name {} (Count)        array  Name [] (Count)
//   string  Name : "AsString"      variant  Name : AsString   (" : " only with a name)
// A string shows in quotes wherever it stands: as a member's value, an array element or the top
// value (these two have the kind jt_variant; the library says their value is a string's).
// A node the lenient reading made nothing of (jt_unknown) shows "(empty)" when its text and the
// whole document's are empty or blank (an empty file or clipboard), else "(not JSON)" (a lone
// "]", say, which leaves the node without a text too); its name and text are not shown.
// The name shows with its escapes decoded, as Copy name gives it. Control characters show as
// their JSON escapes, so a label stays on one line. Only the start of a long name or value is
// read and decoded: the label of a 1 MB string costs about as much as a short one.
// Parts: the name, " : " and quotes as punctuation, the value by its kind (string, number,
// true/false, null, or plain for another bare value), a container's " {} (3)" as its marker.
TreeLabel NodeLabel(const IJSONObject& Node);
