// The shell's folder browser: SHBrowseForFolder and SHGetPathFromIDList. An item list names
// one folder of the file system; free it with CoTaskMemFree (or ILFree).
#pragma once

#include "platform/win/window/WinUser.h"

#include <cstddef>

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_STATUSTEXT 0x00000004
#define BIF_RETURNFSANCESTORS 0x00000008
#define BIF_EDITBOX 0x00000010
#define BIF_VALIDATE 0x00000020
#define BIF_NEWDIALOGSTYLE 0x00000040
#define BIF_USENEWUI (BIF_NEWDIALOGSTYLE | BIF_EDITBOX)
#define BIF_NONEWFOLDERBUTTON 0x00000200

struct ITEMIDLIST; // opaque: one folder path
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;
using BFFCALLBACK = int (*)(HWND, UINT, LPARAM, LPARAM);

struct BROWSEINFOW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot; // null: the desktop (the user's home here)
    LPWSTR pszDisplayName;      // out: the chosen folder's name (MAX_PATH characters)
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
using BROWSEINFO = BROWSEINFOW;
using LPBROWSEINFO = BROWSEINFOW*;

// The chosen folder, or null when cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolder(LPBROWSEINFO bi);
// Copies the folder's path (at most MAX_PATH characters with the terminator); FALSE when it
// does not fit or the list is null.
BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPWSTR path);
void ILFree(PIDLIST_ABSOLUTE pidl);
LPVOID CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(LPVOID p);
