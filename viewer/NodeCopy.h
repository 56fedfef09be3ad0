#pragma once

#include "json/IJSONObject.h"

#include <string>
#include <vector>

// The texts of a node that the user can copy.

// The value: a string's text as AsString reads it, without the quotes; a number, true, false,
// null or any other bare value as it stands; an object or array as its JSON text (Value).
std::u16string NodeValueText(const IJSONObject& Node);

// The member name, its escapes decoded; empty for array elements and the top node.
std::u16string NodeNameText(const IJSONObject& Node);

// The whole text of the node (Text): for a member, its name and its value.
std::u16string NodeJsonText(const IJSONObject& Node);

// The node's path in JSONPath form: "$" for the top node, then ".name" for each member and
// "[3]" for each array element; a name that is no identifier (ASCII letters, digits, "_" and
// "$", not starting with a digit) goes in brackets and double quotes, with '"' and '\'
// escaped: $.store.products[0]["unit price"].
std::u16string NodePath(const IJSONObject& Node);
// The same path in its steps: "$", then one step per level down to the node ("[0]", ".name",
// ["unit price"]); NodePath is their concatenation.
std::vector<std::u16string> NodePathSteps(const IJSONObject& Node);

// Whether Name can follow a full stop in a path as it stands.
bool IsPathIdentifier(std::u16string_view Name);
