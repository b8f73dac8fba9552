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
// Everything here runs on the UI thread; the draft and the lists change under LiveListsLock, one
// short lock each time, never across a dialog. A shape in progress holds the mouse (capture and
// the cursor confined to the preview) from its first press until its points are all taken: when
// only the place of its labels is left it lets the mouse go, so that a click beside the preview
// reaches the control it is on, and a press on the preview places the label.
#include "shell/MicroscopeDlg.h"

#include "capture/CaptureWnd.h"
#include "measure/Geometry.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"

#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int kPreviewLeft = 98;
constexpr int kPreviewTop = 49;
constexpr int kLineButton = 1179;
constexpr int kGuideCursor = 386;

bool InPicture(POINT p) {
    return p.x >= 1 && p.x <= 640 && p.y >= 1 && p.y <= 480;
}

POINT Middle(POINT a, POINT b) {
    return POINT{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

bool SamePoint(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

LONG Rounded(double v) {
    return static_cast<LONG>(v + 0.5);
}

std::vector<POINT> DraftPoints() {
    LiveListsLock lock;
    return lock.Draft().m_points;
}

void SetDraftShape(std::vector<POINT> points, std::vector<CString> labels) {
    LiveListsLock lock;
    lock.Draft().m_points = std::move(points);
    lock.Draft().m_labels = std::move(labels);
}

// Appends to the draft; the number of its points afterwards.
size_t AppendToDraft(std::initializer_list<POINT> points,
                     std::initializer_list<CString> labels = {}) {
    LiveListsLock lock;
    CDraftShape& d = lock.Draft();
    d.m_points.insert(d.m_points.end(), points);
    d.m_labels.insert(d.m_labels.end(), labels);
    return d.m_points.size();
}

// Moves the draft's point `fromEnd` places before its last one; nothing when it has none.
void MoveDraftPoint(size_t fromEnd, POINT p) {
    LiveListsLock lock;
    std::vector<POINT>& pts = lock.Draft().m_points;
    if (fromEnd < pts.size())
        pts[pts.size() - 1 - fromEnd] = p;
}

CString Length(double pixels, double S, double m) {
    return MeasureLabel(LabelKind::Length, LengthFromPixels(pixels, S, m));
}

// A calibration distance (unit scale x 10 x pixels) under a magnification; 0 without one.
CString LengthAt(double V, double m) {
    return MeasureLabel(LabelKind::Length, m > 0 ? V / m : 0.0);
}

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
    const int tool = m_live.m_liveTool;
    ResetDrawingState();
    EmptyLiveDraft();
    if (keepTool)
        m_live.m_liveTool = tool;
}

std::unique_ptr<CMeasureRecord> CMicroscopeDlg::NewLiveRecord(int kind, bool stepFromFont) const {
    auto r = std::make_unique<CMeasureRecord>();
    r->m_kind = kind;
    r->m_penWidth = g_lineWidth;
    r->m_penStyle = g_lineType;
    r->m_lineColor = m_live.m_liveLineColor;
    r->m_labelColor = m_live.m_liveLabelColor;
    r->m_labelFont = m_live.m_liveLabelFont;
    if (stepFromFont)
        r->m_fontSize = FontSizeFromHeight();
    r->m_unitsPerPixel = UnitsPerPixel(UnitScale(), m_zoomRate);
    return r;
}

void CMicroscopeDlg::CompleteLiveShape(std::unique_ptr<CMeasureRecord> record) {
    EraseRubberBand();
    FinishLiveShape(std::move(record), true);
    ReleaseMouse();
    // The line of a calibration placed its label: the calibration is over, and so is its tool.
    if (m_live.steps.m_calibrationLabel) {
        m_live.steps.m_calibrationLabel = 0;
        ResetToolButtons();
    }
}

POINT CMicroscopeDlg::ToFrame(POINT p) const {
    int w = g_captureWidth, h = g_captureHeight;
    if (m_frozenImage && m_frozenImage->IsValid()) {
        w = static_cast<int>(m_frozenImage->GetWidth());
        h = static_cast<int>(m_frozenImage->GetHeight());
    }
    const auto clamp = [](LONG v, int size) {
        return std::max<LONG>(0, std::min<LONG>(v, size - 1));
    };
    return POINT{clamp(Rounded(p.x * m_live.m_xScale), w),
                 clamp(Rounded(p.y * m_live.m_yScale), h)};
}

POINT CMicroscopeDlg::ToPreview(POINT q) const {
    return POINT{Rounded(q.x / m_live.m_xScale), Rounded(q.y / m_live.m_yScale)};
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
    const LiveToolSteps& s = m_live.steps;
    const bool laterPress = s.m_lineStep1 || s.m_dotLineStep1 || s.m_parallelStep1 ||
                            s.m_continualStep1 || s.m_rectangleStep1 || s.m_polygonStep1 ||
                            s.m_liveArcStep1 || s.m_ellipseStep1 || s.m_radiusCircleStep1 ||
                            s.m_diameterCircleStep1 || s.m_threePointCircleStep1 ||
                            s.m_twoCirclesStep1 || s.m_angleStep1 || s.m_fourPointAngleStep1 ||
                            s.m_autoDistanceStep1 || s.m_autoAngleStep1 || s.m_autoCircleStep1 ||
                            s.m_autoArcStep1 || s.m_autoLineStep1 || s.m_rulerStep1;
    if (laterPress)
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
    if (m_live.m_mouseHeld || m_live.steps != LiveToolSteps{})
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
    LiveToolSteps& s = m_live.steps;
    const int tool = m_live.m_liveTool;
    // Most tools: the draft starts anew with the press, and the shape holds the mouse.
    const auto start = [&](std::vector<POINT> points, int& step1) {
        m_live.m_click[0] = p;
        SetDraftShape(std::move(points), {});
        step1 = 1;
        HoldMouse();
    };
    // Tools that take two presses, then two more: the second pair starts with a first press
    // that keeps the two points already drawn.
    const auto startPair = [&](int& step1) {
        size_t held = 0;
        {
            LiveListsLock lock;
            held = lock.Draft().m_points.size();
            if (held != 2) {
                lock.Draft().m_points.clear();
                lock.Draft().m_labels.clear();
            }
            lock.Draft().m_points.push_back(p);
        }
        m_live.m_click[held == 2 ? 2 : 0] = p;
        if (held == 2 && tool != LIVE_FOUR_POINT_ANGLE)
            g_rubberAuto = 0;
        step1 = 1;
        HoldMouse();
    };
    switch (tool) {
    case LIVE_LINE:
        start({p, p}, s.m_lineStep1);
        break;
    case LIVE_DOT_LINE:
        start({p, p}, s.m_dotLineStep1);
        break;
    case LIVE_PARALLEL_LINE:
        start({p, p}, s.m_parallelStep1);
        break;
    case LIVE_RECTANGLE:
        start({p, p}, s.m_rectangleStep1);
        break;
    case LIVE_ELLIPSE:
        start({p, p}, s.m_ellipseStep1);
        break;
    case LIVE_RADIUS_CIRCLE:
        start({p, p}, s.m_radiusCircleStep1);
        break;
    case LIVE_DIAMETER_CIRCLE:
        start({p, p}, s.m_diameterCircleStep1);
        break;
    case LIVE_CONTINUAL_LINE:
        g_rubberActive = 0;
        m_live.m_segmentStart = p;
        start({p}, s.m_continualStep1);
        break;
    case LIVE_POLYGON:
        start({p}, s.m_polygonStep1);
        break;
    case LIVE_THREE_POINT_CIRCLE:
        start({p}, s.m_threePointCircleStep1);
        break;
    case LIVE_ARC:
        start({p}, s.m_liveArcStep1);
        break;
    case LIVE_TWO_CIRCLES:
        start({p}, s.m_twoCirclesStep1);
        break;
    case LIVE_ANGLE:
        s.m_angleStep2 = 0;
        start({p}, s.m_angleStep1);
        break;
    case LIVE_RULER:
        start({p}, s.m_rulerStep1);
        break;
    case LIVE_FOUR_POINT_ANGLE:
        startPair(s.m_fourPointAngleStep1);
        break;
    case LIVE_AUTO_DISTANCE:
        startPair(s.m_autoDistanceStep1);
        break;
    case LIVE_AUTO_ANGLE:
        startPair(s.m_autoAngleStep1);
        break;
    case LIVE_AUTO_CIRCLE:
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_ARC:
        AutoEdgePress(p);
        break;
    case LIVE_CIRCLE_LABEL:
    case LIVE_SQUARE_LABEL:
        LabelPress(tool, p);
        break;
    case LIVE_TEXT:
        // The text that followed the mouse stays where it is.
        m_live.m_cursorPt = p;
        m_live.m_liveText.Empty();
        m_live.m_liveTool = 0;
        break;
    default:
        break;
    }
    return true;
}

// A later press goes to the shape whose first step is taken, whatever the tool is now; the line
// only while its button is pressed.
void CMicroscopeDlg::LaterPress(POINT p) {
    const LiveToolSteps& s = m_live.steps;
    CToggleBitmapButton* lineButton = ToggleButton(kLineButton);
    if (s.m_lineStep1 && lineButton && lineButton->IsPressed())
        TwoPointPress(LIVE_LINE, p);
    else if (s.m_dotLineStep1)
        DotLinePress(p);
    else if (s.m_parallelStep1)
        TwoPointPress(LIVE_PARALLEL_LINE, p);
    else if (s.m_continualStep1)
        ContinualPress(p);
    else if (s.m_autoCircleStep1 && !s.m_autoCircleStep2)
        AutoLabelPress(LIVE_AUTO_CIRCLE);
    else if (s.m_autoArcStep1 && !s.m_autoArcStep2)
        AutoLabelPress(LIVE_AUTO_ARC);
    else if (s.m_autoLineStep1 && !s.m_autoLineStep2)
        AutoLabelPress(LIVE_AUTO_LINE);
    else if (s.m_liveArcStep1)
        ArcPress(p);
    else if (s.m_rectangleStep1)
        TwoPointPress(LIVE_RECTANGLE, p);
    else if (s.m_polygonStep1)
        PolygonPress(p);
    else if (s.m_ellipseStep1)
        TwoPointPress(LIVE_ELLIPSE, p);
    else if (s.m_radiusCircleStep1)
        TwoPointPress(LIVE_RADIUS_CIRCLE, p);
    else if (s.m_diameterCircleStep1)
        TwoPointPress(LIVE_DIAMETER_CIRCLE, p);
    else if (s.m_threePointCircleStep1)
        ThreePointCirclePress(p);
    else if (s.m_twoCirclesStep1)
        TwoCirclesPress(p);
    else if (s.m_angleStep1)
        AnglePress(p);
    else if (s.m_fourPointAngleStep1)
        FourPointAnglePress(p);
    else if (s.m_autoDistanceStep1)
        AutoSectionsPress(LIVE_AUTO_DISTANCE, p);
    else if (s.m_autoAngleStep1)
        AutoSectionsPress(LIVE_AUTO_ANGLE, p);
    else if (s.m_rulerStep1 && !s.m_rulerStep2)
        RulerPress(p);
}

// ---- Manual tools ----

// Line, parallel line, rectangle, ellipse and the circles by radius and by diameter: the
// second press gives the labels, the third places them and completes the record.
void CMicroscopeDlg::TwoPointPress(int tool, POINT p) {
    LiveToolSteps& s = m_live.steps;
    std::pair<int*, int*> steps;
    switch (tool) {
    case LIVE_LINE:
        steps = {&s.m_lineStep1, &s.m_lineStep2};
        break;
    case LIVE_PARALLEL_LINE:
        steps = {&s.m_parallelStep1, &s.m_parallelStep2};
        break;
    case LIVE_RECTANGLE:
        steps = {&s.m_rectangleStep1, &s.m_rectangleStep2};
        break;
    case LIVE_ELLIPSE:
        steps = {&s.m_ellipseStep1, &s.m_ellipseStep2};
        break;
    case LIVE_RADIUS_CIRCLE:
        steps = {&s.m_radiusCircleStep1, &s.m_radiusCircleStep2};
        break;
    default:
        steps = {&s.m_diameterCircleStep1, &s.m_diameterCircleStep2};
        break;
    }
    const POINT c1 = m_live.m_click[0];
    if (*steps.second) {
        // The third press: the label's place; the record takes the labels as they stand.
        auto record = NewLiveRecord(tool, tool != LIVE_LINE && tool != LIVE_PARALLEL_LINE);
        record->m_points = {c1, m_live.m_click[1], p};
        {
            LiveListsLock lock;
            record->m_labels = lock.Draft().m_labels;
        }
        if (tool == LIVE_ELLIPSE || tool == LIVE_RADIUS_CIRCLE || tool == LIVE_DIAMETER_CIRCLE)
            m_live.m_cursorPt = p;
        *steps.first = *steps.second = 0;
        CompleteLiveShape(std::move(record));
        return;
    }
    const double S = UnitScale(), m = m_zoomRate;
    const POINT c2 = p;
    m_live.m_click[1] = c2;
    const LONG w = c2.x - c1.x, h = c2.y - c1.y;
    const double d = Distance(c1, c2);
    std::vector<CString> labels;
    switch (tool) {
    case LIVE_LINE:
    case LIVE_PARALLEL_LINE:
        labels = {Length(d, S, m)};
        break;
    case LIVE_RECTANGLE:
        labels = {MeasureLabel(LabelKind::Area, AreaFromPixels(double(w) * h, S, m)),
                  MeasureLabel(LabelKind::Width, LengthFromPixels(std::fabs(double(w)), S, m)),
                  MeasureLabel(LabelKind::Height, LengthFromPixels(std::fabs(double(h)), S, m))};
        break;
    case LIVE_ELLIPSE:
        labels = {MeasureLabel(LabelKind::Area,
                               AreaFromPixels(std::fabs(double(w) * h) * 0.78539815, S, m)),
                  MeasureLabel(LabelKind::AxisA, LengthFromPixels(std::labs(w) / 2, S, m)),
                  MeasureLabel(LabelKind::AxisB, LengthFromPixels(std::labs(h) / 2, S, m))};
        break;
    case LIVE_RADIUS_CIRCLE:
        labels = {MeasureLabel(LabelKind::Area, CircleAreaFromRadius(d, S, m)),
                  MeasureLabel(LabelKind::Radius, LengthFromPixels(d, S, m)),
                  MeasureLabel(LabelKind::Girth, CircumferenceFromRadius(d, S, m))};
        break;
    default:
        labels = {MeasureLabel(LabelKind::Area, CircleAreaFromRadius(d * 0.5, S, m)),
                  MeasureLabel(LabelKind::Radius, LengthFromPixels(d / 2.0, S, m)),
                  MeasureLabel(LabelKind::Girth, CircumferenceFromDiameter(d, S, m))};
        break;
    }
    m_live.m_labelText = labels.front();
    const bool calibrate = tool == LIVE_PARALLEL_LINE && m_live.m_calibrationMode == 1;
    if (calibrate)
        labels = {CString()}; // the label waits for the calibration's result
    {
        LiveListsLock lock;
        CDraftShape& draft = lock.Draft();
        if (draft.m_points.size() > 1)
            draft.m_points[1] = c2;
        draft.m_points.push_back(c2); // the label's place, which now follows the mouse
        draft.m_labels = labels;
    }
    *steps.second = 1;
    ReleaseMouse(); // only the label's place is left
    if (calibrate)
        CalibrateLiveDistance(d * S * 10.0);
}

void CMicroscopeDlg::DotLinePress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    const POINT c1 = m_live.m_click[0];
    if (!s.m_dotLineStep2) {
        m_live.m_click[1] = p;
        MoveDraftPoint(0, p); // the second point of [c1, c1]
        s.m_dotLineStep2 = 1;
    } else if (!s.m_dotLineStep3) {
        // The distance from the third press to the line through the first two.
        const POINT c2 = m_live.m_click[1];
        m_live.m_click[2] = p;
        POINT foot{};
        PerpendicularFoot(c1.x, c1.y, c2.x, c2.y, p.x, p.y, 1.0, 1.0, foot);
        m_live.m_labelText = Length(Distance(p, foot), UnitScale(), m_zoomRate);
        AppendToDraft({p, p}, {m_live.m_labelText});
        s.m_dotLineStep3 = 1;
        ReleaseMouse(); // only the label's place is left
    } else {
        auto record = NewLiveRecord(LIVE_DOT_LINE, false);
        record->m_points = {c1, m_live.m_click[1], m_live.m_click[2], p};
        record->m_labels = {m_live.m_labelText};
        s.m_dotLineStep1 = s.m_dotLineStep2 = s.m_dotLineStep3 = 0;
        CompleteLiveShape(std::move(record));
    }
}

// Presses alternate between a vertex and the place of the label of the segment ending there;
// the double click completes the line.
void CMicroscopeDlg::ContinualPress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    if (!s.m_continualStep2) {
        const CString label =
            MeasureLabel(LabelKind::Segment, LengthFromPixels(Distance(m_live.m_segmentStart, p),
                                                              UnitScale(), m_zoomRate));
        AppendToDraft({p, p}, {label});
        m_live.m_segmentStart = p;
        s.m_continualStep2 = 1;
    } else {
        MoveDraftPoint(0, p);
        s.m_continualStep2 = 0;
        s.m_continualStep3 = 1;
    }
}

