// Process-wide state of Wavenor that its windows share: its folders, the main window, the
// preview state, the file list's slot geometry and the magnification of the measuring tools.
// All of it belongs to the UI thread.
#pragma once

#include "wifi_measure/StillTools.h"

// g_zoomScale (the magnification in every label formula) and g_calibratedZoom (the last
// calibration's result) are the measurement core's.
#include "kit/ProgramPaths.h"
#include "measure/Units.h"
#include "platform/win/WinTypes.h"

#include <vector>

class CFileListView;

// Wavenor keeps its own files ("CalibrationIni.ini", "Favorite", the frozen frame) in
// g_paths.dataDir: the program folder, or Wavenor's folder under the XDG data home when the
// program folder is not writable. Its pictures go to <dataDir>/Favorite/Picture, its videos to
// <dataDir>/Favorite/Video.
extern WCHAR g_favoriteDir[MAX_PATH]; // <g_paths.dataDir>/Favorite
extern WCHAR g_statusText[128];       // the text on the video area

extern HWND g_mainWnd;
extern int g_previewState;      // 1 no stream yet, 2 live, 3 frozen frame shown
extern int g_isRecording;       // 1 while an MP4 recording runs
extern int g_stillViewMode;     // 1 fitted, 2 actual size
extern int g_listShowsPictures; // 1 pictures, 0 videos
extern int g_listSlotCount;     // slots of the file list, always even
extern RECT g_listClientRect;
extern std::vector<RECT> g_listSlotRects; // g_listSlotCount rectangles, filled by the file list
extern CFileListView* g_fileListView;

extern int g_channelFlags;       // colour channels shown: 0x1 red, 0x10 green, 0x100 blue
// g_stillTool, g_stillCalibrating and g_calibrationZoom: wifi_measure/StillTools.h.

// The shared state as Wavenor starts: the measurement core's capture size (Tessary's globals
// start with its camera's size) is unknown until the stream tells it.
void ResetWifiGlobals();

// Sets g_paths and the folders under its data folder and creates "Favorite", "Favorite/Video" and
// "Favorite/Picture" (existing folders are used as they are).
void InitWifiFolders();
