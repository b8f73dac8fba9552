#include "wifi_measure/StillTools.h"

#include "wifi_measure/MeasureItem.h"

#include "measure/Geometry.h"
#include "measure/Units.h"

#include <cmath>

int g_stillTool = STILL_NONE;
BYTE g_stillCalibrating = 0;
double g_calibrationZoom = 0.0;

namespace {

// 2 pi and pi as single-precision numbers: the girths and areas read as they always did.
constexpr double kTwoPi = 6.2831854820251465;
constexpr double kPi = 3.1415927410125732;

// Value per pixel unit: the magnification divides; none above 0 measures 0.
double PerZoom(double value, double zoom) {
    return zoom > 0.0 ? value / zoom : 0.0;
}

bool Same(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

CString Degrees(const char16_t* format, double degrees) {
    CString s;
    s.Format(format, std::isfinite(degrees) ? degrees : 0.0);
    return s;
}

// The label texts of the items.
class Labeller {
public:
    explicit Labeller(const MeasureContext& x) : x_(x), s_(x.unitScale), z_(x.magnification) {}

    bool Calibrating() const { return x_.calibrating; }
    CString Length(double pixels) const { return Label(LabelKind::Length, Len(pixels)); }
    CString Label(LabelKind kind, double value) const {
        return MeasureLabel(kind, std::isfinite(value) ? value : 0.0, x_.decimals,
                            x_.unit.GetString());
    }
    double Len(double pixels) const { return PerZoom(pixels * s_ * 10.0, z_); }
    double Area(double squarePixels) const {
        return PerZoom(squarePixels * s_ * s_ * 100.0, z_ * z_);
    }
    // Radius, girth and area of a circle of radius r pixels, in the order given.
    std::vector<CString> Circle(double r, bool areaFirst) const {
        const CString R = Label(LabelKind::Radius, Len(r));
        const CString G = Label(LabelKind::Girth, Len(r) * kTwoPi);
        const CString A = Label(LabelKind::Area, r * (s_ * s_ * r) * PerZoom(100.0, z_ * z_) * kPi);
        return areaFirst ? std::vector<CString>{R, A, G} : std::vector<CString>{R, G, A};
    }

private:
    const MeasureContext& x_;
    double s_, z_;
};

// An item's points and labels from the clicks (at least the tool's `clicks` of them); false
// where the geometry gives nothing.
struct ItemShape {
    std::vector<POINT> points;
    std::vector<CString> labels;
};

bool Line(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    out.points = {c[0], c[1], c[1]};
    out.labels = {L.Calibrating() ? CString() : L.Length(Distance(c[0], c[1]))};
    return true;
}

bool DotLine(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    // Two line points that coincide give no line to measure from.
    if (Same(c[0], c[1]))
        return false;
    POINT foot{};
    PerpendicularFoot(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x, c[2].y, 1.0, 1.0, foot);
    out.points = {c[0], c[1], c[2], c[2]};
    out.labels = {L.Length(Distance(c[2], foot))};
    return true;
}

bool RadiusCircle(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    out.points = {c[0], c[1], c[1]};
    out.labels = L.Circle(Distance(c[0], c[1]), false);
    return true;
}

bool DiameterCircle(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    out.points = {POINT{(c[0].x + c[1].x) / 2, (c[0].y + c[1].y) / 2}, c[0], c[1], c[1]};
    out.labels = L.Circle(Distance(c[0], c[1]) / 2.0, true);
    return true;
}

bool ThreePointCircle(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    POINT centre{};
    if (!CircleCentre(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x, c[2].y, centre))
        return false;
    out.points = {centre, c[1], c[0], c[2], c[2]};
    out.labels = L.Circle(Distance(c[0], centre), true);
    return true;
}

bool Arc(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    POINT centre{};
    double r = 0.0;
    int orientation = 0;
    if (!CircleThroughPoints(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x, c[2].y, centre, r,
                             orientation))
        return false;
    const double a = ArcAngle(c[0], centre, c[2], orientation);
    out.points = {c[0], c[1], c[2], c[2]};
    out.labels = {L.Label(LabelKind::Radius, L.Len(r + 0.5)), Degrees(u"Ang:%.2f\u00B0", a),
                  L.Label(LabelKind::Arc, L.Len(a * r * kTwoPi * 0.002777777777777778))};
    return true;
}

// The session has refused arms of no length; the vertex is the second click.
bool Angle(const std::vector<POINT>& c, const Labeller&, ItemShape& out) {
    out.points = {c[1], c[0], c[2], c[2]};
    out.labels = {Degrees(u"%.3f\u00B0", AngleBetweenLines(c[1].x, c[1].y, c[0].x, c[0].y, c[1].x,
                                                           c[1].y, c[2].x, c[2].y))};
    return true;
}

bool FourPointAngle(const std::vector<POINT>& c, const Labeller&, ItemShape& out) {
    if (Same(c[0], c[1]) || Same(c[2], c[3]))
        return false;
    out.points = {c[0], c[1], c[2], c[3], c[3]};
    out.labels = {Degrees(u"%.3f\u00B0", AngleBetweenLines(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x,
                                                           c[2].y, c[3].x, c[3].y))};
    return true;
}

// First vertex, then per segment its end vertex and its label place.
bool FoldLine(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    out.points = c;
    out.labels.clear();
    for (size_t end = 1; end < c.size(); end += 2) {
        const POINT from = c[end == 1 ? 0 : end - 2];
        CString text;
        text.Format(u"%.*f", kFoldDecimals, L.Len(Distance(from, c[end])));
        out.labels.push_back(text);
    }
    return true;
}

// The vertices, the last one again as the label's place.
bool Polygon(const std::vector<POINT>& c, const Labeller& L, ItemShape& out) {
    out.points = c;
    out.points.push_back(c.back());
    out.labels = {L.Label(LabelKind::Area, L.Area(PolygonAreaPixels(out.points)))};
    return true;
}

struct ToolKind {
    int tool;
    ShapeKind kind;
    const char16_t* name;
    const char16_t* quantities[3]; // per label; the fold line's one repeats per segment
    size_t clicks;                 // the fewest clicks that give an item
    bool (*make)(const std::vector<POINT>& clicks, const Labeller& L, ItemShape& out);
};

const ToolKind kTools[] = {
    {STILL_LINE, LIVE_LINE, u"Line", {u"length"}, 2, Line},
    {STILL_DOT_LINE, LIVE_DOT_LINE, u"DotLine", {u"length"}, 3, DotLine},
    {STILL_RADIUS_CIRCLE,
     LIVE_RADIUS_CIRCLE,
     u"Radius Circle",
     {u"radius", u"girth", u"area"},
     2,
     RadiusCircle},
    {STILL_DIAMETER_CIRCLE,
     LIVE_DIAMETER_CIRCLE,
     u"Diameter Circle",
     {u"radius", u"area", u"girth"},
     2,
     DiameterCircle},
    {STILL_THREE_POINT_CIRCLE,
     LIVE_THREE_POINT_CIRCLE,
     u"Three point Circle",
     {u"radius", u"area", u"girth"},
     3,
     ThreePointCircle},
    {STILL_ARC, LIVE_ARC, u"Arc", {u"radius", u"angle", u"arc"}, 3, Arc},
    {STILL_THREE_POINT_ANGLE, LIVE_ANGLE, u"Three point Angle", {u"angle"}, 3, Angle},
    {STILL_FOUR_POINT_ANGLE,
     LIVE_FOUR_POINT_ANGLE,
     u"Four point Angle",
     {u"angle"},
     4,
     FourPointAngle},
    {STILL_FOLD_LINE, LIVE_CONTINUAL_LINE, u"Fold Line", {u"length"}, 2, FoldLine},
    {STILL_POLYGON, LIVE_POLYGON, u"Polygon", {u"area"}, 2, Polygon},
};

const ToolKind* ToolOfKind(ShapeKind kind) {
    for (const ToolKind& t : kTools)
        if (t.kind == kind)
            return &t;
    return nullptr;
}

} // namespace

ShapeKind ShapeOfStillTool(int tool) {
    for (const ToolKind& t : kTools)
        if (t.tool == tool)
            return t.kind;
    return SHAPE_NONE;
}

double StillPixelScale() {
    return UnitPerMicron() * 63.829787234;
}

std::unique_ptr<CMeasureItem> MakeStillItem(ShapeKind kind, const std::vector<POINT>& clicks,
                                            const MeasureContext& ctx) {
    const ToolKind* tool = ToolOfKind(kind);
    ItemShape made;
    if (!tool || clicks.size() < tool->clicks || !tool->make(clicks, Labeller(ctx), made))
        return nullptr;
    auto item = std::make_unique<CMeasureItem>();
    item->m_kind = tool->tool;
    item->m_name = tool->name;
    item->m_points = std::move(made.points);
    item->m_labels = std::move(made.labels);
    for (size_t i = 0; i < item->m_labels.size(); ++i) {
        const size_t q = kind == LIVE_CONTINUAL_LINE ? 0 : i;
        if (q < 3 && tool->quantities[q])
            item->m_quantities.push_back(CString(tool->quantities[q]));
    }
    return item;
}

SessionRules StillSessionRules(int& itemCount) {
    SessionRules rules;
    rules.make = [&itemCount](ShapeKind kind, const std::vector<POINT>& clicks,
                              const MeasureContext& x) -> std::unique_ptr<CMeasureRecord> {
        std::unique_ptr<CMeasureItem> item = MakeStillItem(kind, clicks, x);
        if (item)
            item->m_number = ++itemCount;
        return item;
    };
    rules.labelIsLastPoint = true;
    rules.keepUndone = true;
    rules.calibrates = LIVE_LINE;
    rules.continualEndsAt = 2;
    return rules;
}
