// artwork: draws every picture of the programs' resources from code and writes the files
// that the resource scripts embed.
//
//   artwork <output folder> [--preview <file.png>] [--sheet <file.png>] [--help-images <folder>]
//
// The output folder receives tessary/ with the skin, the button faces, the strip
// backgrounds, the icons, the cursors, the animated wait cursor and art.rc (the BITMAP, ICON
// and CURSOR lines for the resource script). --preview composes the main window as it looks
// after a start (skin, every visible button in its normal look, frames and fields) into one
// PNG, for a look at the whole; --sheet shows every face, icon and cursor on one page;
// --help-images writes the visible buttons of the main window as PNG for the help pages.
#include "tools/artwork/Files.h"
#include "tools/artwork/Icons.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace art;

namespace {

constexpr int kSkinW = 868, kSkinH = 650;
const QColor kPanel(200, 200, 200); // the dialogs' own grey: frames and labels paint with it
const QColor kTitleTop(0x2A, 0x37, 0x44), kTitleBottom(0x1B, 0x25, 0x2F);
const QColor kBezel(0x1A, 0x1E, 0x22);
const QColor kAccentBlue(0x1E, 0x6F, 0xD6);

enum class Face {
    Tool,   // light plate; pressed: blue plate with white picture
    Window, // square tile for minimise, full screen and close
    Close,  // as Window, pressed red
    Tab,    // strip tab: normal is the tab shown (dark, lit), pressed the other one (recessed)
    Bare,   // no plate: the picture alone (a tiny settings gear)
};

struct Button {
    int control;
    const char* name; // file name part
    int normalId, pressedId;
    int x, y, w, h;
    const char* icon;
    const char* pressedIcon; // null: the same picture
    Face face;
    bool shown; // visible in the main window after a start
};

// The 46 buttons of the main window, in the order of its button table.
const std::vector<Button>& MainButtons() {
    static const std::vector<Button> b = {
        {1014, "preview", 155, 355, 1, 1, 40, 40, "preview", nullptr, Face::Tool, false},
        {1005, "camera", 150, 350, 29, 78, 40, 40, "camera", nullptr, Face::Tool, true},
        {1006, "record", 151, 351, 29, 125, 40, 40, "video", nullptr, Face::Tool, true},
        {1007, "timer", 152, 352, 29, 172, 40, 40, "timer", nullptr, Face::Tool, false},
        {1016, "videosetting", 156, 356, 29, 172, 40, 40, "videosetting", nullptr, Face::Tool,
         true},
        {1008, "word", 329, 326, 29, 254, 40, 40, "word", nullptr, Face::Tool, false},
        {1009, "excel", 327, 328, 29, 269, 40, 40, "excel", nullptr, Face::Tool, true},
        {1293, "language", 331, 330, 29, 363, 40, 40, "language", nullptr, Face::Tool, true},
        {1179, "line", 287, 288, 749, 80, 32, 32, "line", nullptr, Face::Tool, true},
        {1180, "pointline", 282, 281, 785, 80, 32, 32, "dotline", nullptr, Face::Tool, true},
        {1181, "parallel", 289, 290, 820, 80, 32, 32, "parallel", nullptr, Face::Tool, true},
        {1182, "continual", 278, 277, 749, 115, 32, 32, "continual", nullptr, Face::Tool, true},
        {1183, "rectangle", 293, 294, 785, 115, 32, 32, "rectangle", nullptr, Face::Tool, true},
        {1184, "polygon", 297, 298, 820, 112, 32, 32, "polygon", nullptr, Face::Tool, false},
        {1185, "ellipse", 284, 283, 749, 147, 32, 32, "ellipse", nullptr, Face::Tool, false},
        {1186, "rcircle", 299, 300, 785, 147, 32, 32, "rcircle", nullptr, Face::Tool, false},
        {1187, "dcircle", 280, 279, 820, 147, 32, 32, "dcircle", nullptr, Face::Tool, false},
        {1188, "tcircle", 301, 302, 820, 115, 32, 32, "tcircle", nullptr, Face::Tool, true},
        {1189, "twocircle", 303, 304, 749, 185, 32, 32, "twocircle", nullptr, Face::Tool, true},
        {1190, "angle", 272, 271, 785, 150, 32, 32, "angle", nullptr, Face::Tool, true},
        {1191, "fangle", 305, 306, 820, 150, 32, 32, "fangle", nullptr, Face::Tool, true},
        {1192, "clabel", 276, 275, 820, 185, 32, 32, "clabel", nullptr, Face::Tool, true},
        {1193, "slabel", 307, 308, 749, 250, 32, 32, "slabel", nullptr, Face::Tool, false},
        {1194, "text", 270, 286, 785, 185, 32, 32, "text", nullptr, Face::Tool, true},
        {1175, "min", 265, 260, 764, 6, 28, 28, "min", nullptr, Face::Window, true},
        {1176, "fullscreen", 263, 264, 798, 6, 28, 28, "max", nullptr, Face::Window, true},
        {1177, "close", 261, 262, 830, 6, 28, 28, "close", nullptr, Face::Close, true},
        {1195, "undo", 313, 314, 745, 402, 32, 32, "undo", nullptr, Face::Tool, true},
        {1196, "redo", 315, 316, 822, 402, 32, 32, "redo", nullptr, Face::Tool, true},
        {1197, "calibration", 274, 273, 805, 490, 46, 32, "calibration", nullptr, Face::Tool, true},
        {1198, "measuresetting", 311, 312, 29, 222, 40, 40, "measuresetting", nullptr, Face::Tool,
         true},
        {1199, "about", 309, 310, 29, 457, 40, 40, "about", nullptr, Face::Tool, true},
        {1201, "pictures", 333, 332, 40, 541, 52, 48, "picture", nullptr, Face::Tab, true},
        {1202, "videos", 335, 334, 40, 594, 52, 48, "film", nullptr, Face::Tab, true},
        {1204, "snapswitch", 349, 348, 29, 410, 40, 40, "snapswitch", "snapswitchoff", Face::Tool,
         true},
        {1205, "arc", 377, 378, 749, 150, 32, 32, "arc", nullptr, Face::Tool, true},
        {1212, "lengthline", 400, 403, 749, 356, 32, 32, "ruler", nullptr, Face::Tool, true},
        {1141, "angleline", 402, 401, 785, 356, 32, 32, "protractor", nullptr, Face::Tool, true},
        {1139, "tolerance", 406, 405, 820, 356, 32, 32, "tolerance", nullptr, Face::Tool, true},
        {1326, "cad", 1321, 1320, 29, 316, 40, 40, "cad", nullptr, Face::Tool, true},
        {409, "deleteall", 1336, 1335, 783, 402, 32, 32, "deleteall", nullptr, Face::Tool, true},
        {1207, "autoarc", 423, 422, 820, 260, 32, 32, "autoarc", nullptr, Face::Tool, true},
        {1349, "autoline", 418, 421, 749, 260, 32, 32, "autoline", nullptr, Face::Tool, true},
        {1206, "autocircle", 420, 419, 785, 260, 32, 32, "autocircle", nullptr, Face::Tool, true},
        {1357, "autospacing", 426, 425, 749, 295, 32, 32, "autospacing", nullptr, Face::Tool, true},
        {1356, "autoangle", 427, 428, 785, 295, 32, 32, "autoangle", nullptr, Face::Tool, true},
    };
    return b;
}

// Buttons of the photo-measure window and of the video player (grey background).
const std::vector<Button>& OtherButtons() {
    static const std::vector<Button> b = {
        {384, "magnifier", 365, 369, 6, 1, 30, 28, "magnifier", nullptr, Face::Tool, true},
        {1113, "saveas", 188, 189, 6, 30, 30, 30, "save", nullptr, Face::Tool, true},
        {1333, "operations", 199, 200, 38, 30, 30, 30, "operations", nullptr, Face::Tool, true},
        {1114, "revert", 353, 357, 70, 30, 30, 30, "undo", nullptr, Face::Tool, true},
        {1257, "paint", 203, 204, 102, 30, 30, 30, "paint", nullptr, Face::Tool, true},
        {1329, "edge", 1324, 1325, 134, 30, 30, 30, "edge", nullptr, Face::Tool, true},
        {1138, "measure", 195, 196, 166, 30, 30, 30, "measuremenu", nullptr, Face::Tool, true},
        {1328, "automeasure", 1327, 1323, 198, 30, 30, 30, "autocircle", nullptr, Face::Tool, true},
        {1140, "pen", 201, 202, 230, 30, 30, 30, "measuresetting", nullptr, Face::Tool, true},
        {1142, "text", 205, 206, 262, 30, 30, 30, "text", nullptr, Face::Tool, true},
        {1137, "select", 197, 198, 294, 30, 30, 30, "select", nullptr, Face::Tool, true},
        {1127, "delete", 207, 208, 326, 30, 30, 30, "deleteall", nullptr, Face::Tool, true},
        {1128, "move", 209, 210, 358, 30, 30, 30, "move", nullptr, Face::Tool, true},
        {1289, "calibrationmenu", 245, 244, 390, 30, 30, 30, "calibration", nullptr, Face::Tool,
         true},
        {1010, "first", 361, 161, 204, 502, 30, 30, "first", nullptr, Face::Tool, true},
        {1011, "back", 363, 163, 236, 502, 30, 30, "back", nullptr, Face::Tool, true},
        {1286, "pause", 367, 167, 250, 502, 30, 30, "pause", nullptr, Face::Tool, true},
        {1284, "stop", 366, 166, 268, 502, 30, 30, "stop", nullptr, Face::Tool, true},
        {1285, "play", 358, 359, 300, 502, 30, 30, "play", nullptr, Face::Tool, true},
        {1012, "forward", 362, 162, 332, 502, 30, 30, "forward", nullptr, Face::Tool, true},
        {1013, "last", 364, 164, 364, 502, 30, 30, "last", nullptr, Face::Tool, true},
        {1291, "playerclose", 268, 269, 557, 7, 28, 28, "close", nullptr, Face::Close, true},
    };
    return b;
}

struct MenuIcon {
    int id;
    const char* name;
    const char* icon;
};

// 16 x 16 icons of the popup menus (main window, About, language, photo-measure window).
const std::vector<MenuIcon>& MenuIcons() {
    static const std::vector<MenuIcon> m = {
        {230, "crossline", "cross"},
        {231, "scalebar", "scalebar"},
        {232, "ring", "ring"},
        {233, "time", "clock"},
        {234, "line", "line"},
        {235, "continual", "continual"},
        {236, "rectangle", "rectangle"},
        {240, "tcircle", "tcircle"},
        {241, "angle", "angle"},
        {242, "fangle", "fangle"},
        {317, "negative", "negative"},
        {318, "flip", "flip"},
        {320, "brighter", "brightplus"},
        {321, "darker", "brightminus"},
        {322, "mirror", "mirror"},
        {324, "median", "median"},
        {325, "average", "average"},
        {337, "cancel", "cancel"},
        {338, "open", "open"},
        {339, "saveas", "save"},
        {340, "saveall", "saveall"},
        {341, "delete", "delete"},
        {342, "deleteall", "deletemany"},
        {344, "email", "mail"},
        {370, "edge", "edge"},
        {373, "excel", "excel"},
        {374, "parallel", "parallel"},
        {375, "clabel", "clabel"},
        {381, "ringdot", "ringdot"},
        {408, "pointline", "dotline"},
        {417, "autoline", "autoline"},
        {433, "arc", "arc"},
        {434, "autoarc", "autoarc"},
        {1280, "twocircle", "twocircle"},
        {1283, "about", "about"},
        {1322, "cad", "cad"},
        {1342, "autocircle", "autocircle"},
        {1343, "autoangle", "autoangle"},
        {1345, "autospacing", "autospacing"},
    };
    return m;
}

QString g_out;
QString g_program = "tessary"; // the program whose files are being written
QStringList g_rc;              // lines of its art.rc
int g_failures = 0;

QString Path(const QString& file) {
    return g_out + "/" + g_program + "/" + file;
}

void Note(bool ok, const QString& file) {
    if (!ok) {
        std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(file));
        ++g_failures;
    }
}