// Presses add vertices until the double click closes the polygon; the press after it places
// the area label and completes the record.
void CMicroscopeDlg::PolygonPress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    if (!s.m_polygonStep2) {
        AppendToDraft({p});
        return;
    }
    auto record = NewLiveRecord(LIVE_POLYGON, true);
    {
        LiveListsLock lock;
        record->m_points = lock.Draft().m_points;
        if (!lock.Draft().m_labels.empty())
            record->m_labels = {lock.Draft().m_labels.front()};
    }
    g_rubberActive = 0;
    s.m_polygonStep1 = s.m_polygonStep2 = 0;
    CompleteLiveShape(std::move(record));
}

void CMicroscopeDlg::ArcPress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    if (!s.m_liveArcStep2) {
        m_live.m_click[1] = p;
        AppendToDraft({p, p});
        s.m_liveArcStep2 = 1;
        return;
    }
    if (!s.m_liveArcStep3) {
        const POINT c1 = m_live.m_click[0], c2 = m_live.m_click[1], c3 = p;
        POINT centre{};
        double r = 0.0;
        int orientation = 0;
        // Three presses on one straight line give no arc: the press is refused.
        if (!CircleThroughPoints(c1.x, c1.y, c2.x, c2.y, c3.x, c3.y, centre, r, orientation))
            return;
        const double a = ArcAngle(c1, centre, c3, orientation);
        const double S = UnitScale(), m = m_zoomRate;
        m_live.m_labelText = MeasureLabel(LabelKind::Radius, LengthFromPixels(r, S, m));
        m_live.m_labelText2 = ArcAngleLabel(a);
        m_live.m_labelText3 = MeasureLabel(
            LabelKind::Arc, m > 0 ? a * r * S * 62.830000000000005 / (m * 360.0) : 0.0);
        {
            LiveListsLock lock;
            CDraftShape& draft = lock.Draft();
            draft.m_points = {c1, c2, c3, c3};
            draft.m_labels = {m_live.m_labelText, m_live.m_labelText2, m_live.m_labelText3};
        }
        s.m_liveArcStep3 = 1;
        ReleaseMouse(); // only the labels' place is left
        return;
    }
    auto record = NewLiveRecord(LIVE_ARC, true);
    {
        LiveListsLock lock;
        record->m_points = lock.Draft().m_points;
        record->m_labels = lock.Draft().m_labels;
    }
    s.m_liveArcStep1 = s.m_liveArcStep2 = s.m_liveArcStep3 = 0;
    CompleteLiveShape(std::move(record));
}

