// The printer service over Qt PrintSupport: the provider of PrintDlg's default printer and the
// device behind its DC, which keeps a document's pages until EndDoc and then paints them onto
// a QPrinter.
#include "platform/services/PrinterService.h"

#include "platform/win/core/WString.h"
#include "platform/win/dialogs/CommDlg.h"
#include "platform/win/gdi/Printing.h"
#include "platform/win/window/Application.h"
#include "platform/win/window/TestSeams.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <memory>
#include <mutex>

namespace ms {

namespace {

// Above this a page's picture grows large (an A4 page at 300 dpi is about 35 MB) for nothing a
// picture print shows.
constexpr int kMaxDpi = 300;

enum class Mode { System, Pdf, None };

struct State {
    std::mutex m;
    bool installed = false; // by the program, so a reset goes back to the system's printers
    Mode mode = Mode::System;
    std::u16string pdfPath;
    int pdfDpi = 150;
    std::vector<test::PrintedDocument> printed;
};

State& S() {
    static State s;
    return s;
}

QString Q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

std::u16string U(const QString& s) {
    return s.toStdU16String();
}

// Where a job goes: a printer of the system by name, or a PDF file.
struct Target {
    std::u16string printerName; // for the record: the system printer's name or "PDF"
    bool pdf = false;
    std::u16string pdfPath;
    int dpi = kMaxDpi;
};

// Sets a printer up for the target; `output` (a file) overrides where the job goes.
void Configure(QPrinter& printer, const Target& target, const std::u16string& output) {
    if (target.pdf || !output.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Q(output.empty() ? target.pdfPath : output));
    } else {
        printer.setPrinterName(Q(target.printerName));
    }
    if (target.pdf)
        printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(false);
    printer.setResolution(target.dpi);
}

// The printable area of a printer set up for the target, in its device pixels.
PrinterPage PageOf(const Target& target) {
    QPrinter printer(QPrinter::HighResolution);
    Configure(printer, target, {});
    const int dpi = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QRect paint = layout.paintRectPixels(dpi);
    const QRect full = layout.fullRectPixels(dpi);
    PrinterPage page;
    page.width = paint.width();
    page.height = paint.height();
    page.dpiX = page.dpiY = dpi;
    page.paperWidth = full.width();
    page.paperHeight = full.height();
    page.offsetX = paint.left() - full.left();
    page.offsetY = paint.top() - full.top();
    return page;
}

class QtPrintDevice : public PrintDevice {
public:
    explicit QtPrintDevice(Target target) : target_(std::move(target)) {}

    bool BeginDocument(const std::u16string& name, const std::u16string& output) override {
        name_ = name;
        output_ = output;
        pages_.clear();
        return true;
    }

    bool AddPage(const QImage& page) override {
        pages_.push_back(page);
        return true;
    }

    bool EndDocument() override {
        std::vector<QImage> pages = std::move(pages_);
        pages_.clear();
        QPrinter printer(QPrinter::HighResolution);
        Configure(printer, target_, output_);
        printer.setDocName(Q(name_));
        bool ok = !pages.empty();
        if (ok) {
            QPainter painter;
            ok = painter.begin(&printer);
            for (size_t i = 0; ok && i < pages.size(); ++i) {
                if (i > 0)
                    ok = printer.newPage();
                if (ok)
                    painter.drawImage(QPoint(0, 0), pages[i]);
            }
            if (painter.isActive())
                ok = painter.end() && ok;
        }
        test::PrintedDocument record;
        record.printer = target_.printerName;
        record.name = name_;
        if (target_.pdf || !output_.empty())
            record.output = output_.empty() ? target_.pdfPath : output_;
        record.pages = static_cast<int>(pages.size());
        record.ok = ok;
        std::lock_guard lock(S().m);
        S().printed.push_back(std::move(record));
        return ok;
    }

    void AbortDocument() override { pages_.clear(); }

private:
    Target target_;
    std::u16string name_, output_;
    std::vector<QImage> pages_;
};

// The default printer of the moment, or false.
bool CurrentTarget(Target& target) {
    Mode mode;
    {
        std::lock_guard lock(S().m);
        mode = S().mode;
        target.pdfPath = S().pdfPath;
        target.dpi = S().pdfDpi;
    }
    switch (mode) {
    case Mode::None:
        return false;
    case Mode::Pdf:
        target.pdf = true;
        target.printerName = u"PDF";
        return true;
    case Mode::System:
        break;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        return false;
    target.printerName = U(info.printerName());
    QPrinter probe(info, QPrinter::HighResolution);
    target.dpi = std::clamp(probe.resolution(), 72, kMaxDpi);
    return true;
}

bool ProvidePrinter(std::u16string& name, HDC* dc) {
    EnsureApplication();
    Target target;
    if (!CurrentTarget(target))
        return false;
    name = target.printerName;
    if (!dc)
        return true;
    const PrinterPage page = PageOf(target);
    *dc = CreatePrinterDC(page, std::make_shared<QtPrintDevice>(target));
    return *dc != nullptr;
}

void Install(Mode mode) {
    static std::once_flag once;
    std::call_once(once, [] {
        test::AddSeamReset([] {
            bool installed;
            {
                std::lock_guard lock(S().m);
                S().mode = Mode::System;
                S().printed.clear();
                installed = S().installed;
            }
            if (!installed)
                SetPrinterProvider(nullptr);
        });
    });
    {
        std::lock_guard lock(S().m);
        S().mode = mode;
    }
    SetPrinterProvider(ProvidePrinter);
}

} // namespace

void InstallPrinterService() {
    {
        std::lock_guard lock(S().m);
        S().installed = true;
    }
    Install(Mode::System);
}

} // namespace ms

namespace ms::test {

void PrintToPdf(const std::u16string& path, int dpi) {
    {
        std::lock_guard lock(S().m);
        S().pdfPath = path;
        S().pdfDpi = std::clamp(dpi, 36, kMaxDpi);
    }
    Install(Mode::Pdf);
}

void PrintWithoutPrinter() {
    Install(Mode::None);
}

const std::vector<PrintedDocument>& PrintedDocuments() {
    return S().printed;
}

} // namespace ms::test
