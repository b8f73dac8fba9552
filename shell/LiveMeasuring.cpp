#include "shell/LiveMeasuring.h"

#include "kit/ProgramPaths.h"
#include "shell/Magnification.h"
#include "shell/StillRoad.h"

#include "capture/CaptureWnd.h"
#include "capture/LiveViewState.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/PenSettingDlg.h"
#include "measure/TextDlg.h"
#include "measure/Units.h"

#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <atomic>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

// The magnifier's level, 1 to 6; the zoom field's clicks change it.
extern int g_zoomLevel;

namespace {

constexpr int kPreviewLeft = 98;
constexpr int kPreviewTop = 49;
// The preview's size in preview pixels (its place is read from the window itself).
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;

// The toggle tools of the measurement bar, in the order their buttons are released.
struct ToggleTool {
    int button;
    ShapeKind tool;
};
constexpr ToggleTool kToggleTools[] = {
    {IDC_BTN_LINE, LIVE_LINE},
    {IDC_BTN_DOT_LINE, LIVE_DOT_LINE},
    {IDC_BTN_PARALLEL_LINE, LIVE_PARALLEL_LINE},
    {IDC_BTN_CONTINUAL_LINE, LIVE_CONTINUAL_LINE},
    {IDC_BTN_RECTANGLE, LIVE_RECTANGLE},
    {IDC_BTN_POLYGON, LIVE_POLYGON},
    {IDC_BTN_ELLIPSE, LIVE_ELLIPSE},
    {IDC_BTN_RADIUS_CIRCLE, LIVE_RADIUS_CIRCLE},
    {IDC_BTN_DIAMETER_CIRCLE, LIVE_DIAMETER_CIRCLE},
    {IDC_BTN_THREE_POINT_CIRCLE, LIVE_THREE_POINT_CIRCLE},
    {IDC_BTN_ANGLE, LIVE_ANGLE},
    {IDC_BTN_FOUR_POINT_ANGLE, LIVE_FOUR_POINT_ANGLE},
    {IDC_BTN_TWO_CIRCLES, LIVE_TWO_CIRCLES},
    {IDC_BTN_ARC, LIVE_ARC},
};

// The other tools of the bar: whether they need a magnification, a frozen still and an empty
// draft.
struct OtherTool {
    int button;
    ShapeKind tool;
    bool checkZoom, freeze, emptyDraft;
};
constexpr OtherTool kOtherTools[] = {
    {IDC_BTN_CIRCLE_LABEL, LIVE_CIRCLE_LABEL, false, false, false},
    {IDC_BTN_SQUARE_LABEL, LIVE_SQUARE_LABEL, false, false, false},
    {IDC_BTN_RULER, LIVE_RULER, true, false, false},
    {IDC_BTN_AUTO_CIRCLE, LIVE_AUTO_CIRCLE, true, true, true},
    {IDC_BTN_AUTO_LINE, LIVE_AUTO_LINE, true, true, true},
    {IDC_BTN_AUTO_ARC, LIVE_AUTO_ARC, true, true, true},
    {IDC_BTN_AUTO_DISTANCE, LIVE_AUTO_DISTANCE, true, true, true},
    {IDC_BTN_AUTO_ANGLE, LIVE_AUTO_ANGLE, false, true, true},
};

bool InPreviewPicture(POINT p) {
    return p.x >= 1 && p.x <= 640 && p.y >= 1 && p.y <= 480;
}

void ResetLabelCounters() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
}

// A calibration distance (unit scale x 10 x pixels) under a magnification; 0 without one.
CString LengthAt(double V, double m) {
    return MeasureLabel(LabelKind::Length, m > 0 ? V / m : 0.0);
}

// The edges of the frozen still, whichever is held when asked; none without one.
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

// Draws each outline inverted into the window: drawing one a second time erases it.
void InvertOutlines(HWND window, COLORREF color,
                    std::initializer_list<const std::vector<POINT>*> outlines) {
    HDC dc = window ? ::GetDC(window) : nullptr;
    if (!dc)
        return;
    const int oldRop = SetROP2(dc, R2_NOTXORPEN);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const std::vector<POINT>* outline : outlines)
        if (outline->size() > 1)
            Polyline(dc, outline->data(), static_cast<int>(outline->size()));
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetROP2(dc, oldRop);
    ::ReleaseDC(window, dc);
}