void CMicroscopeDlg::ThreePointCirclePress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    if (!s.m_threePointCircleStep2) {
        m_live.m_click[1] = p;
        AppendToDraft({p});
        s.m_threePointCircleStep2 = 1;
        return;
    }
    if (!s.m_threePointCircleStep3) {
        const POINT c1 = m_live.m_click[0];
        double cx = 0, cy = 0;
        // Three presses on one straight line give no circle: the press is refused.
        if (!CircleCentreOfPresses(c1, m_live.m_click[1], p, cx, cy) || std::fabs(cx) > 1e7 ||
            std::fabs(cy) > 1e7)
            return;
        const double radius = std::hypot(cx - c1.x, cy - c1.y);
        m_live.m_labelText =
            MeasureLabel(LabelKind::Diameter, DiameterFromRadius(radius, UnitScale(), m_zoomRate));
        AppendToDraft({POINT{static_cast<LONG>(cx + 0.5), static_cast<LONG>(cy + 0.5)}, p},
                      {m_live.m_labelText});
        s.m_threePointCircleStep3 = 1;
        ReleaseMouse(); // only the label's place is left
        return;
    }
    auto record = NewLiveRecord(LIVE_THREE_POINT_CIRCLE, true);
    {
        LiveListsLock lock;
        record->m_points = lock.Draft().m_points;
        record->m_labels = lock.Draft().m_labels;
    }
    if (record->m_points.size() > 3)
        record->m_points[3] = p;
    s.m_threePointCircleStep1 = s.m_threePointCircleStep2 = s.m_threePointCircleStep3 = 0;
    CompleteLiveShape(std::move(record));
}

