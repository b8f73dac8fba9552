// The canvas's exports: its shapes as a spreadsheet with the picture of the measured image at
// A1, and as a DXF drawing.
#include "measure/MeasureCanvas.h"

#include "measure/CanvasView.h"
#include "measure/Units.h"
#include "media/MeasureExport.h"

#include "platform/win/core/Files.h"
#include "res/TessaryResource.h"

namespace {

void RestoreToolCursor() {
    ::SetCursor(::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(IDC_PREVIEW_CURSOR)));
}

} // namespace

bool CMeasureCanvas::ExportToSpreadsheet(const CString& path) {
    if (m_waitCursor)
        ::SetCursor(m_waitCursor);
    const ExportPictureJob picture{CString(ms::ProgramDataDir() + u"/10000.bmp"),
                                   [this](const CString& p) { return SaveWithShapes(p) != 0; }};
    const bool done = ::ExportToSpreadsheet(
        path, CopyShapes(m_shapes), ShapeSource::Canvas, picture,
        [](const CString& text) { AfxMessageBox(text, MB_OK | MB_ICONERROR); });
    RestoreToolCursor();
    return done;
}

bool CMeasureCanvas::ExportDxf(const CString& path) {
    const double unitScale = UnitScale();
    if (m_waitCursor)
        ::SetCursor(m_waitCursor);
    // Lengths are measured in the fixed view's pixels: in the full-size view the points are
    // picture pixels and are brought into that space first, so the drawing agrees with the
    // labels in both views, and the fixed view's height puts the picture's bottom row at Y = 0.
    const FixedView view = FixedViewOf(m_imageWidth, m_imageHeight);
    DxfSpace space;
    space.pointFactor = view.scale > 0.0 ? m_scaleX / view.scale : 1.0;
    space.height = m_image ? view.height : m_viewHeight;
    space.unitScale = unitScale;
    space.magnification = m_zoom;
    const DxfResult result =
        ::ExportToDxf(*m_dxf, path, CopyShapes(m_shapes), ShapeSource::Canvas, space);
    if (result != DxfResult::Saved)
        MessageBox(DxfResultText(result), u"Error", MB_OK | MB_ICONERROR);
    RestoreToolCursor();
    return result == DxfResult::Saved;
}
