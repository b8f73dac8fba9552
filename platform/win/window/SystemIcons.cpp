#include "window/SystemIcons.h"

#include "platform/win/gdi/GdiQt.h"

#include <QFont>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>
#include <mutex>

namespace ms {

namespace {

constexpr ULONG_PTR kApplication = 32512, kHand = 32513, kQuestion = 32514, kExclamation = 32515,
                    kAsterisk = 32516;

// A round badge with a soft top light and a darker rim, as the programs' own buttons are shaded.
void Badge(QPainter& p, double s, QColor light, QColor dark) {
    const QRectF r(s * 0.06, s * 0.06, s * 0.88, s * 0.88);
    QRadialGradient g(r.center() - QPointF(s * 0.14, s * 0.18), s * 0.62);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setBrush(g);
    p.setPen(QPen(dark.darker(140), std::max(1.0, s / 24)));
    p.drawEllipse(r);
}

// A glyph in bold white (or `colour`), centred on `centre`, `height` pixels high.
void Glyph(QPainter& p, const QString& text, QPointF centre, double height, QColor colour) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(std::max(6, static_cast<int>(height)));
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF b = path.boundingRect();
    const double scale = height / std::max(1.0, b.height());
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.scale(scale, scale);
    t.translate(-b.center().x(), -b.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(t.map(path));
}

void DrawInformation(QPainter& p, double s) {
    Badge(p, s, QColor(110, 170, 240), QColor(25, 80, 170));
    Glyph(p, QStringLiteral("i"), QPointF(s * 0.5, s * 0.5), s * 0.58, Qt::white);
}

void DrawQuestion(QPainter& p, double s) {
    Badge(p, s, QColor(110, 170, 240), QColor(25, 80, 170));
    Glyph(p, QStringLiteral("?"), QPointF(s * 0.5, s * 0.5), s * 0.58, Qt::white);
}

void DrawError(QPainter& p, double s) {
    Badge(p, s, QColor(245, 110, 100), QColor(175, 25, 25));
    // A white cross, square-ended so it stays crisp at 16 pixels.
    QPen pen(Qt::white, s * 0.13, Qt::SolidLine, Qt::SquareCap);
    p.setPen(pen);
    const double a = s * 0.34, b = s * 0.66;
    p.drawLine(QPointF(a, a), QPointF(b, b));
    p.drawLine(QPointF(a, b), QPointF(b, a));
}

void DrawWarning(QPainter& p, double s) {
    QPainterPath tri;
    tri.moveTo(s * 0.5, s * 0.05);
    tri.lineTo(s * 0.96, s * 0.91);
    tri.lineTo(s * 0.04, s * 0.91);
    tri.closeSubpath();
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(255, 228, 110));
    g.setColorAt(1, QColor(235, 170, 20));
    p.setBrush(g);
    p.setPen(QPen(QColor(140, 90, 0), std::max(1.0, s / 24), Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(tri);
    Glyph(p, QStringLiteral("!"), QPointF(s * 0.5, s * 0.6), s * 0.5, QColor(40, 30, 0));
}

void DrawApplication(QPainter& p, double s) {
    // A small window: white client area under a blue caption bar.
    const QRectF frame(s * 0.06, s * 0.12, s * 0.88, s * 0.76);
    p.setPen(QPen(QColor(30, 60, 110), std::max(1.0, s / 24)));
    p.setBrush(Qt::white);
    p.drawRect(frame);
    QLinearGradient g(frame.left(), 0, frame.right(), 0);
    g.setColorAt(0, QColor(25, 80, 170));
    g.setColorAt(1, QColor(110, 170, 240));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(QRectF(frame.left(), frame.top(), frame.width(), s * 0.2));
}

std::size_t Slot(ULONG_PTR id) {
    return static_cast<std::size_t>(id - kApplication);
}

} // namespace

QImage SystemIconImage(ULONG_PTR id, int size) {
    if (id < kApplication || id > kAsterisk || size <= 0)
        return {};
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (id) {
    case kApplication:
        DrawApplication(p, s);
        break;
    case kHand:
        DrawError(p, s);
        break;
    case kQuestion:
        DrawQuestion(p, s);
        break;
    case kExclamation:
        DrawWarning(p, s);
        break;
    default:
        DrawInformation(p, s);
        break;
    }
    return img;
}

HICON SystemIcon(ULONG_PTR id, int size) {
    if (id < kApplication || id > kAsterisk)
        return nullptr;
    // Shared for the program's life, as the system's own icons are; made once, under a lock,
    // because LoadIcon may be asked for one from any thread that draws.
    static std::mutex lock;
    static std::array<HICON, 5> large{}, small{};
    const bool isSmall = size <= 16;
    std::lock_guard guard(lock);
    HICON& h = (isSmall ? small : large)[Slot(id)];
    if (!h)
        h = CreateIconFromQImage(SystemIconImage(id, isSmall ? 16 : 32), true, 0, 0);
    return h;
}

void SetMessageBoxIcon(QMessageBox& box, UINT type) {
    ULONG_PTR id = 0;
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        id = kHand;
        break;
    case MB_ICONQUESTION:
        id = kQuestion;
        break;
    case MB_ICONEXCLAMATION:
        id = kExclamation;
        break;
    case MB_ICONASTERISK:
        id = kAsterisk;
        break;
    default:
        return;
    }
    box.setIconPixmap(QPixmap::fromImage(SystemIconImage(id, 32)));
}

} // namespace ms
