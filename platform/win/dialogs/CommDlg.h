// The common dialogs under their Win32 names: file open and save, colour chooser, font chooser
// with effects and colour, print set-up defaults. Qt's dialogs stand behind them; tests answer
// them through DialogSeams.h. Calls are for the user-interface thread.
#pragma once

#include "platform/win/window/WinUser.h"

#include <functional>
#include <string>

// ---- File dialogs ----
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLESIZING 0x00800000

// CommDlgExtendedError
#define CDERR_GENERALCODES 0x0000
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define FNERR_SUBCLASSFAILURE 0x3001
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter; // pairs "description\0pattern[;pattern]\0", ending with an extra \0
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex; // 1-based; in and out
    LPWSTR lpstrFile;   // initial name in, chosen path out (nMaxFile characters)
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle; // the chosen file's name without folder (optional)
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;    // where the name starts in lpstrFile
    WORD nFileExtension; // where the extension starts (after the dot); 0 when none
    LPCWSTR lpstrDefExt; // added when the chosen name has no extension
    LPARAM lCustData;
    LPVOID lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using OPENFILENAME = OPENFILENAMEW;
using LPOPENFILENAME = OPENFILENAMEW*;

BOOL GetOpenFileName(LPOPENFILENAME ofn);
BOOL GetSaveFileName(LPOPENFILENAME ofn);
DWORD CommDlgExtendedError();

// ---- Colour chooser ----
#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
#define CC_PREVENTFULLOPEN 0x00000004
#define CC_SHOWHELP 0x00000008
#define CC_ANYCOLOR 0x00000100
#define CC_SOLIDCOLOR 0x00000080

struct CHOOSECOLORW {
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;     // initial colour with CC_RGBINIT; the chosen colour out
    COLORREF* lpCustColors; // 16 custom colours, in and out (may be null)
    DWORD Flags;
    LPARAM lCustData;
    LPVOID lpfnHook;
    LPCWSTR lpTemplateName;
};
using CHOOSECOLOR = CHOOSECOLORW;
using LPCHOOSECOLOR = CHOOSECOLORW*;

BOOL ChooseColor(LPCHOOSECOLOR cc);

// ---- Font chooser ----
#define CF_SCREENFONTS 0x00000001
#define CF_PRINTERFONTS 0x00000002
#define CF_BOTH (CF_SCREENFONTS | CF_PRINTERFONTS)
#define CF_SHOWHELP 0x00000004
#define CF_INITTOLOGFONTSTRUCT 0x00000040
#define CF_USESTYLE 0x00000080
#define CF_EFFECTS 0x00000100
#define CF_APPLY 0x00000200
#define CF_ANSIONLY 0x00000400
#define CF_SCRIPTSONLY CF_ANSIONLY
#define CF_NOVECTORFONTS 0x00000800
#define CF_LIMITSIZE 0x00002000
#define CF_FIXEDPITCHONLY 0x00004000
#define CF_FORCEFONTEXIST 0x00010000
#define CF_TTONLY 0x00040000
#define CF_NOSCRIPTSEL 0x00800000
#define SCREEN_FONTTYPE 0x2000
#define BOLD_FONTTYPE 0x0100
#define ITALIC_FONTTYPE 0x0200
#define REGULAR_FONTTYPE 0x0400

struct CHOOSEFONTW {
    DWORD lStructSize;
    HWND hwndOwner;
    HDC hDC;
    LOGFONTW* lpLogFont; // initial font with CF_INITTOLOGFONTSTRUCT; written on OK
    INT iPointSize;      // out: size in tenths of a point
    DWORD Flags;
    COLORREF rgbColors; // with CF_EFFECTS: initial and chosen text colour
    LPARAM lCustData;
    LPVOID lpfnHook;
    LPCWSTR lpTemplateName;
    HINSTANCE hInstance;
    LPWSTR lpszStyle;
    WORD nFontType;
    WORD ___MISSING_ALIGNMENT__;
    INT nSizeMin;
    INT nSizeMax;
};
using CHOOSEFONT = CHOOSEFONTW;
using LPCHOOSEFONT = CHOOSEFONTW*;

BOOL ChooseFont(LPCHOOSEFONT cf);

// ---- Print set-up ----
#define PD_ALLPAGES 0x00000000
#define PD_SELECTION 0x00000001
#define PD_PAGENUMS 0x00000002
#define PD_NOSELECTION 0x00000004
#define PD_NOPAGENUMS 0x00000008
#define PD_COLLATE 0x00000010
#define PD_PRINTTOFILE 0x00000020
#define PD_PRINTSETUP 0x00000040
#define PD_NOWARNING 0x00000080
#define PD_RETURNDC 0x00000100
#define PD_RETURNIC 0x00000200
#define PD_RETURNDEFAULT 0x00000400
#define PD_USEDEVMODECOPIES 0x00040000
#define PD_USEDEVMODECOPIESANDCOLLATE PD_USEDEVMODECOPIES
#define PD_HIDEPRINTTOFILE 0x00100000
#define PDERR_NODEFAULTPRN 0x1008

// The print dialog is never shown here: PD_RETURNDEFAULT answers with the default printer,
// whose name goes to deviceName, and PD_RETURNDC asks the printer service for its DC.
struct PRINTDLGW {
    DWORD lStructSize;
    HWND hwndOwner;
    HANDLE hDevMode;
    HANDLE hDevNames;
    HDC hDC; // PD_RETURNDC: the printer's DC, deleted with DeleteDC by the caller
    DWORD Flags;
    WORD nFromPage;
    WORD nToPage;
    WORD nMinPage;
    WORD nMaxPage;
    WORD nCopies;
    HINSTANCE hInstance;
    LPARAM lCustData;
    LPVOID lpfnPrintHook;
    LPVOID lpfnSetupHook;
    LPCWSTR lpPrintTemplateName;
    LPCWSTR lpSetupTemplateName;
    HANDLE hPrintTemplate;
    HANDLE hSetupTemplate;
    WCHAR deviceName[32]; // ours: the default printer's name (cut to fit, terminated)
};
using PRINTDLG = PRINTDLGW;
using LPPRINTDLG = PRINTDLGW*;

BOOL PrintDlg(LPPRINTDLG pd);

// ---- The spooler's default printer ----
#define ERROR_INVALID_PRINTER_NAME 1801L
// The default printer's name into `buffer` of *size characters (terminator included); *size
// becomes the characters written, or needed when the buffer is too small (then FALSE with
// ERROR_INSUFFICIENT_BUFFER). Without a printer FALSE with ERROR_FILE_NOT_FOUND.
BOOL GetDefaultPrinter(LPWSTR buffer, LPDWORD size);
// The system's default printer is the operator's to choose and is never changed from here:
// naming the printer that already is the default succeeds, any other name (or none) fails with
// ERROR_INVALID_PRINTER_NAME and changes nothing.
BOOL SetDefaultPrinter(LPCWSTR name);

namespace ms {

// Where the default printer comes from: the printing service installs a provider that names
// the default printer (false: none) and, when `dc` is not null, creates its DC. Without one
// there is no printer.
using PrinterProvider = std::function<bool(std::u16string& name, HDC* dc)>;
void SetPrinterProvider(PrinterProvider provider);

// The "desc|pattern||" filter of the framework's file dialog in the Win32 form (pairs ending
// in \0, a final \0 after the last pair).
std::u16string FilterFromFramework(std::u16string_view barFilter);

} // namespace ms
