#include "wifi_measure/StillDrawing.h"

#include "wifi_measure/StillTools.h"

#include "measure/Geometry.h"

#include "platform/win/gdi/Gdi.h"

namespace {

// A circle about point `centre` with the radius to point `through` rounded to whole pixels
// before the mapping, its box corners mapped: the same circle on the screen and, scaled, in
// the saved picture.
void StoredCircle(const ShapePainter& p, size_t centre, size_t through) {
    const POINT c = p.r_.m_points[centre];
    const LONG r = static_cast<LONG>(Distance(c, p.r_.m_points[through]) + 0.5);
    const POINT a = p.m_.Map(POINT{c.x - r, c.y - r});
    const POINT b = p.m_.Map(POINT{c.x + r, c.y + r});
    p.Circle(a.x, a.y, b.x, b.y);
}

} // namespace

size_t PointsOfStillKind(int kind) {
    switch (kind) {
    case STILL_LINE:
    case STILL_RADIUS_CIRCLE:
        return 3;
    case STILL_DOT_LINE:
    case STILL_DIAMETER_CIRCLE:
    case STILL_ARC:
    case STILL_THREE_POINT_ANGLE:
        return 4;
    case STILL_THREE_POINT_CIRCLE:
    case STILL_FOUR_POINT_ANGLE:
        return 5;
    case STILL_FOLD_LINE:
        return 2;
    case STILL_POLYGON:
        return 3;
    default:
        return 0;
    }
}

void DrawStillItem(HDC dc, const CMeasureRecord& r, const ShapeMapping& m, int decimals,
                   const WCHAR* unit) {
    const size_t n = r.m_points.size();
    const size_t need = PointsOfStillKind(r.m_kind);
    if (need == 0 || n < need)
        return;
    const ShapePainter p(dc, r, m);
    {
        ScopedGdiObject pen(dc, CreatePen(r.m_penStyle, r.m_penWidth, r.m_lineColor));
        switch (r.m_kind) {
        case STILL_LINE:
            p.Segment(0, 1);
            break;
        case STILL_DOT_LINE:
            p.Segment(0, 1);
        {
            const POINT a = r.m_points[0], b = r.m_points[1], c = r.m_points[2];
            POINT foot{};
            PerpendicularFoot(a.x, a.y, b.x, b.y, c.x, c.y, 1.0, 1.0, foot);
            p.Line(p.P(2), m.Map(foot));
        }
            break;
        case STILL_RADIUS_CIRCLE:
            StoredCircle(p, 0, 1);
            p.Segment(0, 1);
            break;
        case STILL_DIAMETER_CIRCLE:
            StoredCircle(p, 0, 1);
            p.Segment(1, 2);
            break;
        case STILL_THREE_POINT_CIRCLE:
            StoredCircle(p, 0, 1);
            p.Segment(0, 3);
            break;
        case STILL_ARC:
            p.ArcThrough();
            break;
        case STILL_THREE_POINT_ANGLE:
            p.Segments({0, 1, 0, 2});
            break;
        case STILL_FOUR_POINT_ANGLE:
            p.Segments({0, 1, 2, 3});
            break;
        case STILL_FOLD_LINE:
            p.ContinuousLine();
            break;
        case STILL_POLYGON:
            // The vertices are all points but the last (the label's place); closed back to the
            // first.
            for (size_t k = 1; k + 1 < n; ++k)
                p.Segment(k - 1, k);
            p.Segment(n - 2, 0);
            break;
        default:
            break;
        }
    }
    switch (r.m_kind) {
    case STILL_LINE:
    case STILL_RADIUS_CIRCLE:
        p.LabelAt(2, r.m_kind == STILL_LINE ? 1 : 3);
        break;
    case STILL_DOT_LINE:
    case STILL_THREE_POINT_ANGLE:
        p.LabelAt(3);
        break;
    case STILL_DIAMETER_CIRCLE:
    case STILL_ARC:
        p.LabelAt(3, 3);
        break;
    case STILL_THREE_POINT_CIRCLE:
        p.LabelAt(4, 3);
        break;
    case STILL_FOUR_POINT_ANGLE:
        p.LabelAt(4);
        break;
    case STILL_FOLD_LINE:
        p.ContinuousLineLabels(decimals, unit);
        break;
    case STILL_POLYGON:
        p.LabelAt(n - 1);
        break;
    default:
        break;
    }
}
