#include "measure/Units.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Sets the unit text, decimals and capture format for one test and puts them back after it.
class UnitsTest : public testing::Test {
protected:
    void SetUp() override { Save(); }
    void TearDown() override { Restore(); }

    static void SetUnit(const WCHAR* u) { ms::CopyBounded(g_unitName, 12, u); }

private:
    void Save() {
        ms::CopyBounded(m_unit, 12, g_unitName);
        m_decimals = g_decimalPlaces;
        m_has = g_has1600x1200;
        m_w = g_captureWidth;
        m_h = g_captureHeight;
        m_font = g_fontSize;
    }
    void Restore() {
        ms::CopyBounded(g_unitName, 12, m_unit);
        g_decimalPlaces = m_decimals;
        g_has1600x1200 = m_has;
        g_captureWidth = m_w;
        g_captureHeight = m_h;
        g_fontSize = m_font;
    }
    WCHAR m_unit[12]{};
    int m_decimals = 0, m_has = 0, m_w = 0, m_h = 0, m_font = 0;
};

TEST_F(UnitsTest, UnitPerMicronAndScaleTable) {
    struct Case {
        const WCHAR* unit;
        int has1600, w, h;
        double perMicron, scale;
    } cases[] = {
        {u"mm", 0, 640, 480, 0.001, 0.001 * 63.829787234},
        {u"cm", 0, 1280, 1024, 0.0001, 0.0001 * 63.829787234},
        {u"mil", 1, 1600, 1200, 0.0394, 0.0394 * 80.0},
        {u"inch", 1, 640, 480, 3.94e-05, 3.94e-05 * 80.0},
        {u"mm", 1, 1280, 960, 0.001, 0.001 * 63.829787234}, // 1280x960 of the large family
        {u"MM", 1, 1600, 1200, 0.001, 0.001 * 80.0},        // case-sensitive: measures as mm
        {u"", 0, 320, 240, 0.001, 0.001 * 63.829787234},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(UnitPerMicron(c.unit), c.perMicron);
        EXPECT_DOUBLE_EQ(UnitScale(c.unit, c.has1600, c.w, c.h), c.scale);
        SetUnit(c.unit);
        g_has1600x1200 = c.has1600;
        g_captureWidth = c.w;
        g_captureHeight = c.h;
        EXPECT_DOUBLE_EQ(UnitScale(), c.scale);
    }
}

TEST_F(UnitsTest, ConversionsAndRoundTrip) {
    const double s = 0.08, m = 50.0;
    EXPECT_DOUBLE_EQ(LengthFromPixels(200, s, m), 200 * s * 10.0 / m);
    EXPECT_DOUBLE_EQ(DiameterFromRadius(30, s, m), 30 * s * 20.0 / m);
    EXPECT_DOUBLE_EQ(CircumferenceFromRadius(30, s, m), 30 * s * 62.831852 / m);
    EXPECT_DOUBLE_EQ(CircumferenceFromDiameter(60, s, m), 60 * s * 31.415926 / m);
    EXPECT_DOUBLE_EQ(CircleAreaFromRadius(30, s, m), 30.0 * 30 * s * s * 314.15926 / (m * m));
    EXPECT_DOUBLE_EQ(AreaFromPixels(-1200, s, m), 1200 * s * s * 100.0 / (m * m));
    EXPECT_DOUBLE_EQ(ArcLengthFromAngle(90, 30, s, m), 90.0 * 30 * s * 62.83 / (m * 360.0));
    EXPECT_EQ(PixelsFromLength(LengthFromPixels(200, s, m), s, m), 200);
    EXPECT_EQ(PixelsFromLength(0.5, 0.08, 20.0), 13); // 12.5 + 0.5 truncated
    // A magnification of 0 never divides by zero.
    EXPECT_EQ(LengthFromPixels(100, s, 0.0), 0.0);
    EXPECT_EQ(AreaFromPixels(100, s, 0.0), 0.0);
    EXPECT_EQ(PixelsFromLength(1.0, 0.0, 1.0), 0);
}

