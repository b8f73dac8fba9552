// Tessary's save folders: the folders that pictures and videos are saved in (g_paths.pictureDir
// and g_paths.videoDir: "Picture" and "Video" under a base folder named by "folderpath.dat",
// else "Tessary files" in the user's documents folder). "folderpath.dat" lies in the program's
// own files folder (ms::ProgramDataDir: beside the program, or in the user's data folder where
// the program folder takes no files).
#pragma once

#include "kit/ProgramPaths.h"

#include "platform/win/WinTypes.h"

extern WCHAR g_saveBaseDir[MAX_PATH]; // base of the save folders

// "folderpath.dat": exactly the bytes of g_saveBaseDir, one UTF-16LE path with its terminating
// zero, zero-filled to the end.
inline constexpr DWORD kFolderPathFileSize = MAX_PATH * 2;

// Reads "folderpath.dat" of the program's files folder into g_saveBaseDir. Nonzero when the file
// was read and names a folder: a path that is empty, has no terminator within the 260 characters,
// or is too long for its subfolders to fit (more than 250 characters) is refused (0,
// g_saveBaseDir untouched), so that the default folders are used instead.
int ReadFolderPaths();
// g_paths' save folders: from "folderpath.dat" as they are (nothing is created), else the default
// folders under the documents folder, created (base, video, picture) when missing. The file is
// never written here.
void InitSaveFolders();