void EmitBitmap(int id, const QString& file, const QImage& img) {
    Note(WriteBmp24(img, Path(file)), file);
    g_rc << QString("%1 BITMAP \"art/%2/%3\"").arg(id).arg(g_program, file);
}

void EmitIcon(int id, const QString& file, const std::vector<QImage>& sizes) {
    Note(WriteIco(sizes, Path(file)), file);
    g_rc << QString("%1 ICON \"art/%2/%3\"").arg(id).arg(g_program, file);
}

void EmitWave(int id, const QString& file, const std::vector<int16_t>& samples, int rate) {
    Note(WriteWav(samples, rate, Path(file)), file);
    g_rc << QString("%1 WAVE \"art/%2/%3\"").arg(id).arg(g_program, file);
}

void WriteRc() {
    QFile rc(Path("art.rc"));
    if (!rc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        Note(false, "art.rc");
        return;
    }
    QTextStream s(&rc);
    for (const QString& line : g_rc)
        s << line << "\n";
}

// ---------------------------------------------------------------------------------------------
// Strip backgrounds.

// The strip's client area: six slots of 90 x 78 from x = 16, 14 apart, at y = 9.
void DrawStripContent(QPainter& p, QPointF origin, bool videos) {
    QLinearGradient g(origin, origin + QPointF(0, 115));
    g.setColorAt(0, QColor(0x30, 0x36, 0x3C));
    g.setColorAt(1, QColor(0x24, 0x29, 0x2E));
    p.fillRect(QRectF(origin, QSizeF(642, 115)), g);
    for (int i = 0; i < 6; ++i) {
        const QRectF slot(origin.x() + 16 + i * 104, origin.y() + 9, 90, 78);
        p.setPen(QPen(QColor(0x45, 0x4D, 0x55), 1));
        p.setBrush(QColor(0x2A, 0x30, 0x36));
        p.drawRoundedRect(slot.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        if (videos) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x3A, 0x42, 0x4A));
            for (int k = 0; k < 9; ++k) {
                const double x = slot.left() + 6 + k * 9.5;
                p.drawRect(QRectF(x, slot.top() + 3, 5, 3));
                p.drawRect(QRectF(x, slot.bottom() - 6, 5, 3));
            }
        }
    }
}

