// What Wavenor's timed capture asks of the shared timed-capture dialog: its defaults, the
// request that its worker posts to the main window, and the size estimate of a series.
#pragma once

#include "capture/TimedCaptureDlg.h"

// 5 s between 3 pictures; each picture is WM_APP_TAKE_PICTURE posted to the main window, and
// the estimate counts width x height x 3 bytes of the stream's last known size per picture.
TimedCaptureProfile WavenorTimedCapture();