void SetGuideCursor() {
    if (HCURSOR cursor = ::LoadCursor(g_hInstance, MAKEINTRESOURCE(IDC_GUIDE_CURSOR)))
        ::SetCursor(cursor);
}

} // namespace

LiveMeasuring::LiveMeasuring(CWnd& window, Magnification& zoom, StillState& stills, ButtonOf button,
                             std::function<bool()> connected)
    : m_window(window), m_zoom(zoom), m_stills(stills), m_button(std::move(button)),
      m_connected(std::move(connected)) {}

std::unique_ptr<CDibImage>& LiveMeasuring::FrozenImage() {
    return m_stills.frozen;
}

// ---- The bar's buttons ----

bool LiveMeasuring::OnButton(int id) {
    for (const ToggleTool& t : kToggleTools)
        if (t.button == id) {
            ChooseToggleTool(t.button, t.tool);
            return true;
        }
    for (const OtherTool& t : kOtherTools)
        if (t.button == id) {
            ChooseOtherTool(t.tool, t.checkZoom, t.freeze, t.emptyDraft);
            return true;
        }
    static constexpr struct {
        int button;
        void (LiveMeasuring::*run)();
    } kCommands[] = {
        {IDC_BTN_TEXT, &LiveMeasuring::OnText},
        {IDC_BTN_COORDINATE_ANGLE, &LiveMeasuring::OnCoordinateAngle},
        {IDC_BTN_TOLERANCE_CIRCLE, &LiveMeasuring::OnToleranceCircle},
        {IDC_BTN_UNDO, &LiveMeasuring::OnUndo},
        {IDC_BTN_REDO, &LiveMeasuring::OnRedo},
        {IDC_BTN_DELETE_ALL_SHAPES, &LiveMeasuring::OnDeleteAll},
        {IDC_BTN_CALIBRATE, &LiveMeasuring::OnCalibrate},
        {IDC_BTN_MEASURE_SETTING, &LiveMeasuring::OnMeasureSetting},
    };
    for (const auto& c : kCommands)
        if (c.button == id) {
            (this->*c.run)();
            return true;
        }
    return false;
}

// ---- State ----

void LiveMeasuring::ResetToolButtons() {
    for (const ToggleTool& t : kToggleTools) {
        CToggleBitmapButton* button = m_button(t.button);
        if (button && button->IsPressed())
            button->ClearPressed();
    }
    m_session.Choose(SHAPE_NONE);
}

void LiveMeasuring::ResetDrawingState() {
    m_session.Reset();
    m_live.m_calibrationLabel = 0;
    EraseRubberBand();
    // A shape in progress held the mouse and confined the cursor; a dropped shape must not.
    ReleaseMouse();
}

void LiveMeasuring::RequestFreeze() {
    // Without a device no frame would serve the request, and the first still after a
    // reconnection would be taken for it instead of being saved.
    if (!m_connected())
        return;
    // The source before the request: the frame callback reads it once it sees the request.
    m_stills.freezeRequest = 1;
    g_snapshotSource = 0;
    g_snapshotPending = 0;
    g_snapshotRequest = 1;
}

void LiveMeasuring::DeleteAllShapes() {
    DeleteAllLiveShapes();
    m_live.m_liveText.Empty();
    m_stills.frozen.reset();
}

void LiveMeasuring::Release() {
    DeleteAllShapes();
    m_magnifier.Free();
}

void LiveMeasuring::SetDraft(int tool, bool withTextColor) {
    LiveListsLock lock;
    CDraftShape& draft = lock.Draft();
    draft.m_penWidth = g_lineWidth;
    draft.m_penStyle = g_lineType;
    draft.m_kind = tool;
    draft.m_lineColor = m_live.m_liveLineColor;
    if (withTextColor)
        draft.m_textColor = m_live.m_liveLabelColor;
}

void LiveMeasuring::UpdateImageScale() {
    const double scale = ImageScaleForCaptureSize(g_captureWidth, g_captureHeight);
    m_live.m_xScale = scale;
    m_live.m_yScale = scale;
}

// ---- Tool commands ----

