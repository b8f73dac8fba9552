#include "platform/capture/V4l2Mapping.h"
#include "platform/win/core/Processor.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MS_YUV_AVX2 1
#endif
#include <linux/input-event-codes.h>
#include <linux/videodev2.h>
#include <sstream>

namespace fs = std::filesystem;

namespace ms::capture {

DWORD FourCCOfPixelFormat(std::uint32_t pf) {
    switch (pf) {
    case V4L2_PIX_FMT_YUYV:
        return FourCC('Y', 'U', 'Y', '2');
    case V4L2_PIX_FMT_UYVY:
        return FourCC('U', 'Y', 'V', 'Y');
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
        return FourCC('M', 'J', 'P', 'G');
    case V4L2_PIX_FMT_BGR24:
        return static_cast<DWORD>(BI_RGB);
    case V4L2_PIX_FMT_YUV420:
        return FourCC('I', '4', '2', '0');
    case V4L2_PIX_FMT_YVU420:
        return FourCC('Y', 'V', '1', '2');
    default:
        return pf; // V4L2 codes are four-character codes too (NV12, YVYU, ...)
    }
}

std::uint32_t PixelFormatOfFourCC(DWORD fourcc) {
    switch (fourcc) {
    case FourCC('Y', 'U', 'Y', '2'):
        return V4L2_PIX_FMT_YUYV;
    case FourCC('M', 'J', 'P', 'G'):
        return V4L2_PIX_FMT_MJPEG;
    case static_cast<DWORD>(BI_RGB):
        return V4L2_PIX_FMT_BGR24;
    case FourCC('I', '4', '2', '0'):
        return V4L2_PIX_FMT_YUV420;
    case FourCC('Y', 'V', '1', '2'):
        return V4L2_PIX_FMT_YVU420;
    default:
        return fourcc;
    }
}

bool NeedsVideoDecoder(std::uint32_t pf) {
    switch (pf) {
    case V4L2_PIX_FMT_H264:
    case V4L2_PIX_FMT_H264_NO_SC:
    case V4L2_PIX_FMT_H264_MVC:
    case V4L2_PIX_FMT_HEVC:
    case V4L2_PIX_FMT_MPEG:
    case V4L2_PIX_FMT_MPEG1:
    case V4L2_PIX_FMT_MPEG2:
    case V4L2_PIX_FMT_MPEG4:
    case V4L2_PIX_FMT_XVID:
    case V4L2_PIX_FMT_VC1_ANNEX_G:
    case V4L2_PIX_FMT_VC1_ANNEX_L:
    case V4L2_PIX_FMT_VP8:
    case V4L2_PIX_FMT_VP9:
        return true;
    default:
        return false;
    }
}

std::uint32_t ControlOfProperty(long property) {
    switch (property) {
    case VideoProcAmp_Brightness:
        return V4L2_CID_BRIGHTNESS;
    case VideoProcAmp_Contrast:
        return V4L2_CID_CONTRAST;
    case VideoProcAmp_Hue:
        return V4L2_CID_HUE;
    case VideoProcAmp_Saturation:
        return V4L2_CID_SATURATION;
    case VideoProcAmp_Sharpness:
        return V4L2_CID_SHARPNESS;
    case VideoProcAmp_Gamma:
        return V4L2_CID_GAMMA;
    case VideoProcAmp_WhiteBalance:
        return V4L2_CID_WHITE_BALANCE_TEMPERATURE;
    case VideoProcAmp_BacklightCompensation:
        return V4L2_CID_BACKLIGHT_COMPENSATION;
    case VideoProcAmp_Gain:
        return V4L2_CID_GAIN;
    default:
        return 0;
    }
}

std::uint32_t AutoControlOfProperty(long property) {
    switch (property) {
    case VideoProcAmp_Hue:
        return V4L2_CID_HUE_AUTO;
    case VideoProcAmp_WhiteBalance:
        return V4L2_CID_AUTO_WHITE_BALANCE;
    case VideoProcAmp_Gain:
        return V4L2_CID_AUTOGAIN;
    default:
        return 0;
    }
}

ProcAmpRange MapControlRange(const v4l2_queryctrl& q, bool hasAuto) {
    ProcAmpRange r;
    r.min = q.minimum;
    r.max = std::max(q.minimum, q.maximum);
    r.step = q.step > 0 ? q.step : 1;
    r.def = std::clamp<long>(q.default_value, r.min, r.max);
    r.caps = VideoProcAmp_Flags_Manual | (hasAuto ? VideoProcAmp_Flags_Auto : 0);
    return r;
}

namespace {
std::string ReadLine(const fs::path& p) {
    std::ifstream in(p);
    std::string s;
    std::getline(in, s);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

bool ReadHex(const fs::path& p, WORD& out) {
    std::string s = ReadLine(p);
    if (s.empty())
        return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 16);
    if (end == s.c_str() || v > 0xffff)
        return false;
    out = static_cast<WORD>(v);
    return true;
}

std::string RealPath(const fs::path& p) {
    std::error_code ec;
    auto r = fs::canonical(p, ec);
    return ec ? std::string() : r.string();
}

std::u16string Widen(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    // Card names are ASCII in practice; other bytes are kept as Latin-1 rather than dropped.
    for (unsigned char c : s)
        out += static_cast<char16_t>(c);
    return out;
}

int NodeNumber(const std::string& name, const char* prefix) {
    size_t n = std::char_traits<char>::length(prefix);
    if (name.compare(0, n, prefix) != 0 || name.size() == n)
        return -1;
    int v = 0;
    for (size_t i = n; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || v > 100000)
            return -1;
        v = v * 10 + (name[i] - '0');
    }
    return v;
}
} // namespace