QImage StripBitmap(bool videos, bool withBorder) {
    QImage img(642, 115, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Behind the strip control the picture starts at its border; for the control's own
    // surface it starts at its client area.
    DrawStripContent(p, withBorder ? QPointF(1, 1) : QPointF(0, 0), videos);
    if (withBorder) {
        p.setPen(QPen(QColor(0x0E, 0x10, 0x12), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, 641, 114));
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// The microscope: program icon, title strip logo, About picture.

void DrawMicroscope(QPainter& p, const QRectF& box, bool onDark) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 64.0, box.height() / 64.0);
    const QColor body = onDark ? QColor(0xE8, 0xEE, 0xF3) : QColor(0x26, 0x32, 0x38);
    const QColor metal = onDark ? QColor(0xB0, 0xBE, 0xC9) : QColor(0x54, 0x6E, 0x7A);
    const QColor accent = kAccentBlue.lighter(onDark ? 135 : 100);
    // Base.
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(10, 53, 44, 7), 3, 3);
    // Arm (a curved pillar from the base to the tube).
    QPainterPath arm;
    arm.moveTo(40, 53);
    arm.cubicTo(52, 46, 54, 30, 44, 20);
    arm.lineTo(39, 25);
    arm.cubicTo(46, 32, 44, 44, 33, 50);
    arm.closeSubpath();
    p.drawPath(arm);
    // Stage.
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(14, 40, 26, 4), 1.5, 1.5);
    // Tube, tilted.
    p.save();
    p.translate(29, 22);
    p.rotate(-28);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-5.5, -17, 11, 28), 2, 2);
    p.setBrush(accent);
    p.drawRect(QRectF(-5.5, -3, 11, 3.5)); // focus ring
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(-4, -23, 8, 7), 1.5, 1.5); // eyepiece
    p.drawRect(QRectF(-3, 11, 6, 6));                   // objective
    p.restore();
    // Focus knob.
    p.setBrush(accent);
    p.drawEllipse(QPointF(44.5, 38), 4.2, 4.2);
    p.setBrush(body);
    p.drawEllipse(QPointF(44.5, 38), 1.6, 1.6);
    p.restore();
}

QImage ProgramIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, QColor(0x2F, 0x7D, 0xE4));
    g.setColorAt(1, QColor(0x16, 0x4E, 0xA6));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 62 * s, 62 * s), 13 * s, 13 * s);
    DrawMicroscope(p, QRectF(6 * s, 4 * s, 52 * s, 54 * s), true);
    return img;
}

// ---------------------------------------------------------------------------------------------
// The skin of the main window (bitmap 140).

void Bevel(QPainter& p, const QRectF& r, const QColor& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRect(r);
    p.setPen(QPen(QColor(0xE6, 0xE6, 0xE6), 1));
    p.drawLine(QPointF(r.left() + 0.5, r.top() + 0.5), QPointF(r.right() - 0.5, r.top() + 0.5));
    p.drawLine(QPointF(r.left() + 0.5, r.top() + 0.5), QPointF(r.left() + 0.5, r.bottom() - 0.5));
    p.setPen(QPen(QColor(0x9A, 0x9A, 0x9A), 1));
    p.drawLine(QPointF(r.left() + 0.5, r.bottom() - 0.5),
               QPointF(r.right() - 0.5, r.bottom() - 0.5));
    p.drawLine(QPointF(r.right() - 0.5, r.top() + 0.5), QPointF(r.right() - 0.5, r.bottom() - 0.5));
}

QImage Skin() {
    QImage img(kSkinW, kSkinH, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Body.
    p.fillRect(img.rect(), QColor(0xA9, 0xAE, 0xB3));

    // Title strip with the program's name; dragging it moves the window.
    QLinearGradient tg(0, 0, 0, 46);
    tg.setColorAt(0, kTitleTop);
    tg.setColorAt(1, kTitleBottom);
    p.fillRect(QRect(0, 0, kSkinW, 46), tg);
    p.fillRect(QRect(0, 44, kSkinW, 2), kAccentBlue);
    p.drawImage(QPoint(10, 6), ProgramIcon(34));
    QFont title("DejaVu Sans");
    title.setPixelSize(21);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xF2, 0xF5, 0xF8));
    p.drawText(QRectF(54, 4, 300, 24), Qt::AlignLeft | Qt::AlignVCenter, "Tessary");
    QFont sub("DejaVu Sans");
    sub.setPixelSize(10);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
    p.setFont(sub);
    p.setPen(QColor(0x9F, 0xB3, 0xC6));
    p.drawText(QRectF(55, 27, 300, 14), Qt::AlignLeft | Qt::AlignVCenter, "DIGITAL MICROSCOPE");

    // Left column: capture, settings and export buttons.
    Bevel(p, QRectF(4, 50, 89, 474), kPanel);
    // Right column: the frames of the measuring tools, undo row and calibration.
    Bevel(p, QRectF(741, 50, 123, 482), kPanel);
    p.setPen(QPen(QColor(0xB4, 0xB4, 0xB4), 1));
    p.drawLine(QPointF(745, 397.5), QPointF(860, 397.5));
    p.drawLine(QPointF(745, 438.5), QPointF(860, 438.5));

    // Preview and thumbnail strip sit in one dark bezel.
    p.setPen(Qt::NoPen);
    p.setBrush(kBezel);
    p.drawRoundedRect(QRectF(94.5, 46.5, 647, 601), 3, 3);
    QRadialGradient pg(QPointF(418, 289), 420);
    pg.setColorAt(0, QColor(0x22, 0x27, 0x2C));
    pg.setColorAt(1, QColor(0x0D, 0x0F, 0x11));
    p.fillRect(QRect(98, 49, 640, 480), pg);
    p.drawImage(QPoint(97, 530), StripBitmap(false, true));

    // Bottom left: the strip's tabs, on the strip's own dark ground so that they read as
    // part of it.
    p.setPen(Qt::NoPen);
    p.setBrush(kBezel);
    p.drawRoundedRect(QRectF(34.5, 534.5, 64, 113), 3, 3);
    {
        QLinearGradient g(0, 535, 0, 646);
        g.setColorAt(0, QColor(0x30, 0x36, 0x3C));
        g.setColorAt(1, QColor(0x24, 0x29, 0x2E));
        p.fillRect(QRectF(36, 536, 62, 110), g);
    }

    // Bottom right: the magnifier field.
    p.setBrush(QColor(0x12, 0x15, 0x18));
    p.setPen(Qt::NoPen);
    p.drawRect(QRect(738, 530, 126, 120));
    p.setPen(QPen(QColor(0x3A, 0x42, 0x4A), 1));
    p.drawLine(QPointF(798.5, 580), QPointF(798.5, 600));
    p.drawLine(QPointF(788, 590.5), QPointF(809, 590.5));

    // Hairline under the window's edge.
    p.setPen(QPen(QColor(0x10, 0x14, 0x18), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kSkinW - 1, kSkinH - 1));
    return img;
}