void LiveMeasuring::ChooseToggleTool(int button, ShapeKind tool) {
    ResetDrawingState();
    if (!m_zoom.Read(m_live.m_scaleFromEdit != 0)) {
        // No tool is chosen, so no button may look chosen either.
        ResetToolButtons();
        ResetLabelCounters();
        return;
    }
    CToggleBitmapButton* own = m_button(button);
    if (own && own->IsPressed()) {
        ResetToolButtons();
        {
            LiveListsLock lock;
            lock.Draft().m_kind = 0;
        }
        ResetLabelCounters();
        return;
    }
    ResetToolButtons();
    if (own)
        own->SetPressed();
    m_session.Choose(tool);
    SetDraft(tool);
    RequestFreeze();
    if (tool == LIVE_FOUR_POINT_ANGLE || tool == LIVE_ARC)
        EmptyLiveDraft();
    ResetLabelCounters();
}

void LiveMeasuring::ChooseOtherTool(ShapeKind tool, bool checkZoom, bool freeze, bool emptyDraft) {
    ResetDrawingState();
    ResetToolButtons();
    if (checkZoom && !m_zoom.Read(m_live.m_scaleFromEdit != 0)) {
        if (tool != LIVE_AUTO_DISTANCE)
            ResetLabelCounters();
        return;
    }
    if (tool == LIVE_AUTO_DISTANCE)
        m_live.m_calibrationMode = 0;
    m_session.Choose(tool);
    SetDraft(tool, tool != LIVE_RULER);
    if (freeze)
        RequestFreeze();
    if (emptyDraft)
        EmptyLiveDraft();
    // A label tool keeps its own count going; the automatic measurements keep both.
    if (tool == LIVE_CIRCLE_LABEL)
        g_squareLabelCount = 0;
    else if (tool == LIVE_SQUARE_LABEL)
        g_circleLabelCount = 0;
    else if (tool != LIVE_AUTO_DISTANCE && tool != LIVE_AUTO_ANGLE)
        ResetLabelCounters();
    // A new ruler replaces the guides' dragging until its own guide is made.
    if (tool == LIVE_RULER)
        m_live.m_guidePresent = 0;
}

// ---- Text and guides ----

void LiveMeasuring::OnText() {
    ResetDrawingState();
    ResetToolButtons();
    if (!ReadTextFont())
        g_textFont = DefaultLabelFont();
    m_session.Choose(LIVE_TEXT);
    {
        LiveListsLock lock;
        lock.Draft().m_kind = LIVE_TEXT;
    }
    CTextDlg dlg(&m_window);
    if (dlg.DoModal() == IDOK) {
        m_live.m_liveTextColor = dlg.m_color;
        m_live.m_liveTextFont = g_textFont;
        AddLiveText(dlg.m_text);
    }
    ResetLabelCounters();
}

void LiveMeasuring::AddLiveText(CString text) {
    m_live.m_liveText = text;
    if (!TextGiven(text))
        return;
    auto record = std::make_unique<CMeasureRecord>();
    record->m_kind = LIVE_TEXT;
    record->m_labels.push_back(text);
    record->m_textColor = m_live.m_liveTextColor;
    record->m_textFont = m_live.m_liveTextFont;
    record->m_points.push_back(m_live.m_cursorPt);
    FinishLiveShape(std::move(record));
}

void LiveMeasuring::OnCoordinateAngle() {
    ResetDrawingState();
    ResetToolButtons();
    m_window.EnableWindow(FALSE);
    CCoordinateDlg dlg(&m_window);
    if (dlg.DoModal() == IDOK) {
        m_session.Choose(LIVE_COORDINATE_ANGLE);
        const LivePen pen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor};
        AddLiveGuide(MakeCoordinateAngleGuide(dlg.m_x, dlg.m_y, pen));
        m_live.m_guidePresent = 1;
    }
    m_window.EnableWindow(TRUE);
    ResetLabelCounters();
}

void LiveMeasuring::OnToleranceCircle() {
    ResetDrawingState();
    ResetToolButtons();
    if (!m_zoom.Read(m_live.m_scaleFromEdit != 0)) {
        ResetLabelCounters();
        return;
    }
    const double unitScale = UnitScale();
    m_window.EnableWindow(FALSE);
    CCircleToleranceDlg dlg(&m_window);
    if (dlg.DoModal() == IDOK) {
        m_session.Choose(LIVE_TOLERANCE_CIRCLE);
        const LivePen pen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor};
        if (AddLiveGuide(MakeToleranceGuide(dlg.m_radius, dlg.m_plusTolerance, dlg.m_minusTolerance,
                                            unitScale, m_zoom.Rate(), pen)) >= 0)
            m_live.m_guidePresent = 1;
    }
    m_window.EnableWindow(TRUE);
    ResetLabelCounters();
}

