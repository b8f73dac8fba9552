// The main window's exports of the finished live measurements: a spreadsheet with the picture
// of the live view at A1, a word-processor report with that picture, and a DXF drawing. The
// exports work on a copy of the live shapes taken under the live lists' lock, so the capture
// thread keeps drawing while a file is written; the busy state ends on every way out.
#include "shell/MicroscopeDlg.h"
#include "kit/SaveFolders.h"

#include "capture/CaptureWnd.h"
#include "capture/GrabberCallbacks.h"
#include "measure/Units.h"
#include "media/MeasureExport.h"

#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/Files.h"

#include <mutex>
#include <utility>

namespace {

void ShowStop(const CString& text) {
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

// The path the operator chose in a save dialog; empty when the dialog was cancelled.
CString AskSavePath(LPCWSTR defaultExt, LPCWSTR filter) {
    CFileDialog dialog(FALSE, defaultExt, u"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter);
    return dialog.DoModal() == IDOK ? dialog.GetPathName() : CString();
}

// Runs `end` when the command leaves its scope, whichever way it leaves.
template <class F> class AtExit {
public:
    explicit AtExit(F end) : end_(std::move(end)) {}
    ~AtExit() { end_(); }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    F end_;
};

} // namespace

void CMicroscopeDlg::BeginExportBusy() {
    if (m_waitCursor)
        ::SetCursor(m_waitCursor);
    m_cursorMode = 1;
    PostMessage(WM_SETCURSOR, 0, 0);
}

void CMicroscopeDlg::EndExportBusy() {
    m_cursorMode = 0;
    PostMessage(WM_SETCURSOR, 0, 0);
}

bool CMicroscopeDlg::RenderExportPicture(const CString&) {
    // Live frames are not kept: the picture is the frame now coming.
    if (g_captureWnd.IsRunning())
        WaitForFrameCopy();
    double sampleTime;
    BYTE* bits;
    DWORD bytes;
    {
        std::lock_guard lock(g_frameLock);
        sampleTime = g_frameSampleTime;
        bits = g_frameBuffer;
        bytes = g_frameInfo.biSizeImage;
    }
    return SaveSnapshot(sampleTime, bits, bytes, 1) != 0;
}

ExportPictureJob CMicroscopeDlg::ExportPicture() {
    return {CString(ms::ProgramDataDir() + u"/10000.bmp"),
            [this](const CString& p) { return RenderExportPicture(p); }};
}

void CMicroscopeDlg::OnExportExcel() {
    const CString path = AskSavePath(u"xls", u"xls Files(*.xls)|*.xls|xlsx Files(*.xlsx)|*.xlsx||");
    if (path.IsEmpty())
        return;
    BeginExportBusy();
    const AtExit busy([this] { EndExportBusy(); });
    ExportToSpreadsheet(path, CopyLiveShapes(), ShapeSource::Live, ExportPicture(), ShowStop);
}

void CMicroscopeDlg::OnExportWord() {
    const CString path = AskSavePath(u"doc", u"Doc Files(*.doc)|*.doc|Docx files(*.docx)|*.docx||");
    if (path.IsEmpty())
        return;
    BeginExportBusy();
    const AtExit busy([this] { EndExportBusy(); });
    ExportToWord(path, CopyLiveShapes(), ExportPicture(), ShowStop);
}

void CMicroscopeDlg::OnExportDxf() {
    const CString path = AskSavePath(u"DXF", u"dxf Files(*.dxf)|*.dxf|DXF files(*.DXF)|*.DXF||");
    if (path.IsEmpty())
        return;
    BeginExportBusy();
    const AtExit busy([this] { EndExportBusy(); });
    // The live points are preview coordinates: the capture height over the preview's factor is
    // the height that puts the picture's bottom row at Y = 0.
    const double scaleY = g_liveView.Snapshot().imageScaleY;
    DxfSpace space;
    space.height = double(g_captureHeight) / (scaleY > 0.0 ? scaleY : 1.0);
    space.unitScale = UnitScale();
    space.magnification = m_zoomRate;
    const DxfResult result =
        ExportToDxf(m_dxf, WithDxfExtension(path), CopyLiveShapes(), ShapeSource::Live, space);
    if (result != DxfResult::Saved)
        MessageBox(DxfResultText(result), u"Error", MB_OK | MB_ICONSTOP);
}