// Nine presses: three on each circle and a label place after each, and the place of the
// distance of the centres.
void CMicroscopeDlg::TwoCirclesPress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    int* const steps[9] = {&s.m_twoCirclesStep1, &s.m_twoCirclesStep2, &s.m_twoCirclesStep3,
                           &s.m_twoCirclesStep4, &s.m_twoCirclesStep5, &s.m_twoCirclesStep6,
                           &s.m_twoCirclesStep7, &s.m_twoCirclesStep8, &s.m_twoCirclesStep9};
    int taken = 0;
    while (taken < 9 && *steps[taken])
        ++taken;
    const int press = taken + 1; // 2 to 9
    if (press > 9)
        return;
    const double S = UnitScale(), m = m_zoomRate;
    POINT* const c = m_live.m_click;
    switch (press) {
    case 2:
    case 5:
    case 6:
        AppendToDraft({p});
        break;
    case 3: {
        POINT centre{};
        if (!CircleCentre(c[0].x, c[0].y, c[1].x, c[1].y, p.x, p.y, centre))
            return; // no circle through three presses on one line
        m_live.m_firstCentre = centre;
        m_live.m_labelText =
            MeasureLabel(LabelKind::Diameter, DiameterFromRadius(Distance(centre, c[0]), S, m));
        AppendToDraft({p, centre, p}, {m_live.m_labelText});
        break;
    }
    case 4:
        MoveDraftPoint(0, p);
        break;
    case 7: {
        POINT centre{};
        if (!CircleCentre(c[4].x, c[4].y, c[5].x, c[5].y, p.x, p.y, centre))
            return;
        m_live.m_labelText =
            MeasureLabel(LabelKind::Diameter, DiameterFromRadius(Distance(centre, c[4]), S, m));
        m_live.m_labelText2 = Length(Distance(m_live.m_firstCentre, centre), S, m);
        AppendToDraft({p, centre, p, p}, {m_live.m_labelText, m_live.m_labelText2});
        ReleaseMouse(); // only the labels' places are left
        break;
    }
    case 8:
        MoveDraftPoint(1, p);
        break;
    default: { // 9
        MoveDraftPoint(0, p);
        for (int* step : steps)
            *step = 0;
        auto record = NewLiveRecord(LIVE_TWO_CIRCLES, false);
        {
            LiveListsLock lock;
            record->m_points = lock.Draft().m_points;
            record->m_labels = lock.Draft().m_labels;
        }
        CompleteLiveShape(std::move(record));
        return;
    }
    }
    c[press - 1] = p;
    *steps[press - 1] = 1;
}

