#include "platform/capture/Backend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ms::capture {

DWORD FourCCOfSubtype(const GUID& subtype) {
    GUID probe = SubtypeOfFourCC(subtype.Data1);
    return probe == subtype ? subtype.Data1 : 0;
}

namespace {
int BitsPerPixel(DWORD fourcc) {
    switch (fourcc) {
    case FourCC('Y', 'U', 'Y', '2'):
    case FourCC('U', 'Y', 'V', 'Y'):
    case FourCC('Y', 'V', 'Y', 'U'):
        return 16;
    case FourCC('N', 'V', '1', '2'):
    case FourCC('I', '4', '2', '0'):
    case FourCC('Y', 'V', '1', '2'):
        return 12;
    default:
        return 24; // RGB and compressed formats (their biSizeImage is an upper bound)
    }
}
} // namespace

VIDEOINFOHEADER MakeVideoInfo(const StreamFormat& f) {
    VIDEOINFOHEADER v{};
    v.AvgTimePerFrame = f.interval;
    v.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    v.bmiHeader.biWidth = f.width;
    v.bmiHeader.biHeight = f.height;
    v.bmiHeader.biPlanes = 1;
    int bits = BitsPerPixel(f.fourcc);
    v.bmiHeader.biBitCount = static_cast<WORD>(bits);
    v.bmiHeader.biCompression = f.fourcc;
    long long size;
    if (f.fourcc == static_cast<DWORD>(BI_RGB))
        size = static_cast<long long>(Rgb24Stride(f.width)) * f.height;
    else
        size = static_cast<long long>(f.width) * f.height * bits / 8;
    v.bmiHeader.biSizeImage = static_cast<DWORD>(size);
    if (f.interval > 0) {
        // Frame durations are whole 100-ns units (333333 for 30 per second): a rate within a
        // hundredth of a whole number is that number.
        double fps = 1e7 / static_cast<double>(f.interval);
        if (std::abs(fps - std::round(fps)) < 0.01)
            fps = std::round(fps);
        double rate = fps * static_cast<double>(size) * 8.0;
        v.dwBitRate = static_cast<DWORD>(std::min(rate + 0.5, 4294967295.0));
    }
    return v;
}

AM_MEDIA_TYPE MakeMediaType(const StreamFormat& f) {
    AM_MEDIA_TYPE mt;
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = f.fourcc == static_cast<DWORD>(BI_RGB) ? MEDIASUBTYPE_RGB24 : SubtypeOfFourCC(f.fourcc);
    mt.formattype = FORMAT_VideoInfo;
    mt.vih = MakeVideoInfo(f);
    return mt;
}

std::vector<std::pair<AM_MEDIA_TYPE, VIDEO_STREAM_CONFIG_CAPS>> MakeCapabilities(
    const std::vector<FrameCaps>& caps) {
    std::vector<std::pair<AM_MEDIA_TYPE, VIDEO_STREAM_CONFIG_CAPS>> out;
    for (const auto& c : caps) {
        VIDEO_STREAM_CONFIG_CAPS s;
        s.MinOutputSize = c.minSize;
        s.MaxOutputSize = c.maxSize;
        s.OutputGranularityX = c.stepX;
        s.OutputGranularityY = c.stepY;
        if (!c.intervals.empty()) {
            s.MinFrameInterval = c.intervals.front();
            s.MaxFrameInterval = c.intervals.back();
        }
        StreamFormat f{c.fourcc, c.maxSize.cx, c.maxSize.cy, s.MinFrameInterval};
        out.emplace_back(MakeMediaType(f), s);
    }
    return out;
}

const FrameCaps* FindCaps(const std::vector<FrameCaps>& caps, DWORD fourcc, LONG w, LONG h) {
    if (w <= 0 || h <= 0)
        return nullptr;
    for (const auto& c : caps) {
        if (c.fourcc != fourcc)
            continue;
        if (w < c.minSize.cx || w > c.maxSize.cx || h < c.minSize.cy || h > c.maxSize.cy)
            continue;
        bool fitsX = c.stepX > 0 ? (w - c.minSize.cx) % c.stepX == 0 : (w == c.minSize.cx || w == c.maxSize.cx);
        bool fitsY = c.stepY > 0 ? (h - c.minSize.cy) % c.stepY == 0 : (h == c.minSize.cy || h == c.maxSize.cy);
        if (fitsX && fitsY)
            return &c;
    }
    return nullptr;
}

LONGLONG NearestInterval(const FrameCaps& caps, LONGLONG wanted) {
    if (caps.intervals.empty())
        return 0;
    if (wanted <= 0)
        return caps.intervals.front();
    LONGLONG best = caps.intervals.front();
    for (LONGLONG i : caps.intervals)
        if (std::llabs(i - wanted) < std::llabs(best - wanted))
            best = i;
    return best;
}

std::u16string UsbHardwareIds(WORD vendor, WORD product, WORD revision) {
    char full[64], plain[64];
    std::snprintf(full, sizeof full, "USB\\VID_%04X&PID_%04X&REV_%04X", vendor, product, revision);
    std::snprintf(plain, sizeof plain, "USB\\VID_%04X&PID_%04X", vendor, product);
    std::u16string out;
    for (const char* p = full; *p; ++p)
        out += static_cast<char16_t>(*p);
    out += u'\0';
    for (const char* p = plain; *p; ++p)
        out += static_cast<char16_t>(*p);
    out += u'\0';
    out += u'\0';
    return out;
}

} // namespace ms::capture
