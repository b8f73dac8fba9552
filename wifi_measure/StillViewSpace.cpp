#include "wifi_measure/StillViewSpace.h"

#include "measure/CanvasView.h"

#include "imaging/DibImage.h"

#include <cmath>

DWORD StillPictureType(const CString& path) {
    CString ext = path.Right(3);
    ext.MakeLower();
    if (ext == u"png")
        return DIBIMAGE_TYPE_PNG;
    if (ext == u"jpg")
        return DIBIMAGE_TYPE_JPG;
    return 0;
}

StillViewSpace StillViewSpaceOf(int pictureWidth, int pictureHeight, int viewMode) {
    StillViewSpace space;
    const FixedView fitted = FixedViewOf(pictureWidth, pictureHeight);
    space.displayWidth = fitted.width;
    space.displayHeight = fitted.height;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return space;
    const double x = static_cast<double>(pictureWidth) / fitted.width;
    const double y = static_cast<double>(pictureHeight) / fitted.height;
    if (viewMode == STILL_VIEW_ACTUAL) {
        space.toFittedX = 1.0 / x;
        space.toFittedY = 1.0 / y;
    } else {
        space.toPictureX = x;
        space.toPictureY = y;
    }
    return space;
}

double FittedDistance(const StillViewSpace& space, POINT a, POINT b) {
    const double dx = (b.x - a.x) * space.toFittedX;
    const double dy = (b.y - a.y) * space.toFittedY;
    return std::sqrt(dx * dx + dy * dy);
}
