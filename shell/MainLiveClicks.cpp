// The main window's measuring clicks on the live picture: the left press of every live tool
// (start a shape, add its next point, place its label, complete it into a finished record),
// grabbing a guide, the ruler, the calibration presses, the edge-snapping automatic tools and
// the automatic distance and angle; the double click that ends the continual line and the
// polygon; the right button's end of the automatic fits; the preview's cursor; Cancel.
//
// Points are preview pixels: a press at (x, y) of the window is (x - 98, y - 49) of the 640 x 480
// preview, the space the records, the painter and the calibrations share. Edge detection works
// in frame pixels and converts each way through the capture size's scale.
//
// The tools themselves are the measuring session's (m_session): the handlers here turn the
// mouse into its calls and act on what it answers. Everything here runs on the UI thread; the
// session changes the draft and the lists under their lock, one short lock each time, never
// across a dialog. A shape in progress holds the mouse (capture and
// the cursor confined to the preview) from its first press until its points are all taken: when
// only the place of its labels is left it lets the mouse go, so that a click beside the preview
// reaches the control it is on, and a press on the preview places the label.
#include "shell/MicroscopeDlg.h"

#include "capture/CaptureWnd.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"

#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <cmath>
#include <string>
#include <utility>

namespace {

constexpr int kPreviewLeft = 98;
constexpr int kPreviewTop = 49;
constexpr int kLineButton = 1179;
constexpr int kGuideCursor = 386;

bool InPicture(POINT p) {
    return p.x >= 1 && p.x <= 640 && p.y >= 1 && p.y <= 480;
}

// A calibration distance (unit scale x 10 x pixels) under a magnification; 0 without one.
CString LengthAt(double V, double m) {
    return MeasureLabel(LabelKind::Length, m > 0 ? V / m : 0.0);
}

// The edges of the window's frozen still, whichever it holds when asked; none without one.
class StillEdges : public EdgeFinder {
public:
    explicit StillEdges(const std::unique_ptr<CDibImage>& still) : m_still(still) {}
    bool EdgeNear(POINT at, POINT& edge) override {
        return m_still && m_still->FindEdgePointNear(at.x, at.y, g_captureWidth, g_captureHeight,
                                                     &edge, g_detectRange);
    }
    bool EdgeInSection(POINT from, POINT to, int orientation, POINT& e1, POINT& e2) override {
        return m_still &&
               m_still->DetectLineInSection(from.x, from.y, to.x, to.y, orientation, &e1, &e2);
    }

private:
    const std::unique_ptr<CDibImage>& m_still;
};

} // namespace

// ---- The mouse held by a shape in progress ----

void CMicroscopeDlg::HoldMouse() {
    ::SetCapture(m_hWnd);
    RECT client{};
    ::GetClientRect(::GetDlgItem(m_hWnd, IDC_PREVIEW), &client);
    POINT corners[2] = {{client.left + kPreviewLeft, client.top + kPreviewTop},
                        {client.right + kPreviewLeft, client.bottom + kPreviewTop}};
    ::ClientToScreen(m_hWnd, &corners[0]);
    ::ClientToScreen(m_hWnd, &corners[1]);
    const RECT confined{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    ::ClipCursor(&confined);
    m_live.m_mouseHeld = 1;
}

void CMicroscopeDlg::ReleaseMouse() {
    const bool captured = m_hWnd && ::GetCapture() == m_hWnd;
    if (captured)
        ::ReleaseCapture();
    if (captured || m_live.m_mouseHeld) {
        ::ClipCursor(nullptr);
        m_live.m_mouseHeld = 0;
    }
}

void CMicroscopeDlg::DropShapeInProgress(bool keepTool) {
    const ShapeKind tool = m_session.Tool();
    ResetDrawingState();
    EmptyLiveDraft();
    if (keepTool)
        m_session.Choose(tool);
}

void CMicroscopeDlg::ShapeCompleted() {
    EraseRubberBand();
    ReleaseMouse();
    // The line of a calibration placed its label: the calibration is over, and so is its tool.
    if (m_live.m_calibrationLabel) {
        m_live.m_calibrationLabel = 0;
        ResetToolButtons();
    }
}

MeasureContext CMicroscopeDlg::LiveContext() const {
    MeasureContext x;
    x.unitScale = UnitScale();
    x.magnification = m_zoomRate;
    // g_unitName is a fixed buffer; take at most its length even if it lost its terminator.
    size_t n = 0;
    while (n < 11 && g_unitName[n] != 0)
        ++n;
    x.unit = CString(std::u16string(g_unitName, n).c_str());
    x.decimals = g_decimalPlaces;
    x.xScale = m_live.m_xScale;
    x.yScale = m_live.m_yScale;
    x.frameWidth = g_captureWidth;
    x.frameHeight = g_captureHeight;
    if (m_frozenImage && m_frozenImage->IsValid()) {
        x.frameWidth = static_cast<int>(m_frozenImage->GetWidth());
        x.frameHeight = static_cast<int>(m_frozenImage->GetHeight());
    }
    x.calibrating = m_live.m_calibrationMode == 1;
    if (!m_stillEdges)
        m_stillEdges = std::make_unique<StillEdges>(m_frozenImage);
    x.edges = m_stillEdges.get();
    x.pen = MeasurePen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor,
                       m_live.m_liveLabelFont, FontSizeFromHeight()};
    return x;
}

