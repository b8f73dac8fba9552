// What Tessary's timed capture asks of the capture window: the dialog's defaults, the request
// message the worker posts to the main window, and the estimate from the last frame's size.
#pragma once

#include "capture/TimedCaptureDlg.h"

// Posted by the timed-capture worker to the main window, wParam and lParam 0; the main window
// answers it with RequestTimedSnapshot. Above the main window's own private messages
// (WM_APP + 1 to WM_APP + 13), so no handler of theirs takes it.
#define WM_APP_TIMED_SNAPSHOT (WM_APP + 14)

// Asks the frame callback to hand the next frame over as a still, as the Camera button does.
void RequestTimedSnapshot();

// 3 s between 8 pictures; the estimate is the last frame's image size per picture, counted in
// units of 1,920,000 bytes for the large size family and 1,310,720 for the small one.
TimedCaptureProfile TessaryTimedCapture();
