#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

// Fitting the selected node's path into the status bar's part for it.

// How wide a text is, in the unit of the room it has to fit.
using TextWidthOf = std::function<int(std::u16string_view Text)>;

// The path of Steps (as NodePathSteps gives them: "$" first) as it fits in Room: whole when it
// fits; else shortened in the middle with an ellipsis, keeping "$", as many of the last steps
// as fit and then as many of the first ones; when not even the last step fits beside "$…",
// "$…" and as much of the path's end as fits. Never cuts a surrogate pair in two. Empty for
// no steps.
std::u16string FitPathToRoom(std::span<const std::u16string> Steps, int Room,
                             const TextWidthOf& WidthOf);
