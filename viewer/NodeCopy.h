#pragma once

#include "json/IJSONObject.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The texts of a node that the user can copy.

// The value: a string's text as AsString reads it, without the quotes; a number, true, false,
// null or any other bare value as it stands; an object or array as its JSON text (Value).
std::u16string NodeValueText(const IJSONObject& Node);
// The start of NodeValueText: its first Wanted characters, or all of it when shorter. Reads
// only about twice as much of the document, however long the value.
std::u16string NodeValueHead(const IJSONObject& Node, std::size_t Wanted);

// Whether the node's value is a string: a member's string value, or a string that stands alone
// (an array element, the top value), which has the kind jt_variant like a bare value.
bool IsStringValue(const IJSONObject& Node);

// The start of Raw with the string escapes decoded as AsString decodes them: at least Wanted
// characters when the whole decodes to that many. Reads at most 2 * Wanted characters of Raw.
std::u16string DecodedHead(std::u16string_view Raw, std::size_t Wanted);

// The hover text of a node: its value as Copy value gives it (a string decoded, line breaks as
// they are), an object's or array's JSON text likewise, cut to kMaxToolTipLength characters and
// an ellipsis (U+2026). Empty for a node the reading made nothing of: its label says all.
inline constexpr std::size_t kMaxToolTipLength = 10000;
std::u16string NodeToolTip(const IJSONObject& Node);

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
