#include "measure/MeasureSession.h"

#include "measure/CanvasShapeRules.h"
#include "measure/Geometry.h"

#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

LONG Rounded(double v) {
    return static_cast<LONG>(v + 0.5);
}

POINT Middle(POINT a, POINT b) {
    return POINT{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

bool SamePoint(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

// Adds 0.5 and truncates; false when the value is no coordinate an int holds.
bool RoundedPixel(double v, LONG& out) {
    if (!std::isfinite(v) || std::fabs(v) > 1e7)
        return false;
    out = static_cast<LONG>(v + 0.5);
    return true;
}

// The foot of the perpendicular from p on the line through a and b (a vertical one included),
// rounded.
POINT FootOnLine(POINT a, POINT b, POINT p) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    return POINT{Rounded(a.x + t * dx), Rounded(a.y + t * dy)};
}

// The canvas's numbering of its record kinds; every other kind has no canvas code (the
// selection and the magnifier are tools that make no record).
struct CodePair {
    ShapeKind kind;
    int canvas;
};
constexpr CodePair kCanvasCodes[] = {
    {LIVE_LINE, CANVAS_KIND_LINE},
    {LIVE_RECTANGLE, CANVAS_KIND_RECTANGLE},
    {LIVE_TEXT, CANVAS_KIND_TEXT},
    {LIVE_ANGLE, TOOL_ANGLE},
    {LIVE_CONTINUAL_LINE, TOOL_CONTINUOUS_LINE},
    {LIVE_THREE_POINT_CIRCLE, TOOL_THREE_POINT_CIRCLE},
    {LIVE_FOUR_POINT_ANGLE, TOOL_FOUR_POINT_ANGLE},
    {LIVE_TWO_CIRCLES, TOOL_TWO_CIRCLES},
    {LIVE_PARALLEL_LINE, TOOL_PARALLEL_LINE},
    {LIVE_CIRCLE_LABEL, TOOL_CIRCLE_LABEL},
    {LIVE_AUTO_DISTANCE, TOOL_AUTO_LINE_SPACING},
    {LIVE_AUTO_CIRCLE, TOOL_AUTO_CIRCLE},
    {SHAPE_EDGE_PORTION, TOOL_EDGE_PORTION},
    {LIVE_AUTO_ANGLE, TOOL_AUTO_ANGLE},
    {LIVE_DOT_LINE, TOOL_DOT_LINE},
    {SHAPE_AUTO_LINE_TWO, TOOL_AUTO_LINE_LENGTH2},
    {LIVE_ARC, TOOL_ARC},
    {LIVE_AUTO_ARC, TOOL_AUTO_ARC},
};

// The still view's numbering: its tool codes.
constexpr CodePair kStillCodes[] = {
    {LIVE_LINE, 1},
    {LIVE_DOT_LINE, 2},
    {LIVE_RADIUS_CIRCLE, 6},
    {LIVE_DIAMETER_CIRCLE, 7},
    {LIVE_THREE_POINT_CIRCLE, 8},
    {LIVE_ARC, 9},
    {LIVE_ANGLE, 10},
    {LIVE_FOUR_POINT_ANGLE, 11},
    {LIVE_CONTINUAL_LINE, 12},
    {LIVE_POLYGON, 13},
};

// Wavenor's canvas: its kinds 1 to 10.
constexpr CodePair kWifiCanvasCodes[] = {
    {LIVE_LINE, CANVAS_KIND_LINE},
    {LIVE_RADIUS_CIRCLE, WIFI_KIND_RADIUS_CIRCLE},
    {LIVE_RECTANGLE, CANVAS_KIND_RECTANGLE},
    {LIVE_TEXT, CANVAS_KIND_TEXT},
    {LIVE_ANGLE, TOOL_ANGLE},
    {LIVE_CONTINUAL_LINE, TOOL_CONTINUOUS_LINE},
    {LIVE_POLYGON, WIFI_KIND_POLYGON},
    {LIVE_DIAMETER_CIRCLE, WIFI_KIND_DIAMETER_CIRCLE},
    {LIVE_THREE_POINT_CIRCLE, TOOL_THREE_POINT_CIRCLE},
    {LIVE_FOUR_POINT_ANGLE, TOOL_FOUR_POINT_ANGLE},
};

bool TwoPointKind(ShapeKind k) {
    return k == LIVE_LINE || k == LIVE_PARALLEL_LINE || k == LIVE_RECTANGLE || k == LIVE_ELLIPSE ||
           k == LIVE_RADIUS_CIRCLE || k == LIVE_DIAMETER_CIRCLE;
}

// Shapes of two pairs of presses, whose third press starts the second pair.
bool PairKind(ShapeKind k) {
    return k == LIVE_FOUR_POINT_ANGLE || k == LIVE_AUTO_DISTANCE || k == LIVE_AUTO_ANGLE;
}

bool FitKind(ShapeKind k) {
    return k == LIVE_AUTO_CIRCLE || k == LIVE_AUTO_LINE || k == LIVE_AUTO_ARC ||
           k == SHAPE_AUTO_LINE_TWO;
}

// The labels of the two-point shapes from their two presses.
std::vector<CString> TwoPointLabels(ShapeKind kind, POINT c1, POINT c2, const MeasureContext& x) {
    const double S = x.unitScale, m = x.magnification;
    const LONG w = c2.x - c1.x, h = c2.y - c1.y;
    const double d = Distance(c1, c2);
    switch (kind) {
    case LIVE_RECTANGLE:
        return {x.Label(LabelKind::Area, AreaFromPixels(double(w) * h, S, m)),
                x.Label(LabelKind::Width, LengthFromPixels(std::fabs(double(w)), S, m)),
                x.Label(LabelKind::Height, LengthFromPixels(std::fabs(double(h)), S, m))};
    case LIVE_ELLIPSE:
        return {
            x.Label(LabelKind::Area, AreaFromPixels(std::fabs(double(w) * h) * 0.78539815, S, m)),
            x.Label(LabelKind::AxisA, LengthFromPixels(std::labs(w) / 2, S, m)),
            x.Label(LabelKind::AxisB, LengthFromPixels(std::labs(h) / 2, S, m))};
    case LIVE_RADIUS_CIRCLE:
        return {x.Label(LabelKind::Area, CircleAreaFromRadius(d, S, m)),
                x.Label(LabelKind::Radius, LengthFromPixels(d, S, m)),
                x.Label(LabelKind::Girth, CircumferenceFromRadius(d, S, m))};
    case LIVE_DIAMETER_CIRCLE:
        return {x.Label(LabelKind::Area, CircleAreaFromRadius(d * 0.5, S, m)),
                x.Label(LabelKind::Radius, LengthFromPixels(d / 2.0, S, m)),
                x.Label(LabelKind::Girth, CircumferenceFromDiameter(d, S, m))};
    default: // the line and the parallel line
        return {x.Length(d)};
    }
}

// The draft's point index (from its end when fromEnd) moves to p; nothing where the draft has
// no such point.
bool MoveDraftPoint(CDraftShape& d, size_t index, bool fromEnd, POINT p) {
    const size_t n = d.m_points.size();
    if (index >= n)
        return false;
    d.m_points[fromEnd ? n - 1 - index : index] = p;
    return true;
}

} // namespace

// ---- Context and codes ----

CString MeasureContext::Label(LabelKind kind, double value) const {
    return MeasureLabel(kind, value, decimals, unit.GetString());
}

CString MeasureContext::Length(double pixels) const {
    return Label(LabelKind::Length, LengthFromPixels(Pixels(pixels), unitScale, magnification));
}

double MeasureContext::Pixels(double sessionPixels) const {
    return viewScale > 0.0 ? sessionPixels / viewScale : sessionPixels;
}

POINT MeasureContext::ToFrame(POINT p) const {
    const auto clamp = [](LONG v, int size) {
        return std::max<LONG>(0, std::min<LONG>(v, size - 1));
    };
    return POINT{clamp(Rounded(p.x * xScale), frameWidth),
                 clamp(Rounded(p.y * yScale), frameHeight)};
}

POINT MeasureContext::ToSession(POINT q) const {
    return POINT{Rounded(q.x / xScale), Rounded(q.y / yScale)};
}

int StoredKind(ShapeKind kind, KindCodes codes) {
    if (codes == KindCodes::Live)
        return kind;
    if (codes == KindCodes::Still) {
        for (const CodePair& c : kStillCodes)
            if (c.kind == kind)
                return c.canvas;
        return kind == SHAPE_NONE ? 0 : -1;
    }
    if (codes == KindCodes::WifiCanvas) {
        for (const CodePair& c : kWifiCanvasCodes)
            if (c.kind == kind)
                return c.canvas;
        return kind == SHAPE_NONE ? TOOL_NONE : -1;
    }
    for (const CodePair& c : kCanvasCodes)
        if (c.kind == kind)
            return c.canvas;
    return kind == SHAPE_NONE ? TOOL_NONE : -1;
}

ShapeKind KindOfStored(int code, KindCodes codes) {
    if (codes == KindCodes::Live)
        return code >= LIVE_LINE && code <= LIVE_AUTO_ANGLE ? static_cast<ShapeKind>(code)
                                                            : SHAPE_NONE;
    if (codes == KindCodes::Still) {
        for (const CodePair& c : kStillCodes)
            if (c.canvas == code)
                return c.kind;
        return SHAPE_NONE;
    }
    if (codes == KindCodes::WifiCanvas) {
        for (const CodePair& c : kWifiCanvasCodes)
            if (c.canvas == code)
                return c.kind;
        return SHAPE_NONE;
    }
    for (const CodePair& c : kCanvasCodes)
        if (c.canvas == code)
            return c.kind;
    return SHAPE_NONE;
}

ShapeKind KindOfCanvasTool(int tool) {
    switch (tool) {
    case TOOL_SELECT:
        return SHAPE_SELECT;
    case TOOL_MAGNIFIER:
        return SHAPE_MAGNIFIER;
    case TOOL_NONE:
    case CANVAS_KIND_LINE: // no tool has this value: it is the straight line's record code
        return SHAPE_NONE;
    default:
        return KindOfStored(CanvasKindOfTool(tool), KindCodes::Canvas);
    }
}

// ---- Fits and geometry ----

bool FitAutoCircle(const std::vector<POINT>& edge, const MeasureContext& x, FittedShape& out) {
    double cx = 0, cy = 0, r = 0;
    POINT c{};
    LONG radius = 0;
    if (!FitCircle(edge.data(), static_cast<int>(edge.size()), cx, cy, r) ||
        !RoundedPixel(cx, c.x) || !RoundedPixel(cy, c.y) || !RoundedPixel(r, radius))
        return false;
    out.points = {c, c};
    out.labels = {
        x.Label(LabelKind::Diameter, DiameterFromRadius(r, x.unitScale, x.magnification))};
    out.radius = static_cast<int>(radius);
    return true;
}

bool FitAutoArc(const std::vector<POINT>& edge, const MeasureContext& x, FittedShape& out) {
    double cx = 0, cy = 0, r = 0;
    LONG radius = 0;
    if (edge.size() < 3 || !FitCircle(edge.data(), static_cast<int>(edge.size()), cx, cy, r) ||
        !RoundedPixel(r, radius))
        return false;
    // The middle point: the inner point nearest to the fitted circle, however far it lies.
    const size_t middle = NearestToCircle(edge.data(), edge.size(), cx, cy, r, nullptr);
    const POINT a = edge.front(), mid = edge[middle], b = edge.back();
    POINT q{};
    double circleRadius = 0.0;
    int orientation = 0;
    if (!CircleThroughPoints(a.x, a.y, mid.x, mid.y, b.x, b.y, q, circleRadius, orientation))
        return false;
    const double angle = ArcAngle(a, q, b, orientation);
    const double S = x.unitScale, m = x.magnification;
    out.points = {a, mid, b, q};
    out.labels = {x.Label(LabelKind::Radius, LengthFromPixels(circleRadius, S, m)),
                  ArcAngleLabel(angle),
                  x.Label(LabelKind::Arc, ArcLengthFromAngle(angle, r, S, m))};
    out.radius = static_cast<int>(radius);
    return true;
}

bool FitAutoLine(const std::vector<POINT>& edge, const MeasureContext& x, FittedShape& out) {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    POINT e1{}, e2{};
    if (!FitLineEnds(edge, x1, y1, x2, y2) || !RoundedPixel(x1, e1.x) || !RoundedPixel(y1, e1.y) ||
        !RoundedPixel(x2, e2.x) || !RoundedPixel(y2, e2.y))
        return false;
    if (e2.x < e1.x || (e2.x == e1.x && e2.y < e1.y))
        std::swap(e1, e2);
    const double dx = double(e2.x) - e1.x, dy = double(e2.y) - e1.y;
    out.points = {e1, e2, e2};
    out.labels = {x.Length(std::sqrt(dx * dx + dy * dy))};
    out.radius = 0;
    return true;
}

bool CircleCentreOfPresses(POINT a, POINT b, POINT c, double& cx, double& cy) {
    // Points equidistant from a and b: 2(b - a).q = |b|^2 - |a|^2; likewise for a and c.
    const double a1 = 2.0 * (double(b.x) - a.x), b1 = 2.0 * (double(b.y) - a.y);
    const double c1 = double(b.x) * b.x - double(a.x) * a.x + double(b.y) * b.y - double(a.y) * a.y;
    const double a2 = 2.0 * (double(c.x) - a.x), b2 = 2.0 * (double(c.y) - a.y);
    const double c2 = double(c.x) * c.x - double(a.x) * a.x + double(c.y) * c.y - double(a.y) * a.y;
    const double det = a1 * b2 - a2 * b1;
    if (det == 0.0)
        return false;
    cx = (c1 * b2 - c2 * b1) / det;
    cy = (a1 * c2 - a2 * c1) / det;
    return true;
}

double PolygonAreaPixels(const std::vector<POINT>& points) {
    if (points.size() < 3)
        return 0.0;
    HRGN region = CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE);
    if (!region)
        return 0.0;
    // The region's rectangles do not overlap and hold exactly its pixels: their areas add up to
    // the count of the pixels inside, without testing each pixel of the bounding box.
    double count = 0.0;
    std::vector<char> buffer(GetRegionData(region, 0, nullptr));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (buffer.size() >= sizeof(RGNDATAHEADER) &&
        GetRegionData(region, static_cast<DWORD>(buffer.size()), data) == buffer.size()) {
        for (DWORD i = 0; i < data->rdh.nCount; ++i) {
            RECT r;
            std::memcpy(&r, data->Buffer + i * sizeof(RECT), sizeof r);
            count += double(r.right - r.left) * double(r.bottom - r.top);
        }
    }
    DeleteObject(region);
    return count;
}