// ---------------------------------------------------------------------------------------------
// Button faces.

QImage RenderFace(const Button& b, bool pressed, const QImage& background,
                  QColor backgroundColour) {
    QImage img(b.w, b.h, QImage::Format_RGB32);
    if (!background.isNull())
        img = background.copy(b.x, b.y, b.w, b.h).convertToFormat(QImage::Format_RGB32);
    else
        img.fill(backgroundColour);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, b.w - 1, b.h - 1);
    const double side = std::min(b.w, b.h);
    const char* icon = (pressed && b.pressedIcon) ? b.pressedIcon : b.icon;
    Ink ink = pressed ? PressedInk() : NormalInk();

    switch (b.face) {
    case Face::Tool: {
        QLinearGradient g(0, 0, 0, b.h);
        if (pressed) {
            g.setColorAt(0, QColor(0x3C, 0x8C, 0xF0));
            g.setColorAt(1, QColor(0x1C, 0x5E, 0xC0));
            p.setPen(QPen(QColor(0x12, 0x42, 0x8A), 1));
        } else {
            g.setColorAt(0, QColor(0xFC, 0xFC, 0xFD));
            g.setColorAt(1, QColor(0xE1, 0xE4, 0xE8));
            p.setPen(QPen(QColor(0x8A, 0x92, 0x9A), 1));
        }
        p.setBrush(g);
        p.drawRoundedRect(r, 4, 4);
        if (!pressed) {
            p.setPen(QPen(QColor(255, 255, 255, 170), 1));
            p.drawLine(QPointF(3, 1.5), QPointF(b.w - 3, 1.5));
        }
        if (std::string(icon) == "more") {
            // Too narrow for a drawn picture: three dots, "more commands".
            p.setPen(Qt::NoPen);
            p.setBrush(ink.ink);
            for (int i = -1; i <= 1; ++i)
                p.drawEllipse(QPointF(b.w / 2.0 + (pressed ? 0.5 : 0),
                                      b.h / 2.0 + i * 5 + (pressed ? 0.5 : 0)),
                              1.7, 1.7);
            break;
        }
        const double pad = side >= 40 ? 6 : side >= 30 ? 4 : 3;
        const double is = side - 2 * pad;
        const QPointF off = pressed ? QPointF(0.5, 0.5) : QPointF(0, 0);
        DrawIcon(p, icon, QRectF((b.w - is) / 2 + off.x(), (b.h - is) / 2 + off.y(), is, is), ink);
        break;
    }
    case Face::Window:
    case Face::Close: {
        QColor fill = QColor(0x3A, 0x48, 0x55);
        QColor border = QColor(0x55, 0x66, 0x75);
        if (pressed) {
            fill = b.face == Face::Close ? QColor(0xD3, 0x2F, 0x2F) : QColor(0x1E, 0x6F, 0xD6);
            border = fill.lighter(130);
        }
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, 3, 3);
        ink.ink = QColor(0xF0, 0xF4, 0xF7);
        const double is = side - 12;
        DrawIcon(p, icon, QRectF((b.w - is) / 2, (b.h - is) / 2, is, is), ink);
        break;
    }
    case Face::Bare: {
        if (pressed)
            ink.ink = kAccentBlue;
        else
            ink = NormalInk();
        DrawIcon(p, icon, QRectF((b.w - side) / 2.0, (b.h - side) / 2.0, side, side), ink);
        break;
    }
    case Face::Tab: {
        // Normal: the tab whose list the strip shows, raised and lit on the side facing the
        // strip. Pressed: the other tab, sunk into the strip's ground.
        if (!pressed) {
            QLinearGradient g(0, 0, 0, b.h);
            g.setColorAt(0, QColor(0x4A, 0x55, 0x60));
            g.setColorAt(1, QColor(0x38, 0x41, 0x4A));
            p.setPen(QPen(QColor(0x5E, 0x6B, 0x78), 1));
            p.setBrush(g);
            p.drawRoundedRect(r, 4, 4);
            p.fillRect(QRectF(b.w - 4, 4, 3, b.h - 8), kAccentBlue.lighter(125));
            ink.ink = QColor(0xF2, 0xF5, 0xF8);
            ink.object = QColor(0x7E, 0x9A, 0xB3);
            ink.accent = QColor(0xFF, 0x8A, 0x65);
        } else {
            p.setPen(QPen(QColor(0x3A, 0x42, 0x4A), 1));
            p.setBrush(QColor(0x22, 0x27, 0x2C));
            p.drawRoundedRect(r, 4, 4);
            ink = NormalInk();
            ink.ink = QColor(0x8A, 0x95, 0x9F);
            ink.object = QColor(0x45, 0x4E, 0x57);
            ink.accent = QColor(0x9A, 0x70, 0x68);
        }
        const double is = 30;
        DrawIcon(p, icon, QRectF((b.w - 4 - is) / 2, (b.h - is) / 2, is, is), ink);
        break;
    }
    }
    return img;
}

void EmitButtons(const std::vector<Button>& buttons, const QImage& background,
                 QColor colour = kPanel) {
    for (const Button& b : buttons) {
        const QImage n = RenderFace(b, false, background, colour);
        const QImage pr = RenderFace(b, true, background, colour);
        EmitBitmap(b.normalId, QString("bmp%1_%2_normal.bmp").arg(b.normalId).arg(b.name), n);
        EmitBitmap(b.pressedId, QString("bmp%1_%2_pressed.bmp").arg(b.pressedId).arg(b.name), pr);
    }
}

