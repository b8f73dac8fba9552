// A fixture for Wavenor's picture views: the measurement dialogs' fresh start, a host window
// standing in for the main window (it counts the calibrations handed to it), and pictures
// written into the test's own program folder.
#pragma once

#include "wifi_measure/StillMessages.h"

#include "tests/measure/DialogFixture.h"

#include "imaging/DibImage.h"

#include <functional>
#include <string>

namespace mstest {

// The main window's part: it counts the calibrations posted or sent to it.
class CCalibrationHost : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP_STORE_CALIBRATION)
            ++stored;
        return CWnd::WindowProc(msg, wp, lp);
    }
    int stored = 0;
};

class PictureViewTest : public MeasureDialogTest {
protected:
    void SetUp() override {
        MeasureDialogTest::SetUp();
        ASSERT_TRUE(host_.CreateEx(0, nullptr, u"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900,
                                   700, nullptr, nullptr));
    }
    void TearDown() override {
        host_.DestroyWindow();
        MeasureDialogTest::TearDown();
    }
    std::u16string PathOf(const char* name) const {
        return ms::FromUtf8((program_ / name).string());
    }
    // A picture of the size, each pixel coloured by `colour(x, y)` (y counted as the image
    // keeps its rows), saved under `name` in `type`.
    std::u16string Picture(const char* name, int width, int height,
                           const std::function<COLORREF(int x, int y)>& colour,
                           DWORD type = DIBIMAGE_TYPE_PNG) {
        CDibImage image(static_cast<DWORD>(width), static_cast<DWORD>(height), 24);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.SetPixelColor(x, y, colour(x, y));
        const std::u16string path = PathOf(name);
        EXPECT_TRUE(image.SaveToFile(path.c_str(), type));
        return path;
    }
    std::u16string Picture(const char* name, int width, int height, COLORREF colour,
                           DWORD type = DIBIMAGE_TYPE_PNG) {
        return Picture(name, width, height, [colour](int, int) { return colour; }, type);
    }

    CCalibrationHost host_;
};

} // namespace mstest
