// The headless core of the measurement canvas: what a picture's path says (its format, its
// title, the stamp drawn on the view and the magnification typed into its name), the fixed
// view and its scale, and the scroll arithmetic of the full-size view. No window needed.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

// The format to load a picture path in, by its last three letters compared in lower case:
// DIBIMAGE_TYPE_BMP for "bmp", DIBIMAGE_TYPE_JPG for "jpg", 0 (load nothing) otherwise, so
// "x.JPG" loads and "x.jpeg" does not.
DWORD PictureTypeOfPath(const CString& path);

struct PictureName {
    CString title;         // the file name without folder and without its last four characters
    CString stamp;         // the title up to and including its first capital X; empty without
    CString magnification; // between the stamp's last '_' and the X, when digits and points only
};
// "…/Sample_200X_01.bmp" gives "Sample_200X_01", "Sample_200X" and "200"; "Probe_abcX.jpg"
// an empty magnification.
PictureName ParsePictureName(const CString& path);

// The fixed view: 640 pixels wide, 512 high for a 1280 x 1024 picture and 480 otherwise, and
// picture pixels per view pixel of picture width / 640, whatever picture and device.
struct FixedView {
    int width;
    int height;
    double scale;
};
FixedView FixedViewOf(int pictureWidth, int pictureHeight);

// One scroll bar of the full-size view: hidden (range 0..0) when the picture is smaller than
// the client, else 0..picture with the client as its page.
struct ScrollRange {
    int min;
    int max;
    UINT page;
};
ScrollRange CanvasScrollRange(int pictureSize, int clientSize);

// Both bars of the full-size view over a client of width x height without bars. A bar that
// shows takes its thickness from the other direction (the vertical bar `barWidth` of the width,
// the horizontal one `barHeight` of the height), which can make the other bar needed too; each
// page is the client that remains once both bars are placed, so the last column and row can be
// scrolled into view.
struct ScrollRanges {
    ScrollRange horizontal;
    ScrollRange vertical;
};
ScrollRanges CanvasScrollRanges(int pictureWidth, int pictureHeight, int width, int height,
                                int barWidth, int barHeight);

// The position after a scroll code (SB_LINEUP ... SB_THUMBTRACK) on a bar of `range`: a line
// moves by `lineStep`, a page by `clientSize`, clamped to min .. max - page; the thumb codes
// take `trackPos`; other codes keep the position.
int CanvasScrollPosition(int position, UINT code, const ScrollRange& range, int trackPos,
                         int lineStep, int clientSize);