// ---------------------------------------------------------------------------------------------
// Icons and cursors.

QImage MenuIconImage(const std::string& icon, int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const Ink ink = size <= 16 ? MenuInk() : NormalInk();
    DrawIcon(p, icon, QRectF(0, 0, size, size), ink);
    return img;
}

// Precision cross over the live picture: thin dark lines with a light halo, open centre.
QImage PreviewCursor() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const auto arms = [&](const QColor& c, int w) {
        p.setPen(QPen(c, w, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(15.5, 1), QPointF(15.5, 12));
        p.drawLine(QPointF(15.5, 19), QPointF(15.5, 30));
        p.drawLine(QPointF(1, 15.5), QPointF(12, 15.5));
        p.drawLine(QPointF(19, 15.5), QPointF(30, 15.5));
    };
    arms(QColor(255, 255, 255, 230), 3);
    arms(QColor(0x10, 0x10, 0x10), 1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(QRect(14, 14, 3, 3));
    p.setBrush(QColor(0xD9, 0x2B, 0x1E));
    p.drawRect(QRect(15, 15, 1, 1));
    return img;
}

std::vector<QImage> HourglassFrames() {
    std::vector<QImage> frames;
    const int n = 8;
    for (int i = 0; i < n; ++i) {
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        // Frames 0..5 run the sand down, 6 and 7 turn the glass over.
        const double angle = i < 6 ? 0 : (i - 5) * 60.0;
        const double level = i < 6 ? i / 5.0 : 1.0;
        p.translate(16, 16);
        p.rotate(angle);
        p.translate(-16, -16);
        const QRectF box(4, 4, 24, 24);
        // Glass with a white halo so it reads on any background.
        Ink halo = NormalInk();
        halo.ink = Qt::white;
        halo.stroke = 4.2;
        DrawIcon(p, "hourglass", box, halo);
        QPainterPath inside;
        inside.moveTo(11.0, 6.5);
        inside.lineTo(21.0, 6.5);
        inside.lineTo(16.6, 16);
        inside.lineTo(21.0, 25.5);
        inside.lineTo(11.0, 25.5);
        inside.lineTo(15.4, 16);
        inside.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        p.drawPath(inside);
        // Sand: the upper bulb empties while the lower one fills.
        p.setClipPath(inside);
        const QColor sand(0xE0, 0x9A, 0x1E);
        const double top = 6.5 + 8.5 * level;
        if (level < 1.0)
            p.fillRect(QRectF(8, top, 16, 16 - top), sand);
        const double bottom = 25.5 - 8.0 * level;
        p.fillRect(QRectF(8, bottom, 16, 25.5 - bottom), sand);
        if (level > 0.0 && level < 1.0)
            p.fillRect(QRectF(15.6, 16, 0.8, 9), sand);
        p.setClipping(false);
        Ink glass = NormalInk();
        glass.stroke = 2.0;
        DrawIcon(p, "hourglass", box, glass);
        frames.push_back(img);
    }
    return frames;
}

// ---------------------------------------------------------------------------------------------
// Sounds: the shutter after a picture and the tone of the record button.

constexpr int kRate = 22050;

std::vector<int16_t> ShutterSound() {
    // Two short clicks of filtered noise: the blades opening and closing.
    std::vector<int16_t> s(size_t(kRate * 0.16), 0);
    uint32_t seed = 12345;
    double low = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        seed = seed * 1664525u + 1013904223u;
        const double noise = double(int32_t(seed)) / 2147483648.0;
        low += 0.35 * (noise - low);
        double env = 0;
        if (t < 0.03)
            env = std::exp(-t / 0.006);
        if (t >= 0.075)
            env += 0.8 * std::exp(-(t - 0.075) / 0.008);
        s[i] = int16_t(std::lround(std::clamp(low * env * 1.6, -1.0, 1.0) * 30000));
    }
    return s;
}