void CMicroscopeDlg::AnglePress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    POINT* const c = m_live.m_click;
    // A press on the previous point would give an arm of no length, and so no angle: it is
    // refused and the shape keeps its points.
    if (!s.m_angleStep2) {
        if (SamePoint(p, c[0]))
            return;
        c[1] = p; // the vertex
        AppendToDraft({p});
        s.m_angleStep2 = 1;
    } else if (!s.m_angleStep3) {
        if (SamePoint(p, c[1]))
            return;
        c[2] = p;
        m_live.m_labelText =
            AngleLabel(AngleBetweenLines(c[1].x, c[1].y, c[0].x, c[0].y, c[1].x, c[1].y, p.x, p.y));
        AppendToDraft({p, p}, {m_live.m_labelText});
        s.m_angleStep3 = 1;
        ReleaseMouse(); // only the label's place is left
    } else {
        auto record = NewLiveRecord(LIVE_ANGLE, false);
        record->m_points = {c[0], c[1], c[2], p};
        record->m_labels = {m_live.m_labelText};
        g_rubberActive = 0;
        s.m_angleStep1 = s.m_angleStep2 = s.m_angleStep3 = 0;
        CompleteLiveShape(std::move(record));
    }
}

void CMicroscopeDlg::FourPointAnglePress(POINT p) {
    LiveToolSteps& s = m_live.steps;
    POINT* const c = m_live.m_click;
    if (!s.m_fourPointAngleStep2) {
        // The first line's end; the next press starts the second line. A line of no length
        // gives no angle: the press is refused.
        if (SamePoint(p, c[0]))
            return;
        c[1] = p;
        AppendToDraft({p});
        s.m_fourPointAngleStep2 = 1;
        s.m_fourPointAngleStep1 = 0;
    } else if (!s.m_fourPointAngleStep3) {
        if (SamePoint(p, c[2]))
            return;
        c[3] = p;
        m_live.m_labelText =
            AngleLabel(AngleBetweenLines(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x, c[2].y, p.x, p.y));
        AppendToDraft({p, p}, {m_live.m_labelText});
        s.m_fourPointAngleStep3 = 1;
        ReleaseMouse(); // only the label's place is left
    } else {
        auto record = NewLiveRecord(LIVE_FOUR_POINT_ANGLE, false);
        record->m_points = {c[0], c[1], c[2], c[3], p};
        record->m_labels = {m_live.m_labelText};
        g_rubberActive = 0;
        s.m_fourPointAngleStep1 = s.m_fourPointAngleStep2 = s.m_fourPointAngleStep3 = 0;
        CompleteLiveShape(std::move(record));
    }
}

