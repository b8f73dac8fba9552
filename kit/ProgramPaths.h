// The running program's folders and files, one object per program: Tessary fills it from its
// program folder and its save folders (InitProgramPaths, InitSaveFolders), Wavenor from its data
// folder (InitWifiFolders). Code that both programs link reads the running program's values
// here, so no library binds to a folder of the other program. Filled at start; the UI thread
// owns it (the Video Setting dialog moves the save folders).
#pragma once

#include "platform/win/WinTypes.h"

struct ProgramPaths {
    WCHAR programDir[MAX_PATH] = {}; // folder of the program file, no trailing '/'
    // The folder the program keeps its own files in (the calibration file, the folder file,
    // Wavenor's "Favorite"): ms::ProgramDataDir(), the program folder where it takes files.
    WCHAR dataDir[MAX_PATH] = {};
    WCHAR pictureDir[MAX_PATH] = {};   // where snapshots are saved
    WCHAR videoDir[MAX_PATH] = {};     // where recordings are saved
    WCHAR calibIniPath[MAX_PATH] = {}; // <dataDir>/CalibrationIni.ini
};

extern ProgramPaths g_paths;

// The module the program's resources (bitmaps, icons, sounds, accelerators) are loaded from.
extern HINSTANCE g_hInstance;

// Sets programDir and dataDir from the running program, and the calibration file in dataDir.
void InitProgramPaths();
