// Regions: rectangle sets in device pixels. A polygon region holds the pixels whose centres
// lie inside the polygon, left and top edges included (a 10 x 10 square holds 100 pixels).
#include "gdi/Raster.h"

#include <cstring>

using namespace ms::gdi;

namespace {

int TypeOf(const QRegion& r) {
    return RegionComplexity(r);
}

HRGN NewRegion(QRegion r) {
    auto reg = std::make_shared<Region>();
    reg->rgn = std::move(r);
    return static_cast<HRGN>(Register(reg));
}

QRect Box(int left, int top, int right, int bottom) {
    OrderBox(left, top, right, bottom);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return NewRegion(QRegion(Box(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
    if (!pts || count < 0 || (fillMode != ALTERNATE && fillMode != WINDING))
        return nullptr;
    std::vector<QPointF> poly;
    for (int i = 0; i < count; ++i)
        poly.emplace_back(pts[i].x, pts[i].y);
    SpanSet spans;
    // Regions live in 16-bit device coordinates, as GDI's do.
    PolygonSpans(poly, fillMode == WINDING, QRect(-32768, -32768, 65536, 65536), spans);
    std::vector<QRect> rects;
    spans.ForEach([&](int y, int x0, int x1) { rects.emplace_back(x0, y, x1 - x0, 1); });
    QRegion r;
    if (!rects.empty())
        r.setRects(rects.data(), static_cast<int>(rects.size()));
    return NewRegion(r);
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    std::lock_guard lock(TableMutex());
    auto d = LookupAs<Region>(dest, Kind::Region);
    auto a = LookupAs<Region>(src1, Kind::Region);
    auto b = LookupAs<Region>(src2, Kind::Region);
    if (!d || !a || (mode != RGN_COPY && !b))
        return ERROR;
    switch (mode) {
    case RGN_AND:
        d->rgn = a->rgn.intersected(b->rgn);
        break;
    case RGN_OR:
        d->rgn = a->rgn.united(b->rgn);
        break;
    case RGN_XOR:
        d->rgn = a->rgn.xored(b->rgn);
        break;
    case RGN_DIFF:
        d->rgn = a->rgn.subtracted(b->rgn);
        break;
    case RGN_COPY:
        d->rgn = a->rgn;
        break;
    default:
        return ERROR;
    }
    return TypeOf(d->rgn);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
    std::lock_guard lock(TableMutex());
    auto r = LookupAs<Region>(rgn, Kind::Region);
    return r && r->rgn.contains(QPoint(x, y)) ? TRUE : FALSE;
}

DWORD GetRegionData(HRGN rgn, DWORD count, LPRGNDATA data) {
    std::lock_guard lock(TableMutex());
    auto r = LookupAs<Region>(rgn, Kind::Region);
    if (!r)
        return 0;
    const int rects = r->rgn.rectCount();
    const DWORD needed =
        static_cast<DWORD>(sizeof(RGNDATAHEADER) + sizeof(RECT) * static_cast<size_t>(rects));
    if (!data || count < needed)
        return needed;
    const QRect b = r->rgn.boundingRect();
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects);
    data->rdh.nRgnSize = static_cast<DWORD>(sizeof(RECT) * static_cast<size_t>(rects));
    data->rdh.rcBound = r->rgn.isEmpty() ? RECT{0, 0, 0, 0}
                                         : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    char* out = reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER);
    for (const QRect& q : r->rgn) {
        const RECT rect{q.left(), q.top(), q.right() + 1, q.bottom() + 1};
        std::memcpy(out, &rect, sizeof rect);
        out += sizeof rect;
    }
    return needed;
}

int GetRgnBox(HRGN rgn, LPRECT rect) {
    std::lock_guard lock(TableMutex());
    auto r = LookupAs<Region>(rgn, Kind::Region);
    if (!r || !rect)
        return ERROR;
    const QRect b = r->rgn.boundingRect();
    *rect = r->rgn.isEmpty() ? RECT{0, 0, 0, 0}
                             : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return TypeOf(r->rgn);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
    std::lock_guard lock(TableMutex());
    auto r = LookupAs<Region>(rgn, Kind::Region);
    if (!r)
        return ERROR;
    r->rgn.translate(dx, dy);
    return TypeOf(r->rgn);
}

BOOL EqualRgn(HRGN a, HRGN b) {
    std::lock_guard lock(TableMutex());
    auto ra = LookupAs<Region>(a, Kind::Region);
    auto rb = LookupAs<Region>(b, Kind::Region);
    // Compared by area: one shape may be held as different rectangle lists.
    return ra && rb && ra->rgn.xored(rb->rgn).isEmpty() ? TRUE : FALSE;
}
