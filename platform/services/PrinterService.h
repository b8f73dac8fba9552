// The printer service: the system's default printer (CUPS, through Qt PrintSupport) behind
// PrintDlg (platform/win/dialogs/CommDlg.h) and the print job calls on its DC
// (platform/win/gdi/Printing.h). Without a default printer PrintDlg fails.
//
// The job is printed at EndDoc, each page as the picture drawn on the printer DC, filling the
// printable area; the printer's resolution is capped at 300 dots per inch, which keeps a page's
// picture small enough to hold. The service never changes which printer is the default: it
// reads it for each job.
#pragma once

#include <string>
#include <vector>

namespace ms {

// Makes the system's default printer the one PrintDlg answers with. Programs that print call it
// at start.
void InstallPrinterService();

} // namespace ms

namespace ms::test {

// From now on the default printer is a PDF file, A4 at `dpi`: every document printed is written
// to `path` (replacing it), a document started with an output file of its own goes there, and an
// aborted one writes nothing. The system's printers are not asked. ResetSeams() ends it.
void PrintToPdf(const std::u16string& path, int dpi = 150);
// From now on there is no printer at all, whatever the system has. ResetSeams() ends it.
void PrintWithoutPrinter();

// The documents that reached a printer (or the PDF file), oldest first; ResetSeams() forgets
// them.
struct PrintedDocument {
    std::u16string printer;
    std::u16string name;   // the DOCINFO's document name
    std::u16string output; // the file written, empty for a printer
    int pages = 0;
    bool ok = false; // the printer took it
};
const std::vector<PrintedDocument>& PrintedDocuments();

} // namespace ms::test
