#pragma once

// The window toolkit surface the viewer is written against: the application object with its
// exception boundary, forms built from window descriptions, and their controls. Implemented on
// Win32 common controls (viewer/win32) and in memory (viewer/memory).

#include "viewer/toolkit/Application.h"
#include "viewer/toolkit/ColourScheme.h"
#include "viewer/toolkit/Controls.h"
#include "viewer/toolkit/Dpi.h"
#include "viewer/toolkit/DroppedFiles.h"
#include "viewer/toolkit/Events.h"
#include "viewer/toolkit/Form.h"
#include "viewer/toolkit/FormDescription.h"
#include "viewer/toolkit/Handles.h"
#include "viewer/toolkit/Keys.h"
#include "viewer/toolkit/Menu.h"
#include "viewer/toolkit/Picture.h"
