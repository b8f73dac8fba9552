#include "measure/CanvasView.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"

#include <algorithm>

DWORD PictureTypeOfPath(const CString& path) {
    CString ext = path.Right(3);
    ext.MakeLower();
    if (ext == u"bmp")
        return DIBIMAGE_TYPE_BMP;
    if (ext == u"jpg")
        return DIBIMAGE_TYPE_JPG;
    return 0;
}

PictureName ParsePictureName(const CString& path) {
    PictureName name;
    const int slash = std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
    const CString file = path.Mid(slash + 1);
    name.title = file.Left(std::max(file.GetLength() - 4, 0));
    const int x = name.title.Find(u'X');
    if (x < 0)
        return name;
    name.stamp = name.title.Left(x + 1);
    const int underscore = name.stamp.ReverseFind(u'_');
    const CString magnification = name.stamp.Mid(underscore + 1, x - underscore - 1);
    const bool numeric = std::all_of(magnification.GetString(),
                                     magnification.GetString() + magnification.GetLength(),
                                     [](WCHAR c) { return (c >= u'0' && c <= u'9') || c == u'.'; });
    if (numeric)
        name.magnification = magnification;
    return name;
}

FixedView FixedViewOf(int pictureWidth, int pictureHeight) {
    const int height = pictureWidth == 1280 && pictureHeight == 1024 ? 512 : 480;
    return {640, height, pictureWidth > 0 ? pictureWidth / 640.0 : 1.0};
}

ScrollRange CanvasScrollRange(int pictureSize, int clientSize) {
    if (pictureSize < clientSize)
        return {0, 0, 0};
    return {0, pictureSize, static_cast<UINT>(std::max(clientSize, 0))};
}

ScrollRanges CanvasScrollRanges(int pictureWidth, int pictureHeight, int width, int height,
                                int barWidth, int barHeight) {
    // A bar is needed where the picture does not fit; one bar can make room short for the
    // other direction.
    bool horizontal = pictureWidth >= width;
    bool vertical = pictureHeight >= height;
    if (horizontal && !vertical)
        vertical = pictureHeight >= height - barHeight;
    if (vertical && !horizontal)
        horizontal = pictureWidth >= width - barWidth;
    const int clientWidth = width - (vertical ? barWidth : 0);
    const int clientHeight = height - (horizontal ? barHeight : 0);
    return {horizontal ? CanvasScrollRange(pictureWidth, clientWidth) : ScrollRange{0, 0, 0},
            vertical ? CanvasScrollRange(pictureHeight, clientHeight) : ScrollRange{0, 0, 0}};
}

int CanvasScrollPosition(int position, UINT code, const ScrollRange& range, int trackPos,
                         int lineStep, int clientSize) {
    const int last = std::max(range.max - static_cast<int>(range.page), range.min);
    switch (code) {
    case SB_LINEUP:
        return std::max(position - lineStep, range.min);
    case SB_LINEDOWN:
        return std::min(position + lineStep, last);
    case SB_PAGEUP:
        return std::max(position - clientSize, range.min);
    case SB_PAGEDOWN:
        return std::min(position + clientSize, last);
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return trackPos;
    default:
        return position;
    }
}
