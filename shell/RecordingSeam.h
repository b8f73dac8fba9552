// What the capture commands and the snapshot compositor need of the AVI recording: whether a
// recording runs, the path of the recording being started, and closing its writer. The
// recorder owns these; until it is part of the main window they stand here with no recording
// ever running.
#pragma once

#include "platform/win/WinTypes.h"

#include <atomic>

extern std::atomic<int> g_recording; // 1 while an AVI recording runs
extern WCHAR g_aviPath[MAX_PATH];    // the AVI file being started; its thumbnail is "<path>.bmp"
// Closes the recording's file and lists it; the graph is already stopped.
void CloseAviWriter();
