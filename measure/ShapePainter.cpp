#include "measure/ShapePainter.h"

#include "measure/ArcDraw.h"
#include "measure/Geometry.h"

#include "platform/win/core/CString.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"

namespace {

int Trunc(double v) {
    return static_cast<int>(v);
}

} // namespace

POINT ShapeMapping::Map(POINT p) const {
    if (toFile)
        return POINT{Trunc(p.x * scaleX), Trunc(p.y * scaleY)};
    return POINT{p.x - scrollX, p.y - scrollY};
}

ScopedGdiObject::ScopedGdiObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_object(object) {
    m_old = SelectObject(dc, object);
}

ScopedGdiObject::~ScopedGdiObject() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_object);
}

ScopedPen::ScopedPen(HDC dc, int style, int width, COLORREF colour, int rop)
    : m_dc(dc), m_pen(CreatePen(style, width, colour)) {
    m_oldPen = SelectObject(dc, m_pen);
    m_oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    m_oldRop = SetROP2(dc, rop);
}

ScopedPen::~ScopedPen() {
    SetROP2(m_dc, m_oldRop);
    SelectObject(m_dc, m_oldBrush);
    SelectObject(m_dc, m_oldPen);
    DeleteObject(m_pen);
}

void ShapePainter::Line(POINT a, POINT b) const {
    MoveToEx(dc_, a.x, a.y, nullptr);
    LineTo(dc_, b.x, b.y);
}

void ShapePainter::Hollow() const {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
}

void ShapePainter::Circle(int left, int top, int right, int bottom) const {
    Hollow();
    Ellipse(dc_, left, top, right, bottom);
}

void ShapePainter::Segments(std::initializer_list<size_t> ends) const {
    for (const size_t* e = ends.begin(); e + 1 < ends.end(); e += 2)
        Segment(e[0], e[1]);
}

void ShapePainter::Frame(size_t a, size_t b) const {
    const POINT pa = P(a), pb = P(b);
    Hollow();
    Rectangle(dc_, pa.x, pa.y, pb.x, pb.y);
}

void ShapePainter::ContinuousLine() const {
    Segment(0, 1);
    for (size_t i = 1; i + 2 < r_.m_points.size(); i += 2)
        Segment(i, i + 2);
}

void ShapePainter::ArcThrough() const {
    const POINT a = P(0), b = P(1), c = P(2);
    Hollow();
    DrawArcThroughPoints(dc_, a.x, a.y, b.x, b.y, c.x, c.y);
}

void ShapePainter::LabelCircle() const {
    const POINT c = P(0);
    Circle(c.x - 10, c.y - 10, c.x + 10, c.y + 10);
}

void ShapePainter::Write(POINT at, const CString& line) const {
    LOGFONTW font = r_.m_labelFont;
    ScopedGdiObject f(dc_, CreateFontIndirectW(&font));
    SetTextColor(dc_, r_.m_labelColor);
    SetBkMode(dc_, TRANSPARENT);
    TextOutW(dc_, at.x, at.y, line.GetString(), line.GetLength());
}

void ShapePainter::Labels(POINT anchor, size_t first, size_t count) const {
    if (first >= r_.m_labels.size() || count == 0)
        return;
    LOGFONTW font = r_.m_labelFont;
    ScopedGdiObject f(dc_, CreateFontIndirectW(&font));
    SetTextColor(dc_, r_.m_labelColor);
    SetBkMode(dc_, TRANSPARENT);
    for (size_t k = 0; k < count && first + k < r_.m_labels.size(); ++k) {
        const CString& line = r_.m_labels[first + k];
        TextOutW(dc_, anchor.x, anchor.y + static_cast<int>(k) * r_.m_fontSize, line.GetString(),
                 line.GetLength());
    }
}

void ShapePainter::LabelAt(size_t anchor, size_t lines) const {
    if (anchor < r_.m_points.size())
        Labels(P(anchor), 0, lines);
}

void ShapePainter::TwoCirclesLabels() const {
    Labels(P(4), 0, 1);
    Labels(P(9), 1, 1);
    Labels(P(10), 2, 1);
}

void ShapePainter::ContinuousLineLabels(int decimals, const WCHAR* unit) const {
    const size_t n = r_.m_points.size();
    double total = 0.0;
    for (size_t k = 0; 2 * k + 2 < n && k < r_.m_labels.size(); ++k) {
        Labels(P(2 * k + 2), k, 1);
        total += wcstod(r_.m_labels[k].GetString(), nullptr);
    }
    if (n % 2 == 1 && total != 0.0) {
        CString text;
        text.Format(u"T:%.*f%s", decimals, total, unit);
        const POINT last = P(n - 1);
        Write(POINT{last.x, last.y + r_.m_fontSize}, text);
    }
}

