// Writers of the picture files the resource script embeds: 24-bit BMP, icon (.ico), cursor
// (.cur) and animated cursor (.ani). Written by hand so that the byte layout is exactly what
// the resource loader reads, whatever Qt's own writers would choose.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

namespace art {

// 24-bit bottom-up BMP of the image's pixels (alpha is dropped).
bool WriteBmp24(const QImage& image, const QString& path);

// Icon file holding one 32-bit entry (with its AND mask) per image; images are square.
bool WriteIco(const std::vector<QImage>& images, const QString& path);

// Cursor file of one 32-bit image with its hot spot.
QByteArray CursorBytes(const QImage& image, QPoint hotSpot);
bool WriteCur(const QImage& image, QPoint hotSpot, const QString& path);

// Animated cursor (RIFF "ACON"): the frames in order, each shown for `jiffies` 1/60 s.
bool WriteAni(const std::vector<QImage>& frames, QPoint hotSpot, int jiffies, const QString& path);

// 16-bit mono PCM wave file.
bool WriteWav(const std::vector<int16_t>& samples, int rate, const QString& path);

} // namespace art