// Circle and square labels: one press lists the next number.
void CMicroscopeDlg::LabelPress(int tool, POINT p) {
    int& counter = tool == LIVE_CIRCLE_LABEL ? g_circleLabelCount : g_squareLabelCount;
    ++counter;
    auto record = NewLiveRecord(tool, false);
    record->m_labelFont = LOGFONTW{};
    record->m_points = {p};
    record->m_labels = {NumberLabel(counter)};
    FinishLiveShape(std::move(record));
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
    m_live.m_labelText = LengthAt(V, g_zoomScale);
    {
        LiveListsLock lock;
        if (!lock.Draft().m_labels.empty())
            lock.Draft().m_labels[0] = m_live.m_labelText;
    }
    m_live.steps.m_calibrationLabel = 1;
}

void CMicroscopeDlg::RulerPress(POINT p) {
    m_live.steps.m_rulerStep2 = 1;
    {
        LiveListsLock lock;
        CDraftShape& draft = lock.Draft();
        draft.m_points.insert(draft.m_points.begin() + (draft.m_points.empty() ? 0 : 1), p);
        draft.m_kind = LIVE_RULER;
    }
    const double S = UnitScale(), m = m_zoomRate;
    ReleaseMouse();
    EnableWindow(FALSE);
    CLengthLineDlg dlg(this);
    const bool ok = dlg.DoModal() == IDOK;
    EnableWindow(TRUE);
    EmptyLiveDraft();
    m_live.steps.m_rulerStep1 = m_live.steps.m_rulerStep2 = 0;
    // A cancelled ruler adds no guide.
    if (ok) {
        const LivePen pen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor};
        AddLiveGuide(MakeLengthLineGuide(m_live.m_click[0], p,
                                         PixelsFromLength(g_actualDistance, S, m), pen));
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

// While collecting, each press adds the edge point nearest to it on the still (the press
// itself where there is no edge or no still).
void CMicroscopeDlg::AutoEdgePress(POINT p) {
    const POINT q = ToFrame(p);
    POINT edge = q;
    const bool found =
        m_frozenImage && m_frozenImage->FindEdgePointNear(q.x, q.y, g_captureWidth, g_captureHeight,
                                                          &edge, g_detectRange);
    const POINT point = ToPreview(found ? edge : q);
    const size_t n = AppendToDraft({point});
    LiveToolSteps& s = m_live.steps;
    switch (m_live.m_liveTool) {
    case LIVE_AUTO_CIRCLE:
        if (n >= 3)
            s.m_autoCircleStep2 = 1;
        break;
    case LIVE_AUTO_ARC:
        if (n >= 3)
            s.m_autoArcStep2 = 1;
        break;
    default:
        if (n >= 2)
            s.m_autoLineStep2 = 1;
        break;
    }
    HoldMouse();
}

int CMicroscopeDlg::AutoShapeInProgress() const {
    const LiveToolSteps& s = m_live.steps;
    return s.m_autoCircleStep1 || s.m_autoCircleStep2 || s.m_autoLineStep1 || s.m_autoLineStep2 ||
                   s.m_autoArcStep1 || s.m_autoArcStep2
               ? 1
               : 0;
}

void CMicroscopeDlg::FinishAutoShape() {
    LiveToolSteps& s = m_live.steps;
    const int tool = m_live.m_liveTool;
    std::pair<int*, int*> steps;
    bool (*fit)(const std::vector<POINT>&, const MeasureContext&, FittedShape&) = nullptr;
    if (tool == LIVE_AUTO_CIRCLE && s.m_autoCircleStep2) {
        steps = {&s.m_autoCircleStep1, &s.m_autoCircleStep2};
        fit = FitAutoCircle;
    } else if (tool == LIVE_AUTO_ARC && s.m_autoArcStep2) {
        steps = {&s.m_autoArcStep1, &s.m_autoArcStep2};
        fit = FitAutoArc;
    } else if (tool == LIVE_AUTO_LINE && s.m_autoLineStep2) {
        steps = {&s.m_autoLineStep1, &s.m_autoLineStep2};
        fit = FitAutoLine;
    } else {
        return;
    }
    FittedShape shape;
    // Points that give no shape keep the tool collecting.
    if (!fit(DraftPoints(), LiveContext(), shape))
        return;
    *steps.first = 1;
    *steps.second = 0;
    CString* const texts[3] = {&m_live.m_labelText, &m_live.m_labelText2, &m_live.m_labelText3};
    for (size_t i = 0; i < shape.labels.size() && i < 3; ++i)
        *texts[i] = shape.labels[i];
    {
        LiveListsLock lock;
        lock.Draft().m_points = std::move(shape.points);
        lock.Draft().m_labels = std::move(shape.labels);
        lock.Draft().m_radius = shape.radius;
    }
    ReleaseMouse(); // only the label's place is left
}

// The press after a fit places its label and completes the record.
void CMicroscopeDlg::AutoLabelPress(int tool) {
    LiveToolSteps& s = m_live.steps;
    auto record = NewLiveRecord(tool, true);
    const size_t points = tool == LIVE_AUTO_CIRCLE ? 2 : tool == LIVE_AUTO_ARC ? 4 : 3;
    const size_t labels = tool == LIVE_AUTO_ARC ? 3 : 1;
    {
        LiveListsLock lock;
        const CDraftShape& draft = lock.Draft();
        record->m_points.assign(draft.m_points.begin(),
                                draft.m_points.begin() +
                                    static_cast<long>(std::min(points, draft.m_points.size())));
        record->m_labels.assign(draft.m_labels.begin(),
                                draft.m_labels.begin() +
                                    static_cast<long>(std::min(labels, draft.m_labels.size())));
        if (tool != LIVE_AUTO_LINE)
            record->m_radius = draft.m_radius;
    }
    switch (tool) {
    case LIVE_AUTO_CIRCLE:
        s.m_autoCircleStep1 = s.m_autoCircleStep2 = 0;
        break;
    case LIVE_AUTO_ARC:
        s.m_autoArcStep1 = s.m_autoArcStep2 = 0;
        break;
    default:
        s.m_autoLineStep1 = s.m_autoLineStep2 = 0;
        break;
    }
    CompleteLiveShape(std::move(record));
}

bool CMicroscopeDlg::EdgeInSection(POINT a, POINT b, POINT& e1, POINT& e2) const {
    RECT box{};
    int orientation = 0;
    if (!m_frozenImage || !LineSectionBox(a, b, box, orientation))
        return false;
    const POINT from = ToFrame(POINT{box.left, box.top});
    const POINT to = ToFrame(POINT{box.right, box.bottom});
    return m_frozenImage->DetectLineInSection(from.x, from.y, to.x, to.y, orientation, &e1, &e2) &&
           (e1.x != e2.x || e1.y != e2.y);
}

namespace {

// The foot of the perpendicular from p on the line through a and b (a vertical one included),
// rounded.
POINT FootOnLine(POINT a, POINT b, POINT p) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    return POINT{Rounded(a.x + t * dx), Rounded(a.y + t * dy)};
}

} // namespace

