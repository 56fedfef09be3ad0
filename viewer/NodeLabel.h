#pragma once

#include "json/IJSONObject.h"

#include <string>

// The label of a node's tree node, and whether the tree node gets a placeholder child.
struct TreeLabel {
  std::u16string Text;
  bool HasChildren = false; // objects and arrays, empty ones included
};

// Builds the label from one reading of each of the node's parts it shows:
//   object  Name {} (Count)        array  Name [] (Count)
//   string  Name : "AsString"      variant  Name : AsString   (" : " only with a name)
//   unknown jt_unknown = Text      (no name)
// The name shows with its escapes decoded, as Copy name gives it.
TreeLabel NodeLabel(const IJSONObject& Node);