// ---- Undo, redo, delete all ----

void LiveMeasuring::OnUndo() {
    ResetDrawingState();
    ResetToolButtons();
    // The newest record changes: a text placed before must not start following the mouse.
    if (UndoLiveShape())
        m_live.m_liveText.Empty();
    ResetLabelCounters();
}

void LiveMeasuring::OnRedo() {
    ResetDrawingState();
    ResetToolButtons();
    if (RedoLiveShape())
        m_live.m_liveText.Empty();
    ResetLabelCounters();
}

void LiveMeasuring::OnDeleteAll() {
    ResetDrawingState();
    ResetToolButtons();
    DeleteAllShapes();
    ResetLabelCounters();
}

// ---- Calibration and settings ----

void LiveMeasuring::StartCalibration(int button, ShapeKind tool, bool resetCounters) {
    ResetToolButtons();
    // A calibration measures against the typed, nominal magnification.
    m_live.m_scaleFromEdit = 1;
    const int haveZoom = m_zoom.Read(true);
    m_live.m_scaleFromEdit = 0;
    if (!haveZoom) {
        if (resetCounters)
            ResetLabelCounters();
        return;
    }
    if (CToggleBitmapButton* b = button ? m_button(button) : nullptr)
        b->SetPressed();
    m_live.m_calibrationMode = 1;
    m_session.Choose(tool);
    SetDraft(tool);
    RequestFreeze();
    EmptyLiveDraft();
    if (resetCounters)
        ResetLabelCounters();
}

void LiveMeasuring::OnCalibrate() {
    ResetDrawingState();
    StartCalibration(IDC_BTN_PARALLEL_LINE, LIVE_PARALLEL_LINE, true);
}

void LiveMeasuring::LineCalibration() {
    StartCalibration(IDC_BTN_PARALLEL_LINE, LIVE_PARALLEL_LINE, false);
}

void LiveMeasuring::AutoCalibration() {
    StartCalibration(0, LIVE_AUTO_DISTANCE, false);
}

void LiveMeasuring::OnMeasureSetting() {
    ResetDrawingState();
    ResetToolButtons();
    PenSettingCaller caller{m_live.m_liveLineColor, m_live.m_liveLabelColor,
                            m_live.m_liveLabelFont};
    if (RunPenSettingDialog(&m_window, caller) == IDOK) {
        m_live.m_liveLineColor = caller.lineColor;
        m_live.m_liveLabelColor = caller.labelColor;
        m_live.m_liveLabelFont = caller.labelFont;
    }
    ResetLabelCounters();
}

void LiveMeasuring::Cancel() {
    ResetDrawingState(); // also frees the mouse the shape held
    EmptyLiveDraft();
    ResetToolButtons();
    m_session.Choose(SHAPE_NONE);
    // A calibration in progress ends with its shape; the next parallel line only measures.
    m_live.m_calibrationMode = 0;
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    m_window.Invalidate(FALSE);
}

// ---- The mouse held by a shape in progress ----