std::vector<VideoNode> ScanVideoNodes(const std::string& sysRoot) {
    std::vector<VideoNode> nodes;
    std::error_code ec;
    fs::path cls = fs::path(sysRoot) / "class" / "video4linux";
    for (fs::directory_iterator it(cls, ec), end; !ec && it != end; it.increment(ec)) {
        VideoNode n;
        n.number = NodeNumber(it->path().filename().string(), "video");
        if (n.number < 0)
            continue;
        n.name = ReadLine(it->path() / "name");
        n.devicePath = RealPath(it->path() / "device");
        // The USB device is the nearest ancestor of the interface that tells its ids.
        for (fs::path p = n.devicePath; !n.devicePath.empty() && p.has_relative_path(); p = p.parent_path()) {
            if (fs::exists(p / "idVendor", ec)) {
                if (ReadHex(p / "idVendor", n.vendor) && ReadHex(p / "idProduct", n.product)) {
                    ReadHex(p / "bcdDevice", n.revision);
                    n.usbPath = p.string();
                }
                break;
            }
            if (p == p.parent_path())
                break;
        }
        nodes.push_back(std::move(n));
    }
    std::sort(nodes.begin(), nodes.end(), [](const VideoNode& a, const VideoNode& b) { return a.number < b.number; });
    return nodes;
}

std::vector<DeviceEntry> ListVideoDevices(const std::string& sysRoot, const std::string& devRoot,
                                          const ProbeFn& probe) {
    std::vector<DeviceEntry> out;
    for (const auto& n : ScanVideoNodes(sysRoot)) {
        std::string node = devRoot + "/video" + std::to_string(n.number);
        auto p = probe(node);
        if (!p || !(p->deviceCaps & V4L2_CAP_VIDEO_CAPTURE))
            continue;
        if (!p->pixelFormats.empty() &&
            std::all_of(p->pixelFormats.begin(), p->pixelFormats.end(), NeedsVideoDecoder))
            continue;
        DeviceEntry e;
        std::string card = p->card.empty() ? n.name : p->card;
        std::string bus = p->busInfo.empty() ? n.devicePath : p->busInfo;
        e.displayName = Widen("@device:v4l2:" + bus + ":" + card);
        e.friendlyName = Widen(card);
        e.friendlyNameReadable = !card.empty();
        if (!n.usbPath.empty())
            e.hardwareIds = UsbHardwareIds(n.vendor, n.product, n.revision);
        e.key = node;
        out.push_back(std::move(e));
    }
    return out;
}

bool KeyBitmapHas(const std::string& bitmap, int code, int bitsPerWord) {
    std::istringstream in(bitmap);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (code < 0 || bitsPerWord <= 0)
        return false;
    size_t word = static_cast<size_t>(code / bitsPerWord);
    if (word >= words.size())
        return false;
    const std::string& w = words[words.size() - 1 - word]; // least significant word last
    char* end = nullptr;
    unsigned long long v = std::strtoull(w.c_str(), &end, 16);
    if (end == w.c_str())
        return false;
    return (v >> (code % bitsPerWord)) & 1ULL;
}

