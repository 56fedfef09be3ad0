#pragma once

#include "viewer/toolkit/FormDescription.h"

class TfmMain;

// The window description fmMain: every control of the viewer window, its properties and its
// bindings to Viewer's handlers.
tk::FormDescription DescribeFmMain(TfmMain& Viewer);