TEST_F(UnitsTest, LabelTexts) {
    g_decimalPlaces = 3;
    g_has1600x1200 = 0;
    SetUnit(u"mm");
    EXPECT_EQ(MeasureLabel(LabelKind::Length, LengthFromPixels(100, UnitScale(), 1.0)),
              u"L:63.830mm");

    SetUnit(u"inch");
    g_has1600x1200 = 1;
    g_captureWidth = 1600;
    g_captureHeight = 1200;
    EXPECT_EQ(MeasureLabel(LabelKind::Length, LengthFromPixels(100, UnitScale(), 10.0)),
              u"L:0.315inch");

    struct Case {
        LabelKind kind;
        double value;
        int decimals;
        const WCHAR* unit;
        const WCHAR* text;
    } cases[] = {
        {LabelKind::Area, 1.5, 2, u"cm", u"A:1.50cm2"},
        {LabelKind::Segment, 2.25, 3, u"mil", u"2.250mil"},
        {LabelKind::Total, 1, 2, u"mm", u"T:1.00mm"},
        {LabelKind::Diameter, 1, 2, u"mm", u"D:1.00mm"},
        {LabelKind::Radius, 1, 2, u"mm", u"R:1.00mm"},
        {LabelKind::Girth, 1, 2, u"mm", u"G:1.00mm"},
        {LabelKind::Height, 1, 2, u"mm", u"H:1.00mm"},
        {LabelKind::Width, 1, 5, u"inch", u"W:1.00000inch"},
        {LabelKind::AxisA, 1, 2, u"mm", u"a:1.00mm"},
        {LabelKind::AxisB, 1, 2, u"mm", u"b:1.00mm"},
        {LabelKind::Arc, 1, 2, u"mm", u"Arc:1.00mm"},
        {LabelKind::TolerancePlus, 1, 2, u"mm", u"R+:1.00mm"},
        {LabelKind::ToleranceMinus, 1, 2, u"mm", u"R-:1.00mm"},
        {LabelKind::Length, 1, 2, u"", u"L:1.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeasureLabel(c.kind, c.value, c.decimals, c.unit), c.text);

    g_decimalPlaces = 5;
    EXPECT_EQ(AngleLabel(45.0), u"45.00\u00B0");
    EXPECT_EQ(ArcAngleLabel(123.456), u"Angle:123.46\u00B0");
    EXPECT_EQ(NumberLabel(3), u"3");
    // Nothing undefined reaches a label.
    EXPECT_EQ(MeasureLabel(LabelKind::Length, std::numeric_limits<double>::quiet_NaN(), 2, u"mm"),
              u"L:0.00mm");
}

TEST_F(UnitsTest, LabelsIgnoreTheUserLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    setenv("LANG", "de_DE.UTF-8", 1);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        std::setlocale(LC_ALL, "");
    g_decimalPlaces = 3;
    g_has1600x1200 = 0;
    SetUnit(u"mm");
    const CString label = MeasureLabel(LabelKind::Length, LengthFromPixels(100, UnitScale(), 1.0));
    const CString angle = AngleLabel(45.5);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(label, u"L:63.830mm");
    EXPECT_EQ(angle, u"45.50\u00B0");
}

TEST(FontSizeFromHeight, Table) {
    const int table[][2] = {{-5, 12}, {0, 12},  {1, 12},  {13, 12}, {14, 13}, {15, 13},
                            {16, 14}, {17, 16}, {19, 16}, {20, 18}, {21, 18}, {22, 20},
                            {24, 20}, {25, 22}, {27, 22}, {28, 24}, {29, 24}, {30, 26},
                            {32, 26}, {33, 28}, {35, 28}, {36, 30}, {37, 30}, {38, 36},
                            {48, 36}, {49, 48}, {64, 48}, {65, 72}, {96, 72}, {97, 12}};
    for (const auto& row : table)
        EXPECT_EQ(FontSizeFromHeight(row[0]), row[1]) << row[0];
    const int saved = g_fontSize;
    g_fontSize = 16;
    EXPECT_EQ(FontSizeFromHeight(), 14);
    g_fontSize = saved;
}

} // namespace