std::vector<int16_t> RecordTone() {
    // Two rising tones, soft edges.
    std::vector<int16_t> s(size_t(kRate * 0.22), 0);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        const bool second = t >= 0.11;
        const double local = second ? t - 0.11 : t;
        const double f = second ? 1318.5 : 987.8;
        const double env = std::sin(M_PI * std::min(1.0, local / 0.1)) * (local < 0.1 ? 1.0 : 0.0);
        s[i] = int16_t(std::lround(std::sin(2 * M_PI * f * t) * env * 12000));
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Look at the whole: the main window after a start.

QImage Preview(const QImage& skin) {
    QImage img = skin.copy();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (const Button& b : MainButtons()) {
        if (!b.shown)
            continue;
        const bool pressed = b.control == 1202; // the strip shows pictures
        p.drawImage(QPoint(b.x, b.y), RenderFace(b, pressed, skin, kPanel));
    }
    // The frames and fields are controls of their own; drawn here as they will look.
    QFont f("DejaVu Sans");
    f.setPixelSize(11);
    p.setFont(f);
    const auto frame = [&](QRect r, const QString& caption) {
        p.setPen(QPen(QColor(0x80, 0x86, 0x8C), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 6.5, -0.5, -0.5), 3, 3);
        const int tw = p.fontMetrics().horizontalAdvance(caption) + 6;
        p.fillRect(QRect(r.left() + 6, r.top(), tw, 13), kPanel);
        p.setPen(QColor(0x20, 0x28, 0x30));
        p.drawText(QRect(r.left() + 9, r.top(), tw, 13), Qt::AlignLeft | Qt::AlignVCenter, caption);
    };
    frame(QRect(744, 56, 111, 175), "Measure");
    frame(QRect(744, 232, 111, 100), "Auto Measure");
    frame(QRect(743, 333, 112, 60), "Comparison");
    frame(QRect(743, 442, 112, 88), "Calibration");
    p.setPen(QColor(0x20, 0x28, 0x30));
    p.drawText(QRect(747, 465, 52, 20), Qt::AlignLeft | Qt::AlignVCenter, "Scale:");
    const auto edit = [&](QRect r, const QString& text) {
        p.setPen(QPen(QColor(0x7A, 0x80, 0x86), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
        p.setPen(Qt::black);
        p.drawText(r.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    };
    edit(QRect(800, 462, 52, 24), "100");
    edit(QRect(750, 495, 52, 24), "");
    QFont msg("DejaVu Sans Mono");
    msg.setPixelSize(18);
    p.setFont(msg);
    p.setPen(QColor(0xE0, 0xE0, 0xE0));
    p.drawText(QRect(98, 49, 640, 480), Qt::AlignCenter,
               "Please connect Dorvex Digital Microscope");
    return img;
}

// Every face of every button, normal beside pressed, on a neutral sheet.
QImage Sheet() {
    std::vector<Button> all = MainButtons();
    const auto& other = OtherButtons();
    all.insert(all.end(), other.begin(), other.end());
    const int cols = 8, cell = 128;
    const int rows = int(all.size() + cols - 1) / cols;
    QImage img(std::max(cols * cell, int(MenuIcons().size()) * 36 + 16), rows * 70 + 140,
               QImage::Format_RGB32);
    img.fill(kPanel);
    QPainter p(&img);
    QFont f("DejaVu Sans");
    f.setPixelSize(10);
    p.setFont(f);
    for (size_t i = 0; i < all.size(); ++i) {
        const Button& b = all[i];
        const int x = int(i % cols) * cell + 8, y = int(i / cols) * 70 + 8;
        Button at = b;
        p.drawImage(QPoint(x, y), RenderFace(at, false, QImage(), kPanel));
        p.drawImage(QPoint(x + 56, y), RenderFace(at, true, QImage(), kPanel));
        p.setPen(Qt::black);
        p.drawText(QPoint(x, y + 58), QString("%1 %2").arg(b.control).arg(b.name));
    }
    int x = 8;
    for (const MenuIcon& m : MenuIcons()) {
        p.drawImage(QPoint(x, rows * 70 + 20), MenuIconImage(m.icon, 16));
        p.drawImage(QPoint(x, rows * 70 + 44), MenuIconImage(m.icon, 32));
        x += 36;
    }
    x = 8;
    for (const QImage& f : HourglassFrames()) {
        p.fillRect(QRect(x, rows * 70 + 84, 32, 32), Qt::white);
        p.drawImage(QPoint(x, rows * 70 + 84), f);
        x += 40;
    }
    p.fillRect(QRect(x, rows * 70 + 84, 32, 32), QColor(0x30, 0x30, 0x30));
    p.drawImage(QPoint(x, rows * 70 + 84), PreviewCursor());
    x += 40;
    p.drawImage(QPoint(x, rows * 70 + 84), PreviewCursor());
    x += 40;
    p.drawImage(QPoint(x, rows * 70 + 84), ProgramIcon(32));
    p.drawImage(QPoint(x + 40, rows * 70 + 84), ProgramIcon(16));
    p.drawImage(QPoint(x + 60, rows * 70 + 84), ProgramIcon(48));
    return img;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Wavenor: main window, photo-measure dialog, video player, menus and pictures.

const QColor kFace(240, 240, 240); // the dialogs' face colour

const std::vector<Button>& WavenorMainButtons() {
    static const std::vector<Button> b = {
        {1014, "preview", 155, 355, 3, 4, 25, 28, "play", nullptr, Face::Tool, true},
        {1005, "camera", 150, 350, 33, 4, 25, 28, "camera", nullptr, Face::Tool, true},
        {1006, "record", 151, 351, 63, 4, 25, 28, "video", nullptr, Face::Tool, true},
        {1007, "timer", 152, 352, 93, 4, 25, 28, "timer", nullptr, Face::Tool, true},
        {1016, "setting", 156, 356, 20, 0, 10, 11, "gear", nullptr, Face::Bare, true},
        {1009, "email", 154, 354, 123, 4, 25, 28, "mail", nullptr, Face::Tool, true},
        {1008, "save", 153, 353, 153, 4, 25, 28, "save", nullptr, Face::Tool, true},
        {1185, "mirror", 287, 286, 207, 6, 25, 24, "mirror", nullptr, Face::Tool, true},
        {1186, "flip", 289, 288, 235, 6, 25, 24, "flip", nullptr, Face::Tool, true},
        {1187, "negative", 291, 290, 263, 6, 25, 24, "negative", nullptr, Face::Tool, true},
        {1188, "binary", 293, 292, 291, 6, 25, 24, "binary", nullptr, Face::Tool, true},
        {1189, "red", 295, 294, 319, 6, 25, 24, "red", nullptr, Face::Tool, true},
        {1190, "green", 283, 282, 347, 6, 25, 24, "green", nullptr, Face::Tool, true},
        {1191, "blue", 301, 300, 375, 6, 25, 24, "blue", nullptr, Face::Tool, true},
        {1120, "line", 285, 284, 403, 6, 25, 24, "line", nullptr, Face::Tool, true},
        {1192, "continual", 305, 304, 433, 6, 25, 24, "continual", nullptr, Face::Tool, true},
        {1193, "pointline", 307, 306, 463, 6, 25, 24, "dotline", nullptr, Face::Tool, true},
        {1194, "polygon", 309, 308, 493, 6, 25, 24, "polygon", nullptr, Face::Tool, true},
        {1195, "rcircle", 311, 310, 523, 6, 25, 24, "rcircle", nullptr, Face::Tool, true},
        {1196, "dcircle", 313, 312, 553, 6, 25, 24, "dcircle", nullptr, Face::Tool, true},
        {1197, "tcircle", 315, 314, 583, 6, 25, 24, "tcircle", nullptr, Face::Tool, true},
        {1200, "arc", 317, 316, 613, 6, 25, 24, "arc", nullptr, Face::Tool, true},
        {1199, "angle", 319, 318, 643, 6, 25, 24, "angle", nullptr, Face::Tool, true},
        {1180, "fangle", 321, 320, 673, 6, 25, 24, "fangle", nullptr, Face::Tool, true},
        {1198, "calibration", 323, 322, 778, 6, 25, 24, "calibration", nullptr, Face::Tool, true},
        {1182, "other", 325, 324, 810, 6, 14, 24, "more", nullptr, Face::Tool, true},
        {1184, "pictures", 328, 329, 5, 40, 58, 30, "picture", nullptr, Face::Tool, true},
        {1183, "videos", 330, 327, 65, 40, 58, 30, "film", nullptr, Face::Tool, true},
    };
    return b;
}

const std::vector<Button>& WavenorPhotoButtons() {
    static const std::vector<Button> b = {
        {1140, "open", 262, 261, 12, 4, 32, 32, "open", nullptr, Face::Tool, true},
        {1116, "save", 214, 215, 48, 4, 32, 32, "save", nullptr, Face::Tool, true},
        {1146, "print", 346, 345, 84, 4, 32, 32, "print", nullptr, Face::Tool, true},
        {1147, "select", 227, 226, 120, 4, 32, 32, "select", nullptr, Face::Tool, true},
        {1161, "measure", 224, 225, 156, 4, 32, 32, "measuremenu", nullptr, Face::Tool, true},
        {1127, "pen", 220, 221, 192, 4, 32, 32, "measuresetting", nullptr, Face::Tool, true},
        {1163, "text", 231, 230, 228, 4, 32, 32, "text", nullptr, Face::Tool, true},
        {1165, "delete", 233, 232, 264, 4, 32, 32, "deleteall", nullptr, Face::Tool, true},
        {1141, "move", 344, 343, 300, 4, 32, 32, "move", nullptr, Face::Tool, true},
        {1170, "calibration", 274, 273, 336, 4, 32, 32, "calibration", nullptr, Face::Tool, true},
    };
    return b;
}

// The player's buttons sit on its background bitmap 196 (640 x 480), centred on one line.
const std::vector<Button>& WavenorPlayerButtons() {
    static const std::vector<Button> b = {
        {1122, "playpause", 198, 197, 274, 431, 38, 38, "play", "pause", Face::Tool, true},
        {1123, "stop", 200, 199, 431, 436, 28, 28, "stop", nullptr, Face::Tool, true},
        {1114, "first", 204, 203, 173, 436, 28, 28, "first", nullptr, Face::Tool, true},
        {1121, "previous", 206, 205, 228, 440, 20, 20, "back", nullptr, Face::Tool, true},
        {1124, "next", 208, 207, 313, 440, 20, 20, "forward", nullptr, Face::Tool, true},
        {1125, "last", 210, 209, 382, 436, 28, 28, "last", nullptr, Face::Tool, true},
    };
    return b;
}

QImage WavenorPlayerBackground() {
    QImage img(640, 480, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 480);
    g.setColorAt(0, QColor(0x2A, 0x37, 0x44));
    g.setColorAt(1, QColor(0x1B, 0x25, 0x2F));
    p.fillRect(img.rect(), g);
    p.fillRect(QRect(5, 6, 630, 407), QColor(0x0B, 0x0D, 0x0F)); // behind the video area
    p.setPen(QPen(QColor(0x46, 0x55, 0x63), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(160.5, 426.5, 290, 47), 6, 6); // the control bar
    return img;
}

QImage WavenorIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, QColor(0x1F, 0xA8, 0x9A));
    g.setColorAt(1, QColor(0x0E, 0x6E, 0x66));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 62 * s, 62 * s), 13 * s, 13 * s);
    DrawMicroscope(p, QRectF(2 * s, 8 * s, 50 * s, 52 * s), true);
    // WiFi waves beside the tube.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(
            QPen(QColor(0xF2, 0xF8, 0xF7), std::max(1.0, 3.2 * s), Qt::SolidLine, Qt::RoundCap));
        const double r = (6 + i * 6) * s;
        p.drawArc(QRectF(49 * s - r, 19 * s - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xF8, 0xF7));
    p.drawEllipse(QPointF(49 * s, 19 * s), 2.6 * s, 2.6 * s);
    return img;
}

// Picture that stands for a recording in the file list ("video.png" beside the program).
QImage VideoPicture() {
    QImage img(160, 120, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 120);
    g.setColorAt(0, QColor(0x33, 0x3B, 0x44));
    g.setColorAt(1, QColor(0x1C, 0x21, 0x26));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x55, 0x60, 0x6B));
    for (int i = 0; i < 10; ++i) {
        p.drawRoundedRect(QRectF(6 + i * 15.5, 5, 8, 7), 1.5, 1.5);
        p.drawRoundedRect(QRectF(6 + i * 15.5, 108, 8, 7), 1.5, 1.5);
    }
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(80, 60), 27, 27);
    p.setBrush(QColor(0xF2, 0xF5, 0xF8));
    p.drawPolygon(QPolygonF() << QPointF(70, 45) << QPointF(96, 60) << QPointF(70, 75));
    QFont f("DejaVu Sans");
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xB8, 0xC4, 0xCF));
    p.drawText(QRectF(0, 90, 160, 16), Qt::AlignCenter, "MP4");
    return img;
}

