// Print jobs: a printer DC draws into a page-sized surface; the job's state decides which call
// may come next, and each finished page goes to the printer device.
#include "platform/win/gdi/Printing.h"

#include "gdi/GdiPriv.h"

#include <atomic>
#include <cmath>
#include <mutex>

namespace ms::gdi {

struct PrintJob {
    enum class State { Idle, Document, Page };

    PrinterPage page;
    std::shared_ptr<PrintDevice> device;
    std::mutex m; // state and the device's calls
    State state = State::Idle;

    ~PrintJob() {
        // The DC went during a document: whatever was drawn is dropped, never half printed.
        if (state != State::Idle)
            device->AbortDocument();
    }
};

int PrinterDeviceCaps(const PrintJob& job, int index) {
    const PrinterPage& p = job.page;
    auto millimetres = [](int pixels, int dpi) {
        return dpi > 0 ? static_cast<int>(std::lround(pixels * 25.4 / dpi)) : 0;
    };
    switch (index) {
    case HORZRES:
        return p.width;
    case VERTRES:
        return p.height;
    case LOGPIXELSX:
        return p.dpiX;
    case LOGPIXELSY:
        return p.dpiY;
    case HORZSIZE:
        return millimetres(p.width, p.dpiX);
    case VERTSIZE:
        return millimetres(p.height, p.dpiY);
    case PHYSICALWIDTH:
        return p.paperWidth > 0 ? p.paperWidth : p.width;
    case PHYSICALHEIGHT:
        return p.paperHeight > 0 ? p.paperHeight : p.height;
    case PHYSICALOFFSETX:
        return p.offsetX;
    case PHYSICALOFFSETY:
        return p.offsetY;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    default:
        return 0;
    }
}

} // namespace ms::gdi

using namespace ms::gdi;

namespace {

// The DC and its job, when `hdc` is a printer's DC. The call is recorded on a recording DC.
std::shared_ptr<Dc> PrinterDc(HDC hdc, const char* name) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!dc || !dc->printer)
        return nullptr;
    Record(dc.get(), name, {});
    return dc;
}

std::atomic<int> g_nextJob{1};

// Runs `step` on the job of printer DC `hdc` under the job's lock, when the job is in one of
// the states `ready` allows; SP_ERROR otherwise (not a printer's DC, or out of order).
template <class Ready, class Step> int InJob(HDC hdc, const char* name, Ready ready, Step step) {
    auto dc = PrinterDc(hdc, name);
    if (!dc)
        return SP_ERROR;
    PrintJob& job = *dc->printer;
    std::lock_guard lock(job.m);
    if (!ready(job.state))
        return SP_ERROR;
    return step(*dc, job);
}

auto In(PrintJob::State want) {
    return [want](PrintJob::State s) { return s == want; };
}

} // namespace

int StartDoc(HDC hdc, const DOCINFO* info) {
    if (!info) {
        PrinterDc(hdc, "StartDoc");
        return SP_ERROR;
    }
    return InJob(hdc, "StartDoc", In(PrintJob::State::Idle), [&](Dc&, PrintJob& job) {
        const std::u16string name = info->lpszDocName ? info->lpszDocName : u"";
        const std::u16string output = info->lpszOutput ? info->lpszOutput : u"";
        if (!job.device->BeginDocument(name, output))
            return SP_ERROR;
        job.state = PrintJob::State::Document;
        return g_nextJob.fetch_add(1);
    });
}

int StartPage(HDC hdc) {
    return InJob(hdc, "StartPage", In(PrintJob::State::Document), [](Dc& dc, PrintJob& job) {
        {
            std::lock_guard pixels(dc.surface->Mutex());
            dc.surface->Image().fill(0xFFFFFFFFu);
        }
        job.state = PrintJob::State::Page;
        return 1;
    });
}

int EndPage(HDC hdc) {
    return InJob(hdc, "EndPage", In(PrintJob::State::Page), [](Dc& dc, PrintJob& job) {
        QImage page;
        {
            std::lock_guard pixels(dc.surface->Mutex());
            page = dc.surface->Image(); // shared until the next page is drawn
        }
        job.state = PrintJob::State::Document;
        return job.device->AddPage(page) ? 1 : SP_ERROR;
    });
}

int EndDoc(HDC hdc) {
    return InJob(hdc, "EndDoc", In(PrintJob::State::Document), [](Dc&, PrintJob& job) {
        job.state = PrintJob::State::Idle;
        return job.device->EndDocument() ? 1 : SP_ERROR;
    });
}

int AbortDoc(HDC hdc) {
    const auto started = [](PrintJob::State s) { return s != PrintJob::State::Idle; };
    return InJob(hdc, "AbortDoc", started, [](Dc&, PrintJob& job) {
        job.state = PrintJob::State::Idle;
        job.device->AbortDocument();
        return 1;
    });
}

namespace ms {

HDC CreatePrinterDC(const PrinterPage& page, std::shared_ptr<PrintDevice> device) {
    if (!device || page.width <= 0 || page.height <= 0)
        return nullptr;
    auto surface = std::make_shared<Surface>(page.width, page.height);
    {
        std::lock_guard pixels(surface->Mutex());
        surface->Image().fill(0xFFFFFFFFu);
    }
    HDC hdc = NewDc(false, false, std::move(surface));
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    auto job = std::make_shared<PrintJob>();
    job->page = page;
    job->device = std::move(device);
    dc->printer = std::move(job);
    return hdc;
}

} // namespace ms
