#include "shell/LiveExports.h"

#include "kit/SaveFolders.h"
#include "shell/Magnification.h"
#include "shell/StillRoad.h"

#include "capture/CaptureWnd.h"
#include "capture/GrabberCallbacks.h"
#include "measure/Units.h"
#include "media/MeasureExport.h"

#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/Files.h"

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

// The busy state from its start to the end of the command, whichever way it leaves.
class Busy {
public:
    explicit Busy(const std::function<void(bool)>& busy) : m_busy(busy) { m_busy(true); }
    ~Busy() { m_busy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    const std::function<void(bool)>& m_busy;
};

} // namespace

ExportPictureJob LiveExports::Picture() {
    return {CString(ms::ProgramDataDir() + u"/10000.bmp"), [this](const CString&) {
                // Live frames are not kept: the picture is the frame now coming.
                if (g_captureWnd.IsRunning())
                    WaitForFrameCopy();
                // No pointer: the frame is read under its lock, where the callback cannot
                // enlarge (free) the buffer meanwhile.
                return m_stills.Save(nullptr, 0, 1) != 0;
            }};
}

void LiveExports::ToSpreadsheet() {
    const CString path = AskSavePath(u"xls", u"xls Files(*.xls)|*.xls|xlsx Files(*.xlsx)|*.xlsx||");
    if (path.IsEmpty())
        return;
    const Busy busy(m_busy);
    ExportToSpreadsheet(path, CopyLiveShapes(), ShapeSource::Live, Picture(), ShowStop);
}

void LiveExports::ToWord() {
    const CString path = AskSavePath(u"doc", u"Doc Files(*.doc)|*.doc|Docx files(*.docx)|*.docx||");
    if (path.IsEmpty())
        return;
    const Busy busy(m_busy);
    ExportToWord(path, CopyLiveShapes(), Picture(), ShowStop);
}

void LiveExports::ToDxf() {
    const CString path = AskSavePath(u"DXF", u"dxf Files(*.dxf)|*.dxf|DXF files(*.DXF)|*.DXF||");
    if (path.IsEmpty())
        return;
    const Busy busy(m_busy);
    // The live points are preview coordinates: the capture height over the preview's factor is
    // the height that puts the picture's bottom row at Y = 0.
    const double scaleY = g_liveView.Snapshot().imageScaleY;
    DxfSpace space;
    space.height = double(g_captureHeight) / (scaleY > 0.0 ? scaleY : 1.0);
    space.unitScale = UnitScale();
    space.magnification = m_zoom.Rate();
    const DxfResult result =
        ExportToDxf(m_dxf, WithDxfExtension(path), CopyLiveShapes(), ShapeSource::Live, space);
    if (result != DxfResult::Saved)
        m_window.MessageBox(DxfResultText(result), u"Error", MB_OK | MB_ICONSTOP);
}
