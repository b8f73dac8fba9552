// The clicks of the canvas tools. Each tool is a small state machine over m_shapeTool and
// m_clicks: the first press inside the picture starts a shape (capturing the mouse and keeping
// the cursor over the picture), later presses add points until the shape is complete and
// listed, and in the measure mode one more press places its label. The right button finishes
// the automatic fits, ends a move or cancels the shape; the double click ends a continuous
// line. A click whose geometry has no defined result (collinear points of a circle, a
// zero-length arm, a drag that matches no section rule, a failed fit) is refused: the tool
// keeps the points it had and nothing is drawn.
#include "measure/MeasureCanvas.h"

#include "measure/CanvasShapeRules.h"
#include "measure/Geometry.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "kit/LangText.h"

#include "imaging/DibImage.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cmath>

namespace {

// [v]: one half added, then truncated toward zero.
int Round(double v) {
    return static_cast<int>(v + 0.5);
}

bool Same(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

constexpr int kPhotoMagnificationEdit = 1130; // the photo-measure window's magnification
constexpr int kPhotoToolName = 1167;          // and the name of its tool

// The end ticks of the straight line (half length 10) and the parallel line (100).
constexpr int kLineTick = 10;
constexpr int kParallelTick = 100;
constexpr int kSpacingTick = 10;

bool IsManualTool(MeasureTool t) {
    switch (t) {
    case TOOL_LINE:
    case TOOL_DOT_LINE:
    case TOOL_PARALLEL_LINE:
    case TOOL_RECTANGLE:
    case TOOL_ANGLE:
    case TOOL_CONTINUOUS_LINE:
    case TOOL_THREE_POINT_CIRCLE:
    case TOOL_ARC:
    case TOOL_TWO_CIRCLES:
    case TOOL_FOUR_POINT_ANGLE:
    case TOOL_AUTO_LINE_SPACING:
    case TOOL_AUTO_ANGLE:
        return true;
    default:
        return false;
    }
}

bool IsEdgePointTool(MeasureTool t) {
    return t == TOOL_AUTO_CIRCLE || t == TOOL_AUTO_ARC || t == TOOL_AUTO_LINE_LENGTH2;
}

// The clicks a manual tool takes for its shape (the label click not counted).
size_t ClicksOfTool(MeasureTool t) {
    switch (t) {
    case TOOL_LINE:
    case TOOL_PARALLEL_LINE:
    case TOOL_RECTANGLE:
        return 2;
    case TOOL_DOT_LINE:
    case TOOL_ANGLE:
    case TOOL_THREE_POINT_CIRCLE:
    case TOOL_ARC:
        return 3;
    case TOOL_FOUR_POINT_ANGLE:
    case TOOL_AUTO_LINE_SPACING:
    case TOOL_AUTO_ANGLE:
        return 4;
    default:
        return 0;
    }
}

} // namespace

// ---- Input ----

CRect CMeasureCanvas::PictureArea() const {
    CRect client;
    GetClientRect(&client);
    const bool fixed = m_viewMode == CANVAS_VIEW_FIXED;
    const CRect shown(0, 0, fixed ? m_viewWidth : m_imageWidth - m_scrollX,
                      fixed ? m_viewHeight : m_imageHeight - m_scrollY);
    CRect area;
    area.IntersectRect(&client, &shown);
    return area;
}

void CMeasureCanvas::HoldInput() {
    SetCapture();
    CRect area = PictureArea();
    ClientToScreen(&area);
    ::ClipCursor(&area);
}

void CMeasureCanvas::ReleaseInput() {
    if (m_hWnd && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    ::ClipCursor(nullptr);
}

// Lengths are measured in the pixels of the fixed view, where calibrations are made: the
// full-size view converts its pixels into those first, so one feature reads one length in
// both views.
double CMeasureCanvas::ViewPixels(double canvasPixels) const {
    if (m_viewMode == CANVAS_VIEW_FIXED || m_imageWidth <= 0)
        return canvasPixels;
    const double scale = FixedViewOf(m_imageWidth, m_imageHeight).scale;
    return scale > 0.0 ? canvasPixels / scale : canvasPixels;
}

POINT CMeasureCanvas::ToPicture(POINT c) const {
    const int x = Round((c.x + m_scrollX) * m_scaleX);
    const int y = Round((c.y + m_scrollY) * m_scaleY);
    // Whatever the click, the detectors only ever see the picture.
    return POINT{std::clamp(x, 0, std::max(m_imageWidth - 1, 0)),
                 std::clamp(y, 0, std::max(m_imageHeight - 1, 0))};
}

POINT CMeasureCanvas::FromPicture(POINT p) const {
    return POINT{Round(p.x / m_scaleX - m_scrollX), Round(p.y / m_scaleY - m_scrollY)};
}

// ---- Records ----

std::unique_ptr<CMeasureRecord> CMeasureCanvas::NewRecord(int kind) const {
    auto r = std::make_unique<CMeasureRecord>();
    r->m_kind = kind;
    r->m_selected = 0;
    r->m_penStyle = g_lineType;
    r->m_penWidth = g_lineWidth;
    r->m_lineColor = m_lineColor;
    r->m_labelColor = m_labelColor;
    r->m_labelFont = m_measureFont;
    r->m_unitsPerPixel = UnitsPerPixel(m_unitScale, m_zoom);
    return r;
}

CMeasureRecord* CMeasureCanvas::List(std::unique_ptr<CMeasureRecord> record, bool labelFollows) {
    CMeasureRecord* raw = record.get();
    m_shapes.Add(std::move(record));
    m_currentRecord = raw;
    if (labelFollows) {
        // Only the label's place is left: the mouse goes free.
        m_labelPending = true;
        m_pending = raw;
        ReleaseInput();
    }
    Invalidate(FALSE);
    return raw;
}

bool CMeasureCanvas::IsListed(const CMeasureRecord* record) const {
    if (!record)
        return false;
    for (const auto& shape : m_shapes)
        if (shape.get() == record)
            return true;
    return false;
}

// ---- Tool choice and the end of a shape ----

int CMeasureCanvas::SetTool(MeasureTool tool, ToolMode mode) {
    if (ShapeInProgress() && (tool != m_tool || mode != m_toolMode))
        EndShape(false);
    if (m_lensActive && tool != TOOL_MAGNIFIER)
        CloseLens();
    m_tool = tool;
    m_toolMode = mode;
    return tool;
}

void CMeasureCanvas::EndShape(bool removeListed) {
    if (removeListed && m_labelPending && IsListed(m_pending)) {
        for (int i = m_shapes.GetSize() - 1; i >= 0; --i) {
            if (m_shapes.GetAt(i) == m_pending) {
                if (m_currentRecord == m_pending)
                    m_currentRecord = nullptr;
                m_shapes.RemoveAt(i);
                break;
            }
        }
    }
    m_shapeTool = TOOL_NONE;
    m_clicks.clear();
    m_labelPending = false;
    m_pending = nullptr;
    m_calibrationLabel = false;
    m_polyPoints.clear();
    m_polyLabels.clear();
    m_polyState = 0;
    m_polyLabelNext = false;
    m_polyFollow = -1;
    m_freehand.reset();
    m_fitPoints.clear();
    m_bandShown = false;
    if (m_hWnd) {
        ReleaseInput();
        Invalidate(FALSE);
    }
}

// ---- Left button ----

void CMeasureCanvas::OnLButtonDown(UINT flags, CPoint point) {
    if (!m_image)
        return;
    if (m_moving) {
        DropMove(point);
        return;
    }
    if (ShapeInProgress()) {
        ContinueShape(point);
        return;
    }
    if (!PictureArea().PtInRect(point))
        return;
    StartShape(point);
    CDialog::OnLButtonDown(flags, point);
}

void CMeasureCanvas::StartShape(CPoint c) {
    const POINT p = Canvas(c);
    switch (m_tool) {
    case TOOL_LINE:
    case TOOL_DOT_LINE:
    case TOOL_PARALLEL_LINE:
    case TOOL_RECTANGLE:
    case TOOL_ANGLE:
    case TOOL_THREE_POINT_CIRCLE:
    case TOOL_ARC:
    case TOOL_FOUR_POINT_ANGLE:
    case TOOL_AUTO_LINE_SPACING:
    case TOOL_AUTO_ANGLE:
    case TOOL_EDGE_PORTION:
        DeselectAll();
        m_shapeTool = m_tool;
        m_clicks.assign(1, c);
        m_startPoint = c;
        m_bandShown = false;
        HoldInput();
        Invalidate(FALSE);
        break;
    case TOOL_CONTINUOUS_LINE:
        DeselectAll();
        m_shapeTool = m_tool;
        m_clicks.assign(1, c);
        m_startPoint = c;
        m_bandShown = false;
        m_polyPoints.assign(1, p);
        m_polyLabels.clear();
        m_polyState = 1;
        m_polyLabelNext = false;
        if (m_toolMode != TOOL_MODE_MEASURE) {
            m_freehand = NewRecord(TOOL_CONTINUOUS_LINE);
        }
        HoldInput();
        break;
    case TOOL_TWO_CIRCLES:
        DeselectAll();
        m_shapeTool = m_tool;
        m_clicks.assign(1, c);
        m_polyPoints.assign(1, p);
        m_polyLabels.clear();
        m_polyState = 2;
        m_polyFollow = -1;
        HoldInput();
        Invalidate(FALSE);
        break;
    case TOOL_AUTO_CIRCLE:
    case TOOL_AUTO_ARC:
    case TOOL_AUTO_LINE_LENGTH2:
        m_shapeTool = m_tool;
        m_fitPoints.clear();
        AddEdgePoint(c);
        break;
    case TOOL_CIRCLE_LABEL: {
        auto r = NewRecord(TOOL_CIRCLE_LABEL);
        r->m_points.push_back(p);
        r->m_labels.push_back(NumberLabel(++g_circleLabelCount));
        List(std::move(r), false);
        break;
    }
    case TOOL_TEXT:
        m_textPos = c;
        if (!m_text.IsEmpty() && !m_shapes.IsEmpty() &&
            m_shapes.GetAt(m_shapes.GetSize() - 1)->m_kind == CANVAS_KIND_TEXT) {
            CMeasureRecord* text = m_shapes.GetAt(m_shapes.GetSize() - 1);
            if (text->m_points.size() >= 2) {
                text->m_points[0] = p;
                text->m_points[1] = POINT{p.x + 60, p.y + 60};
            }
        }
        m_text.Empty();
        m_tool = TOOL_NONE;
        Invalidate(FALSE);
        break;
    case TOOL_SELECT:
        SelectAt(c);
        break;
    case TOOL_MAGNIFIER:
        OpenLens(c);
        break;
    default:
        break;
    }
}

void CMeasureCanvas::ContinueShape(CPoint c) {
    if (m_labelPending) {
        PlaceLabel(c);
        return;
    }
    switch (m_shapeTool) {
    case TOOL_CONTINUOUS_LINE:
        ContinuousLineClick(c);
        return;
    case TOOL_TWO_CIRCLES:
        TwoCirclesClick(c);
        return;
    case TOOL_AUTO_CIRCLE:
    case TOOL_AUTO_ARC:
    case TOOL_AUTO_LINE_LENGTH2:
        if (PictureArea().PtInRect(c))
            AddEdgePoint(c);
        return;
    case TOOL_EDGE_PORTION:
        return; // the release of the drag ends it
    default:
        break;
    }
    if (!TakeClick(c))
        return;
    m_startPoint = c;
    m_bandShown = false;
    Invalidate(FALSE);
}

void CMeasureCanvas::PlaceLabel(CPoint c) {
    m_textPos = c;
    if (IsListed(m_pending)) {
        const LabelRule* rule = LabelRuleOfKind(m_pending->m_kind);
        if (rule && size_t(rule->anchor) <= m_pending->m_points.size())
            m_pending->m_points.insert(m_pending->m_points.begin() + rule->anchor, Canvas(c));
    }
    const bool calibration = m_calibrationLabel;
    EndShape(false);
    // The calibration is over with its line: its tool goes, and the window names no tool.
    if (calibration) {
        SetTool(TOOL_NONE, TOOL_MODE_IDLE);
        if (CWnd* window = GetParent())
            window->SetDlgItemText(kPhotoToolName, u"");
    }
}

// One more click of a manual tool with a fixed number of clicks; builds and lists the shape
// when it is complete.
bool CMeasureCanvas::TakeClick(CPoint c) {
    const MeasureTool tool = m_shapeTool;
    const size_t n = m_clicks.size() + 1; // this click's number
    // The four-point angle's second line and the automatic tools' second section start
    // inside the picture, like a first click.
    const bool startsAgain = (tool == TOOL_FOUR_POINT_ANGLE || tool == TOOL_AUTO_LINE_SPACING ||
                              tool == TOOL_AUTO_ANGLE) &&
                             n == 3;
    if (startsAgain && !PictureArea().PtInRect(c))
        return false;
    // A point on top of the previous one makes a zero-length line or arm.
    const bool zeroLength = Same(c, m_clicks.back());
    switch (tool) {
    case TOOL_DOT_LINE:
        if (n == 2 && zeroLength)
            return false;
        break;
    case TOOL_ANGLE:
        if (zeroLength)
            return false;
        break;
    case TOOL_FOUR_POINT_ANGLE:
        if ((n == 2 || n == 4) && zeroLength)
            return false;
        break;
    case TOOL_AUTO_LINE_SPACING:
    case TOOL_AUTO_ANGLE:
        if (n == 2 || n == 4) {
            RECT box;
            int mode = 0;
            if (!LineSectionBox(m_clicks.back(), c, box, mode))
                return false;
        }
        break;
    default:
        break;
    }
    m_clicks.push_back(c);
    if (m_clicks.size() < ClicksOfTool(tool))
        return true;
    const bool built =
        tool == TOOL_AUTO_LINE_SPACING || tool == TOOL_AUTO_ANGLE ? FinishSections() : BuildShape();
    if (!built)
        m_clicks.pop_back();
    return built;
}

// The shape of a manual tool from its clicks: listed with its label lines (empty ones in the
// paint mode, which ends the shape here); false when the clicks define no shape.
bool CMeasureCanvas::BuildShape() {
    const MeasureTool tool = m_shapeTool;
    const std::vector<CPoint>& k = m_clicks;
    const bool measure = m_toolMode == TOOL_MODE_MEASURE;
    auto label = [&](const CString& text) { return measure ? text : CString(); };
    auto length = [&](double pixels) {
        return label(MeasureLabel(LabelKind::Length,
                                  LengthFromPixels(ViewPixels(pixels), m_unitScale, m_zoom)));
    };
    const POINT last = Canvas(k.back()); // the label's place until it is placed
    std::unique_ptr<CMeasureRecord> r;
    double calibrationPixels = -1.0;
    switch (tool) {
    case TOOL_LINE:
    case TOOL_PARALLEL_LINE: {
        POINT a1, a2, b1, b2;
        OffsetPerpendicular(k[0].x, k[0].y, k[1].x, k[1].y, a1, a2, b1, b2,
                            tool == TOOL_LINE ? kLineTick : kParallelTick);
        r = NewRecord(CanvasKindOfTool(tool));
        r->m_points = {Canvas(k[0]), Canvas(k[1]), Canvas(a1), Canvas(a2),
                       Canvas(b1),   Canvas(b2),   last};
        const double d = Distance(k[0], k[1]);
        if (tool == TOOL_PARALLEL_LINE && measure && m_calibrationMode == 1) {
            r->m_labels.push_back(CString());
            calibrationPixels = d;
        } else {
            r->m_labels.push_back(length(d));
        }
        break;
    }
    case TOOL_DOT_LINE: {
        POINT foot{};
        PerpendicularFoot(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, 1.0, 1.0, foot);
        r = NewRecord(TOOL_DOT_LINE);
        r->m_points = {Canvas(k[0]), Canvas(k[1]), Canvas(k[2]), last};
        r->m_labels.push_back(length(Distance(k[2], foot)));
        break;
    }
    case TOOL_RECTANGLE: {
        const double dx = std::fabs(double(k[1].x) - k[0].x);
        const double dy = std::fabs(double(k[1].y) - k[0].y);
        r = NewRecord(CANVAS_KIND_RECTANGLE);
        r->m_fontSize = FontSizeFromHeight();
        r->m_points = {Canvas(k[0]), Canvas(k[1]), last};
        r->m_labels = {
            label(MeasureLabel(LabelKind::Area, AreaFromPixels(ViewPixels(dx) * ViewPixels(dy),
                                                               m_unitScale, m_zoom))),
            label(MeasureLabel(LabelKind::Width,
                               LengthFromPixels(ViewPixels(dx), m_unitScale, m_zoom))),
            label(MeasureLabel(LabelKind::Height,
                               LengthFromPixels(ViewPixels(dy), m_unitScale, m_zoom)))};
        break;
    }
    case TOOL_THREE_POINT_CIRCLE: {
        POINT centre{};
        if (!CircleCentre(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, centre))
            return false;
        r = NewRecord(TOOL_THREE_POINT_CIRCLE);
        r->m_fontSize = FontSizeFromHeight();
        r->m_points = {Canvas(centre), Canvas(k[1]), Canvas(k[0]), Canvas(k[2]), last};
        r->m_labels.push_back(label(
            MeasureLabel(LabelKind::Diameter, DiameterFromRadius(ViewPixels(Distance(centre, k[0])),
                                                                 m_unitScale, m_zoom))));
        break;
    }
    case TOOL_ARC: {
        POINT centre{};
        double radius = 0.0;
        int orientation = 0;
        if (!CircleThroughPoints(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, centre, radius,
                                 orientation))
            return false;
        const double angle = ArcAngle(k[0], centre, k[2], orientation);
        r = NewRecord(TOOL_ARC);
        r->m_fontSize = FontSizeFromHeight();
        r->m_points = {Canvas(k[0]), Canvas(k[1]), Canvas(k[2]), last, Canvas(centre)};
        r->m_labels = {
            label(MeasureLabel(LabelKind::Radius,
                               LengthFromPixels(ViewPixels(radius), m_unitScale, m_zoom))),
            label(ArcAngleLabel(angle)),
            label(MeasureLabel(LabelKind::Arc, ArcLengthFromAngle(angle, ViewPixels(radius),
                                                                  m_unitScale, m_zoom)))};
        break;
    }
    case TOOL_ANGLE: {
        const POINT e1 = Canvas(k[0]), v = Canvas(k[1]), e2 = Canvas(k[2]);
        r = NewRecord(TOOL_ANGLE);
        r->m_points = {e1, v, e2, last};
        r->m_labels.push_back(
            label(AngleLabel(AngleBetweenLines(v.x, v.y, e1.x, e1.y, v.x, v.y, e2.x, e2.y))));
        break;
    }
    case TOOL_FOUR_POINT_ANGLE:
        r = NewRecord(TOOL_FOUR_POINT_ANGLE);
        r->m_points = {Canvas(k[0]), Canvas(k[1]), Canvas(k[2]), Canvas(k[3]), last};
        r->m_labels.push_back(label(AngleLabel(
            AngleBetweenLines(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, k[3].x, k[3].y))));
        break;
    default:
        return false;
    }
    CMeasureRecord* listed = List(std::move(r), measure);
    if (calibrationPixels >= 0.0)
        RunCalibration(listed, calibrationPixels);
    if (!measure)
        EndShape(false);
    return true;
}

// Measure mode: vertex and label clicks alternate until the double click. Paint mode: the
// second click ends the free-hand line drawn meanwhile.
void CMeasureCanvas::ContinuousLineClick(CPoint c) {
    const POINT p = Canvas(c);
    if (m_toolMode != TOOL_MODE_MEASURE) {
        std::unique_ptr<CMeasureRecord> line = std::move(m_freehand);
        // A stroke of fewer than two points is nothing to keep.
        if (line && line->m_points.size() >= 2)
            List(std::move(line), false);
        EndShape(false);
        return;
    }
    if (m_polyLabelNext) {
        m_polyPoints.back() = p;
        m_polyLabelNext = false;
    } else {
        m_polyLabels.push_back(
            MeasureLabel(LabelKind::Segment, LengthFromPixels(ViewPixels(Distance(c, m_startPoint)),
                                                              m_unitScale, m_zoom)));
        m_polyPoints.push_back(p); // the vertex
        m_polyPoints.push_back(p); // where its segment's label goes
        m_startPoint = c;
        m_polyLabelNext = true;
    }
    m_bandShown = false;
    Invalidate(FALSE);
}

// Nine clicks: three on the first circle, its label, three on the second, its label and the
// label of the distance between the centres.
void CMeasureCanvas::TwoCirclesClick(CPoint c) {
    const POINT p = Canvas(c);
    const size_t n = m_clicks.size() + 1;
    auto centreOf = [&](size_t first, POINT& centre) {
        const POINT a = m_polyPoints[first], b = m_polyPoints[first + 1];
        return CircleCentre(a.x, a.y, b.x, b.y, p.x, p.y, centre);
    };
    auto diameter = [&](POINT centre, POINT rim) {
        return MeasureLabel(
            LabelKind::Diameter,
            DiameterFromRadius(ViewPixels(Distance(centre, rim)), m_unitScale, m_zoom));
    };
    POINT centre{};
    switch (n) {
    case 2:
    case 5:
    case 6:
        m_polyPoints.push_back(p);
        m_polyFollow = -1;
        break;
    case 3:
        if (!centreOf(0, centre))
            return;
        m_polyPoints.insert(m_polyPoints.end(), {p, centre, p});
        m_polyLabels.push_back(diameter(centre, m_polyPoints[0]));
        m_polyFollow = 4;
        break;
    case 7: {
        if (!centreOf(5, centre))
            return;
        const POINT first = m_polyPoints[3];
        m_polyPoints.insert(m_polyPoints.end(), {p, centre, p, p});
        m_polyLabels.push_back(diameter(centre, m_polyPoints[5]));
        m_polyLabels.push_back(
            MeasureLabel(LabelKind::Length, LengthFromPixels(ViewPixels(Distance(centre, first)),
                                                             m_unitScale, m_zoom)));
        m_polyFollow = 9;
        break;
    }
    case 4:
    case 8:
        m_polyPoints[n == 4 ? 4 : 9] = p;
        m_polyFollow = n == 4 ? -1 : 10;
        break;
    case 9: {
        m_polyPoints[10] = p;
        auto r = NewRecord(TOOL_TWO_CIRCLES);
        r->m_points = m_polyPoints;
        r->m_labels = m_polyLabels;
        List(std::move(r), false);
        EndShape(false);
        return;
    }
    default:
        return;
    }
    m_clicks.push_back(c);
    Invalidate(FALSE);
}

// ---- Automatic tools ----

void CMeasureCanvas::AddEdgePoint(CPoint c) {
    const POINT at = ToPicture(c);
    POINT edge = at;
    // Where the square holds no edge the click itself is taken.
    if (!m_image->FindEdgePointNear(at.x, at.y, m_imageWidth, m_imageHeight, &edge, g_detectRange))
        edge = at;
    m_fitPoints.push_back(FromPicture(edge));
    if (m_fitPoints.size() == 1)
        HoldInput();
    Invalidate(FALSE);
}

// The right button's fit of the automatic circle, arc or line once enough edge points are
// collected; the shape is listed and its label follows the cursor. True when it was the
// right button's business (also when the fit was refused).
bool CMeasureCanvas::FinishAutoFit(CPoint c) {
    if (!IsEdgePointTool(m_shapeTool) || m_shapeTool != m_tool || m_labelPending)
        return false;
    const size_t needed = m_shapeTool == TOOL_AUTO_LINE_LENGTH2 ? 2 : 3;
    if (m_fitPoints.size() < needed)
        return false;
    const std::vector<POINT>& f = m_fitPoints;
    std::unique_ptr<CMeasureRecord> r = NewRecord(m_shapeTool);
    r->m_fontSize = FontSizeFromHeight();
    switch (m_shapeTool) {
    case TOOL_AUTO_CIRCLE: {
        double cx = 0, cy = 0, radius = 0;
        if (!FitCircle(f.data(), int(f.size()), cx, cy, radius))
            return true;
        r->m_points = {POINT{static_cast<LONG>(m_scrollX + cx), static_cast<LONG>(m_scrollY + cy)},
                       Canvas(c)};
        r->m_radius = radius;
        r->m_labels.push_back(MeasureLabel(
            LabelKind::Diameter, DiameterFromRadius(ViewPixels(radius), m_unitScale, m_zoom)));
        break;
    }
    case TOOL_AUTO_LINE_LENGTH2: {
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        if (!FitLineEnds(f, x1, y1, x2, y2))
            return true;
        const POINT a{Round(x1 + m_scrollX), Round(y1 + m_scrollY)};
        const POINT b{Round(x2 + m_scrollX), Round(y2 + m_scrollY)};
        r->m_points = {a, b, b};
        r->m_labels.push_back(MeasureLabel(
            LabelKind::Length, LengthFromPixels(ViewPixels(Distance(a, b)), m_unitScale, m_zoom)));
        break;
    }
    case TOOL_AUTO_ARC: {
        double cx = 0, cy = 0, fitted = 0;
        if (!FitCircle(f.data(), int(f.size()), cx, cy, fitted))
            return true;
        // The middle point: the interior point that lies closest to the fitted circle, taken only
        // within the fitted radius of it.
        double deviation = fitted;
        const size_t middle = NearestToCircle(f.data(), f.size(), cx, cy, fitted, &deviation);
        POINT centre{};
        double radius = 0.0;
        int orientation = 0;
        const POINT a = f.front(), m = f[middle], b = f.back();
        if (middle == 0 || !(deviation < fitted) ||
            !CircleThroughPoints(a.x, a.y, m.x, m.y, b.x, b.y, centre, radius, orientation))
            return true;
        const double angle = ArcAngle(a, centre, b, orientation);
        r->m_points = {Canvas(a), Canvas(m), Canvas(b), Canvas(centre), Canvas(centre)};
        r->m_labels = {MeasureLabel(LabelKind::Radius,
                                    LengthFromPixels(ViewPixels(radius), m_unitScale, m_zoom)),
                       ArcAngleLabel(angle),
                       MeasureLabel(LabelKind::Arc, ArcLengthFromAngle(angle, ViewPixels(fitted),
                                                                       m_unitScale, m_zoom))};
        break;
    }
    default:
        return false;
    }
    m_fitPoints.clear();
    List(std::move(r), true);
    return true;
}

// Both sections of the automatic line spacing or angle are dragged: the lines found in them
// make the shape; a section without a line stands in with its centre (spacing) or its drag
// (angle).
bool CMeasureCanvas::FinishSections() {
    const std::vector<CPoint>& k = m_clicks;
    POINT found[2][2]{};
    bool has[2]{};
    for (int s = 0; s < 2; ++s) {
        RECT box;
        int mode = 0;
        if (!LineSectionBox(k[size_t(2 * s)], k[size_t(2 * s + 1)], box, mode))
            return false;
        const POINT a = ToPicture(POINT{box.left, box.top});
        const POINT b = ToPicture(POINT{box.right, box.bottom});
        POINT e1{}, e2{};
        has[s] = m_image->DetectLineInSection(a.x, a.y, b.x, b.y, mode, &e1, &e2) && !Same(e1, e2);
        found[s][0] = e1;
        found[s][1] = e2;
    }
    std::unique_ptr<CMeasureRecord> r = NewRecord(m_shapeTool);
    r->m_fontSize = FontSizeFromHeight();
    double calibrationPixels = -1.0;
    if (m_shapeTool == TOOL_AUTO_ANGLE) {
        POINT g[4];
        for (int i = 0; i < 4; ++i)
            g[i] = has[0] && has[1] ? FromPicture(found[i / 2][i % 2]) : POINT(k[size_t(i)]);
        r->m_points = {Canvas(g[0]), Canvas(g[1]), Canvas(g[2]), Canvas(g[3]), Canvas(k[3])};
        r->m_labels.push_back(AngleLabel(
            AngleBetweenLines(g[0].x, g[0].y, g[1].x, g[1].y, g[2].x, g[2].y, g[3].x, g[3].y)));
    } else {
        POINT g0, g1;
        if (has[0] && has[1]) {
            const POINT a = found[0][0], b = found[0][1], a2 = found[1][0], b2 = found[1][1];
            const POINT m{(a.x + b.x) / 2, (a.y + b.y) / 2};
            POINT foot;
            if (a2.x == b2.x) {
                foot = POINT{a2.x, m.y};
            } else {
                const double slope = double(b2.y - a2.y) / double(b2.x - a2.x);
                const double cut = a2.y - slope * a2.x;
                const double q = slope * slope + 1.0;
                foot = POINT{Round((m.x + slope * (m.y - cut)) / q),
                             Round((slope * m.x + slope * slope * m.y + cut) / q)};
            }
            g0 = FromPicture(m);
            g1 = FromPicture(foot);
        } else {
            g0 = POINT{(k[0].x + k[1].x) / 2, (k[0].y + k[1].y) / 2};
            g1 = POINT{(k[2].x + k[3].x) / 2, (k[2].y + k[3].y) / 2};
        }
        POINT a1, a2, b1, b2;
        OffsetPerpendicular(g0.x, g0.y, g1.x, g1.y, a1, a2, b1, b2, kSpacingTick);
        r->m_points = {Canvas(g0), Canvas(g1), Canvas(a1),  Canvas(a2),
                       Canvas(b1), Canvas(b2), Canvas(k[3])};
        const double d = Distance(g0, g1);
        if (m_calibrationMode == 1) {
            r->m_labels.push_back(CString());
            calibrationPixels = d;
        } else {
            r->m_labels.push_back(MeasureLabel(
                LabelKind::Length, LengthFromPixels(ViewPixels(d), m_unitScale, m_zoom)));
        }
    }
    CMeasureRecord* listed = List(std::move(r), true);
    if (calibrationPixels >= 0.0)
        RunCalibration(listed, calibrationPixels);
    return true;
}

// ---- Calibration ----

// The measured line gives the magnification at which it shows the typed real length. The
// magnification that divides lengths stays exactly that value, so the line then reads the
// typed length, and so does every later measurement at this magnification.
void CMeasureCanvas::RunCalibration(CMeasureRecord* record, double pixels) {
    ReleaseInput();
    EnableWindow(FALSE);
    CCalibrationDlg dialog(GetParent() ? GetParent() : this);
    const INT_PTR answer = dialog.DoModal();
    EnableWindow(TRUE);
    m_calibrationMode = 0;
    const double measured = LengthFromPixels(ViewPixels(pixels), m_unitScale, m_zoom);
    if (answer == IDOK && g_actualDistance > 0.0) {
        const double zoom = measured / g_actualDistance * g_zoomScale;
        if (std::isfinite(zoom) && zoom > 0.0) {
            std::fill(std::begin(g_calibMagnificationText), std::end(g_calibMagnificationText), 0);
            if (CWnd* window = GetParent())
                window->GetDlgItemText(kPhotoMagnificationEdit, g_calibMagnificationText, 48);
            g_zoomScale = zoom;
            g_calibratedZoom = zoom;
            if (CWnd* window = GetParent())
                window->PostMessage(WM_APP_PICTURE_CALIBRATED, 0, 0);
        }
    }
    if (IsListed(record) && !record->m_labels.empty()) {
        record->m_labels[0] = MeasureLabel(
            LabelKind::Length, LengthFromPixels(ViewPixels(pixels), m_unitScale, g_zoomScale));
        record->m_unitsPerPixel = UnitsPerPixel(m_unitScale, g_zoomScale);
    }
    // The label click follows, with the mouse free; it ends the calibration.
    m_calibrationLabel = true;
    Invalidate(FALSE);
}

// ---- Selection ----

void CMeasureCanvas::SelectAt(CPoint c) {
    const POINT p = Canvas(c);
    if (m_toolFlag == 0) {
        int hit = -1;
        for (int i = 0; i < m_shapes.GetSize() && hit < 0; ++i)
            if (HitsShape(*m_shapes.GetAt(i), p))
                hit = i;
        if (hit < 0)
            return;
        for (int i = 0; i < m_shapes.GetSize(); ++i)
            m_shapes.GetAt(i)->m_selected = i == hit ? 1 : 0;
        m_selectedFirst = -1;
        m_selectedSecond = -1;
        Invalidate(FALSE);
        return;
    }
    // Four-point angles are picked in twos: a third pick lets the oldest go.
    for (int i = 0; i < m_shapes.GetSize(); ++i) {
        CMeasureRecord* shape = m_shapes.GetAt(i);
        if (shape->m_selected || !HitsFourPointAngle(*shape, p))
            continue;
        shape->m_selected = 1;
        if (m_selectedFirst == -1) {
            m_selectedFirst = i;
        } else if (m_selectedSecond == -1) {
            m_selectedSecond = i;
        } else {
            if (CMeasureRecord* oldest = m_shapes.GetAt(m_selectedFirst))
                oldest->m_selected = 0;
            m_selectedFirst = m_selectedSecond;
            m_selectedSecond = i;
        }
        Invalidate(FALSE);
    }
}

// ---- Magnifier ----

void CMeasureCanvas::OpenLens(CPoint c) {
    if (m_lensActive)
        CloseLens();
    m_lens = std::make_unique<CMagnifierLens>(this);
    if (!m_lens->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 0, 0), this, 0xFFFF)) {
        m_lens.reset();
        return;
    }
    Redraw(TRUE);
    CopyClientToBitmap();
    const int half = m_lensSize / 2;
    m_lensPoint = POINT{c.x - half, c.y - half};
    HoldInput();
    m_lensState = 1;
    m_lens->MoveWindow(c.x - half, c.y - half, m_lensSize, m_lensSize, TRUE);
    m_lens->ShowWindow(SW_SHOW);
    m_lensActive = 1;
}

