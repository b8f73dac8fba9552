// Print jobs on a printer's DC (from PrintDlg with PD_RETURNDC): a document of pages, each page
// drawn with the ordinary GDI calls between StartPage and EndPage. A DC that is not a printer's
// refuses every call.
//
// A printer's DC is a DC over a page-sized picture in the printer's device pixels (white at each
// StartPage; GetDeviceCaps HORZRES and VERTRES give the printable size, LOGPIXELSX/Y the
// resolution). EndPage hands the finished page to the printer device behind the DC, which the
// printing service made (platform/services/PrinterService.h); nothing reaches the printer before
// EndDoc, so AbortDoc, or deleting the DC during a document, prints nothing. The calls keep
// their order: StartDoc, then StartPage ... EndPage as often as there are pages, then EndDoc or
// AbortDoc; a call out of that order fails and changes nothing. UI thread only.
#pragma once

#include "platform/win/WinTypes.h"

#include <QImage>
#include <memory>
#include <string>

#define SP_ERROR (-1)

// Device capabilities a printer DC answers beyond the screen's (GetDeviceCaps).
#define HORZSIZE 4        // printable width in millimetres
#define VERTSIZE 6        // printable height in millimetres
#define PHYSICALWIDTH 110 // the paper, in device pixels
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112 // the printable area's top left on the paper, in device pixels
#define PHYSICALOFFSETY 113

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

namespace ms {

// The page of a printer in its device pixels.
struct PrinterPage {
    int width = 0, height = 0; // the printable area (HORZRES, VERTRES)
    int dpiX = 96, dpiY = 96;
    int paperWidth = 0, paperHeight = 0; // 0: the printable area is the paper
    int offsetX = 0, offsetY = 0;        // the printable area on the paper
};

// What stands behind a printer DC: one printer's documents. The calls come in the order the
// print job calls keep; AbortDocument also when the DC goes during a document.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;
    // `output`: a file for the job instead of the printer, or empty.
    virtual bool BeginDocument(const std::u16string& name, const std::u16string& output) = 0;
    // One finished page, `page` in the printable area's device pixels (Format_RGB32).
    virtual bool AddPage(const QImage& page) = 0;
    // Prints the pages added since BeginDocument.
    virtual bool EndDocument() = 0;
    virtual void AbortDocument() = 0;
};

// A printer DC over a white page of `page`'s printable size; deleted with DeleteDC. Null for an
// empty page or without a device.
HDC CreatePrinterDC(const PrinterPage& page, std::shared_ptr<PrintDevice> device);

} // namespace ms
