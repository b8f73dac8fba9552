// The Qt application under the window layer, and the Qt widget that stands behind a window.
#pragma once

#include "platform/win/window/WinUser.h"

#include <QWidget>

namespace ms {

// Creates the QApplication when none exists (tests, the framework's main) and sets the
// numeric locale to "C". Safe to call repeatedly.
void EnsureApplication();

// The widget of a window (a standard control's own Qt widget, or the widget showing a custom
// window's surface), or null. UI thread only.
QWidget* WidgetOf(HWND hwnd);

} // namespace ms
