#include "measure/Units.h"

#include "platform/win/core/Format.h"

#include <cmath>
#include <limits>
#include <string>

WCHAR g_unitName[12] = u"mm";
int g_decimalPlaces = 3;
int g_fontSize = 16;

int g_has1600x1200 = 1;
int g_captureWidth = 1600;
int g_captureHeight = 1200;

double g_zoomScale = 1.0;
double g_calibratedZoom = 0.0;
WCHAR g_calibMagnificationText[48] = {};

namespace {

bool Same(const WCHAR* a, const WCHAR* b) {
    if (a == nullptr)
        return false;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Labels never show NaN or an infinity: the guards upstream keep them away, and a value that
// still slips through is shown as 0.
double Finite(double v) {
    return std::isfinite(v) ? v : 0.0;
}

double Divided(double v, double divisor) {
    if (!(divisor > 0.0))
        return 0.0;
    return v / divisor;
}

} // namespace

double UnitPerMicron(const WCHAR* unit) {
    if (Same(unit, u"inch"))
        return 3.94e-05;
    if (Same(unit, u"mil"))
        return 0.0394;
    if (Same(unit, u"cm"))
        return 0.0001;
    return 0.001;
}

double UnitPerMicron() {
    return UnitPerMicron(g_unitName);
}

double UnitScale(const WCHAR* unit, int has1600x1200, int captureWidth, int captureHeight) {
    const bool is1280x960 = captureWidth == 1280 && captureHeight == 960;
    if (has1600x1200 == 1 && !is1280x960)
        return UnitPerMicron(unit) * 80.0;
    return UnitPerMicron(unit) * 63.829787234;
}

double UnitScale() {
    return UnitScale(g_unitName, g_has1600x1200, g_captureWidth, g_captureHeight);
}

double LengthFromPixels(double pixels, double s, double m) {
    return Divided(pixels * s * 10.0, m);
}

double DiameterFromRadius(double radius, double s, double m) {
    return Divided(radius * s * 20.0, m);
}

double CircumferenceFromRadius(double radius, double s, double m) {
    return Divided(radius * s * 62.831852, m);
}

double CircumferenceFromDiameter(double diameter, double s, double m) {
    return Divided(diameter * s * 31.415926, m);
}

double CircleAreaFromRadius(double radius, double s, double m) {
    return Divided(radius * radius * s * s * 314.15926, m * m);
}

double AreaFromPixels(double squarePixels, double s, double m) {
    return std::fabs(Divided(squarePixels * s * s * 100.0, m * m));
}

double ArcLengthFromAngle(double degrees, double radius, double s, double m) {
    return Divided(degrees * radius * s * 62.83, m * 360.0);
}

int PixelsFromLength(double value, double s, double m) {
    const double p = Divided(value * m, s * 10.0) + 0.5;
    if (!std::isfinite(p))
        return 0;
    if (p >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (p <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(p);
}

const WCHAR* LabelFormat(LabelKind kind) {
    switch (kind) {
    case LabelKind::Length:
        return u"L:%.*f%s";
    case LabelKind::Segment:
        return u"%.*f%s";
    case LabelKind::Total:
        return u"T:%.*f%s";
    case LabelKind::Diameter:
        return u"D:%.*f%s";
    case LabelKind::Radius:
        return u"R:%.*f%s";
    case LabelKind::Girth:
        return u"G:%.*f%s";
    case LabelKind::Area:
        return u"A:%.*f%s2";
    case LabelKind::Height:
        return u"H:%.*f%s";
    case LabelKind::Width:
        return u"W:%.*f%s";
    case LabelKind::AxisA:
        return u"a:%.*f%s";
    case LabelKind::AxisB:
        return u"b:%.*f%s";
    case LabelKind::Arc:
        return u"Arc:%.*f%s";
    case LabelKind::TolerancePlus:
        return u"R+:%.*f%s";
    case LabelKind::ToleranceMinus:
        return u"R-:%.*f%s";
    }
    return u"%.*f%s";
}

CString MeasureLabel(LabelKind kind, double value, int decimals, const WCHAR* unit) {
    if (decimals < 0 || decimals > 10)
        decimals = 3;
    CString s;
    s.Format(LabelFormat(kind), decimals, Finite(value), unit ? unit : u"");
    return s;
}

CString MeasureLabel(LabelKind kind, double value) {
    // g_unitName is a fixed buffer; take at most its length even if it lost its terminator.
    size_t n = 0;
    while (n < 11 && g_unitName[n] != 0)
        ++n;
    const std::u16string unit(g_unitName, n);
    return MeasureLabel(kind, value, g_decimalPlaces, unit.c_str());
}

CString AngleLabel(double degrees) {
    CString s;
    s.Format(u"%.2f\u00B0", Finite(degrees));
    return s;
}

CString ArcAngleLabel(double degrees) {
    CString s;
    s.Format(u"Angle:%.2f\u00B0", Finite(degrees));
    return s;
}

CString NumberLabel(int number) {
    CString s;
    s.Format(u"%d", number);
    return s;
}

int FontSizeFromHeight(int h) {
    // The tallest height of each step and the point size it gets.
    static constexpr struct {
        int maxHeight, size;
    } kSteps[] = {{13, 12}, {15, 13}, {16, 14}, {19, 16}, {21, 18}, {24, 20}, {27, 22},
                  {29, 24}, {32, 26}, {35, 28}, {37, 30}, {48, 36}, {64, 48}, {96, 72}};
    if (h >= 1)
        for (const auto& step : kSteps)
            if (h <= step.maxHeight)
                return step.size;
    return 12;
}

int FontSizeFromHeight() {
    return FontSizeFromHeight(g_fontSize);
}
