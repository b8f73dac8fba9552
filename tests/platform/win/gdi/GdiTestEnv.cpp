#include "GdiTestEnv.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace gdi_test {

int MemDC::Count(COLORREF c, QRect* box) const {
    const QImage img = Image();
    const QRgb want = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    int n = 0;
    QRect b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) | 0xFF000000u) == want) {
                ++n;
                b = b.united(QRect(x, y, 1, 1));
            }
    if (box)
        *box = b;
    return n;
}

} // namespace gdi_test

namespace {

// Fonts need a GUI application (offscreen in tests).
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "Gdi_test";
            static char* argv[] = {name, nullptr};
            // Kept to the end of the process: fonts made during the tests refer to it.
            static QGuiApplication* app = new QGuiApplication(argc, argv);
            (void)app;
        }
    }
};

[[maybe_unused]] auto* const env = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace
