// The pictures of the tools and commands, drawn from code on a 24 x 24 unit grid. One
// picture serves a button face of any size and a 16 x 16 menu icon.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <string>

namespace art {

// Colours of one look: the line work, the measuring marks, the object that automatic tools
// find, and the "automatic" badge.
struct Ink {
    QColor ink;
    QColor accent;
    QColor object;
    QColor badge;
    QColor badgeText;
    double stroke = 2.0; // units of the 24-unit grid
};

Ink NormalInk();
Ink PressedInk();
Ink MenuInk();

// Draws the named picture into `box` (square). Unknown names throw std::out_of_range.
void DrawIcon(QPainter& p, const std::string& name, const QRectF& box, const Ink& ink);

} // namespace art
