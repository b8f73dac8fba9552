// Messages between Wavenor's main window and its still-picture view.
#pragma once

#include "platform/win/window/WinUser.h"

// Posted to the main window (both parameters 0) after an accepted calibration on either
// measuring surface; g_calibratedZoom holds the result, the main window stores it.
#define WM_APP_STORE_CALIBRATION (WM_APP + 5)
// Posted to the still view by the main window's effect, Undo, Redo and Delete All commands:
// the view repaints without erasing.
#define WM_APP_REDRAW_STILL (WM_APP + 6)