std::string FindStillButtonInput(const std::string& sysRoot, const std::string& usbPath) {
    if (usbPath.empty())
        return {};
    std::error_code ec;
    std::vector<std::pair<int, std::string>> found;
    fs::path cls = fs::path(sysRoot) / "class" / "input";
    for (fs::directory_iterator it(cls, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        int number = NodeNumber(name, "event");
        if (number < 0)
            continue;
        std::string dev = RealPath(it->path() / "device");
        if (dev.size() <= usbPath.size() || dev.compare(0, usbPath.size(), usbPath) != 0 ||
            dev[usbPath.size()] != '/')
            continue;
        std::string keys = ReadLine(it->path() / "device" / "capabilities" / "key");
        if (KeyBitmapHas(keys, KEY_CAMERA, static_cast<int>(sizeof(long) * CHAR_BIT)))
            found.emplace_back(number, name);
    }
    if (found.empty())
        return {};
    std::sort(found.begin(), found.end());
    return found.front().second;
}

namespace {
// BT.601 limited range in 8.8 fixed point, by table: one lookup per term instead of a multiply,
// and the clamp to 0..255 by a table as well (the sums stay within -277..534). This is the
// definition; the vector path below gives the same bytes.
struct YuvTables {
    int y[256], rv[256], gu[256], gv[256], bu[256];
    BYTE clamp[2048];
};
constexpr YuvTables MakeYuvTables() {
    YuvTables t{};
    for (int i = 0; i < 256; ++i) {
        t.y[i] = 298 * (i - 16) + 128;
        t.rv[i] = 409 * (i - 128);
        t.gu[i] = -100 * (i - 128);
        t.gv[i] = -208 * (i - 128);
        t.bu[i] = 516 * (i - 128);
    }
    for (int i = 0; i < 2048; ++i)
        t.clamp[i] = static_cast<BYTE>(i < 1024 ? 0 : (i - 1024 > 255 ? 255 : i - 1024));
    return t;
}
constexpr YuvTables kYuv = MakeYuvTables();

// Converts pixels [x, width) of one row by the tables; s and d point at pixel x.
void ConvertYuvRowTail(const BYTE* s, BYTE* d, LONG x, LONG width, bool uyvy) {
    const int y0 = uyvy ? 1 : 0, u0 = uyvy ? 0 : 1, y1 = uyvy ? 3 : 2, v0 = uyvy ? 2 : 3;
    const BYTE* cl = kYuv.clamp + 1024;
    for (; x + 1 < width; x += 2, s += 4, d += 6) {
        const int c0 = kYuv.y[s[y0]], c1 = kYuv.y[s[y1]];
        const int rr = kYuv.rv[s[v0]], gg = kYuv.gu[s[u0]] + kYuv.gv[s[v0]], bb = kYuv.bu[s[u0]];
        d[0] = cl[(c0 + bb) >> 8];
        d[1] = cl[(c0 + gg) >> 8];
        d[2] = cl[(c0 + rr) >> 8];
        d[3] = cl[(c1 + bb) >> 8];
        d[4] = cl[(c1 + gg) >> 8];
        d[5] = cl[(c1 + rr) >> 8];
    }
    if (x < width) { // odd width: the last pixel uses its pair's chroma
        const int c0 = kYuv.y[s[y0]];
        d[0] = cl[(c0 + kYuv.bu[s[u0]]) >> 8];
        d[1] = cl[(c0 + kYuv.gu[s[u0]] + kYuv.gv[s[v0]]) >> 8];
        d[2] = cl[(c0 + kYuv.rv[s[v0]]) >> 8];
    }
}

#ifdef MS_YUV_AVX2
// The same arithmetic in 16-bit lanes, 32 pixels a step. With y = Y - 16, u = U - 128,
// v = V - 128, each sum splits into a multiple of 256 and a rest that fits 16 bits:
//   298y + 409v + 128        = 256(y + v)  + (42y + 153v + 128)
//   298y - 100u - 208v + 128 = 256(y - v)  + (42y - 100u + 48v + 128)
//   298y + 516u + 128        = 256(y + 2u) + (42y + 4u + 128)
// so the shift by 8 is the whole part plus the rest shifted, exactly as in 32 bits, and the
// saturating pack to bytes is the clamp.
__attribute__((target("avx2"))) inline void YuvToBgr16(__m256i w, bool uyvy, __m256i& b, __m256i& g,
                                                       __m256i& r) {
    const __m256i low = _mm256_set1_epi16(0xFF);
    __m256i y = uyvy ? _mm256_srli_epi16(w, 8) : _mm256_and_si256(w, low);
    __m256i c = uyvy ? _mm256_and_si256(w, low) : _mm256_srli_epi16(w, 8);
    y = _mm256_sub_epi16(y, _mm256_set1_epi16(16));
    c = _mm256_sub_epi16(c, _mm256_set1_epi16(128));
    // c holds u, v, u, v, ... one per pixel of the pair; spread each over both pixels.
    const __m256i u = _mm256_blend_epi16(c, _mm256_slli_epi32(c, 16), 0xAA);
    const __m256i v = _mm256_blend_epi16(_mm256_srli_epi32(c, 16), c, 0xAA);
    const __m256i t =
        _mm256_add_epi16(_mm256_mullo_epi16(y, _mm256_set1_epi16(42)), _mm256_set1_epi16(128));
    const __m256i rRest = _mm256_add_epi16(t, _mm256_mullo_epi16(v, _mm256_set1_epi16(153)));
    const __m256i gRest =
        _mm256_add_epi16(t, _mm256_add_epi16(_mm256_mullo_epi16(u, _mm256_set1_epi16(-100)),
                                             _mm256_mullo_epi16(v, _mm256_set1_epi16(48))));
    const __m256i bRest = _mm256_add_epi16(t, _mm256_slli_epi16(u, 2));
    r = _mm256_add_epi16(_mm256_add_epi16(y, v), _mm256_srai_epi16(rRest, 8));
    g = _mm256_add_epi16(_mm256_sub_epi16(y, v), _mm256_srai_epi16(gRest, 8));
    b = _mm256_add_epi16(_mm256_add_epi16(y, _mm256_add_epi16(u, u)), _mm256_srai_epi16(bRest, 8));
}

// Bytes of two 16-pixel halves in pixel order.
__attribute__((target("avx2"))) inline __m256i PackPixels(__m256i first, __m256i second) {
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
}

// Converts the row's pixels in steps of 32 and returns how many it did.
__attribute__((target("avx2"))) LONG ConvertYuvRowAvx2(const BYTE* s, BYTE* d, LONG width,
                                                       bool uyvy) {
    // Within each 16-pixel lane, output byte j of 48 is channel j % 3 of pixel j / 3: one
    // shuffle per channel and per 16-byte third, the other channels' places zeroed (-1).
    alignas(32) static constexpr auto kMasks = [] {
        struct {
            signed char m[3][3][32]; // [third][channel][byte]
        } t{};
        for (int k = 0; k < 3; ++k)
            for (int ch = 0; ch < 3; ++ch)
                for (int j = 0; j < 32; ++j) {
                    const int at = 16 * k + j % 16;
                    t.m[k][ch][j] = static_cast<signed char>(at % 3 == ch ? at / 3 : -1);
                }
        return t;
    }();
    LONG x = 0;
    for (; x + 32 <= width; x += 32, s += 64, d += 96) {
        __m256i b0, g0, r0, b1, g1, r1;
        YuvToBgr16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)), uyvy, b0, g0, r0);
        YuvToBgr16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32)), uyvy, b1, g1, r1);
        const __m256i ch[3] = {PackPixels(b0, b1), PackPixels(g0, g1), PackPixels(r0, r1)};
        const auto* masks = reinterpret_cast<const __m256i*>(&kMasks);
        __m256i third[3];
        for (int k = 0; k < 3; ++k) {
            __m256i o = _mm256_setzero_si256();
            for (int c = 0; c < 3; ++c)
                o = _mm256_or_si256(
                    o, _mm256_shuffle_epi8(ch[c], _mm256_load_si256(masks + 3 * k + c)));
            third[k] = o;
        }
        // Lane 0 holds pixels 0-15 (bytes 0-47), lane 1 pixels 16-31 (bytes 48-95).
        auto* out = reinterpret_cast<__m256i*>(d);
        _mm256_storeu_si256(out, _mm256_permute2x128_si256(third[0], third[1], 0x20));
        _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(third[2], third[0], 0x30));
        _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(third[1], third[2], 0x31));
    }
    return x;
}

#endif
} // namespace

void ConvertPackedYuvToBgrBottomUp(const BYTE* src, long srcStride, LONG width, LONG height,
                                   BYTE* dst, long dstStride, bool uyvy) {
#ifdef MS_YUV_AVX2
    const bool vector = IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE);
#endif
    for (LONG row = 0; row < height; ++row) {
        const BYTE* s = src + static_cast<size_t>(row) * srcStride;
        BYTE* d = dst + static_cast<size_t>(height - 1 - row) * dstStride;
        LONG x = 0;
#ifdef MS_YUV_AVX2
        if (vector)
            x = ConvertYuvRowAvx2(s, d, width, uyvy);
#endif
        ConvertYuvRowTail(s + 2 * static_cast<size_t>(x), d + 3 * static_cast<size_t>(x), x, width,
                          uyvy);
    }
}

void FlipRows(const BYTE* src, long srcStride, LONG height, long rowBytes, BYTE* dst,
              long dstStride) {
    for (LONG row = 0; row < height; ++row)
        std::copy_n(src + static_cast<size_t>(row) * srcStride, rowBytes,
                    dst + static_cast<size_t>(height - 1 - row) * dstStride);
}

} // namespace ms::capture
