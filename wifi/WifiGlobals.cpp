#include "wifi/WifiGlobals.h"

#include "measure/Units.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <string>

HINSTANCE g_hInstance = nullptr;
WCHAR g_programDir[MAX_PATH];
WCHAR g_favoriteDir[MAX_PATH];
WCHAR g_pictureDir[MAX_PATH];
WCHAR g_videoDir[MAX_PATH];
WCHAR g_calibIniPath[MAX_PATH];
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

double g_calibrationZoom = 0.0;
BYTE g_stillCalibrating = 0;

namespace {

bool IsFolder(const std::u16string& path) {
    const DWORD a = GetFileAttributes(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a file can be made in the folder: tried, not guessed from permissions.
bool IsWritableFolder(const std::u16string& dir) {
    if (!IsFolder(dir))
        return false;
    const std::u16string probe = dir + u"/.wavenor-write-test";
    HANDLE h = CreateFile(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    DeleteFile(probe.c_str());
    return true;
}

} // namespace

void ResetWifiGlobals() {
    g_captureWidth = 0;
    g_captureHeight = 0;
    g_previewState = 1;
    g_isRecording = 0;
    g_zoomScale = 1.0;
}

void InitWifiFolders() {
    std::u16string base = ms::ProgramDir();
    if (!IsWritableFolder(base)) {
        // An installed program folder belongs to the system: the pictures and the calibration
        // go to the user's own data folder instead.
        const std::u16string data = ms::DataDir();
        CreateDirectory(data.c_str(), nullptr);
        base = data + u"/Wavenor";
        CreateDirectory(base.c_str(), nullptr);
    }
    ms::CopyBounded(g_programDir, MAX_PATH, base);
    swprintf(g_calibIniPath, MAX_PATH, u"%s/CalibrationIni.ini", g_programDir);
    swprintf(g_videoDir, MAX_PATH, u"%s/Favorite/Video", g_programDir);
    swprintf(g_pictureDir, MAX_PATH, u"%s/Favorite/Picture", g_programDir);
    swprintf(g_favoriteDir, MAX_PATH, u"%s/Favorite", g_programDir);
    CreateDirectory(g_favoriteDir, nullptr);
    CreateDirectory(g_videoDir, nullptr);
    CreateDirectory(g_pictureDir, nullptr);
}