void CMeasureCanvas::CloseLens() {
    if (m_lens && m_lens->m_hWnd)
        m_lens->ShowWindow(SW_HIDE);
    ReleaseInput();
    m_lensState = 0;
    if (m_hWnd)
        Redraw(TRUE);
    if (m_lens && m_lens->m_hWnd)
        m_lens->DestroyWindow();
    m_lens.reset();
    m_lensActive = 0;
}

// ---- Moving ----

void CMeasureCanvas::BeginMoveSelected() {
    WCHAR message[32];
    GetLangText(u"SelectImage", message, 32, u"Please select a metafile");
    // The move takes the clicks from here on: a shape in progress ends first.
    if (ShapeInProgress())
        EndShape(false);
    int index = -1;
    const MoveRule* rule = nullptr;
    if (m_toolFlag != 0) {
        // The first picked four-point angle, or the second when only that one is picked.
        index = m_selectedFirst != -1 ? m_selectedFirst : m_selectedSecond;
        if (index == -1) {
            AfxMessageBox(message, MB_OK);
            return;
        }
        const CMeasureRecord* shape = m_shapes.GetAt(index);
        if (!shape || shape->m_kind != TOOL_FOUR_POINT_ANGLE)
            return;
        rule = &FourPointAngleMoveRule();
    } else {
        for (int i = 0; i < m_shapes.GetSize() && index < 0; ++i)
            if (m_shapes.GetAt(i)->m_selected)
                index = i;
        if (index < 0) {
            AfxMessageBox(message, MB_OK);
            return;
        }
        rule = MoveRuleOfKind(m_shapes.GetAt(index)->m_kind);
        if (!rule)
            return;
    }
    CMeasureRecord* shape = m_shapes.GetAt(index);
    if (shape->m_points.empty())
        return;
    m_movingIndex = index;
    m_movingRecord = shape;
    m_moveRule = rule;
    m_moveHandles.clear();
    for (const POINT& p : shape->m_points)
        m_moveHandles.push_back(POINT{p.x - m_scrollX, p.y - m_scrollY});
    m_outlineShown = false;
    m_moving = 1;
    POINT target = MoveAnchorOf(rule->cursorTarget, m_moveHandles);
    ClientToScreen(&target);
    ::SetCursorPos(target.x, target.y);
}

