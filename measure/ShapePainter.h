// The drawing steps that the photo-measure canvas and the live view share: a record's points
// mapped into the target, its outlines with its own pen, its label lines in its label font and
// colour, the continuous line's total, the number of a circle or square label and a text
// annotation. Both views draw from these, so a label or a total looks the same on the canvas,
// on the live picture and in every saved picture.
#pragma once

#include "measure/MeasureRecords.h"

#include "platform/win/WinTypes.h"

#include <initializer_list>
#include <span>
#include <vector>

// Where a record's points land: on the canvas's screen the point less the scroll position;
// in a file or on the live view the point times the scale, truncated toward zero.
struct ShapeMapping {
    bool toFile = false; // false: the screen, points less the scroll position
    int scrollX = 0;
    int scrollY = 0;
    double scaleX = 1.0; // file: picture pixels per canvas pixel
    double scaleY = 1.0;
    POINT Map(POINT p) const;
};

// Selects a GDI object for the lifetime of the scope, then puts the previous one back and
// deletes its own.
class ScopedGdiObject {
public:
    ScopedGdiObject(HDC dc, HGDIOBJ object);
    ~ScopedGdiObject();
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_old;
};

// Selects a pen of its own, the hollow brush and a raster operation for the scope, then puts
// the previous ones back and deletes its pen.
class ScopedPen {
public:
    ScopedPen(HDC dc, int style, int width, COLORREF colour, int rop);
    ~ScopedPen();
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;

private:
    HDC m_dc;
    HPEN m_pen;
    HGDIOBJ m_oldPen;
    HGDIOBJ m_oldBrush;
    int m_oldRop;
};

// Draws the parts of one record. Borrows the DC, the record and the mapping; reads only the
// points and label lines the record holds when a caller checks the counts it names.
class ShapePainter {
public:
    ShapePainter(HDC dc, const CMeasureRecord& r, const ShapeMapping& m) : dc_(dc), r_(r), m_(m) {}

    POINT P(size_t i) const { return m_.Map(r_.m_points[i]); }
    void Segment(size_t a, size_t b) const { Line(P(a), P(b)); }
    // Segments between the points named in pairs: {0, 1, 2, 3} draws p0-p1 and p2-p3.
    void Segments(std::initializer_list<size_t> ends) const;
    void Line(POINT a, POINT b) const;
    // The null brush, so that the next figure is an outline; it stays selected.
    void Hollow() const;
    void Circle(int left, int top, int right, int bottom) const;
    // The figures both views draw alike from the record's points: the hollow rectangle with
    // corners a and b, the continuous line (p0-p1, then every second point on), the arc
    // through p0, p1 and p2, and the 20-pixel circle of a circle label around p0.
    void Frame(size_t a, size_t b) const;
    void ContinuousLine() const;
    void ArcThrough() const;
    void LabelCircle() const;
    // One line in the label font and colour, its left-top corner at `at`.
    void Write(POINT at, const CString& line) const;
    // Label lines first .. first + count - 1 (those the record holds) at the anchor, one
    // m_fontSize apart, in one label font made for them.
    void Labels(POINT anchor, size_t first, size_t count) const;
    void LabelAt(size_t anchor, size_t lines = 1) const;
    // The two circles' labels: the first circle's at p4, the second's at p9 and their
    // distance at p10.
    void TwoCirclesLabels() const;
    // The segment labels of a continuous line at p2, p4, ... and, when its last point is such
    // a label point and the numbers the labels start with do not add up to 0, their total
    // ("T:") one line below the last point.
    void ContinuousLineLabels(int decimals, const WCHAR* unit) const;
    // The number of a circle or square label, centred in the 20-pixel box around p0 in the
    // label colour and the DC's font.
    void NumberLabel() const;

    HDC dc_;
    const CMeasureRecord& r_;
    const ShapeMapping& m_;
};

// The figures both views draw alike for a kind, with the DC's pen: the frame of a rectangle,
// the arms of an angle, the two lines of a four-point or automatic angle, the continuous line,
// the circle of a circle label and the arc through three points. False, nothing drawn, for a
// kind each view draws its own way.
bool DrawSharedFigure(const ShapePainter& p, ShapeKind kind);
// The labels both views place alike for a kind; false, nothing drawn, for a kind each view
// places its own way.
bool DrawSharedLabels(const ShapePainter& p, ShapeKind kind, int decimals, const WCHAR* unit);

// Where a view writes the labels of a kind: `lines` label lines from point `anchor` on.
struct LabelPlace {
    ShapeKind kind;
    size_t anchor;
    size_t lines;
};
// Writes the kind's labels where the table places them; false for a kind it does not list.
bool DrawLabelsByPlace(const ShapePainter& p, ShapeKind kind, std::span<const LabelPlace> places);

// The cross that marks a press while a shape is made: 4 pixels to each side of p, with the
// DC's pen.
void DrawCross(HDC dc, POINT p);

// The two circles while they are made, from their draft points in the target's coordinates:
// each circle once its centre is known (p3 through p0, p8 through p5), with the label lines 0
// at p4, then 1 at p9, the line between the centres and line 2 at p10. Draws with the DC's
// pen and font, no brush, the labels in `labelColour`. Both views draw their drafts with it.
void DrawTwoCirclesDraft(HDC dc, const std::vector<POINT>& points,
                         const std::vector<CString>& labels, COLORREF labelColour);

// A text annotation: label line 0 at p0 in the record's text font and the given colour.
void DrawTextAnnotation(HDC dc, const CMeasureRecord& r, const ShapeMapping& m, COLORREF colour);