// The automatic distance and angle: c1 and c2 bound the first search section, c3 and c4 the
// second; c4 finds the edges and c5 places the label.
void CMicroscopeDlg::AutoSectionsPress(int tool, POINT p) {
    LiveToolSteps& s = m_live.steps;
    const bool distance = tool == LIVE_AUTO_DISTANCE;
    int& step1 = distance ? s.m_autoDistanceStep1 : s.m_autoAngleStep1;
    int& step2 = distance ? s.m_autoDistanceStep2 : s.m_autoAngleStep2;
    int& step3 = distance ? s.m_autoDistanceStep3 : s.m_autoAngleStep3;
    POINT* const c = m_live.m_click;
    POINT* const P = m_live.m_autoPoint;
    // The angle's sections stand in for its arms where no edge is found: a drag that gives no
    // section (a press on the previous one among them) gives no arm and is refused.
    RECT section{};
    int orientation = 0;
    const bool noSection =
        !distance && !step3 && !LineSectionBox(c[step2 ? 2 : 0], p, section, orientation);
    if (!step2) {
        if (noSection)
            return;
        c[1] = p;
        AppendToDraft({p});
        step2 = 1;
        step1 = 0;
        return;
    }
    if (step3) {
        step1 = step2 = step3 = 0;
        g_rubberActive = 0;
        g_rubberAuto = 0;
        m_live.m_cursorPt = p;
        auto record = NewLiveRecord(tool, false);
        record->m_points = distance ? std::vector<POINT>{P[0], P[1], p}
                                    : std::vector<POINT>{P[0], P[1], P[2], P[3], p};
        record->m_labels = {m_live.m_labelText};
        record->m_selected = 0;
        CompleteLiveShape(std::move(record));
        return;
    }
    if (noSection)
        return;
    step3 = 1;
    c[3] = p;
    POINT e[2][2]{};
    const bool found =
        EdgeInSection(c[0], c[1], e[0][0], e[0][1]) && EdgeInSection(c[2], c[3], e[1][0], e[1][1]);
    const double S = UnitScale(), m = m_zoomRate;
    if (distance) {
        if (found) {
            // From the middle of the first edge across to the line of the second.
            const POINT mid = Middle(e[0][0], e[0][1]);
            P[0] = ToPreview(mid);
            P[1] = ToPreview(FootOnLine(e[1][0], e[1][1], mid));
        } else {
            P[0] = Middle(c[0], c[1]);
            P[1] = Middle(c[2], c[3]);
        }
        const double pixels = Distance(P[0], P[1]);
        m_live.m_labelText = Length(pixels, S, m);
        const bool calibrate = m_live.m_calibrationMode == 1;
        SetDraftShape({P[0], P[1], P[1]}, {calibrate ? CString() : m_live.m_labelText});
        ReleaseMouse(); // only the label's place is left
        if (calibrate)
            CalibrateLiveDistance(pixels * S * 10.0);
        return;
    }
    for (int i = 0; i < 4; ++i)
        P[i] = found ? ToPreview(e[i / 2][i % 2]) : c[i];
    m_live.m_labelText = AngleLabel(
        AngleBetweenLines(P[0].x, P[0].y, P[1].x, P[1].y, P[2].x, P[2].y, P[3].x, P[3].y));
    SetDraftShape({P[0], P[1], P[2], P[3], P[3]}, {m_live.m_labelText});
    ReleaseMouse(); // only the label's place is left
}