// ---- The session ----

MeasureSession::MeasureSession(MeasureStore& store, KindCodes codes)
    : MeasureSession(store, codes, SessionRules{}) {}

MeasureSession::MeasureSession(MeasureStore& store, KindCodes codes, const SessionRules& rules)
    : m_store(store), m_codes(codes), m_rules(rules), m_clicks(9, POINT{0, 0}) {}

POINT MeasureSession::Click(int i) const {
    return i >= 0 && i < static_cast<int>(m_clicks.size()) ? m_clicks[static_cast<size_t>(i)]
                                                           : POINT{0, 0};
}

bool MeasureSession::NextIsFirst() const {
    if (m_next == 0)
        return true;
    if (PairKind(m_shape))
        return m_next == 2;
    if (FitKind(m_shape))
        return !m_fitted;
    return false;
}

bool MeasureSession::FitReady() const {
    if (!FitKind(m_shape) || m_fitted || m_shape != m_tool)
        return false;
    return m_next >= (m_shape == LIVE_AUTO_LINE || m_shape == SHAPE_AUTO_LINE_TWO ? 2 : 3);
}

bool MeasureSession::FitInProgress() const {
    return FitKind(m_shape) && m_next > 0;
}

void MeasureSession::End() {
    m_listed = nullptr;
    m_shape = SHAPE_NONE;
    m_next = 0;
    m_labelsOnly = false;
    m_fitted = false;
    m_store.Rubber().active = 0;
    m_store.Rubber().automatic = 0;
}

