#include "wifi/WifiGlobals.h"

#include "measure/Units.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <string>

WCHAR g_favoriteDir[MAX_PATH];
WCHAR g_statusText[128];
int g_isRecording = 0;

HWND g_mainWnd = nullptr;
int g_previewState = 1;
int g_stillViewMode = 1;
int g_listShowsPictures = 1;
int g_listSlotCount = 6;
RECT g_listClientRect{};
std::vector<RECT> g_listSlotRects;
CFileListView* g_fileListView = nullptr;

int g_channelFlags = 0;

void ResetWifiGlobals() {
    g_captureWidth = 0;
    g_captureHeight = 0;
    g_previewState = 1;
    g_isRecording = 0;
    g_stillViewMode = 1;
    g_channelFlags = 0;
    g_zoomScale = 1.0;
}

void InitWifiFolders() {
    // An installed program folder belongs to the system: the pictures and the calibration
    // then go to the user's own data folder instead.
    InitProgramPaths();
    swprintf(g_paths.videoDir, MAX_PATH, u"%s/Favorite/Video", g_paths.dataDir);
    swprintf(g_paths.pictureDir, MAX_PATH, u"%s/Favorite/Picture", g_paths.dataDir);
    swprintf(g_favoriteDir, MAX_PATH, u"%s/Favorite", g_paths.dataDir);
    CreateDirectory(g_favoriteDir, nullptr);
    CreateDirectory(g_paths.videoDir, nullptr);
    CreateDirectory(g_paths.pictureDir, nullptr);
}