// Samples of the measurement Setting dialog: line styles, colours and widths.
QImage LineSample(int w, int h, QColor colour, int width, Qt::PenStyle style) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kFace);
    QPainter p(&img);
    QPen pen(colour, width, style, Qt::FlatCap);
    p.setPen(pen);
    const double y = h / 2.0 + (width % 2 ? 0.5 : 0);
    p.drawLine(QPointF(1, y), QPointF(w - 1, y));
    return img;
}

void EmitWavenor() {
    g_rc.clear();
    g_rc << "// Generated by tools/artwork: the pictures of Wavenor's resource script, as lines for"
         << "// res/Wavenor.rc (an #include brings in only #defines). Paths are relative to res/."
         << "";
    g_rc << "// Main window: button faces (up or normal, down or pressed).";
    EmitButtons(WavenorMainButtons(), QImage(), kFace);
    g_rc << ""
         << "// Photo Measure dialog: button faces.";
    EmitButtons(WavenorPhotoButtons(), QImage(), kFace);
    g_rc << ""
         << "// Video player: background and button faces.";
    const QImage player = WavenorPlayerBackground();
    EmitBitmap(196, "bmp196_player.bmp", player);
    EmitButtons(WavenorPlayerButtons(), player, kFace);

    g_rc << ""
         << "// Measurement Setting dialog: samples of the pen.";
    const QColor ink(0x20, 0x20, 0x20);
    EmitBitmap(335, "bmp335_sample_solid.bmp", LineSample(17, 14, ink, 1, Qt::SolidLine));
    EmitBitmap(336, "bmp336_sample_dash.bmp", LineSample(17, 14, ink, 1, Qt::DashLine));
    EmitBitmap(337, "bmp337_sample_dot.bmp", LineSample(17, 14, ink, 1, Qt::DotLine));
    EmitBitmap(338, "bmp338_sample_red.bmp",
               LineSample(150, 16, QColor(255, 0, 0), 2, Qt::SolidLine));
    EmitBitmap(339, "bmp339_sample_green.bmp",
               LineSample(93, 16, QColor(0, 255, 0), 2, Qt::SolidLine));
    EmitBitmap(340, "bmp340_sample_blue.bmp",
               LineSample(93, 16, QColor(0, 0, 255), 2, Qt::SolidLine));
    EmitBitmap(341, "bmp341_sample_width1.bmp", LineSample(17, 14, ink, 1, Qt::SolidLine));
    EmitBitmap(342, "bmp342_sample_width2.bmp", LineSample(17, 14, ink, 2, Qt::SolidLine));
    EmitBitmap(334, "bmp334_sample_width3.bmp", LineSample(17, 14, ink, 3, Qt::SolidLine));

    g_rc << ""
         << "// About box picture.";
    {
        QImage about(64, 64, QImage::Format_RGB32);
        about.fill(kFace);
        QPainter p(&about);
        p.drawImage(0, 0, WavenorIcon(64));
        p.end();
        EmitBitmap(271, "bmp271_about.bmp", about);
    }

    g_rc << ""
         << "// Program icon and menu icons.";
    {
        std::vector<QImage> sizes;
        for (int s : {16, 24, 32, 48, 64, 128})
            sizes.push_back(WavenorIcon(s));
        EmitIcon(128, "ico128_wavenor.ico", sizes);
    }
    static const MenuIcon menu[] = {
        {247, "tcircle", "tcircle"},     {248, "angle", "angle"},     {249, "item", "dot"},
        {252, "continual", "continual"}, {254, "dcircle", "dcircle"}, {255, "fangle", "fangle"},
        {256, "line", "line"},           {257, "polygon", "polygon"}, {258, "rcircle", "rcircle"},
        {259, "rectangle", "rectangle"},
    };
    for (const MenuIcon& m : menu)
        EmitIcon(m.id, QString("ico%1_%2.ico").arg(m.id).arg(m.name),
                 {MenuIconImage(m.icon, 16), MenuIconImage(m.icon, 32)});

    g_rc << ""
         << "// Sound: the shutter.";
    EmitWave(181, "wav181_shutter.wav", ShutterSound(), kRate);
    WriteRc();

    // Files beside the program.
    Note(VideoPicture().save(Path("video.png")), "video.png");
}