void MeasureSession::SetFirstLabel(const CString& text) {
    m_labels[0] = text;
    MeasureStore::Lock lock(m_store);
    if (!lock.Draft().m_labels.empty())
        lock.Draft().m_labels[0] = text;
}

void MeasureSession::Take(int index, POINT p) {
    m_clicks[static_cast<size_t>(index)] = p;
    m_next = index + 1;
}

PressOutcome MeasureSession::LabelsLeft(PressResult result, double value) {
    m_labelsOnly = true;
    return PressOutcome{result, value, false};
}

void MeasureSession::Dress(CMeasureRecord& r, ShapeKind kind, const MeasureContext& x) const {
    r.m_kind = StoredKind(kind, m_codes);
    r.m_penWidth = x.pen.width;
    r.m_penStyle = x.pen.style;
    r.m_lineColor = x.pen.lineColor;
    r.m_labelColor = x.pen.labelColor;
    r.m_unitsPerPixel = UnitsPerPixel(x.unitScale, x.magnification);
}

std::unique_ptr<CMeasureRecord> MeasureSession::NewRecord(ShapeKind kind, bool labelStep,
                                                          const MeasureContext& x) const {
    auto r = std::make_unique<CMeasureRecord>();
    Dress(*r, kind, x);
    r->m_labelFont = x.pen.labelFont;
    if (labelStep)
        r->m_fontSize = x.pen.labelStep;
    return r;
}

std::vector<POINT> MeasureSession::DraftPoints() const {
    MeasureStore::Lock lock(m_store);
    return lock.Draft().m_points;
}

std::unique_ptr<CMeasureRecord> MeasureSession::RecordOfDraft(ShapeKind kind, bool labelStep,
                                                              const MeasureContext& x) const {
    auto record = NewRecord(kind, labelStep, x);
    MeasureStore::Lock lock(m_store);
    record->m_points = lock.Draft().m_points;
    record->m_labels = lock.Draft().m_labels;
    return record;
}

PressOutcome MeasureSession::Complete(std::unique_ptr<CMeasureRecord> record) {
    End();
    Keep(std::move(record));
    return PressOutcome{PressResult::Completed, 0.0, false};
}

void MeasureSession::Keep(std::unique_ptr<CMeasureRecord> record) {
    if (!m_rules.keepUndone) {
        m_store.Finish(std::move(record), true);
        return;
    }
    MeasureStore::Lock lock(m_store);
    lock.Shapes().Add(std::move(record));
    lock.Draft().m_points.clear();
    lock.Draft().m_labels.clear();
}

PressOutcome MeasureSession::Press(POINT p, const MeasureContext& x) {
    if (m_listed)
        return PlaceLabel(p);
    if (const ClickRule* rule = ClickRuleOf(m_tool))
        return RulePress(*rule, p, x);
    if (m_rules.make)
        return MadePress(p, x);
    return ShapePress(p, x);
}

PressOutcome MeasureSession::ShapePress(POINT p, const MeasureContext& x) {
    return NextIsFirst() ? FirstPress(p, x) : LaterPress(p, x);
}

// ---- Records a user makes of its own ----

struct MeasureSession::Saved {
    ShapeKind shape;
    int next;
    std::vector<POINT> clicks;
    POINT segmentStart;
    CString labels[3];
    CDraftShape draft;
};

MeasureSession::Saved MeasureSession::Save() const {
    Saved s{m_shape, m_next, m_clicks, m_segmentStart, {m_labels[0], m_labels[1], m_labels[2]}, {}};
    MeasureStore::Lock lock(m_store);
    s.draft = lock.Draft();
    return s;
}

void MeasureSession::Restore(const Saved& s) {
    m_shape = s.shape;
    m_next = s.next;
    m_clicks = s.clicks;
    m_segmentStart = s.segmentStart;
    m_labelsOnly = false;
    std::copy(std::begin(s.labels), std::end(s.labels), std::begin(m_labels));
    MeasureStore::Lock lock(m_store);
    lock.Draft() = s.draft;
}

std::unique_ptr<CMeasureRecord> MeasureSession::Made(ShapeKind kind,
                                                     const std::vector<POINT>& clicks,
                                                     const MeasureContext& x) const {
    std::unique_ptr<CMeasureRecord> record = m_rules.make(kind, clicks, x);
    if (record)
        Dress(*record, kind, x);
    return record;
}

// The press runs as the live view's; where it completes the geometry, the user's record of the
// clicks is listed, or the press is refused with everything as it was before it.
PressOutcome MeasureSession::MadePress(POINT p, const MeasureContext& x) {
    const Saved before = Save();
    const PressOutcome out = ShapePress(p, x);
    if (out.result != PressResult::LabelsOnly && out.result != PressResult::Calibrate)
        return out;
    const size_t taken = std::min(static_cast<size_t>(m_next), m_clicks.size());
    const std::vector<POINT> clicks(m_clicks.begin(), m_clicks.begin() + static_cast<long>(taken));
    std::unique_ptr<CMeasureRecord> record = Made(m_shape, clicks, x);
    if (!record) {
        Restore(before);
        return PressOutcome{PressResult::Refused, 0.0, false};
    }
    List(std::move(record));
    return out;
}

// The polygon with an edge, listed as its vertices are; the next press places its label.
PressOutcome MeasureSession::ListPolygon(const MeasureContext& x) {
    const std::vector<POINT> points = DraftPoints();
    if (points.size() < 2)
        return {};
    std::unique_ptr<CMeasureRecord> record = Made(LIVE_POLYGON, points, x);
    if (!record)
        return PressOutcome{PressResult::Refused, 0.0, false};
    List(std::move(record));
    return LabelsLeft();
}

