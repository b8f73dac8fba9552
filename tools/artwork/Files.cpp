#include "tools/artwork/Files.h"

#include <QFile>
#include <cstdint>

namespace art {
namespace {

void Put16(QByteArray& b, uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

void Put32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

bool Save(const QByteArray& bytes, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

// BITMAPINFOHEADER, XOR pixels (BGRA, bottom-up) and AND mask of one icon or cursor image.
QByteArray IconImage(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray b;
    Put32(b, 40);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h * 2)); // XOR and AND halves
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, 0);
    Put32(b, uint32_t(w * h * 4 + maskStride * h));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            // Premultiplied-free BGRA, as icon files store it.
            b.append(char(qBlue(row[x])));
            b.append(char(qGreen(row[x])));
            b.append(char(qRed(row[x])));
            b.append(char(qAlpha(row[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) < 128)
                mask[x / 8] = char(uchar(mask[x / 8]) | (0x80 >> (x % 8)));
        b.append(mask);
    }
    return b;
}

// Icon or cursor directory with its entries; for cursors the hot spot replaces planes/bits.
QByteArray IconDirectory(const std::vector<QImage>& images, bool cursor, QPoint hotSpot) {
    std::vector<QByteArray> bodies;
    for (const QImage& img : images)
        bodies.push_back(IconImage(img));
    QByteArray b;
    Put16(b, 0);
    Put16(b, cursor ? 2 : 1);
    Put16(b, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width(), h = images[i].height();
        b.append(char(w >= 256 ? 0 : w));
        b.append(char(h >= 256 ? 0 : h));
        b.append('\0');
        b.append('\0');
        Put16(b, cursor ? uint16_t(hotSpot.x()) : 1);
        Put16(b, cursor ? uint16_t(hotSpot.y()) : 32);
        Put32(b, uint32_t(bodies[i].size()));
        Put32(b, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const QByteArray& body : bodies)
        b.append(body);
    return b;
}

void Chunk(QByteArray& out, const char* id, const QByteArray& data) {
    out.append(id, 4);
    Put32(out, uint32_t(data.size()));
    out.append(data);
    if (data.size() % 2)
        out.append('\0');
}

} // namespace

bool WriteBmp24(const QImage& source, const QString& path) {
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t pixelBytes = uint32_t(stride * h);
    QByteArray b;
    b.append("BM", 2);
    Put32(b, 14 + 40 + pixelBytes);
    Put32(b, 0);
    Put32(b, 14 + 40);
    Put32(b, 40);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, pixelBytes);
    Put32(b, 2835); // 72 dpi
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        QByteArray line(stride, '\0');
        for (int x = 0; x < w; ++x) {
            line[x * 3] = char(qBlue(row[x]));
            line[x * 3 + 1] = char(qGreen(row[x]));
            line[x * 3 + 2] = char(qRed(row[x]));
        }
        b.append(line);
    }
    return Save(b, path);
}

bool WriteIco(const std::vector<QImage>& images, const QString& path) {
    return Save(IconDirectory(images, false, {}), path);
}

QByteArray CursorBytes(const QImage& image, QPoint hotSpot) {
    return IconDirectory({image}, true, hotSpot);
}

bool WriteCur(const QImage& image, QPoint hotSpot, const QString& path) {
    return Save(CursorBytes(image, hotSpot), path);
}

bool WriteWav(const std::vector<int16_t>& samples, int rate, const QString& path) {
    QByteArray fmt;
    Put16(fmt, 1); // PCM
    Put16(fmt, 1); // mono
    Put32(fmt, uint32_t(rate));
    Put32(fmt, uint32_t(rate * 2));
    Put16(fmt, 2);
    Put16(fmt, 16);
    QByteArray data;
    for (int16_t s : samples)
        Put16(data, uint16_t(s));
    QByteArray body("WAVE", 4);
    Chunk(body, "fmt ", fmt);
    Chunk(body, "data", data);
    QByteArray riff;
    Chunk(riff, "RIFF", body);
    return Save(riff, path);
}

bool WriteAni(const std::vector<QImage>& frames, QPoint hotSpot, int jiffies, const QString& path) {
    QByteArray anih;
    Put32(anih, 36);
    Put32(anih, uint32_t(frames.size())); // frames
    Put32(anih, uint32_t(frames.size())); // steps
    Put32(anih, 0);                       // width and height: taken from the frames
    Put32(anih, 0);
    Put32(anih, 0); // bit count and planes: likewise
    Put32(anih, 0);
    Put32(anih, uint32_t(jiffies));
    Put32(anih, 1); // AF_ICON: the frames are cursor files

    QByteArray list("fram", 4);
    for (const QImage& f : frames)
        Chunk(list, "icon", CursorBytes(f, hotSpot));

    QByteArray info("INFO", 4);
    Chunk(info, "INAM", QByteArray("Hourglass", 10));

    QByteArray body("ACON", 4);
    Chunk(body, "LIST", info);
    Chunk(body, "anih", anih);
    Chunk(body, "LIST", list);

    QByteArray riff;
    Chunk(riff, "RIFF", body);
    return Save(riff, path);
}

} // namespace art
