#include "capture/CaptureFormat.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr CaptureSize kLargeFamily[kCaptureSizeCount] = {
    {640, 480, u"640*480"}, {1280, 960, u"1280*960"}, {1600, 1200, u"1600*1200"}};
constexpr CaptureSize kSmallFamily[kCaptureSizeCount] = {
    {320, 240, u"320*240"}, {640, 480, u"640*480"}, {1280, 1024, u"1280*1024"}};

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::array<BYTE, kCapConfigSize>& out) : m_out(out) {}
    void Put(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            m_out[m_pos++] = static_cast<BYTE>(value >> (8 * i));
    }

private:
    std::array<BYTE, kCapConfigSize>& m_out;
    size_t m_pos = 0;
};

class LittleEndianReader {
public:
    explicit LittleEndianReader(const std::array<BYTE, kCapConfigSize>& in) : m_in(in) {}
    std::uint64_t Get(int bytes) {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(m_in[m_pos++]) << (8 * i);
        return value;
    }
    LONG GetLong() { return static_cast<LONG>(static_cast<std::uint32_t>(Get(4))); }
    DWORD GetDword() { return static_cast<DWORD>(Get(4)); }

private:
    const std::array<BYTE, kCapConfigSize>& m_in;
    size_t m_pos = 0;
};

void PutRect(LittleEndianWriter& w, const RECT& r) {
    for (LONG v : {r.left, r.top, r.right, r.bottom})
        w.Put(static_cast<std::uint32_t>(v), 4);
}

RECT GetRect(LittleEndianReader& r) {
    RECT rect;
    rect.left = r.GetLong();
    rect.top = r.GetLong();
    rect.right = r.GetLong();
    rect.bottom = r.GetLong();
    return rect;
}
} // namespace

const CaptureSize& CaptureSizeOf(int has1600x1200, int index) {
    index = std::clamp(index, 0, kCaptureSizeCount - 1);
    return has1600x1200 == 1 ? kLargeFamily[index] : kSmallFamily[index];
}

int FramesPerSecondOf(REFERENCE_TIME avgTimePerFrame) {
    if (avgTimePerFrame <= 0)
        return 0;
    return static_cast<int>(10000000.0 / static_cast<double>(avgTimePerFrame) + 0.49999999);
}

DWORD BitRateOf(int framesPerSecond, DWORD frameBytes) {
    const std::uint64_t rate =
        static_cast<std::uint64_t>(std::max(framesPerSecond, 0)) * frameBytes * 8u;
    return static_cast<DWORD>(std::min<std::uint64_t>(rate, UINT32_MAX));
}

DWORD FrameBytesOf(int width, int height, int bitCount) {
    const std::uint64_t perPixel = bitCount == 16 ? 2 : bitCount == 24 ? 3 : 1;
    const std::uint64_t bytes = static_cast<std::uint64_t>(std::max(width, 0)) *
                                static_cast<std::uint64_t>(std::max(height, 0)) * perPixel;
    return static_cast<DWORD>(std::min<std::uint64_t>(bytes, UINT32_MAX));
}

std::array<BYTE, kCapConfigSize> EncodeCapConfig(const VIDEOINFOHEADER& f) {
    std::array<BYTE, kCapConfigSize> out{};
    LittleEndianWriter w(out);
    PutRect(w, f.rcSource);
    PutRect(w, f.rcTarget);
    w.Put(f.dwBitRate, 4);
    w.Put(f.dwBitErrorRate, 4);
    w.Put(static_cast<std::uint64_t>(f.AvgTimePerFrame), 8);
    const BITMAPINFOHEADER& b = f.bmiHeader;
    w.Put(b.biSize, 4);
    w.Put(static_cast<std::uint32_t>(b.biWidth), 4);
    w.Put(static_cast<std::uint32_t>(b.biHeight), 4);
    w.Put(b.biPlanes, 2);
    w.Put(b.biBitCount, 2);
    w.Put(b.biCompression, 4);
    w.Put(b.biSizeImage, 4);
    w.Put(static_cast<std::uint32_t>(b.biXPelsPerMeter), 4);
    w.Put(static_cast<std::uint32_t>(b.biYPelsPerMeter), 4);
    w.Put(b.biClrUsed, 4);
    w.Put(b.biClrImportant, 4);
    return out;
}

VIDEOINFOHEADER DecodeCapConfig(const std::array<BYTE, kCapConfigSize>& bytes) {
    VIDEOINFOHEADER f{};
    LittleEndianReader r(bytes);
    f.rcSource = GetRect(r);
    f.rcTarget = GetRect(r);
    f.dwBitRate = r.GetDword();
    f.dwBitErrorRate = r.GetDword();
    f.AvgTimePerFrame = static_cast<REFERENCE_TIME>(r.Get(8));
    BITMAPINFOHEADER& b = f.bmiHeader;
    b.biSize = r.GetDword();
    b.biWidth = r.GetLong();
    b.biHeight = r.GetLong();
    b.biPlanes = static_cast<WORD>(r.Get(2));
    b.biBitCount = static_cast<WORD>(r.Get(2));
    b.biCompression = r.GetDword();
    b.biSizeImage = r.GetDword();
    b.biXPelsPerMeter = r.GetLong();
    b.biYPelsPerMeter = r.GetLong();
    b.biClrUsed = r.GetDword();
    b.biClrImportant = r.GetDword();
    return f;
}

namespace {
bool RectInRange(const RECT& r) {
    for (LONG v : {r.left, r.top, r.right, r.bottom})
        if (v < 0 || v > kMaxCapConfigSide)
            return false;
    return r.left <= r.right && r.top <= r.bottom;
}

bool CompressionInRange(DWORD compression) {
    if (compression == BI_RGB || compression == BI_BITFIELDS)
        return true;
    for (int i = 0; i < 4; ++i) {
        const unsigned c = (compression >> (8 * i)) & 0xFFu;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}
} // namespace

bool IsCapConfigInRange(const VIDEOINFOHEADER& f) {
    constexpr REFERENCE_TIME kMinuteIn100ns = 600000000;
    const BITMAPINFOHEADER& b = f.bmiHeader;
    const WORD bits = b.biBitCount;
    return RectInRange(f.rcSource) && RectInRange(f.rcTarget) && f.AvgTimePerFrame >= 0 &&
           f.AvgTimePerFrame <= kMinuteIn100ns && b.biSize == sizeof(BITMAPINFOHEADER) &&
           b.biWidth >= 1 && b.biWidth <= kMaxCapConfigSide && b.biHeight >= 1 &&
           b.biHeight <= kMaxCapConfigSide && b.biPlanes == 1 &&
           (bits == 8 || bits == 12 || bits == 16 || bits == 24 || bits == 32) &&
           CompressionInRange(b.biCompression) &&
           b.biSizeImage <= static_cast<std::uint64_t>(b.biWidth) * b.biHeight * 4u &&
           b.biXPelsPerMeter >= 0 && b.biYPelsPerMeter >= 0 && b.biClrUsed <= 256 &&
           b.biClrImportant <= 256;
}
