#pragma once

#include "viewer/toolkit/Keys.h"

class QKeyEvent;

namespace tkqt {

// A Qt key press as the viewer sees key presses: the virtual-key number of the key (0 for a
// key that has none, such as most punctuation), the character it types and the modifiers.
tk::KeyPress KeyPressOf(const QKeyEvent& Event);

} // namespace tkqt