// ---- The left press ----

void CMicroscopeDlg::OnLButtonDown(UINT flags, CPoint point) {
    const POINT p{point.x - kPreviewLeft, point.y - kPreviewTop};
    if (!InPicture(p))
        return;
    UpdateImageScale();
    if (m_live.m_guidePresent)
        GrabGuideAt(p);
    if (!m_session.NextIsFirst())
        LaterPress(p);
    else if (!FirstPress(p, point))
        return;
    CDialog::OnLButtonDown(flags, point);
}

void CMicroscopeDlg::GrabGuideAt(POINT p) {
    int hit = -1;
    {
        LiveListsLock lock;
        for (int i = 0; i < lock.Polylines().GetSize(); ++i)
            if (GrabGuide(*lock.Polylines().GetAt(i), p, m_live))
                hit = i;
    }
    if (hit < 0)
        return;
    if (HCURSOR cursor = ::LoadCursor(g_hInstance, MAKEINTRESOURCE(kGuideCursor)))
        ::SetCursor(cursor);
    m_live.m_guideIndex = hit;
    m_live.m_guideDragging = 1;
    // The press is the guide's: a shape in progress ends here instead of taking it as its next
    // point, and releases the mouse it held (its tool is given up below).
    if (m_live.m_mouseHeld || m_session.Next() > 0 || m_live.m_calibrationLabel)
        DropShapeInProgress(false);
    ResetToolButtons();
}

bool CMicroscopeDlg::FirstPress(POINT p, CPoint point) {
    RECT preview{};
    ::GetClientRect(::GetDlgItem(m_hWnd, IDC_PREVIEW), &preview);
    // The preview's own rectangle, whose right and bottom edges lie outside it.
    CRect inside(preview);
    inside.OffsetRect(kPreviewLeft, kPreviewTop);
    if (!inside.PtInRect(POINT{point.x, point.y}))
        return false;
    if (m_session.Tool() == LIVE_TEXT) {
        // The text that followed the mouse stays where it is.
        m_live.m_cursorPt = p;
        m_live.m_liveText.Empty();
        m_session.Choose(SHAPE_NONE);
        return true;
    }
    TakePress(m_session.Press(p, LiveContext()), p);
    return true;
}

// A later press goes to the shape in progress; the line's only while its button is pressed.
void CMicroscopeDlg::LaterPress(POINT p) {
    CToggleBitmapButton* lineButton = ToggleButton(kLineButton);
    if (m_session.Shape() == LIVE_LINE && !(lineButton && lineButton->IsPressed()))
        return;
    TakePress(m_session.Press(p, LiveContext()), p);
}

void CMicroscopeDlg::TakePress(const PressOutcome& outcome, POINT p) {
    switch (outcome.result) {
    case PressResult::Started:
        HoldMouse();
        break;
    case PressResult::LabelsOnly:
        ReleaseMouse(); // only the place of the labels is left
        break;
    case PressResult::Calibrate:
        ReleaseMouse();
        CalibrateLiveDistance(outcome.value);
        break;
    case PressResult::Ruler:
        RulerDialog(p);
        break;
    case PressResult::Completed:
        if (outcome.cursor)
            m_live.m_cursorPt = p;
        ShapeCompleted();
        break;
    default:
        break;
    }
}

