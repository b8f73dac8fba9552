#include "tools/artwork/Icons.h"

#include <QPainterPath>
#include <QtMath>
#include <functional>
#include <map>
#include <stdexcept>

namespace art {

Ink NormalInk() {
    return {QColor(0x26, 0x32, 0x38),
            QColor(0xD9, 0x3A, 0x2B),
            QColor(0x9A, 0xA7, 0xB1),
            QColor(0x1E, 0x6F, 0xD6),
            Qt::white,
            2.0};
}

Ink PressedInk() {
    return {Qt::white,
            QColor(0xFF, 0xD5, 0x4F),
            QColor(0x9C, 0xC4, 0xF5),
            QColor(0xFF, 0xD5, 0x4F),
            QColor(0x15, 0x3E, 0x75),
            2.0};
}

Ink MenuInk() {
    Ink k = NormalInk();
    k.stroke = 2.2;
    return k;
}

namespace {

using Fn = std::function<void(QPainter&, const Ink&)>;

QPen Pen(const QColor& c, double w, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(c, w, style, Qt::RoundCap, Qt::RoundJoin);
    if (style == Qt::DashLine)
        pen.setDashPattern({1.6, 1.6});
    if (style == Qt::DotLine) {
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern({1.0, 1.0});
    }
    return pen;
}

void Stroke(QPainter& p, const Ink& k, double scale = 1.0) {
    p.setPen(Pen(k.ink, k.stroke * scale));
    p.setBrush(Qt::NoBrush);
}

void AccentStroke(QPainter& p, const Ink& k, double scale = 1.0) {
    p.setPen(Pen(k.accent, k.stroke * scale));
    p.setBrush(Qt::NoBrush);
}

void Dot(QPainter& p, const Ink& k, double x, double y, double r = 2.0) {
    p.setPen(Qt::NoPen);
    p.setBrush(k.accent);
    p.drawEllipse(QPointF(x, y), r, r);
}

void Head(QPainter& p, const QColor& c, QPointF tip, QPointF from, double len = 3.6) {
    const QPointF d = tip - from;
    const double l = std::hypot(d.x(), d.y());
    if (l <= 0)
        return;
    const QPointF u = d / l, n(-u.y(), u.x());
    QPolygonF tri;
    tri << tip << tip - u * len + n * len * 0.6 << tip - u * len - n * len * 0.6;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(tri);
}

// A dimension line with arrow heads at both ends.
void Dimension(QPainter& p, const Ink& k, QPointF a, QPointF b, double scale = 0.75) {
    const QPointF d = b - a;
    const double l = std::hypot(d.x(), d.y());
    const QPointF u = d / l;
    p.setPen(Pen(k.accent, k.stroke * scale));
    p.drawLine(a + u * 2.5, b - u * 2.5);
    Head(p, k.accent, a, b);
    Head(p, k.accent, b, a);
}

void Text(QPainter& p, const QColor& c, const QRectF& r, const QString& s, double px,
          bool bold = true) {
    QFont f("DejaVu Sans");
    f.setPixelSize(1); // replaced below; pixel size must be an int, so scale the painter
    p.save();
    const double scale = px / 10.0;
    p.translate(r.center());
    p.scale(scale, scale);
    f.setPixelSize(10);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(c);
    const QRectF rr(-r.width() / 2 / scale, -r.height() / 2 / scale, r.width() / scale,
                    r.height() / scale);
    p.drawText(rr, Qt::AlignCenter, s);
    p.restore();
}

// The small "automatic" badge in the upper right corner.
void AutoBadge(QPainter& p, const Ink& k) {
    p.setPen(Qt::NoPen);
    p.setBrush(k.badge);
    p.drawEllipse(QPointF(19.0, 5.0), 4.6, 4.6);
    Text(p, k.badgeText, QRectF(14.4, 0.6, 9.2, 9.2), "A", 7.2);
}

void Gear(QPainter& p, const QColor& c, QPointF centre, double r, double width) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const double rr = (i % 2 == 0) ? r : r * 0.72;
        const QPointF p0 = centre + QPointF(std::cos(a0), std::sin(a0)) * rr;
        const QPointF p1 = centre + QPointF(std::cos(a1), std::sin(a1)) * rr;
        if (i == 0)
            path.moveTo(p0);
        else
            path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(centre, r * 0.32, r * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
    (void)width;
}

void Page(QPainter& p, const Ink& k) {
    QPainterPath page;
    page.moveTo(5, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19.5, 7.5);
    page.lineTo(19.5, 21.5);
    page.lineTo(5, 21.5);
    page.closeSubpath();
    p.setPen(Pen(k.ink, k.stroke * 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(page);
    p.drawLine(QPointF(14.5, 2.5), QPointF(14.5, 7.5));
    p.drawLine(QPointF(14.5, 7.5), QPointF(19.5, 7.5));
}

void Badge(QPainter& p, const QColor& fill, const QRectF& r, const QString& s, double px) {
    p.setPen(QPen(Qt::white, 0.8));
    p.setBrush(fill);
    p.drawRoundedRect(r, 1.6, 1.6);
    Text(p, Qt::white, r, s, px);
}

void Trash(QPainter& p, const Ink& k, double ox = 0) {
    Stroke(p, k, 0.9);
    p.drawLine(QPointF(4 + ox, 6), QPointF(20 + ox, 6));
    p.drawLine(QPointF(9.5 + ox, 6), QPointF(10 + ox, 3.5));
    p.drawLine(QPointF(10 + ox, 3.5), QPointF(14 + ox, 3.5));
    p.drawLine(QPointF(14 + ox, 3.5), QPointF(14.5 + ox, 6));
    QPainterPath body;
    body.moveTo(6 + ox, 6);
    body.lineTo(7.2 + ox, 21);
    body.lineTo(16.8 + ox, 21);
    body.lineTo(18 + ox, 6);
    p.drawPath(body);
    p.drawLine(QPointF(10 + ox, 10), QPointF(10 + ox, 17.5));
    p.drawLine(QPointF(14 + ox, 10), QPointF(14 + ox, 17.5));
}

void CurvedArrow(QPainter& p, const Ink& k, bool left) {
    p.save();
    if (!left) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(6, 9);
    path.lineTo(14, 9);
    path.cubicTo(23, 9, 23, 20, 14, 20);
    path.lineTo(8, 20);
    Stroke(p, k);
    p.drawPath(path);
    QPolygonF head;
    head << QPointF(2.5, 9) << QPointF(8.5, 4.2) << QPointF(8.5, 13.8);
    p.setPen(Qt::NoPen);
    p.setBrush(k.ink);
    p.drawPolygon(head);
    p.restore();
}

void Hourglass(QPainter& p, const Ink& k);

const std::map<std::string, Fn>& Table() {
    static const std::map<std::string, Fn> t = {
        {"preview",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             QPainterPath eye;
             eye.moveTo(2, 12);
             eye.quadTo(12, 1, 22, 12);
             eye.quadTo(12, 23, 2, 12);
             p.drawPath(eye);
             p.setPen(Qt::NoPen);
             p.setBrush(k.accent);
             p.drawEllipse(QPointF(12, 12), 4, 4);
         }},
        {"camera",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             QPainterPath body;
             body.addRoundedRect(QRectF(2.5, 7, 19, 13.5), 2.5, 2.5);
             p.drawPath(body);
             p.drawLine(QPointF(8, 7), QPointF(9.5, 4));
             p.drawLine(QPointF(9.5, 4), QPointF(14.5, 4));
             p.drawLine(QPointF(14.5, 4), QPointF(16, 7));
             p.drawEllipse(QPointF(12, 13.8), 4.2, 4.2);
             Dot(p, k, 12, 13.8, 1.6);
             Dot(p, k, 18.3, 9.8, 1.1);
         }},
        {"video",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawRoundedRect(QRectF(2, 7, 14, 11), 2, 2);
             QPolygonF lens;
             lens << QPointF(16, 11) << QPointF(22, 7.5) << QPointF(22, 17.5) << QPointF(16, 14);
             p.drawPolygon(lens);
             Dot(p, k, 6.5, 12.5, 2.4);
         }},
        {"timer",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 13.5), 8.5, 8.5);
             p.drawLine(QPointF(10, 2.5), QPointF(14, 2.5));
             p.drawLine(QPointF(12, 2.5), QPointF(12, 5));
             p.drawLine(QPointF(19, 5.5), QPointF(20.8, 7.3));
             AccentStroke(p, k);
             p.drawLine(QPointF(12, 13.5), QPointF(12, 8));
             p.drawLine(QPointF(12, 13.5), QPointF(15.5, 15.5));
         }},
        {"videosetting",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             const double ys[3] = {5.5, 12, 18.5};
             const double xs[3] = {15, 8, 13};
             for (int i = 0; i < 3; ++i) {
                 p.setPen(Pen(k.ink, k.stroke));
                 p.drawLine(QPointF(3, ys[i]), QPointF(21, ys[i]));
                 p.setPen(QPen(k.ink, k.stroke * 0.7));
                 p.setBrush(k.accent);
                 p.drawEllipse(QPointF(xs[i], ys[i]), 2.6, 2.6);
             }
         }},
        {"measuresetting",
         [](QPainter& p, const Ink& k) {
             p.setPen(Pen(k.ink, 1.0, Qt::SolidLine));
             p.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
             p.setPen(Pen(k.ink, 2.0));
             p.drawLine(QPointF(3, 9.5), QPointF(13, 9.5));
             p.setPen(Pen(k.ink, 3.2));
             p.drawLine(QPointF(3.6, 15.5), QPointF(12.4, 15.5));
             p.setPen(Pen(k.accent, 1.6));
             p.drawLine(QPointF(3, 20.5), QPointF(11, 20.5));
             Gear(p, k.ink, QPointF(17.5, 16.5), 6.2, k.stroke);
         }},
        {"word",
         [](QPainter& p, const Ink& k) {
             Page(p, k);
             Stroke(p, k, 0.6);
             for (double y : {10.5, 13.5, 16.5})
                 p.drawLine(QPointF(12, y), QPointF(17, y));
             Badge(p, QColor(0x2B, 0x57, 0x9A), QRectF(1, 9, 10, 10), "W", 7.5);
         }},
        {"excel",
         [](QPainter& p, const Ink& k) {
             Page(p, k);
             Stroke(p, k, 0.55);
             for (double y : {11.5, 15.0, 18.5})
                 p.drawLine(QPointF(11.5, y), QPointF(17.5, y));
             p.drawLine(QPointF(14.5, 9.5), QPointF(14.5, 19.5));
             Badge(p, QColor(0x21, 0x73, 0x46), QRectF(1, 9, 10, 10), "X", 7.5);
         }},
        {"cad",
         [](QPainter& p, const Ink& k) {
             Page(p, k);
             Stroke(p, k, 0.6);
             p.drawEllipse(QPointF(14.5, 11), 2.5, 2.5);
             p.drawLine(QPointF(11, 18), QPointF(18, 18));
             p.drawLine(QPointF(11, 18), QPointF(14.5, 13.5));
             Badge(p, QColor(0xC6, 0x4B, 0x0C), QRectF(0.5, 12.5, 14, 8.5), "DXF", 5.6);
         }},
        {"language",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             p.drawEllipse(QPointF(12, 12), 4.2, 9.5);
             p.setPen(Pen(k.ink, k.stroke * 0.8));
             p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
             p.drawLine(QPointF(4, 7), QPointF(20, 7));
             p.drawLine(QPointF(4, 17), QPointF(20, 17));
             p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
         }},
        {"line",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawLine(QPointF(4.5, 19.5), QPointF(19.5, 4.5));
             Dot(p, k, 4.5, 19.5, 2.4);
             Dot(p, k, 19.5, 4.5, 2.4);
         }},
        {"dotline",
         [](QPainter& p, const Ink& k) {
             // Distance from a point to a line.
             Stroke(p, k);
             p.drawLine(QPointF(2.5, 19.5), QPointF(21.5, 19.5));
             p.setPen(Pen(k.ink, k.stroke * 0.8, Qt::DashLine));
             p.drawLine(QPointF(12, 7.5), QPointF(12, 18.5));
             p.setPen(Pen(k.ink, k.stroke * 0.5));
             p.drawLine(QPointF(12, 16.3), QPointF(14.2, 16.3));
             p.drawLine(QPointF(14.2, 16.3), QPointF(14.2, 18.6));
             Dot(p, k, 12, 5, 2.5);
         }},
        {"parallel",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawLine(QPointF(2.5, 5), QPointF(21.5, 5));
             p.drawLine(QPointF(2.5, 19), QPointF(21.5, 19));
             Dimension(p, k, QPointF(12, 6.5), QPointF(12, 17.5), 0.8);
         }},
        {"continual",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             QPolygonF pl;
             pl << QPointF(3, 19) << QPointF(8, 7) << QPointF(15, 16) << QPointF(21, 5);
             p.drawPolyline(pl);
             for (const QPointF& q : pl)
                 Dot(p, k, q.x(), q.y(), 2.1);
         }},
        {"rectangle",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawRect(QRectF(3.5, 6, 17, 12));
             Dot(p, k, 3.5, 6, 2.2);
             Dot(p, k, 20.5, 18, 2.2);
         }},
        {"polygon",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             QPolygonF pg;
             for (int i = 0; i < 5; ++i) {
                 const double a = -M_PI / 2 + i * 2 * M_PI / 5;
                 pg << QPointF(12 + 9.5 * std::cos(a), 12.8 + 9.5 * std::sin(a));
             }
             p.drawPolygon(pg);
             for (const QPointF& q : pg)
                 Dot(p, k, q.x(), q.y(), 1.9);
         }},
        {"ellipse",
         [](QPainter& p, const Ink& k) {
             p.setPen(Pen(k.accent, k.stroke * 0.55, Qt::DashLine));
             p.drawLine(QPointF(1.5, 12), QPointF(22.5, 12));
             p.drawLine(QPointF(12, 3.5), QPointF(12, 20.5));
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 10, 7);
             Dot(p, k, 22, 12, 1.8);
             Dot(p, k, 12, 5, 1.8);
         }},
        {"rcircle",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             AccentStroke(p, k, 0.8);
             p.drawLine(QPointF(12, 12), QPointF(18.7, 5.3));
             Head(p, k.accent, QPointF(18.7, 5.3), QPointF(12, 12));
             Dot(p, k, 12, 12, 2.0);
         }},
        {"dcircle",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             Dimension(p, k, QPointF(5.3, 18.7), QPointF(18.7, 5.3), 0.8);
         }},
        {"tcircle",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9, 9);
             for (double a : {200.0, 320.0, 80.0}) {
                 const double r = qDegreesToRadians(a);
                 Dot(p, k, 12 + 9 * std::cos(r), 12 - 9 * std::sin(r), 2.4);
             }
         }},
        {"twocircle",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(7, 15.5), 5, 5);
             p.drawEllipse(QPointF(16.5, 8), 5.5, 5.5);
             AccentStroke(p, k, 0.75);
             p.drawLine(QPointF(7, 15.5), QPointF(16.5, 8));
             Dot(p, k, 7, 15.5, 1.9);
             Dot(p, k, 16.5, 8, 1.9);
         }},
        {"angle",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawLine(QPointF(3.5, 19.5), QPointF(21.5, 19.5));
             p.drawLine(QPointF(3.5, 19.5), QPointF(16, 3.5));
             AccentStroke(p, k, 0.85);
             // Arc from the base line (0 deg) to the slanted ray (about 52 deg).
             p.drawArc(QRectF(3.5 - 9, 19.5 - 9, 18, 18), 0, int(52 * 16));
             Dot(p, k, 3.5, 19.5, 2.1);
         }},
        {"fangle",
         [](QPainter& p, const Ink& k) {
             // Two separate lines, four points; their extensions meet at the angle.
             p.setPen(Pen(k.ink, k.stroke * 0.45, Qt::DashLine));
             p.drawLine(QPointF(2, 21.5), QPointF(10, 21.5));
             p.drawLine(QPointF(2, 21.5), QPointF(6.4, 14.5));
             Stroke(p, k);
             p.drawLine(QPointF(12, 21.5), QPointF(22, 21.5));
             p.drawLine(QPointF(8.2, 11.6), QPointF(13.8, 2.6));
             Dot(p, k, 12, 21.5, 2.0);
             Dot(p, k, 22, 21.5, 2.0);
             Dot(p, k, 8.2, 11.6, 2.0);
             Dot(p, k, 13.8, 2.6, 2.0);
         }},
        {"clabel",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             Text(p, k.accent, QRectF(2, 2, 20, 20), "1", 13);
         }},
        {"slabel",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawRect(QRectF(3, 3, 18, 18));
             Text(p, k.accent, QRectF(2, 2, 20, 20), "1", 13);
         }},
        {"text",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             QPainterPath t;
             t.addRect(QRectF(3, 3, 14, 3.2));
             t.addRect(QRectF(8.4, 3, 3.2, 17.5));
             p.drawPath(t);
             AccentStroke(p, k, 0.8);
             p.drawLine(QPointF(19.5, 9), QPointF(19.5, 21));
             p.drawLine(QPointF(17.5, 9), QPointF(21.5, 9));
             p.drawLine(QPointF(17.5, 21), QPointF(21.5, 21));
         }},
        {"min",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 1.2);
             p.drawLine(QPointF(5, 17), QPointF(19, 17));
         }},
        {"max",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 1.1);
             const double a = 4, b = 20, c = 6;
             QPolygonF corners[4];
             corners[0] << QPointF(a, a + c) << QPointF(a, a) << QPointF(a + c, a);
             corners[1] << QPointF(b - c, a) << QPointF(b, a) << QPointF(b, a + c);
             corners[2] << QPointF(b, b - c) << QPointF(b, b) << QPointF(b - c, b);
             corners[3] << QPointF(a + c, b) << QPointF(a, b) << QPointF(a, b - c);
             for (auto& poly : corners)
                 p.drawPolyline(poly);
         }},
        {"close",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 1.2);
             p.drawLine(QPointF(5.5, 5.5), QPointF(18.5, 18.5));
             p.drawLine(QPointF(18.5, 5.5), QPointF(5.5, 18.5));
         }},
        {"undo", [](QPainter& p, const Ink& k) { CurvedArrow(p, k, true); }},
        {"redo", [](QPainter& p, const Ink& k) { CurvedArrow(p, k, false); }},
        {"calibration",
         [](QPainter& p, const Ink& k) {
             // A ruler under a measured distance: the known length that sets the scale.
             Stroke(p, k, 0.8);
             p.drawRect(QRectF(1.5, 14, 21, 7.5));
             for (int i = 0; i <= 8; ++i) {
                 const double x = 3.5 + i * 2.125;
                 p.drawLine(QPointF(x, 14), QPointF(x, i % 4 == 0 ? 18.5 : 16.5));
             }
             AccentStroke(p, k, 0.75);
             p.drawLine(QPointF(3.5, 4), QPointF(3.5, 11.5));
             p.drawLine(QPointF(20.5, 4), QPointF(20.5, 11.5));
             Dimension(p, k, QPointF(3.5, 7.5), QPointF(20.5, 7.5), 0.75);
         }},
        {"about",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             p.setPen(Qt::NoPen);
             p.setBrush(k.accent);
             p.drawEllipse(QPointF(12, 7.3), 1.7, 1.7);
             p.drawRoundedRect(QRectF(10.6, 10.2, 2.8, 8), 1, 1);
         }},
        {"picture",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawRoundedRect(QRectF(2.5, 4, 19, 16), 1.5, 1.5);
             QPolygonF hill;
             hill << QPointF(3.5, 18.5) << QPointF(9, 11) << QPointF(13, 15.5) << QPointF(15.5, 13)
                  << QPointF(20.5, 18.5);
             p.setPen(Pen(k.ink, k.stroke * 0.8));
             p.setBrush(k.object);
             p.drawPolygon(hill);
             Dot(p, k, 16.5, 8.5, 2.2);
         }},
        {"film",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawRoundedRect(QRectF(3, 2.5, 18, 19), 1.5, 1.5);
             p.setPen(Pen(k.ink, k.stroke * 0.8));
             p.drawLine(QPointF(7, 2.5), QPointF(7, 21.5));
             p.drawLine(QPointF(17, 2.5), QPointF(17, 21.5));
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             for (double y : {5.5, 10.0, 14.5, 19.0}) {
                 p.drawRect(QRectF(4, y - 1, 2, 2));
                 p.drawRect(QRectF(18, y - 1, 2, 2));
             }
             QPolygonF play;
             play << QPointF(10, 8.5) << QPointF(15, 12) << QPointF(10, 15.5);
             p.setBrush(k.accent);
             p.drawPolygon(play);
         }},
        {"snapswitch",
         [](QPainter& p, const Ink& k) {
             // The shutter: the microscope's own snapshot button.
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             p.setPen(Pen(k.ink, k.stroke * 0.75));
             for (int i = 0; i < 6; ++i) {
                 const double a = qDegreesToRadians(60.0 * i + 15);
                 const double b = a + qDegreesToRadians(100);
                 p.drawLine(QPointF(12 + 9.3 * std::cos(a), 12 + 9.3 * std::sin(a)),
                            QPointF(12 + 4.2 * std::cos(b), 12 + 4.2 * std::sin(b)));
             }
             Dot(p, k, 12, 12, 2.6);
         }},
        {"snapswitchoff",
         [](QPainter& p, const Ink& k) {
             Table().at("snapswitch")(p, k);
             p.setPen(Pen(k.accent, k.stroke * 1.1));
             p.drawLine(QPointF(4, 20), QPointF(20, 4));
         }},
        {"arc",
         [](QPainter& p, const Ink& k) {
             // The arc through three points.
             Stroke(p, k);
             p.drawArc(QRectF(2.5, 4.5, 19, 19), -25 * 16, 230 * 16);
             for (double a : {-25.0, 90.0, 205.0}) {
                 const double r = qDegreesToRadians(a);
                 Dot(p, k, 12 + 9.5 * std::cos(r), 14 - 9.5 * std::sin(r), 2.3);
             }
         }},
        {"ruler",
         [](QPainter& p, const Ink& k) {
             // Length-Line: a guide line of a set length, with its scale.
             p.save();
             p.translate(12, 12);
             p.rotate(-35);
             Stroke(p, k, 0.85);
             p.drawRoundedRect(QRectF(-11, -4, 22, 8), 1, 1);
             for (int i = 0; i <= 8; ++i) {
                 const double x = -9 + i * 2.25;
                 p.drawLine(QPointF(x, -4), QPointF(x, i % 2 == 0 ? 0.5 : -1.5));
             }
             p.restore();
             Dot(p, k, 5, 19.5, 2.0);
             Dot(p, k, 19, 4.5, 2.0);
         }},
        {"protractor",
         [](QPainter& p, const Ink& k) {
             // Angle-Line: an angle set against the picture's axes.
             p.setPen(Pen(k.ink, k.stroke * 0.6, Qt::DashLine));
             p.drawLine(QPointF(2, 19), QPointF(22, 19));
             p.drawLine(QPointF(5, 22), QPointF(5, 2));
             AccentStroke(p, k);
             p.drawLine(QPointF(5, 19), QPointF(20, 6));
             Stroke(p, k, 0.8);
             p.drawArc(QRectF(5 - 10, 19 - 10, 20, 20), 0, int(41 * 16));
             p.drawArc(QRectF(5 - 10, 19 - 10, 20, 20), int(41 * 16), int(49 * 16));
             Dot(p, k, 5, 19, 2.0);
         }},
        {"tolerance",
         [](QPainter& p, const Ink& k) {
             p.setPen(Pen(k.accent, k.stroke * 0.7, Qt::DashLine));
             p.drawEllipse(QPointF(12, 12), 10, 10);
             p.drawEllipse(QPointF(12, 12), 4.5, 4.5);
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 7.3, 7.3);
             p.setPen(Pen(k.ink, k.stroke * 0.6));
             p.drawLine(QPointF(10, 12), QPointF(14, 12));
             p.drawLine(QPointF(12, 10), QPointF(12, 14));
         }},
        {"deleteall", [](QPainter& p, const Ink& k) { Trash(p, k); }},
        {"autoline",
         [](QPainter& p, const Ink& k) {
             // A line found on the edge of an object: its length.
             QPolygonF obj;
             obj << QPointF(2, 22) << QPointF(2, 15) << QPointF(17, 4) << QPointF(22, 4) << QPointF(22, 22);
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             p.drawPolygon(obj);
             AccentStroke(p, k);
             p.drawLine(QPointF(3, 14.2), QPointF(16, 4.8));
             Dot(p, k, 3, 14.2, 2.1);
             Dot(p, k, 16, 4.8, 2.1);
             AutoBadge(p, k);
         }},
        {"autocircle",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             p.drawEllipse(QPointF(11, 13), 8, 8);
             AccentStroke(p, k);
             p.drawEllipse(QPointF(11, 13), 8.5, 8.5);
             p.setPen(Pen(k.ink, k.stroke * 0.6));
             p.drawLine(QPointF(9, 13), QPointF(13, 13));
             p.drawLine(QPointF(11, 11), QPointF(11, 15));
             AutoBadge(p, k);
         }},
        {"autoarc",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             p.drawEllipse(QPointF(11, 14), 8.5, 8.5);
             AccentStroke(p, k);
             p.drawArc(QRectF(1.5, 4.5, 19, 19), -25 * 16, 230 * 16);
             for (double a : {-25.0, 90.0, 205.0}) {
                 const double r = qDegreesToRadians(a);
                 Dot(p, k, 11 + 9.5 * std::cos(r), 14 - 9.5 * std::sin(r), 1.9);
             }
             AutoBadge(p, k);
         }},
        {"autospacing",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             p.drawRect(QRectF(1, 1.5, 14, 4));
             p.drawRect(QRectF(1, 18.5, 22, 4));
             AccentStroke(p, k, 0.9);
             p.drawLine(QPointF(1, 5.5), QPointF(15, 5.5));
             p.drawLine(QPointF(1, 18.5), QPointF(23, 18.5));
             Dimension(p, k, QPointF(8, 6.5), QPointF(8, 17.5), 0.8);
             AutoBadge(p, k);
         }},
        {"autoangle",
         [](QPainter& p, const Ink& k) {
             QPolygonF wedge;
             wedge << QPointF(3, 20) << QPointF(22, 20) << QPointF(22, 22) << QPointF(2, 22) << QPointF(2, 20)
                   << QPointF(3, 20) << QPointF(13, 6.5);
             QPolygonF obj;
             obj << QPointF(3, 20) << QPointF(13.5, 6) << QPointF(14.5, 12) << QPointF(21, 20);
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             p.drawPolygon(obj);
             AccentStroke(p, k);
             p.drawLine(QPointF(3, 20), QPointF(21.5, 20));
             p.drawLine(QPointF(3, 20), QPointF(13.5, 6));
             p.setPen(Pen(k.accent, k.stroke * 0.7));
             p.drawArc(QRectF(3 - 7, 20 - 7, 14, 14), 0, int(53 * 16));
             AutoBadge(p, k);
         }},
        // Menu pictures.
        {"cross",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             p.drawLine(QPointF(12, 2), QPointF(12, 22));
             p.drawLine(QPointF(2, 12), QPointF(22, 12));
             AccentStroke(p, k, 0.9);
             p.drawEllipse(QPointF(12, 12), 5, 5);
         }},
        {"scalebar",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawLine(QPointF(2, 16), QPointF(22, 16));
             p.drawLine(QPointF(2.5, 8), QPointF(2.5, 20));
             p.drawLine(QPointF(21.5, 8), QPointF(21.5, 20));
             AccentStroke(p, k, 0.8);
             p.drawLine(QPointF(12, 11), QPointF(12, 16));
             p.drawLine(QPointF(7.2, 13), QPointF(7.2, 16));
             p.drawLine(QPointF(16.8, 13), QPointF(16.8, 16));
         }},
        {"ring",
         [](QPainter& p, const Ink& k) {
             p.setPen(QPen(QColor(0x1E, 0x6F, 0xD6), k.stroke * 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(12, 12), 8, 8);
         }},
        {"ringdot",
         [](QPainter& p, const Ink& k) {
             p.setPen(QPen(QColor(0x1E, 0x6F, 0xD6), k.stroke * 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(12, 12), 8, 8);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::black);
             p.drawEllipse(QPointF(12, 12), 4.2, 4.2);
         }},
        {"clock",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             AccentStroke(p, k);
             p.drawLine(QPointF(12, 12), QPointF(12, 6));
             p.drawLine(QPointF(12, 12), QPointF(16, 14.5));
         }},
        {"cancel",
         [](QPainter& p, const Ink& k) {
             AccentStroke(p, k, 1.1);
             p.drawEllipse(QPointF(12, 12), 9, 9);
             p.drawLine(QPointF(5.6, 18.4), QPointF(18.4, 5.6));
         }},
        {"open",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             QPainterPath back;
             back.moveTo(2.5, 19.5);
             back.lineTo(2.5, 4.5);
             back.lineTo(9, 4.5);
             back.lineTo(11, 7);
             back.lineTo(19, 7);
             back.lineTo(19, 10);
             p.drawPath(back);
             QPolygonF front;
             front << QPointF(2.5, 19.5) << QPointF(6, 10) << QPointF(22.5, 10) << QPointF(19, 19.5);
             p.setBrush(QColor(0xF2, 0xB8, 0x3B));
             p.drawPolygon(front);
         }},
        {"save",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             QPainterPath d;
             d.moveTo(3, 3);
             d.lineTo(17.5, 3);
             d.lineTo(21, 6.5);
             d.lineTo(21, 21);
             d.lineTo(3, 21);
             d.closeSubpath();
             p.setBrush(QColor(0x1E, 0x6F, 0xD6));
             p.drawPath(d);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(7, 3, 9, 6));
             p.drawRect(QRectF(6, 13, 12, 8));
         }},
        {"saveall",
         [](QPainter& p, const Ink& k) {
             p.save();
             p.translate(3, -1.5);
             p.scale(0.8, 0.8);
             Table().at("save")(p, k);
             p.restore();
             p.save();
             p.translate(-1, 5);
             p.scale(0.8, 0.8);
             Table().at("save")(p, k);
             p.restore();
         }},
        {"delete",
         [](QPainter& p, const Ink& k) {
             Ink red = k;
             red.ink = QColor(0xC6, 0x28, 0x28);
             Trash(p, red);
         }},
        {"deletemany",
         [](QPainter& p, const Ink& k) {
             Ink red = k;
             red.ink = QColor(0xC6, 0x28, 0x28);
             Trash(p, red);
             p.setPen(Pen(red.ink, 1.6));
             p.drawLine(QPointF(1.5, 10), QPointF(1.5, 20));
             p.drawLine(QPointF(22.5, 10), QPointF(22.5, 20));
         }},
        {"mail",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             p.drawRect(QRectF(2.5, 5.5, 19, 13));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF() << QPointF(2.5, 5.5) << QPointF(12, 13) << QPointF(21.5, 5.5));
         }},
        {"mirror",
         [](QPainter& p, const Ink& k) {
             p.setPen(Pen(k.accent, k.stroke * 0.7, Qt::DashLine));
             p.drawLine(QPointF(12, 2), QPointF(12, 22));
             Stroke(p, k, 0.8);
             p.setBrush(k.ink);
             p.drawPolygon(QPolygonF() << QPointF(9.5, 5) << QPointF(9.5, 19) << QPointF(2.5, 19));
             p.setBrush(Qt::NoBrush);
             p.drawPolygon(QPolygonF() << QPointF(14.5, 5) << QPointF(14.5, 19) << QPointF(21.5, 19));
         }},
        {"flip",
         [](QPainter& p, const Ink& k) {
             p.save();
             p.translate(12, 12);
             p.rotate(90);
             p.translate(-12, -12);
             Table().at("mirror")(p, k);
             p.restore();
         }},
        {"negative",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawPie(QRectF(2.5, 2.5, 19, 19), 90 * 16, 180 * 16);
         }},
        {"brightplus",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.8);
             p.drawEllipse(QPointF(10, 12), 4, 4);
             for (int i = 0; i < 8; ++i) {
                 const double a = i * M_PI / 4;
                 p.drawLine(QPointF(10 + 6 * std::cos(a), 12 + 6 * std::sin(a)),
                            QPointF(10 + 8 * std::cos(a), 12 + 8 * std::sin(a)));
             }
             AccentStroke(p, k, 0.9);
             p.drawLine(QPointF(17.5, 5), QPointF(23, 5));
             p.drawLine(QPointF(20.25, 2.25), QPointF(20.25, 7.75));
         }},
        {"brightminus",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.8);
             p.drawEllipse(QPointF(10, 12), 4, 4);
             for (int i = 0; i < 8; ++i) {
                 const double a = i * M_PI / 4;
                 p.drawLine(QPointF(10 + 6 * std::cos(a), 12 + 6 * std::sin(a)),
                            QPointF(10 + 8 * std::cos(a), 12 + 8 * std::sin(a)));
             }
             AccentStroke(p, k, 0.9);
             p.drawLine(QPointF(17.5, 5), QPointF(23, 5));
         }},
        {"median",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.6);
             for (int i = 0; i < 3; ++i)
                 for (int j = 0; j < 3; ++j)
                     p.drawRect(QRectF(3 + i * 6, 3 + j * 6, 6, 6));
             p.setPen(Qt::NoPen);
             p.setBrush(k.accent);
             p.drawRect(QRectF(9, 9, 6, 6));
         }},
        {"average",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             for (int i = 0; i < 3; ++i)
                 for (int j = 0; j < 3; ++j) {
                     const int g = 90 + 30 * ((i + j) % 3);
                     p.setBrush(QColor(g, g, g));
                     p.drawRect(QRectF(3 + i * 6, 3 + j * 6, 6, 6));
                 }
             Stroke(p, k, 0.6);
             p.drawRect(QRectF(3, 3, 18, 18));
         }},
        {"edge",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             QPainterPath blob;
             blob.moveTo(4, 20);
             blob.cubicTo(2, 10, 10, 2, 18, 5);
             blob.cubicTo(23, 8, 20, 20, 12, 21);
             blob.closeSubpath();
             p.drawPath(blob);
             p.setPen(Pen(k.accent, k.stroke * 0.8, Qt::DashLine));
             p.setBrush(Qt::NoBrush);
             p.drawPath(blob);
         }},
        {"hourglass", [](QPainter& p, const Ink& k) { Hourglass(p, k); }},
        // Photo-measure window.
        {"magnifier",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k);
             p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
             p.setPen(Pen(k.ink, k.stroke * 1.6));
             p.drawLine(QPointF(15, 15), QPointF(21, 21));
             p.setPen(Pen(k.accent, k.stroke * 0.7));
             p.drawLine(QPointF(7.5, 10), QPointF(12.5, 10));
             p.drawLine(QPointF(10, 7.5), QPointF(10, 12.5));
         }},
        {"operations",
         [](QPainter& p, const Ink& k) {
             // Picture operations: a picture with a magic wand.
             Stroke(p, k, 0.9);
             p.drawRoundedRect(QRectF(2.5, 5, 15, 13), 1.2, 1.2);
             p.setPen(Qt::NoPen);
             p.setBrush(k.object);
             p.drawPolygon(QPolygonF() << QPointF(3.5, 17) << QPointF(8, 11) << QPointF(11, 14.5)
                                       << QPointF(13, 12.5) << QPointF(16.5, 17));
             p.setPen(Pen(k.ink, k.stroke * 1.2));
             p.drawLine(QPointF(13, 21), QPointF(21, 13));
             p.setPen(Pen(k.accent, k.stroke * 0.7));
             for (int i = 0; i < 4; ++i) {
                 const double a = i * M_PI / 2 + M_PI / 4;
                 p.drawLine(QPointF(21 + 1.2 * std::cos(a), 6 + 1.2 * std::sin(a)),
                            QPointF(21 + 3 * std::cos(a), 6 + 3 * std::sin(a)));
             }
         }},
        {"paint",
         [](QPainter& p, const Ink& k) {
             // Drawing without labels: a pencil.
             p.save();
             p.translate(12, 12);
             p.rotate(45);
             Stroke(p, k, 0.9);
             p.drawRect(QRectF(-3, -10, 6, 15));
             p.drawLine(QPointF(-3, -7), QPointF(3, -7));
             QPolygonF tip;
             tip << QPointF(-3, 5) << QPointF(3, 5) << QPointF(0, 10.5);
             p.setBrush(k.accent);
             p.drawPolygon(tip);
             p.restore();
         }},
        {"measuremenu",
         [](QPainter& p, const Ink& k) {
             // Measuring: a caliper-like dimension over a line.
             Stroke(p, k);
             p.drawLine(QPointF(3, 18), QPointF(21, 18));
             p.drawLine(QPointF(3, 14), QPointF(3, 22));
             p.drawLine(QPointF(21, 14), QPointF(21, 22));
             Dimension(p, k, QPointF(3, 9), QPointF(21, 9), 0.8);
             Text(p, k.accent, QRectF(6, 0, 12, 7), "mm", 5.5);
         }},
        {"select",
         [](QPainter& p, const Ink& k) {
             QPolygonF arrow;
             arrow << QPointF(5, 2.5) << QPointF(5, 19) << QPointF(9, 15) << QPointF(12, 21.5)
                   << QPointF(14.8, 20.3) << QPointF(11.8, 14) << QPointF(17.5, 14);
             p.setPen(Pen(k.ink, k.stroke * 0.8));
             p.setBrush(k.accent);
             p.drawPolygon(arrow);
         }},
        {"move",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             p.drawLine(QPointF(12, 4), QPointF(12, 20));
             p.drawLine(QPointF(4, 12), QPointF(20, 12));
             Head(p, k.ink, QPointF(12, 2), QPointF(12, 12), 4.5);
             Head(p, k.ink, QPointF(12, 22), QPointF(12, 12), 4.5);
             Head(p, k.ink, QPointF(2, 12), QPointF(12, 12), 4.5);
             Head(p, k.ink, QPointF(22, 12), QPointF(12, 12), 4.5);
         }},
        // Wavenor: effects, channels and small controls.
        {"binary",
         [](QPainter& p, const Ink& k) {
             // Binary segmentation: the picture cut into black and white at a threshold.
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(3, 3, 18, 18));
             p.setBrush(QColor(0x10, 0x10, 0x10));
             QPainterPath blob;
             blob.moveTo(3, 21);
             blob.lineTo(3, 12);
             blob.cubicTo(8, 8, 11, 15, 15, 9);
             blob.cubicTo(17, 6, 19, 6, 21, 7);
             blob.lineTo(21, 21);
             blob.closeSubpath();
             p.drawPath(blob);
             Stroke(p, k, 0.7);
             p.drawRect(QRectF(3, 3, 18, 18));
         }},
        {"red",
         [](QPainter& p, const Ink& k) {
             p.setPen(QPen(k.ink, k.stroke * 0.6));
             p.setBrush(QColor(0xE5, 0x39, 0x35));
             p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
             Text(p, Qt::white, QRectF(3, 3, 18, 18), "R", 11);
         }},
        {"green",
         [](QPainter& p, const Ink& k) {
             p.setPen(QPen(k.ink, k.stroke * 0.6));
             p.setBrush(QColor(0x2E, 0x9E, 0x44));
             p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
             Text(p, Qt::white, QRectF(3, 3, 18, 18), "G", 11);
         }},
        {"blue",
         [](QPainter& p, const Ink& k) {
             p.setPen(QPen(k.ink, k.stroke * 0.6));
             p.setBrush(QColor(0x1E, 0x63, 0xD6));
             p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
             Text(p, Qt::white, QRectF(3, 3, 18, 18), "B", 11);
         }},
        {"gear", [](QPainter& p, const Ink& k) { Gear(p, k.ink, QPointF(12, 12), 11, k.stroke); }},
        {"dot",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.accent);
             p.drawEllipse(QPointF(12, 12), 4.5, 4.5);
         }},
        {"print",
         [](QPainter& p, const Ink& k) {
             Stroke(p, k, 0.9);
             p.drawRect(QRectF(7, 2.5, 10, 6));
             p.setBrush(QColor(0xE8, 0xEC, 0xEF));
             p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 1.5, 1.5);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(7, 14, 10, 7.5));
             p.setPen(Pen(k.ink, k.stroke * 0.5));
             p.drawLine(QPointF(9, 17), QPointF(15, 17));
             p.drawLine(QPointF(9, 19.3), QPointF(14, 19.3));
             Dot(p, k, 18.5, 11.5, 1.1);
         }},
        // Video player.
        {"play",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawPolygon(QPolygonF() << QPointF(7, 4) << QPointF(20, 12) << QPointF(7, 20));
         }},
        {"pause",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawRect(QRectF(6, 4.5, 4.2, 15));
             p.drawRect(QRectF(13.8, 4.5, 4.2, 15));
         }},
        {"stop",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawRect(QRectF(5.5, 5.5, 13, 13));
         }},
        {"first",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawRect(QRectF(4.5, 5, 3, 14));
             p.drawPolygon(QPolygonF() << QPointF(19.5, 5) << QPointF(8.5, 12) << QPointF(19.5, 19));
         }},
        {"last",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawRect(QRectF(16.5, 5, 3, 14));
             p.drawPolygon(QPolygonF() << QPointF(4.5, 5) << QPointF(15.5, 12) << QPointF(4.5, 19));
         }},
        {"back",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawPolygon(QPolygonF() << QPointF(12, 5) << QPointF(3, 12) << QPointF(12, 19));
             p.drawPolygon(QPolygonF() << QPointF(21, 5) << QPointF(12, 12) << QPointF(21, 19));
         }},
        {"forward",
         [](QPainter& p, const Ink& k) {
             p.setPen(Qt::NoPen);
             p.setBrush(k.ink);
             p.drawPolygon(QPolygonF() << QPointF(3, 5) << QPointF(12, 12) << QPointF(3, 19));
             p.drawPolygon(QPolygonF() << QPointF(12, 5) << QPointF(21, 12) << QPointF(12, 19));
         }},
    };
    return t;
}

void Hourglass(QPainter& p, const Ink& k) {
    Stroke(p, k);
    p.drawLine(QPointF(5, 2.5), QPointF(19, 2.5));
    p.drawLine(QPointF(5, 21.5), QPointF(19, 21.5));
    QPainterPath glass;
    glass.moveTo(7, 2.5);
    glass.cubicTo(7, 9, 11, 10, 11, 12);
    glass.cubicTo(11, 14, 7, 15, 7, 21.5);
    glass.lineTo(17, 21.5);
    glass.cubicTo(17, 15, 13, 14, 13, 12);
    glass.cubicTo(13, 10, 17, 9, 17, 2.5);
    p.drawPath(glass);
}

} // namespace

void DrawIcon(QPainter& p, const std::string& name, const QRectF& box, const Ink& ink) {
    const Fn& fn = Table().at(name);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    fn(p, ink);
    p.restore();
}

} // namespace art
