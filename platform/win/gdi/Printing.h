// Print jobs on a printer's DC (from PrintDlg with PD_RETURNDC): a document of pages, each page
// drawn with the ordinary GDI calls between StartPage and EndPage. A DC that is not a printer's
// refuses every call.
#pragma once

#include "platform/win/WinTypes.h"

#define SP_ERROR (-1)

struct DOCINFOW {
    int cbSize;
    LPCWSTR lpszDocName;
    LPCWSTR lpszOutput; // ours too: a file the job goes to instead of the printer, or null
    LPCWSTR lpszDatatype;
    DWORD fwType;
};
using DOCINFO = DOCINFOW;

// A positive job id, or SP_ERROR.
int StartDoc(HDC hdc, const DOCINFO* info);
// Above zero on success, SP_ERROR (or 0) on failure.
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
// Drops the job: nothing of it is printed.
int AbortDoc(HDC hdc);