void LiveMeasuring::HoldMouse() {
    const HWND hwnd = m_window.m_hWnd;
    ::SetCapture(hwnd);
    RECT client{};
    ::GetClientRect(Control(IDC_PREVIEW), &client);
    POINT corners[2] = {{client.left + kPreviewLeft, client.top + kPreviewTop},
                        {client.right + kPreviewLeft, client.bottom + kPreviewTop}};
    ::ClientToScreen(hwnd, &corners[0]);
    ::ClientToScreen(hwnd, &corners[1]);
    const RECT confined{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    ::ClipCursor(&confined);
    m_live.m_mouseHeld = 1;
}

void LiveMeasuring::ReleaseMouse() {
    const bool captured = m_window.m_hWnd && ::GetCapture() == m_window.m_hWnd;
    if (captured)
        ::ReleaseCapture();
    if (captured || m_live.m_mouseHeld) {
        ::ClipCursor(nullptr);
        m_live.m_mouseHeld = 0;
    }
}

void LiveMeasuring::DropShapeInProgress(bool keepTool) {
    const ShapeKind tool = m_session.Tool();
    ResetDrawingState();
    EmptyLiveDraft();
    if (keepTool)
        m_session.Choose(tool);
}

void LiveMeasuring::ShapeCompleted() {
    EraseRubberBand();
    ReleaseMouse();
    // The line of a calibration placed its label: the calibration is over, and so is its tool.
    if (m_live.m_calibrationLabel) {
        m_live.m_calibrationLabel = 0;
        ResetToolButtons();
    }
}

MeasureContext LiveMeasuring::LiveContext() const {
    MeasureContext x;
    x.unitScale = UnitScale();
    x.magnification = m_zoom.Rate();
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
    if (m_stills.frozen && m_stills.frozen->IsValid()) {
        x.frameWidth = static_cast<int>(m_stills.frozen->GetWidth());
        x.frameHeight = static_cast<int>(m_stills.frozen->GetHeight());
    }
    x.calibrating = m_live.m_calibrationMode == 1;
    if (!m_stillEdges)
        m_stillEdges = std::make_unique<StillEdges>(m_stills.frozen);
    x.edges = m_stillEdges.get();
    x.pen = MeasurePen{g_lineWidth,
                       g_lineType,
                       m_live.m_liveLineColor,
                       m_live.m_liveLabelColor,
                       m_live.m_liveLabelFont,
                       FontSizeFromHeight()};
    return x;
}

// ---- Presses ----

bool LiveMeasuring::InPicture(CPoint windowPoint) {
    return InPreviewPicture(POINT{windowPoint.x - kPreviewLeft, windowPoint.y - kPreviewTop});
}

bool LiveMeasuring::LeftPress(CPoint point) {
    const POINT p{point.x - kPreviewLeft, point.y - kPreviewTop};
    if (!InPreviewPicture(p))
        return false;
    UpdateImageScale();
    if (m_live.m_guidePresent)
        GrabGuideAt(p);
    if (!m_session.NextIsFirst())
        LaterPress(p);
    else if (!FirstPress(p, point))
        return false;
    return true;
}

void LiveMeasuring::GrabGuideAt(POINT p) {
    int hit = -1;
    {
        LiveListsLock lock;
        for (int i = 0; i < lock.Polylines().GetSize(); ++i)
            if (GrabGuide(*lock.Polylines().GetAt(i), p, m_live))
                hit = i;
    }
    if (hit < 0)
        return;
    SetGuideCursor();
    m_live.m_guideIndex = hit;
    m_live.m_guideDragging = 1;
    // The press is the guide's: a shape in progress ends here instead of taking it as its next
    // point, and releases the mouse it held (its tool is given up below).
    if (m_live.m_mouseHeld || m_session.Next() > 0 || m_live.m_calibrationLabel)
        DropShapeInProgress(false);
    ResetToolButtons();
}

bool LiveMeasuring::FirstPress(POINT p, CPoint point) {
    RECT preview{};
    ::GetClientRect(Control(IDC_PREVIEW), &preview);
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
void LiveMeasuring::LaterPress(POINT p) {
    CToggleBitmapButton* lineButton = m_button(IDC_BTN_LINE);
    if (m_session.Shape() == LIVE_LINE && !(lineButton && lineButton->IsPressed()))
        return;
    TakePress(m_session.Press(p, LiveContext()), p);
}

void LiveMeasuring::TakePress(const PressOutcome& outcome, POINT p) {
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

bool LiveMeasuring::DoubleClick(CPoint point) {
    const POINT p{point.x - kPreviewLeft, point.y - kPreviewTop};
    if (!InPreviewPicture(p))
        return false;
    TakePress(m_session.DoubleClick(LiveContext()), p);
    return true;
}

void LiveMeasuring::LeftRelease() {
    m_live.m_guideGrip1 = m_live.m_guideGrip2 = m_live.m_guideGrip3 = 0;
    m_live.m_guideDragging = 0;
}

void LiveMeasuring::FinishAutoShape() {
    TakePress(m_session.FinishFit(LiveContext()), POINT{0, 0});
}

// ---- Calibration and the ruler ----

void LiveMeasuring::CalibrateLiveDistance(double V) {
    const double m = m_zoom.Rate();
    ReleaseMouse(); // the dialog needs the mouse
    m_window.EnableWindow(FALSE);
    CCalibrationDlg dlg(&m_window);
    const bool ok = dlg.DoModal() == IDOK;
    if (ok && g_actualDistance > 0 && m > 0) {
        const double z = V / m / g_actualDistance * g_zoomScale;
        if (std::isfinite(z) && z > 0) {
            g_zoomScale = z;
            g_calibratedZoom = z;
            // The line measures at the new magnification from here on, also before the posted
            // message has shown it (its record keeps that scale).
            m_zoom.SetRate(z);
            m_window.PostMessage(WM_APP_LIVE_CALIBRATED, 0, 0);
        }
    }
    m_live.m_calibrationMode = 0;
    m_window.EnableWindow(TRUE);
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

void LiveMeasuring::RulerDialog(POINT p) {
    const POINT c1 = m_session.Click(0);
    const double S = UnitScale(), m = m_zoom.Rate();
    ReleaseMouse();
    m_window.EnableWindow(FALSE);
    CLengthLineDlg dlg(&m_window);
    const bool ok = dlg.DoModal() == IDOK;
    m_window.EnableWindow(TRUE);
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

// ---- The mouse ----

// The magnifier shows the still around the cursor, wherever the mouse is over the window.
void LiveMeasuring::PaintMagnifier() {
    if (!m_stills.frozen)
        return;
    HWND lens = Control(IDC_ZOOM_FIELD);
    if (!lens)
        return;
    RECT client{};
    ::GetClientRect(lens, &client);
    const POINT center{static_cast<LONG>(g_previewCursor.x * m_live.m_xScale + 0.5),
                       static_cast<LONG>(g_previewCursor.y * m_live.m_yScale + 0.5)};
    if (HDC dc = ::GetDC(lens)) {
        ::PaintMagnifier(dc, client, *m_stills.frozen, center, g_zoomLevel, m_magnifier);
        ::ReleaseDC(lens, dc);
    }
}

// The text being placed and a dragged guide follow the mouse; true when either moved.
bool LiveMeasuring::FollowTextAndGuide(POINT p) {
    bool changed = false;
    LiveListsLock lock;
    if (!m_live.m_liveText.IsEmpty()) {
        CMeasureRecord* last = lock.Shapes().GetAt(lock.Shapes().GetSize() - 1);
        if (last && last->m_kind == LIVE_TEXT && !last->m_points.empty()) {
            last->m_points[0] = p;
            changed = true;
        }
    }
    if (DragGuide(m_live, p, lock.Polylines()))
        changed = true;
    return changed;
}

void LiveMeasuring::OnMouseMove(POINT screen) {
    HWND preview = Control(IDC_PREVIEW);
    if (!preview)
        return;
    POINT p = screen;
    ::ScreenToClient(preview, &p);
    const bool inside = p.x > 0 && p.x <= kPreviewWidth && p.y > 0 && p.y <= kPreviewHeight;
    if (inside)
        g_previewCursor = p;
    UpdateImageScale();
    PaintMagnifier();
    if (!inside)
        return;

    const MoveOutcome followed = m_session.Move(p);
    if (followed.cursor)
        m_live.m_cursorPt = p;
    const bool changed = FollowTextAndGuide(p) || followed.changed;
    if (m_live.m_guidePresent && m_live.m_guideDragging)
        SetGuideCursor();
    if (changed)
        DrawRubberBand();
}

// While frames stream, the live painter draws the shape in progress over every frame. Without
// frames nothing repaints the preview, so the UI thread draws the shape's outline into the
// window itself, inverted so that drawing it again erases it. The window's DC holds the
// preview's surface for the drawing, so a frame that starts meanwhile waits for it.
void LiveMeasuring::DrawRubberBand() {
    if (g_captureWnd.IsRunning()) {
        m_rubberDrawn.clear(); // the next frame replaces whatever was drawn
        return;
    }
    std::vector<POINT> outline;
    {
        LiveListsLock lock;
        outline = lock.Draft().m_points;
    }
    if (g_rubberActive.load() && !outline.empty())
        outline.push_back(g_rubberPoint.load());
    InvertOutlines(Control(IDC_PREVIEW), m_live.m_liveLineColor, {&m_rubberDrawn, &outline});
    m_rubberDrawn = std::move(outline);
}

void LiveMeasuring::EraseRubberBand() {
    if (m_window.m_hWnd && !g_captureWnd.IsRunning())
        InvertOutlines(Control(IDC_PREVIEW), m_live.m_liveLineColor, {&m_rubberDrawn});
    m_rubberDrawn.clear();
}

void LiveMeasuring::DrawMagnifier(const DRAWITEMSTRUCT& dis) const {
    const RECT& r = dis.rcItem;
    if (m_magnifier.m_drawDC)
        BitBlt(dis.hDC, 0, 0, r.right, r.bottom, m_magnifier.m_drawDC, 0, 0, SRCCOPY);
    else
        FillRect(dis.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