PressOutcome MeasureSession::FirstPress(POINT p, const MeasureContext& x) {
    const ShapeKind tool = m_tool;
    if (TwoPointKind(tool) || tool == LIVE_DOT_LINE)
        return Start(p, {p, p});
    switch (tool) {
    case LIVE_CONTINUAL_LINE:
        m_store.Rubber().active = 0;
        m_segmentStart = p;
        return Start(p, {p});
    case LIVE_POLYGON:
    case LIVE_THREE_POINT_CIRCLE:
    case LIVE_ARC:
    case LIVE_TWO_CIRCLES:
    case LIVE_ANGLE:
    case LIVE_RULER:
        return Start(p, {p});
    case LIVE_FOUR_POINT_ANGLE:
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE:
        return StartPair(p);
    case LIVE_AUTO_CIRCLE:
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_ARC:
    case SHAPE_AUTO_LINE_TWO:
        return AutoEdgePress(p, x);
    case SHAPE_EDGE_PORTION: // a drag: its release ends it
        return Start(p, {p});
    case LIVE_CIRCLE_LABEL:
    case LIVE_SQUARE_LABEL:
        return LabelPress(p, x);
    default:
        return {};
    }
}

PressOutcome MeasureSession::Start(POINT p, std::vector<POINT> draft) {
    m_shape = m_tool;
    m_labelsOnly = false;
    m_fitted = false;
    Take(0, p);
    MeasureStore::Lock lock(m_store);
    lock.Draft().m_points = std::move(draft);
    lock.Draft().m_labels.clear();
    return PressOutcome{PressResult::Started, 0.0, false};
}

// The second pair starts with a first press that keeps the first pair's two points.
PressOutcome MeasureSession::StartPair(POINT p) {
    const bool second = m_shape == m_tool && m_next == 2;
    {
        MeasureStore::Lock lock(m_store);
        CDraftShape& d = lock.Draft();
        if (!second) {
            d.m_points.clear();
            d.m_labels.clear();
        }
        d.m_points.push_back(p);
    }
    if (second) {
        if (m_tool != LIVE_FOUR_POINT_ANGLE)
            m_store.Rubber().automatic = 0;
        Take(2, p);
    } else {
        m_shape = m_tool;
        m_labelsOnly = false;
        Take(0, p);
    }
    return PressOutcome{PressResult::Started, 0.0, false};
}

// While collecting, each press adds the edge point nearest to it on the still (the press
// itself where there is no edge or no still).
PressOutcome MeasureSession::AutoEdgePress(POINT p, const MeasureContext& x) {
    const POINT q = x.ToFrame(p);
    POINT edge = q;
    const bool found = x.edges && x.edges->EdgeNear(q, edge);
    const POINT point = x.ToSession(found ? edge : q);
    if (m_shape != m_tool) {
        m_shape = m_tool;
        m_next = 0;
        m_labelsOnly = false;
        m_fitted = false;
    }
    {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(point);
    }
    ++m_next;
    return PressOutcome{PressResult::Started, 0.0, false};
}

// Circle and square labels: one press lists the next number.
PressOutcome MeasureSession::LabelPress(POINT p, const MeasureContext& x) {
    int& counter = m_tool == LIVE_CIRCLE_LABEL ? g_circleLabelCount : g_squareLabelCount;
    ++counter;
    auto record = NewRecord(m_tool, false, x);
    if (!m_rules.labelsKeepPenFont)
        record->m_labelFont = LOGFONTW{};
    record->m_points = {p};
    record->m_labels = {NumberLabel(counter)};
    m_store.Finish(std::move(record), false);
    return PressOutcome{PressResult::Listed, 0.0, false};
}

PressOutcome MeasureSession::LaterPress(POINT p, const MeasureContext& x) {
    if (TwoPointKind(m_shape))
        return TwoPointPress(p, x);
    switch (m_shape) {
    case LIVE_DOT_LINE:
        return DotLinePress(p, x);
    case LIVE_CONTINUAL_LINE:
        return ContinualPress(p, x);
    case LIVE_POLYGON:
        return PolygonPress(p, x);
    case LIVE_ARC:
        return ArcPress(p, x);
    case LIVE_THREE_POINT_CIRCLE:
        return ThreePointCirclePress(p, x);
    case LIVE_TWO_CIRCLES:
        return TwoCirclesPress(p, x);
    case LIVE_ANGLE:
        return AnglePress(p, x);
    case LIVE_FOUR_POINT_ANGLE:
        return FourPointAnglePress(p, x);
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE:
        return SectionsPress(p, x);
    case LIVE_AUTO_CIRCLE:
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_ARC:
    case SHAPE_AUTO_LINE_TWO:
        return AutoLabelPress(x);
    case LIVE_RULER:
        return m_next == 1 ? RulerPress(p) : PressOutcome{};
    default:
        return {};
    }
}

// Line, parallel line, rectangle, ellipse and the circles by radius and by diameter: the
// second press gives the labels, the third places them and completes the record.
PressOutcome MeasureSession::TwoPointPress(POINT p, const MeasureContext& x) {
    const ShapeKind kind = m_shape;
    if (m_next >= 2) {
        // The record takes the labels as they stand.
        auto record = NewRecord(kind, kind != LIVE_LINE && kind != LIVE_PARALLEL_LINE, x);
        record->m_points = {m_clicks[0], m_clicks[1], p};
        {
            MeasureStore::Lock lock(m_store);
            record->m_labels = lock.Draft().m_labels;
        }
        PressOutcome done = Complete(std::move(record));
        done.cursor =
            kind == LIVE_ELLIPSE || kind == LIVE_RADIUS_CIRCLE || kind == LIVE_DIAMETER_CIRCLE;
        return done;
    }
    Take(1, p);
    std::vector<CString> labels = TwoPointLabels(kind, m_clicks[0], p, x);
    m_labels[0] = labels.front();
    const bool calibrate = kind == m_rules.calibrates && x.calibrating;
    if (calibrate)
        labels = {CString()}; // the label waits for the calibration's result
    {
        MeasureStore::Lock lock(m_store);
        CDraftShape& d = lock.Draft();
        if (d.m_points.size() > 1)
            d.m_points[1] = p;
        d.m_points.push_back(p); // the label's place, which now follows the mouse
        d.m_labels = std::move(labels);
    }
    if (!calibrate)
        return LabelsLeft();
    return LabelsLeft(PressResult::Calibrate, Distance(m_clicks[0], p) * x.unitScale * 10.0);
}

