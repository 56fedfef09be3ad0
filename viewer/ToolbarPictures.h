#pragma once

#include "viewer/toolkit/Picture.h"

#include <vector>

// The eight 17 x 17 pictures of the tool bar's image list, with their masks: 0 open, 1 paste,
// 2 cut, 3 undo, 4 copy, 5 delete, 6 find, 7 test generation (2 and 3 are not used).
std::vector<tk::Picture> ToolbarPictures();