// ---- Calibration and the ruler ----

void CMicroscopeDlg::CalibrateLiveDistance(double V) {
    const double m = m_zoomRate;
    ReleaseMouse(); // the dialog needs the mouse
    EnableWindow(FALSE);
    CCalibrationDlg dlg(this);
    const bool ok = dlg.DoModal() == IDOK;
    if (ok && g_actualDistance > 0 && m > 0) {
        const double z = V / m / g_actualDistance * g_zoomScale;
        if (std::isfinite(z) && z > 0) {
            g_zoomScale = z;
            g_calibratedZoom = z;
            // The line measures at the new magnification from here on, also before the posted
            // message has shown it (its record keeps that scale).
            m_zoomRate = z;
            PostMessage(WM_APP_LIVE_CALIBRATED, 0, 0);
        }
    }
    m_live.m_calibrationMode = 0;
    EnableWindow(TRUE);
    if (!ok) {
        // A cancelled calibration adds nothing: the line drawn for it goes, and the calibration
        // ends with its tool.
        DropShapeInProgress(false);
        ResetToolButtons();
        return;
    }
    // The shape goes on, labelled with its length under the new magnification; the press that
    // places its label ends the calibration. The mouse stays free meanwhile.
    m_session.SetFirstLabel(LengthAt(V, g_zoomScale));
    m_live.m_calibrationLabel = 1;
}

void CMicroscopeDlg::RulerDialog(POINT p) {
    const POINT c1 = m_session.Click(0);
    const double S = UnitScale(), m = m_zoomRate;
    ReleaseMouse();
    EnableWindow(FALSE);
    CLengthLineDlg dlg(this);
    const bool ok = dlg.DoModal() == IDOK;
    EnableWindow(TRUE);
    EmptyLiveDraft();
    m_session.End();
    // A cancelled ruler adds no guide.
    if (ok) {
        const LivePen pen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor};
        AddLiveGuide(MakeLengthLineGuide(c1, p, PixelsFromLength(g_actualDistance, S, m), pen));
        // The guide's label reads its length at the magnification it was made with.
        g_captureWnd.m_liveZoom = m;
        PublishLiveScale();
    }
    {
        LiveListsLock lock;
        if (!lock.Polylines().IsEmpty())
            m_live.m_guidePresent = 1;
    }
    // The ruler is done after its two presses: no tool, its button released.
    ResetToolButtons();
}

// ---- Automatic tools ----

int CMicroscopeDlg::AutoShapeInProgress() const {
    return m_session.FitInProgress() ? 1 : 0;
}

void CMicroscopeDlg::FinishAutoShape() {
    TakePress(m_session.FinishFit(LiveContext()), POINT{0, 0});
}

// ---- Double click, release, right button, cursor, cancel ----

void CMicroscopeDlg::OnLButtonDblClk(UINT flags, CPoint point) {
    const POINT p{point.x - kPreviewLeft, point.y - kPreviewTop};
    if (!InPicture(p))
        return;
    TakePress(m_session.DoubleClick(LiveContext()), p);
    CDialog::OnLButtonDblClk(flags, point);
}

void CMicroscopeDlg::OnLButtonUp(UINT flags, CPoint point) {
    m_live.m_guideGrip1 = m_live.m_guideGrip2 = m_live.m_guideGrip3 = 0;
    m_live.m_guideDragging = 0;
    CDialog::OnLButtonUp(flags, point);
}

void CMicroscopeDlg::OnRButtonDown(UINT flags, CPoint point) {
    if (InPicture(POINT{point.x - kPreviewLeft, point.y - kPreviewTop}))
        CDialog::OnRButtonDown(flags, point);
}

BOOL CMicroscopeDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (m_cursorMode != 2)
        return CDialog::OnSetCursor(wnd, hitTest, message);
    if (m_previewCursor)
        ::SetCursor(m_previewCursor);
    return TRUE;
}

void CMicroscopeDlg::OnCancelShape() {
    ResetDrawingState(); // also frees the mouse the shape held
    EmptyLiveDraft();
    ResetToolButtons();
    m_session.Choose(SHAPE_NONE);
    // A calibration in progress ends with its shape; the next parallel line only measures.
    m_live.m_calibrationMode = 0;
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    Invalidate(FALSE);
}