// ---- Double click, release, right button, cursor, cancel ----

void CMicroscopeDlg::OnLButtonDblClk(UINT flags, CPoint point) {
    const POINT p{point.x - kPreviewLeft, point.y - kPreviewTop};
    if (!InPicture(p))
        return;
    LiveToolSteps& s = m_live.steps;
    // The continual line ends once a label of it is placed; the press of the double click has
    // already added its last vertex or label place.
    if (m_live.m_liveTool == LIVE_CONTINUAL_LINE && s.m_continualStep3) {
        auto record = NewLiveRecord(LIVE_CONTINUAL_LINE, true);
        {
            LiveListsLock lock;
            record->m_points = lock.Draft().m_points;
            record->m_labels = lock.Draft().m_labels;
        }
        s.m_continualStep1 = s.m_continualStep2 = s.m_continualStep3 = 0;
        g_rubberActive = 0;
        CompleteLiveShape(std::move(record));
    }
    if (s.m_polygonStep1 && !s.m_polygonStep2) {
        std::vector<POINT> points;
        {
            // Closed at its first vertex, and that point again as the label's place.
            LiveListsLock lock;
            std::vector<POINT>& draft = lock.Draft().m_points;
            if (!draft.empty()) {
                const POINT first = draft.front();
                draft.push_back(first);
                draft.push_back(first);
            }
            points = draft;
        }
        const double pixels = PolygonAreaPixels(points);
        m_live.m_labelText =
            MeasureLabel(LabelKind::Area, AreaFromPixels(pixels, UnitScale(), m_zoomRate));
        AppendToDraft({}, {m_live.m_labelText});
        s.m_polygonStep2 = 1;
        ReleaseMouse(); // only the label's place is left
    }
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
    m_live.m_liveTool = 0;
    // A calibration in progress ends with its shape; the next parallel line only measures.
    m_live.m_calibrationMode = 0;
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    Invalidate(FALSE);
}