PressOutcome MeasureSession::DotLinePress(POINT p, const MeasureContext& x) {
    const POINT c1 = m_clicks[0];
    if (m_next == 1) {
        Take(1, p);
        MeasureStore::Lock lock(m_store);
        MoveDraftPoint(lock.Draft(), 0, true, p); // the second point of [c1, c1]
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    if (m_next == 2) {
        // The distance from the third press to the line through the first two.
        const POINT c2 = m_clicks[1];
        Take(2, p);
        POINT foot{};
        PerpendicularFoot(c1.x, c1.y, c2.x, c2.y, p.x, p.y, 1.0, 1.0, foot);
        m_labels[0] = x.Length(Distance(p, foot));
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.insert(lock.Draft().m_points.end(), {p, p});
        lock.Draft().m_labels.push_back(m_labels[0]);
        return LabelsLeft();
    }
    auto record = NewRecord(LIVE_DOT_LINE, false, x);
    record->m_points = {c1, m_clicks[1], m_clicks[2], p};
    record->m_labels = {m_labels[0]};
    return Complete(std::move(record));
}

// Presses alternate between a vertex and the place of the label of the segment ending there;
// the double click completes the line.
PressOutcome MeasureSession::ContinualPress(POINT p, const MeasureContext& x) {
    MeasureStore::Lock lock(m_store);
    CDraftShape& d = lock.Draft();
    if (m_next % 2 == 1) {
        const CString label =
            x.Label(LabelKind::Segment, LengthFromPixels(x.Pixels(Distance(m_segmentStart, p)),
                                                         x.unitScale, x.magnification));
        d.m_points.insert(d.m_points.end(), {p, p});
        d.m_labels.push_back(label);
        m_segmentStart = p;
    } else {
        MoveDraftPoint(d, 0, true, p);
    }
    ++m_next;
    return PressOutcome{PressResult::Took, 0.0, false};
}

// Presses add vertices until the double click closes the polygon; the press after it places
// the area label and completes the record.
PressOutcome MeasureSession::PolygonPress(POINT p, const MeasureContext& x) {
    if (!m_labelsOnly) {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(p);
        ++m_next;
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    auto record = NewRecord(LIVE_POLYGON, true, x);
    {
        MeasureStore::Lock lock(m_store);
        record->m_points = lock.Draft().m_points;
        if (!lock.Draft().m_labels.empty())
            record->m_labels = {lock.Draft().m_labels.front()};
    }
    return Complete(std::move(record));
}

PressOutcome MeasureSession::DoubleClick(const MeasureContext& x) {
    // The continual line ends once it has the presses the rules ask for; the press of the
    // double click has already added its last vertex or label place.
    if (m_tool == LIVE_CONTINUAL_LINE && m_shape == LIVE_CONTINUAL_LINE &&
        m_next >= m_rules.continualEndsAt)
        return EndContinual(x);
    if (m_shape != LIVE_POLYGON || m_next == 0 || m_labelsOnly)
        return {};
    return m_rules.make ? ListPolygon(x) : ClosePolygon(x);
}

// The line as collected, its label places all taken.
PressOutcome MeasureSession::EndContinual(const MeasureContext& x) {
    std::unique_ptr<CMeasureRecord> record = m_rules.make
                                                 ? Made(LIVE_CONTINUAL_LINE, DraftPoints(), x)
                                                 : RecordOfDraft(LIVE_CONTINUAL_LINE, true, x);
    if (!record)
        return PressOutcome{PressResult::Refused, 0.0, false};
    return Complete(std::move(record));
}

// Closed at its first vertex, and that point again as the label's place.
PressOutcome MeasureSession::ClosePolygon(const MeasureContext& x) {
    std::vector<POINT> points;
    {
        MeasureStore::Lock lock(m_store);
        std::vector<POINT>& d = lock.Draft().m_points;
        if (!d.empty()) {
            const POINT first = d.front();
            d.push_back(first);
            d.push_back(first);
        }
        points = d;
    }
    m_labels[0] = x.Label(LabelKind::Area,
                          AreaFromPixels(PolygonAreaPixels(points), x.unitScale, x.magnification));
    {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_labels.push_back(m_labels[0]);
    }
    return LabelsLeft();
}

PressOutcome MeasureSession::ArcPress(POINT p, const MeasureContext& x) {
    if (m_next == 1) {
        Take(1, p);
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.insert(lock.Draft().m_points.end(), {p, p});
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    if (m_next >= 3)
        return Complete(RecordOfDraft(LIVE_ARC, true, x));
    const POINT c1 = m_clicks[0], c2 = m_clicks[1], c3 = p;
    POINT centre{};
    double r = 0.0;
    int orientation = 0;
    // Three presses on one straight line give no arc: the press is refused.
    if (!CircleThroughPoints(c1.x, c1.y, c2.x, c2.y, c3.x, c3.y, centre, r, orientation))
        return PressOutcome{PressResult::Refused, 0.0, false};
    Take(2, p);
    const double a = ArcAngle(c1, centre, c3, orientation);
    const double S = x.unitScale, m = x.magnification;
    m_labels[0] = x.Label(LabelKind::Radius, LengthFromPixels(r, S, m));
    m_labels[1] = ArcAngleLabel(a);
    m_labels[2] =
        x.Label(LabelKind::Arc, m > 0 ? a * r * S * 62.830000000000005 / (m * 360.0) : 0.0);
    {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points = {c1, c2, c3, c3};
        lock.Draft().m_labels = {m_labels[0], m_labels[1], m_labels[2]};
    }
    return LabelsLeft();
}

PressOutcome MeasureSession::ThreePointCirclePress(POINT p, const MeasureContext& x) {
    if (m_next == 1) {
        Take(1, p);
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(p);
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    if (m_next >= 3) {
        auto record = RecordOfDraft(LIVE_THREE_POINT_CIRCLE, true, x);
        if (record->m_points.size() > 3)
            record->m_points[3] = p;
        return Complete(std::move(record));
    }
    const POINT c1 = m_clicks[0];
    double cx = 0, cy = 0;
    // Three presses on one straight line give no circle: the press is refused.
    if (!CircleCentreOfPresses(c1, m_clicks[1], p, cx, cy) || std::fabs(cx) > 1e7 ||
        std::fabs(cy) > 1e7)
        return PressOutcome{PressResult::Refused, 0.0, false};
    Take(2, p);
    const double radius = std::hypot(cx - c1.x, cy - c1.y);
    m_labels[0] =
        x.Label(LabelKind::Diameter, DiameterFromRadius(radius, x.unitScale, x.magnification));
    {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.insert(lock.Draft().m_points.end(),
                                     {POINT{Rounded(cx), Rounded(cy)}, p});
        lock.Draft().m_labels.push_back(m_labels[0]);
    }
    return LabelsLeft();
}

// Nine presses: three on each circle and a label place after each, and the place of the
// distance of the centres.
PressOutcome MeasureSession::TwoCirclesPress(POINT p, const MeasureContext& x) {
    const int press = m_next + 1; // 2 to 9
    if (press > 9)
        return {};
    const double S = x.unitScale, m = x.magnification;
    const POINT* c = m_clicks.data();
    PressOutcome outcome{PressResult::Took, 0.0, false};
    {
        MeasureStore::Lock lock(m_store);
        CDraftShape& d = lock.Draft();
        switch (press) {
        case 3:
        case 7: {
            const POINT a = c[press == 3 ? 0 : 4], b = c[press == 3 ? 1 : 5];
            POINT centre{};
            if (!CircleCentre(a.x, a.y, b.x, b.y, p.x, p.y, centre))
                return PressOutcome{PressResult::Refused, 0.0, false}; // presses on one line
            m_labels[0] = x.Label(LabelKind::Diameter,
                                  DiameterFromRadius(x.Pixels(Distance(centre, a)), S, m));
            if (press == 3) {
                m_firstCentre = centre;
                d.m_points.insert(d.m_points.end(), {p, centre, p});
                d.m_labels.push_back(m_labels[0]);
                break;
            }
            m_labels[1] = x.Length(Distance(m_firstCentre, centre));
            d.m_points.insert(d.m_points.end(), {p, centre, p, p});
            d.m_labels.insert(d.m_labels.end(), {m_labels[0], m_labels[1]});
            outcome = LabelsLeft(); // only the labels' places are left
            break;
        }
        case 4:
        case 9:
            MoveDraftPoint(d, 0, true, p);
            break;
        case 8:
            MoveDraftPoint(d, 1, true, p);
            break;
        default: // 2, 5, 6
            d.m_points.push_back(p);
            break;
        }
    }
    Take(press - 1, p);
    if (press < 9)
        return outcome;
    return Complete(RecordOfDraft(LIVE_TWO_CIRCLES, false, x));
}

PressOutcome MeasureSession::AnglePress(POINT p, const MeasureContext& x) {
    const POINT* c = m_clicks.data();
    // A press on the previous point would give an arm of no length, and so no angle: it is
    // refused and the shape keeps its points.
    if (m_next < 3 && SamePoint(p, c[m_next - 1]))
        return PressOutcome{PressResult::Refused, 0.0, false};
    if (m_next == 1) {
        Take(1, p); // the vertex
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(p);
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    if (m_next == 2) {
        Take(2, p);
        m_labels[0] =
            AngleLabel(AngleBetweenLines(c[1].x, c[1].y, c[0].x, c[0].y, c[1].x, c[1].y, p.x, p.y));
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.insert(lock.Draft().m_points.end(), {p, p});
        lock.Draft().m_labels.push_back(m_labels[0]);
        return LabelsLeft();
    }
    auto record = NewRecord(LIVE_ANGLE, false, x);
    record->m_points = {c[0], c[1], c[2], p};
    record->m_labels = {m_labels[0]};
    return Complete(std::move(record));
}

PressOutcome MeasureSession::FourPointAnglePress(POINT p, const MeasureContext& x) {
    const POINT* c = m_clicks.data();
    if (m_next == 4) {
        auto record = NewRecord(LIVE_FOUR_POINT_ANGLE, false, x);
        record->m_points = {c[0], c[1], c[2], c[3], p};
        record->m_labels = {m_labels[0]};
        return Complete(std::move(record));
    }
    // Each line's end; a line of no length gives no angle: the press is refused.
    if (SamePoint(p, c[m_next - 1]))
        return PressOutcome{PressResult::Refused, 0.0, false};
    Take(m_next, p);
    if (m_next == 2) {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(p);
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    m_labels[0] =
        AngleLabel(AngleBetweenLines(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x, c[2].y, p.x, p.y));
    MeasureStore::Lock lock(m_store);
    lock.Draft().m_points.insert(lock.Draft().m_points.end(), {p, p});
    lock.Draft().m_labels.push_back(m_labels[0]);
    return LabelsLeft();
}

// The automatic distance and angle: presses 1 and 2 bound the first search section, 3 and 4
// the second; press 4 finds the edges and press 5 places the label.
PressOutcome MeasureSession::SectionsPress(POINT p, const MeasureContext& x) {
    const bool distance = m_shape == LIVE_AUTO_DISTANCE;
    if (m_next == 4) {
        auto record = NewRecord(m_shape, false, x);
        const POINT* P = m_found;
        record->m_points = distance ? std::vector<POINT>{P[0], P[1], p}
                                    : std::vector<POINT>{P[0], P[1], P[2], P[3], p};
        record->m_labels = {m_labels[0]};
        PressOutcome done = Complete(std::move(record));
        done.cursor = true;
        return done;
    }
    // The angle's sections stand in for its arms where no edge is found: a drag that gives no
    // section (a press on the previous one among them) gives no arm and is refused.
    RECT section{};
    int orientation = 0;
    if (!distance && !LineSectionBox(m_clicks[m_next - 1], p, section, orientation))
        return PressOutcome{PressResult::Refused, 0.0, false};
    if (m_next == 1) {
        Take(1, p);
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(p);
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    Take(3, p);
    return SectionsEdges(p, x);
}

PressOutcome MeasureSession::SectionsEdges(POINT, const MeasureContext& x) {
    const POINT* c = m_clicks.data();
    POINT* P = m_found;
    const auto edgeIn = [&](POINT a, POINT b, POINT& e1, POINT& e2) {
        RECT box{};
        int orientation = 0;
        if (!x.edges || !LineSectionBox(a, b, box, orientation))
            return false;
        const POINT from = x.ToFrame(POINT{box.left, box.top});
        const POINT to = x.ToFrame(POINT{box.right, box.bottom});
        return x.edges->EdgeInSection(from, to, orientation, e1, e2) && !SamePoint(e1, e2);
    };
    POINT e[2][2]{};
    const bool found = edgeIn(c[0], c[1], e[0][0], e[0][1]) && edgeIn(c[2], c[3], e[1][0], e[1][1]);
    std::vector<POINT> draft;
    if (m_shape == LIVE_AUTO_DISTANCE) {
        if (found) {
            // From the middle of the first edge across to the line of the second.
            const POINT mid = Middle(e[0][0], e[0][1]);
            P[0] = x.ToSession(mid);
            P[1] = x.ToSession(FootOnLine(e[1][0], e[1][1], mid));
        } else {
            P[0] = Middle(c[0], c[1]);
            P[1] = Middle(c[2], c[3]);
        }
        draft = {P[0], P[1], P[1]};
    } else {
        for (int i = 0; i < 4; ++i)
            P[i] = found ? x.ToSession(e[i / 2][i % 2]) : c[i];
        draft = {P[0], P[1], P[2], P[3], P[3]};
    }
    const double pixels = Distance(P[0], P[1]);
    const bool calibrate = m_shape == LIVE_AUTO_DISTANCE && x.calibrating;
    m_labels[0] = m_shape == LIVE_AUTO_DISTANCE
                      ? x.Length(pixels)
                      : AngleLabel(AngleBetweenLines(P[0].x, P[0].y, P[1].x, P[1].y, P[2].x, P[2].y,
                                                     P[3].x, P[3].y));
    {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points = std::move(draft);
        lock.Draft().m_labels = {calibrate ? CString() : m_labels[0]};
    }
    if (!calibrate)
        return LabelsLeft();
    return LabelsLeft(PressResult::Calibrate, pixels * x.unitScale * 10.0);
}

PressOutcome MeasureSession::FinishFit(const MeasureContext& x) {
    return FinishFit(POINT{0, 0}, x);
}

PressOutcome MeasureSession::FinishFit(POINT at, const MeasureContext& x) {
    if (!FitReady())
        return {};
    if (const FitRule* rule = FitRuleOf(m_shape))
        return RuleFit(*rule, at, x);
    std::vector<POINT> edge;
    {
        MeasureStore::Lock lock(m_store);
        edge = lock.Draft().m_points;
    }
    FittedShape shape;
    const bool fitted = m_shape == LIVE_AUTO_CIRCLE ? FitAutoCircle(edge, x, shape)
                        : m_shape == LIVE_AUTO_ARC  ? FitAutoArc(edge, x, shape)
                                                    : FitAutoLine(edge, x, shape);
    // Points that give no shape keep the tool collecting.
    if (!fitted)
        return PressOutcome{PressResult::Refused, 0.0, false};
    m_fitted = true;
    for (size_t i = 0; i < shape.labels.size() && i < 3; ++i)
        m_labels[i] = shape.labels[i];
    {
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points = std::move(shape.points);
        lock.Draft().m_labels = std::move(shape.labels);
        lock.Draft().m_radius = shape.radius;
    }
    return LabelsLeft(); // only the label's place is left
}

// The press after a fit places its label and completes the record.
PressOutcome MeasureSession::AutoLabelPress(const MeasureContext& x) {
    const ShapeKind kind = m_shape;
    auto record = NewRecord(kind, true, x);
    const size_t points = kind == LIVE_AUTO_CIRCLE ? 2 : kind == LIVE_AUTO_ARC ? 4 : 3;
    const size_t labels = kind == LIVE_AUTO_ARC ? 3 : 1;
    {
        MeasureStore::Lock lock(m_store);
        const CDraftShape& d = lock.Draft();
        record->m_points.assign(d.m_points.begin(),
                                d.m_points.begin() +
                                    static_cast<long>(std::min(points, d.m_points.size())));
        record->m_labels.assign(d.m_labels.begin(),
                                d.m_labels.begin() +
                                    static_cast<long>(std::min(labels, d.m_labels.size())));
        if (kind != LIVE_AUTO_LINE)
            record->m_radius = d.m_radius;
    }
    return Complete(std::move(record));
}

PressOutcome MeasureSession::RulerPress(POINT p) {
    Take(1, p);
    m_labelsOnly = true;
    MeasureStore::Lock lock(m_store);
    CDraftShape& d = lock.Draft();
    d.m_points.insert(d.m_points.begin() + (d.m_points.empty() ? 0 : 1), p);
    d.m_kind = StoredKind(LIVE_RULER, m_codes);
    return PressOutcome{PressResult::Ruler, 0.0, false};
}

// ---- The mouse between presses ----

namespace {

// Where a move goes: a draft point counted from the start or the end, the rubber line, or
// nowhere.
struct Follow {
    enum Kind { None, Point, FromEnd, Rubber } kind = None;
    size_t index = 0;
    bool cursor = false; // a label's or handle's place
};

Follow At(size_t i, bool cursor = false) {
    return Follow{Follow::Point, i, cursor};
}
Follow FromEnd(size_t i) {
    return Follow{Follow::FromEnd, i, false};
}
Follow Rubber() {
    return Follow{Follow::Rubber, 0, false};
}

// The two circles: each label follows from the press that gives it to the press that places
// it (the first circle's diameter after press 3, the second's after press 7, the distance of
// the centres after press 8); the presses on the circles stay where they were made.
Follow TwoCirclesFollow(int n) {
    if (n == 3 || n == 8)
        return FromEnd(0);
    if (n == 7)
        return FromEnd(1);
    return {};
}

// What a move finds in the session: the tool, its presses so far, and the two flags some
// tools read.
struct FollowArgs {
    ShapeKind kind;
    int n;
    bool labelsOnly;
    bool fitted;
};

Follow SecondThenFirst(const FollowArgs& a) {
    return At(a.n >= 2 ? 2 : 1);
}
Follow DotLineFollow(const FollowArgs& a) {
    return a.n == 1 ? At(1) : a.n >= 3 ? At(3) : Follow{};
}
// The label's place follows once the shape is fixed by its first two presses.
Follow LabelAfterSecond(const FollowArgs& a) {
    return a.n >= 2 ? At(2, true) : At(1);
}
Follow ContinualLineFollow(const FollowArgs& a) {
    return a.n % 2 == 0 ? FromEnd(0) : Rubber();
}
Follow PolygonFollow(const FollowArgs& a) {
    return a.labelsOnly ? FromEnd(0) : Rubber();
}
Follow ThirdPointFollow(const FollowArgs& a) {
    return a.n >= 3 ? At(3) : Follow{};
}
Follow TwoCirclesRule(const FollowArgs& a) {
    return TwoCirclesFollow(a.n);
}
Follow AngleFollow(const FollowArgs& a) {
    return a.n >= 3 ? At(3) : Rubber();
}
Follow FourPointAngleFollow(const FollowArgs& a) {
    return a.n == 4 ? At(4) : a.n == 2 ? Follow{} : Rubber();
}
// The automatic distance and angle: rubber line to the edges, then the label.
Follow AutoTwoEdgesFollow(const FollowArgs& a) {
    if (a.n == 2)
        return {};
    return a.n == 4 ? At(a.kind == LIVE_AUTO_DISTANCE ? 2 : 4, true) : Rubber();
}
// The automatic fits move their label once the fit is found; the label's point index per
// tool.
Follow AutoFitFollow(const FollowArgs& a) {
    if (!a.fitted)
        return {};
    return At(a.kind == LIVE_AUTO_CIRCLE ? 1 : a.kind == LIVE_AUTO_LINE ? 2 : 3, true);
}
Follow ArcFollow(const FollowArgs& a) {
    return a.n >= 2 ? At(a.n >= 3 ? 3 : 2) : Follow{};
}
Follow RulerFollow(const FollowArgs& a) {
    return a.n == 1 ? At(1) : Follow{};
}

// The edge section is dragged from its press: the rubber line to the mouse bounds it.
Follow SectionDrag(const FollowArgs&) {
    return Rubber();
}

struct FollowRule {
    ShapeKind kind;
    Follow (*follow)(const FollowArgs&);
};

constexpr FollowRule kFollowRules[] = {
    {LIVE_LINE, SecondThenFirst},
    {LIVE_RECTANGLE, SecondThenFirst},
    {LIVE_DOT_LINE, DotLineFollow},
    {LIVE_PARALLEL_LINE, LabelAfterSecond},
    {LIVE_ELLIPSE, LabelAfterSecond},
    {LIVE_RADIUS_CIRCLE, LabelAfterSecond},
    {LIVE_DIAMETER_CIRCLE, LabelAfterSecond},
    {LIVE_CONTINUAL_LINE, ContinualLineFollow},
    {LIVE_POLYGON, PolygonFollow},
    {LIVE_THREE_POINT_CIRCLE, ThirdPointFollow},
    {LIVE_TWO_CIRCLES, TwoCirclesRule},
    {LIVE_ANGLE, AngleFollow},
    {LIVE_FOUR_POINT_ANGLE, FourPointAngleFollow},
    {LIVE_AUTO_DISTANCE, AutoTwoEdgesFollow},
    {LIVE_AUTO_ANGLE, AutoTwoEdgesFollow},
    {LIVE_AUTO_CIRCLE, AutoFitFollow},
    {LIVE_AUTO_LINE, AutoFitFollow},
    {LIVE_AUTO_ARC, AutoFitFollow},
    {LIVE_ARC, ArcFollow},
    {LIVE_RULER, RulerFollow},
    {SHAPE_EDGE_PORTION, SectionDrag},
};

// What follows the mouse for `kind` after n presses; labelsOnly / fitted as the session has
// them.
Follow FollowOf(ShapeKind kind, int n, bool labelsOnly, bool fitted) {
    for (const FollowRule& rule : kFollowRules)
        if (rule.kind == kind)
            return rule.follow(FollowArgs{kind, n, labelsOnly, fitted});
    return {};
}

// Whether a move may change the draft: the ruler's draft gets its two points first; a closed
// polygon's label follows only while the draft is the polygon's.
bool DraftFollows(CDraftShape& d, ShapeKind shape, KindCodes codes) {
    if (shape == LIVE_RULER && d.m_points.size() < 2)
        d.m_points.resize(2, POINT{0, 0});
    return shape != LIVE_POLYGON || d.m_kind == StoredKind(LIVE_POLYGON, codes);
}

// The rubber line to p; the automatic distance and angle mark theirs.
void RunRubber(AtomicRubberLine& rubber, POINT p, bool automatic) {
    rubber.point = p;
    if (automatic)
        rubber.automatic = 1;
    rubber.active = 1;
}

} // namespace

namespace {

constexpr size_t kNoLabel = static_cast<size_t>(-1);

// The index of the point of a listed record that is its label's place
// (SessionRules::labelIsLastPoint); kNoLabel where it has none.
size_t LabelIndexOf(const CMeasureRecord& record, bool lastPoint) {
    if (lastPoint)
        return record.m_points.empty() ? kNoLabel : record.m_points.size() - 1;
    const LabelRule* rule = LabelRuleOfKind(record.m_kind);
    return rule ? static_cast<size_t>(rule->anchor) : kNoLabel;
}

} // namespace

// The listed shape's label follows the mouse.
MoveOutcome MeasureSession::MoveListed(POINT p) {
    MeasureStore::Lock lock(m_store);
    CMeasureRecord* record = ListedIn(lock);
    const size_t at = record ? LabelIndexOf(*record, m_rules.labelIsLastPoint) : kNoLabel;
    if (!record || at >= record->m_points.size())
        return {};
    record->m_points[at] = p;
    return MoveOutcome{true, true};
}

MoveOutcome MeasureSession::Move(POINT p) {
    if (m_listed)
        return MoveListed(p);
    if (m_shape == SHAPE_NONE || m_shape != m_tool || m_next == 0)
        return {};
    // Between the clicks of a rule's shape the rubber line runs from the last click.
    const Follow f =
        ClickRuleOf(m_shape) ? Rubber() : FollowOf(m_shape, m_next, m_labelsOnly, m_fitted);
    MoveOutcome out;
    out.cursor = f.cursor;
    if (f.kind == Follow::Rubber) {
        RunRubber(m_store.Rubber(), p, m_shape == LIVE_AUTO_DISTANCE || m_shape == LIVE_AUTO_ANGLE);
        out.changed = true;
        return out;
    }
    if (f.kind == Follow::None)
        return out;
    MeasureStore::Lock lock(m_store);
    CDraftShape& d = lock.Draft();
    if (!DraftFollows(d, m_shape, m_codes))
        return out;
    out.changed = MoveDraftPoint(d, f.index, f.kind == Follow::FromEnd, p);
    return out;
}

// ---- Shapes laid out by a user's rules ----

const ClickRule* MeasureSession::ClickRuleOf(ShapeKind kind) const {
    for (const ClickRule& rule : m_rules.clickRules)
        if (rule.kind == kind)
            return &rule;
    return nullptr;
}

const FitRule* MeasureSession::FitRuleOf(ShapeKind kind) const {
    for (const FitRule& rule : m_rules.fitRules)
        if (rule.kind == kind)
            return &rule;
    return nullptr;
}

PressOutcome MeasureSession::RulePress(const ClickRule& rule, POINT p, const MeasureContext& x) {
    if (m_shape != rule.kind || m_next == 0)
        return Start(p, {p});
    const int press = m_next + 1;
    const unsigned bit = 1u << press;
    const POINT previous = m_clicks[static_cast<size_t>(m_next - 1)];
    // A press on the previous one makes a line or arm of no length; a drag that gives no
    // section has nothing to search.
    RECT box{};
    int orientation = 0;
    if (((rule.zeroLengthRefused & bit) && SamePoint(p, previous)) ||
        ((rule.sectionNeeded & bit) && !LineSectionBox(previous, p, box, orientation)))
        return PressOutcome{PressResult::Refused, 0.0, false};
    if (press < rule.clicks) {
        Take(m_next, p);
        MeasureStore::Lock lock(m_store);
        lock.Draft().m_points.push_back(p);
        return PressOutcome{PressResult::Took, 0.0, false};
    }
    std::vector<POINT> clicks(m_clicks.begin(), m_clicks.begin() + m_next);
    clicks.push_back(p);
    auto record = NewRecord(rule.kind, false, x);
    double calibration = -1.0;
    if (!rule.build(clicks, x, *record, calibration))
        return PressOutcome{PressResult::Refused, 0.0, false};
    Take(m_next, p);
    if (!x.labels && !rule.labelAlways)
        return Complete(std::move(record));
    return ListForLabel(std::move(record), calibration, x);
}

PressOutcome MeasureSession::RuleFit(const FitRule& rule, POINT at, const MeasureContext& x) {
    std::vector<POINT> edge;
    {
        MeasureStore::Lock lock(m_store);
        edge = lock.Draft().m_points;
    }
    auto record = NewRecord(rule.kind, true, x);
    // Points that give no shape keep the tool collecting.
    if (!rule.fit(edge, at, x, *record))
        return PressOutcome{PressResult::Refused, 0.0, false};
    m_fitted = true;
    return ListForLabel(std::move(record), -1.0, x);
}

PressOutcome MeasureSession::ListForLabel(std::unique_ptr<CMeasureRecord> record,
                                          double calibrationPixels, const MeasureContext& x) {
    if (!m_rules.listBeforeLabel)
        return Complete(std::move(record));
    List(std::move(record));
    if (calibrationPixels < 0.0)
        return LabelsLeft();
    PressOutcome outcome =
        LabelsLeft(PressResult::Calibrate, calibrationPixels * x.unitScale * 10.0);
    outcome.pixels = calibrationPixels;
    return outcome;
}

void MeasureSession::List(std::unique_ptr<CMeasureRecord> record) {
    m_listed = record.get();
    m_store.Rubber().active = 0;
    Keep(std::move(record));
}

// The press places the listed shape's label: its last point moves there, or the point goes in
// at the anchor of its kind (the canvas's layout keeps the label's place twice).
PressOutcome MeasureSession::PlaceLabel(POINT p) {
    {
        MeasureStore::Lock lock(m_store);
        if (CMeasureRecord* record = ListedIn(lock)) {
            std::vector<POINT>& points = record->m_points;
            const size_t at = LabelIndexOf(*record, m_rules.labelIsLastPoint);
            if (!m_rules.labelIsLastPoint && at <= points.size())
                points.insert(points.begin() + static_cast<long>(at), p);
            else if (at < points.size())
                points[at] = p;
        }
    }
    End();
    return PressOutcome{PressResult::Completed, 0.0, true};
}

CMeasureRecord* MeasureSession::ListedIn(const MeasureStore::Lock& lock) const {
    if (!m_listed)
        return nullptr;
    for (const auto& shape : lock.Shapes())
        if (shape.get() == m_listed)
            return m_listed;
    return nullptr;
}

CMeasureRecord* MeasureSession::Listed() const {
    MeasureStore::Lock lock(m_store);
    return ListedIn(lock);
}

void MeasureSession::Drop() {
    {
        MeasureStore::Lock lock(m_store);
        CMeasureRecordList& shapes = lock.Shapes();
        if (ListedIn(lock))
            for (int i = shapes.GetSize() - 1; i >= 0; --i)
                if (shapes.GetAt(i) == m_listed) {
                    shapes.RemoveAt(i);
                    break;
                }
    }
    End();
}