QImage WavenorSheet() {
    QImage img(835, 300, QImage::Format_RGB32);
    img.fill(kFace);
    QPainter p(&img);
    for (const Button& b : WavenorMainButtons())
        p.drawImage(QPoint(b.x, b.y), RenderFace(b, b.control == 1184, QImage(), kFace));
    p.setPen(QColor(160, 160, 160));
    p.drawLine(0, 33, 835, 33);
    for (const Button& b : WavenorMainButtons())
        p.drawImage(QPoint(b.x, b.y + 80), RenderFace(b, true, QImage(), kFace));
    for (const Button& b : WavenorPhotoButtons()) {
        p.drawImage(QPoint(b.x, b.y + 130), RenderFace(b, false, QImage(), kFace));
        p.drawImage(QPoint(b.x + 400, b.y + 130), RenderFace(b, true, QImage(), kFace));
    }
    p.drawImage(QPoint(10, 180), WavenorIcon(64));
    p.drawImage(QPoint(80, 180), WavenorIcon(32));
    p.drawImage(QPoint(120, 180), WavenorIcon(16));
    p.drawImage(QPoint(150, 180), VideoPicture());
    return img;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: artwork <output folder> [--preview <file.png>] [--sheet "
                             "<file.png>] [--help-images <folder>]\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QString previewPath, sheetPath, helpImages;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--preview")
            previewPath = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::string(argv[i]) == "--sheet")
            sheetPath = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::string(argv[i]) == "--help-images")
            helpImages = QString::fromLocal8Bit(argv[i + 1]);
    }
    QDir().mkpath(g_out + "/tessary");

    g_rc << "// Generated by tools/artwork: the pictures of Tessary's resource script, as lines for"
         << "// res/Tessary.rc (an #include brings in only #defines). Paths are relative to res/."
         << "";

    const QImage skin = Skin();
    g_rc << "// Main window: skin and thumbnail strip backgrounds.";
    EmitBitmap(140, "bmp140_skin.bmp", skin);
    EmitBitmap(144, "bmp144_strip_pictures.bmp", StripBitmap(false, false));
    EmitBitmap(146, "bmp146_strip_videos_behind.bmp", StripBitmap(true, true));
    EmitBitmap(147, "bmp147_strip_pictures_behind.bmp", StripBitmap(false, true));
    EmitBitmap(148, "bmp148_strip_videos.bmp", StripBitmap(true, false));

    g_rc << ""
         << "// Main window: button faces (normal, pressed).";
    EmitButtons(MainButtons(), skin);
    g_rc << ""
         << "// Photo-measure window and video player: button faces.";
    EmitButtons(OtherButtons(), QImage());

    g_rc << ""
         << "// About box picture.";
    {
        QImage about(64, 64, QImage::Format_RGB32);
        about.fill(QColor(0xF0, 0xF0, 0xF0));
        QPainter p(&about);
        p.drawImage(0, 0, ProgramIcon(64));
        p.end();
        EmitBitmap(256, "bmp256_about.bmp", about);
    }

    g_rc << ""
         << "// Program icon and menu icons.";
    {
        std::vector<QImage> sizes;
        for (int s : {16, 24, 32, 48, 64, 128})
            sizes.push_back(ProgramIcon(s));
        EmitIcon(128, "ico128_tessary.ico", sizes);
    }
    for (const MenuIcon& m : MenuIcons())
        EmitIcon(m.id, QString("ico%1_%2.ico").arg(m.id).arg(m.name),
                 {MenuIconImage(m.icon, 16), MenuIconImage(m.icon, 32)});

    g_rc << ""
         << "// Cursor over the live picture and the canvas.";
    Note(WriteCur(PreviewCursor(), QPoint(15, 15), Path("cur258_preview.cur")),
         "cur258_preview.cur");
    g_rc << "258 CURSOR \"art/tessary/cur258_preview.cur\"";
    g_rc << ""
         << "// Sounds: the record button and the shutter.";
    EmitWave(180, "wav180_record.wav", RecordTone(), kRate);
    EmitWave(181, "wav181_shutter.wav", ShutterSound(), kRate);

    // The wait cursor is a file beside the program, not a resource.
    Note(WriteAni(HourglassFrames(), QPoint(15, 15), 8, Path("hourglas.ani")), "hourglas.ani");

    WriteRc();

    g_program = "wavenor";
    QDir().mkpath(g_out + "/wavenor");
    EmitWavenor();

    // The help pages show each button as the operator sees it.
    if (!helpImages.isEmpty()) {
        QDir().mkpath(helpImages);
        for (const Button& b : MainButtons()) {
            if (!b.shown)
                continue;
            const QString file = helpImages + "/" + b.name + ".png";
            Note(RenderFace(b, false, skin, kPanel).save(file), file);
        }
    }

    if (!previewPath.isEmpty())
        Note(Preview(skin).save(previewPath), previewPath);
    if (!sheetPath.isEmpty()) {
        Note(Sheet().save(sheetPath), sheetPath);
        QString wavenorSheet = sheetPath;
        wavenorSheet.replace(".png", "_wavenor.png");
        Note(WavenorSheet().save(wavenorSheet), wavenorSheet);
    }
    return g_failures == 0 ? 0 : 1;
}
