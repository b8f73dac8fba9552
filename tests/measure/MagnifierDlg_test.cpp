// The magnifier: the source square of every lens size and zoom, the dialog's choices, and the
// lens painting the square under it enlarged.
#include "measure/MagnifierDlg.h"

#include "tests/measure/DialogFixture.h"

#include "platform/mfc/AfxGdi.h"
#include "res/TessaryResource.h"

namespace {

using namespace mstest;

using MagnifierTest = mstest::MeasureDialogTest;

TEST(LensSourceSquare, EveryLensSizeAndZoom) {
    struct Case {
        int size, zoom, side;
    };
    const Case cases[] = {
        {100, 20, 50}, {100, 30, 30},  {100, 40, 20}, {150, 20, 70}, {150, 30, 50},
        {150, 40, 30}, {200, 20, 100}, {200, 30, 60}, {200, 40, 50},
    };
    for (const Case& c : cases) {
        const LensSquare sq = LensSourceSquare(c.size, c.zoom);
        EXPECT_EQ(sq.side, c.side) << c.size << " at " << c.zoom;
        // Centred on the lens's own centre.
        EXPECT_EQ(sq.offset, c.size / 2 - c.side / 2) << c.size << " at " << c.zoom;
    }
    EXPECT_EQ(LensSourceSquare(100, 0).side, 100);
}

TEST_F(MagnifierTest, ClicksAreKeptEvenWhenTheDialogIsCancelledAndEachOpeningStartsAfresh) {
    CMagnifierDlg dlg;
    ms::test::AnswerDialog(IDD_MAGNIFIER, [&](HWND h) {
        EXPECT_TRUE(Checked(h, IDC_MAG_2X));
        EXPECT_TRUE(Checked(h, IDC_MAG_100));
        Press(h, IDC_MAG_4X);
        Press(h, IDC_MAG_200);
        EXPECT_EQ(dlg.m_zoom, 40);
        EXPECT_EQ(dlg.m_lensSize, 200);
        Press(h, IDC_MAG_3X);
        Press(h, IDC_MAG_150);
        SendMessage(h, WM_COMMAND, IDCANCEL, 0); // Esc
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_zoom, 30);
    EXPECT_EQ(dlg.m_lensSize, 150);

    CMagnifierDlg again;
    ms::test::AnswerDialog(IDD_MAGNIFIER, [&](HWND h) {
        EXPECT_TRUE(Checked(h, IDC_MAG_2X));
        EXPECT_FALSE(Checked(h, IDC_MAG_3X));
        EXPECT_TRUE(Checked(h, IDC_MAG_100));
        EXPECT_FALSE(Checked(h, IDC_MAG_150));
        Press(h, IDC_MAG_100);
        Press(h, IDOK);
    });
    EXPECT_EQ(again.DoModal(), IDOK);
    EXPECT_EQ(again.m_zoom, 20);
    EXPECT_EQ(again.m_lensSize, 100);
}

// A canvas copy that is blue everywhere but red exactly on the square the lens should show.
class FakeCanvas : public CMagnifierSource {
public:
    FakeCanvas(int size, int zoom, POINT at) : size_(size), zoom_(zoom), at_(at) {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        bitmap_.CreateCompatibleBitmap(&dc, 640, 480);
        CBitmap* old = dc.SelectObject(&bitmap_);
        dc.FillSolidRect(0, 0, 640, 480, RGB(0, 0, 255));
        const LensSquare sq = LensSourceSquare(size, zoom);
        dc.FillSolidRect(at.x + sq.offset, at.y + sq.offset, sq.side, sq.side, RGB(255, 0, 0));
        dc.SelectObject(old);
    }
    int LensSize() const override { return size_; }
    int LensZoom() const override { return zoom_; }
    POINT LensPoint() const override { return at_; }
    CBitmap* LensBitmap() override { return &bitmap_; }

private:
    int size_, zoom_;
    POINT at_;
    CBitmap bitmap_;
};

TEST_F(MagnifierTest, TheLensShowsTheSquareUnderItEnlargedAndFramed) {
    const struct { int size, zoom; } cases[] = {{100, 30}, {150, 40}, {200, 20}};
    for (const auto& c : cases) {
        FakeCanvas canvas(c.size, c.zoom, {200, 120});
        CMagnifierLens lens(&canvas);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap target;
        target.CreateCompatibleBitmap(&dc, c.size, c.size);
        CBitmap* old = dc.SelectObject(&target);
        dc.FillSolidRect(0, 0, c.size, c.size, RGB(255, 255, 255));
        lens.DrawSquareLens(&dc);
        const std::string what = std::to_string(c.size) + " at " + std::to_string(c.zoom);
        // The whole inside is the red square: no blue from around it.
        for (int y = 3; y < c.size - 3; y += 7)
            for (int x = 3; x < c.size - 3; x += 7)
                ASSERT_EQ(dc.GetPixel(x, y), RGB(255, 0, 0)) << what << " " << x << "," << y;
        const COLORREF lastInside = dc.GetPixel(c.size - 4, c.size - 4);
        EXPECT_EQ(lastInside, RGB(255, 0, 0)) << what;
        // Two frames in the default pen, with a pixel of picture between them.
        EXPECT_EQ(dc.GetPixel(0, 0), RGB(0, 0, 0)) << what;
        EXPECT_EQ(dc.GetPixel(c.size - 1, c.size / 2), RGB(0, 0, 0)) << what;
        EXPECT_EQ(dc.GetPixel(1, c.size / 2), RGB(255, 0, 0)) << what;
        EXPECT_EQ(dc.GetPixel(2, c.size / 2), RGB(0, 0, 0)) << what;
        EXPECT_EQ(dc.GetPixel(c.size - 3, c.size / 2), RGB(0, 0, 0)) << what;
        dc.SelectObject(old);
    }
}

TEST_F(MagnifierTest, ALensWithoutACopyPaintsNothing) {
    CMagnifierLens lens;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateCompatibleBitmap(&dc, 10, 10);
    CBitmap* old = dc.SelectObject(&target);
    dc.FillSolidRect(0, 0, 10, 10, RGB(255, 255, 255));
    lens.DrawSquareLens(&dc);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 255, 255));
    dc.SelectObject(old);
}

} // namespace