void CMeasureCanvas::DropMove(CPoint c) {
    m_moving = 0;
    m_outlineShown = false;
    // A shape deleted or moved in the list meanwhile is not the one picked: nothing moves.
    if (m_moveRule && m_movingRecord && m_shapes.GetAt(m_movingIndex) == m_movingRecord &&
        m_moveHandles.size() == m_movingRecord->m_points.size()) {
        MoveHandlesTo(*m_moveRule, m_moveHandles, c);
        for (size_t i = 0; i < m_moveHandles.size(); ++i)
            m_movingRecord->m_points[i] = Canvas(m_moveHandles[i]);
    }
    m_movingRecord = nullptr;
    m_moveRule = nullptr;
    Invalidate(FALSE);
}

// ---- Release, right button, double click ----

void CMeasureCanvas::OnLButtonUp(UINT flags, CPoint point) {
    if (m_shapeTool == TOOL_EDGE_PORTION || (m_tool == TOOL_EDGE_PORTION && m_image)) {
        CRect section;
        if (m_shapeTool == TOOL_EDGE_PORTION && !m_clicks.empty()) {
            section = CRect(m_clicks.front(), point);
            section.NormalizeRect();
            const CRect area = PictureArea();
            section.IntersectRect(&section, &area);
        }
        EndShape(false);
        if (section.IsRectEmpty()) {
            WCHAR message[128];
            GetLangText(u"SelectSection", message, 128, u"Please select section first");
            AfxMessageBox(message, MB_OK);
        } else {
            const POINT a = ToPicture(section.TopLeft());
            const POINT b = ToPicture(section.BottomRight());
            m_image->CheckEdgePortion(a.x, a.y, b.x, b.y);
            Invalidate(FALSE);
        }
    }
    CDialog::OnLButtonUp(flags, point);
}

