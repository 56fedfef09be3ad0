#pragma once

#include <string>

namespace tk {

// One entry of a pop-up menu; an empty caption makes a separator.
struct MenuItem {
  std::u16string Caption;
  bool Enabled = true;
};

// A point on the screen, in the platform's pixels.
struct ScreenPoint {
  int X = 0;
  int Y = 0;
};

} // namespace tk