void ShapePainter::NumberLabel() const {
    if (r_.m_labels.empty() || r_.m_points.empty())
        return;
    const POINT c = P(0);
    RECT box{c.x - 10, c.y - 10, c.x + 10, c.y + 10};
    SetTextColor(dc_, r_.m_labelColor);
    SetBkMode(dc_, TRANSPARENT);
    DrawTextW(dc_, r_.m_labels[0].GetString(), r_.m_labels[0].GetLength(), &box, DT_CENTER);
}

void DrawTextAnnotation(HDC dc, const CMeasureRecord& r, const ShapeMapping& m, COLORREF colour) {
    if (r.m_labels.empty() || r.m_points.empty())
        return;
    LOGFONTW font = r.m_textFont;
    ScopedGdiObject f(dc, CreateFontIndirectW(&font));
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    const POINT p = m.Map(r.m_points[0]);
    TextOutW(dc, p.x, p.y, r.m_labels[0].GetString(), r.m_labels[0].GetLength());
}

void DrawTwoCirclesDraft(HDC dc, const std::vector<POINT>& points,
                         const std::vector<CString>& labels, COLORREF labelColour) {
    const size_t n = points.size();
    const auto circle = [&](size_t centre, size_t rim) {
        const POINT c = points[centre];
        const double d = Distance(points[rim], c);
        // A radius no pixel can hold draws nothing rather than overflowing.
        const int r = d < 1e9 ? static_cast<int>(d) : 0;
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
    };
    const auto label = [&](size_t at, size_t line) {
        if (line >= labels.size())
            return;
        SetTextColor(dc, labelColour);
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, points[at].x, points[at].y, labels[line].GetString(),
                 labels[line].GetLength());
    };
    if (n >= 5 && !labels.empty()) {
        circle(3, 0);
        label(4, 0);
    }
    if (n >= 11) {
        circle(8, 5);
        label(9, 1);
        MoveToEx(dc, points[3].x, points[3].y, nullptr);
        LineTo(dc, points[8].x, points[8].y);
        label(10, 2);
    }
}

bool DrawSharedFigure(const ShapePainter& p, ShapeKind kind) {
    switch (kind) {
    case LIVE_RECTANGLE:
        p.Frame(0, 1);
        return true;
    case LIVE_ANGLE:
        p.Segments({0, 1, 1, 2});
        return true;
    case LIVE_FOUR_POINT_ANGLE:
    case LIVE_AUTO_ANGLE:
        p.Segments({0, 1, 2, 3});
        return true;
    case LIVE_CONTINUAL_LINE:
        p.ContinuousLine();
        return true;
    case LIVE_CIRCLE_LABEL:
        p.LabelCircle();
        return true;
    case LIVE_ARC:
    case LIVE_AUTO_ARC:
        p.ArcThrough();
        return true;
    default:
        return false;
    }
}

bool DrawLabelsByPlace(const ShapePainter& p, ShapeKind kind, std::span<const LabelPlace> places) {
    for (const LabelPlace& place : places)
        if (place.kind == kind) {
            p.LabelAt(place.anchor, place.lines);
            return true;
        }
    return false;
}

namespace {

constexpr LabelPlace kSharedLabelPlaces[] = {
    {LIVE_RECTANGLE, 2, 3},        {LIVE_ANGLE, 3, 1},      {LIVE_DOT_LINE, 3, 1},
    {LIVE_FOUR_POINT_ANGLE, 4, 1}, {LIVE_AUTO_ANGLE, 4, 1}, {LIVE_ARC, 3, 3},
    {LIVE_AUTO_ARC, 3, 3},
};

} // namespace

bool DrawSharedLabels(const ShapePainter& p, ShapeKind kind, int decimals, const WCHAR* unit) {
    switch (kind) {
    case LIVE_CONTINUAL_LINE:
        p.ContinuousLineLabels(decimals, unit);
        return true;
    case LIVE_TWO_CIRCLES:
        p.TwoCirclesLabels();
        return true;
    case LIVE_CIRCLE_LABEL:
        p.NumberLabel();
        return true;
    default:
        return DrawLabelsByPlace(p, kind, kSharedLabelPlaces);
    }
}

void DrawCross(HDC dc, POINT p) {
    MoveToEx(dc, p.x - 4, p.y, nullptr);
    LineTo(dc, p.x + 4, p.y);
    MoveToEx(dc, p.x, p.y - 4, nullptr);
    LineTo(dc, p.x, p.y + 4);
}
