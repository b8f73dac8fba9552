// Units, the unit scale, the conversions of pixel quantities and the measurement label texts.
// Labels always use the "C" numerics ("L:63.830mm" under any locale).
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

// Unit and precision of new labels: one of "mm", "cm", "mil", "inch" (any other text
// measures like "mm" but is shown as it stands); digits after the point (2 to 5).
extern WCHAR g_unitName[12];
extern int g_decimalPlaces;
// Absolute height of the measurement font, the input of FontSizeFromHeight.
extern int g_fontSize;

// The size family of the capture device and the current capture size. Defined here because
// the unit scale depends on them; the capture side writes them when it configures a format.
extern int g_has1600x1200; // 1: the device offers 1600x1200 (large family)
extern int g_captureWidth;
extern int g_captureHeight;

// The magnification that divides every pixel length (set by the last magnification check or
// calibration), the result of the last calibration, and the magnification text of the
// photo-measure window at its last confirmed calibration (for the main window). UI thread.
extern double g_zoomScale;
extern double g_calibratedZoom;
extern WCHAR g_calibMagnificationText[48];

// Length of one micrometre in the unit (compared exactly, case-sensitive).
double UnitPerMicron(const WCHAR* unit);
double UnitPerMicron(); // of g_unitName

// S: one tenth of the length of one pixel at magnification 1, in the unit.
double UnitScale(const WCHAR* unit, int has1600x1200, int captureWidth, int captureHeight);
double UnitScale(); // of g_unitName and the current capture format

// Pixel quantities to values in the unit, for unit scale s and magnification m. A
// magnification that is not above 0 gives 0.0 rather than a division by zero.
double LengthFromPixels(double pixels, double s, double m); // also a radius
double DiameterFromRadius(double radius, double s, double m);
double CircumferenceFromRadius(double radius, double s, double m);
double CircumferenceFromDiameter(double diameter, double s, double m);
double CircleAreaFromRadius(double radius, double s, double m);
double AreaFromPixels(double squarePixels, double s, double m); // absolute value
double ArcLengthFromAngle(double degrees, double radius, double s, double m);
// A typed real length back to pixels, rounded by adding 0.5 and truncating.
int PixelsFromLength(double value, double s, double m);

enum class LabelKind {
    Length,         // "L:%.*f%s"
    Segment,        // "%.*f%s"
    Total,          // "T:%.*f%s"
    Diameter,       // "D:%.*f%s"
    Radius,         // "R:%.*f%s"
    Girth,          // "G:%.*f%s"
    Area,           // "A:%.*f%s2"
    Height,         // "H:%.*f%s"
    Width,          // "W:%.*f%s"
    AxisA,          // "a:%.*f%s"
    AxisB,          // "b:%.*f%s"
    Arc,            // "Arc:%.*f%s"
    TolerancePlus,  // "R+:%.*f%s"
    ToleranceMinus, // "R-:%.*f%s"
};

// The format text of a label kind (precision and unit arguments follow the value's "%.*f").
const WCHAR* LabelFormat(LabelKind kind);

// A length, area or arc label with the given precision and unit text.
CString MeasureLabel(LabelKind kind, double value, int decimals, const WCHAR* unit);
// The same with g_decimalPlaces and g_unitName.
CString MeasureLabel(LabelKind kind, double value);
// "%.2f°": an angle, always two decimals.
CString AngleLabel(double degrees);
// "Angle:%.2f°": the opening angle of an arc.
CString ArcAngleLabel(double degrees);
// "%d": the number of a circle or square label.
CString NumberLabel(int number);

// Label line step in pixels for a font height (12 outside 1 to 96).
int FontSizeFromHeight(int fontHeight);
int FontSizeFromHeight(); // of g_fontSize