void CMeasureCanvas::OnRButtonDown(UINT flags, CPoint point) {
    if (m_image) {
        if (FinishAutoFit(point)) {
            // fitted, or refused with the points kept
        } else if (m_moving) {
            m_moving = 0;
            m_outlineShown = false;
            m_movingRecord = nullptr;
            Invalidate(FALSE);
        } else if (IsManualTool(m_shapeTool)) {
            EndShape(true);
        } else if (m_tool == TOOL_MAGNIFIER && m_lensActive) {
            CloseLens();
        }
    }
    CDialog::OnRButtonDown(flags, point);
}

void CMeasureCanvas::OnLButtonDblClk(UINT flags, CPoint point) {
    // The first click of the double click was an ordinary click; the second finishes the
    // line once it has a segment.
    if (m_shapeTool == TOOL_CONTINUOUS_LINE && m_toolMode == TOOL_MODE_MEASURE &&
        m_polyPoints.size() >= 3) {
        auto r = NewRecord(TOOL_CONTINUOUS_LINE);
        r->m_fontSize = FontSizeFromHeight();
        r->m_points = m_polyPoints;
        r->m_labels = m_polyLabels;
        List(std::move(r), false);
        EndShape(false);
    }
    CDialog::OnLButtonDblClk(flags, point);
}
