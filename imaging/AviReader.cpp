#include "imaging/AviReader.h"

#include "imaging/AviJpeg.h"

#include <cstring>

namespace ms::avi {

namespace {

// Frames beyond this are not listed: far more than an hour of video, and a bound on what a
// damaged file of many tiny chunks can make the reader hold.
constexpr size_t kMaxFrames = 4000000;

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
bool Is(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

uint64_t DibStride(uint64_t width) {
    return (width * 3 + 3) & ~uint64_t{3};
}

} // namespace

AviReader::~AviReader() {
    Close();
}

void AviReader::Close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_data = nullptr;
    m_size = 0;
    m_error.clear();
    m_width = m_height = 0;
    m_topDown = m_mjpeg = false;
    m_videoStream = -1;
    m_streams = 0;
    m_fps = m_headerFps = 0;
    m_declared = 0;
    m_frames.clear();
    m_payload.clear();
}

bool AviReader::Fail(const char* why) {
    m_error = why;
    return false;
}

bool AviReader::Open(const std::string& path) {
    Close();
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        return Fail("the file cannot be opened");
    if (std::fseek(m_file, 0, SEEK_END) != 0)
        return Fail("the file cannot be read");
    const long size = std::ftell(m_file);
    if (size < 0)
        return Fail("the file cannot be read");
    m_size = static_cast<uint64_t>(size);
    return Parse();
}

bool AviReader::OpenMemory(const uint8_t* data, size_t size) {
    Close();
    m_data = data;
    m_size = data ? size : 0;
    return Parse();
}

bool AviReader::ReadAt(uint64_t offset, void* out, size_t size) {
    if (size > m_size || offset > m_size - size)
        return false;
    if (m_data) {
        std::memcpy(out, m_data + offset, size);
        return true;
    }
    return m_file && std::fseek(m_file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(out, 1, size, m_file) == size;
}

bool AviReader::ReadChunk(uint64_t pos, Chunk& chunk) {
    uint8_t c[8];
    if (!ReadAt(pos, c, 8))
        return false;
    std::memcpy(chunk.id, c, 4);
    chunk.size = Get32(c + 4);
    chunk.dataBegin = pos + 8;
    chunk.dataEnd = chunk.dataBegin + chunk.size;
    return true;
}

bool AviReader::Parse() {
    uint8_t h[12];
    if (!ReadAt(0, h, 12) || !Is(h, "RIFF") || !Is(h + 8, "AVI "))
        return Fail("not an AVI file");
    // A writer that was killed leaves the sizes it fills in at the end as zero: then the
    // file's own end stands for them.
    uint64_t riffEnd = 8 + uint64_t{Get32(h + 4)};
    if (riffEnd < 12 || riffEnd > m_size)
        riffEnd = m_size;
    bool haveHeader = false;
    uint64_t moviBegin = 0, moviEnd = 0;
    bool haveMovi = false;
    uint64_t pos = 12;
    while (pos + 8 <= riffEnd) {
        Chunk chunk;
        if (!ReadChunk(pos, chunk))
            break;
        uint64_t end = chunk.dataEnd;
        uint8_t type[4];
        if (Is(chunk.id, "LIST") && ReadAt(chunk.dataBegin, type, 4)) {
            if (Is(type, "movi") && !haveMovi) {
                if (chunk.size < 4 || end > riffEnd)
                    end = riffEnd; // unfinished: the list runs to the end of the file
                haveMovi = true;
                moviBegin = chunk.dataBegin + 4;
                moviEnd = end;
            } else if (Is(type, "hdrl") && chunk.size >= 4 && !haveHeader) {
                haveHeader = true;
                ParseHeaderList(chunk.dataBegin + 4, end < riffEnd ? end : riffEnd);
            }
        }
        if (end >= riffEnd)
            break;
        pos = chunk.Next();
    }
    if (!haveHeader || m_videoStream < 0)
        return Fail("the file has no video stream");
    if (m_width <= 0 || m_height <= 0)
        return Fail("the video stream's format is not supported");
    m_fps = m_fps > 0 ? m_fps : m_headerFps;
    if (!(m_fps >= 0.01 && m_fps <= 1000))
        return Fail("the video stream has no frame rate");
    if (haveMovi)
        WalkMovi(moviBegin, moviEnd);
    return true;
}

bool AviReader::ParseHeaderList(uint64_t begin, uint64_t end) {
    uint64_t pos = begin;
    while (pos + 8 <= end) {
        Chunk chunk;
        if (!ReadChunk(pos, chunk))
            return false;
        if (chunk.dataEnd > end)
            return false;
        uint8_t c[40];
        if (Is(chunk.id, "avih") && chunk.size >= 40 && ReadAt(chunk.dataBegin, c, 40)) {
            const uint32_t microseconds = Get32(c);
            m_headerFps = microseconds ? 1e6 / microseconds : 0;
            m_declared = static_cast<long>(Get32(c + 16) & 0x7FFFFFFF);
        } else if (Is(chunk.id, "LIST") && chunk.size >= 4 && ReadAt(chunk.dataBegin, c, 4) &&
                   Is(c, "strl")) {
            ParseStreamList(chunk.dataBegin + 4, chunk.dataEnd, m_streams++);
        }
        pos = chunk.Next();
    }
    return true;
}

bool AviReader::ParseStreamList(uint64_t begin, uint64_t end, int stream) {
    uint8_t strh[36];
    uint8_t strf[40];
    bool haveStrh = false, haveStrf = false;
    uint64_t pos = begin;
    while (pos + 8 <= end) {
        Chunk chunk;
        if (!ReadChunk(pos, chunk) || chunk.dataEnd > end)
            break;
        if (Is(chunk.id, "strh") && chunk.size >= sizeof strh && !haveStrh)
            haveStrh = ReadAt(chunk.dataBegin, strh, sizeof strh);
        else if (Is(chunk.id, "strf") && chunk.size >= sizeof strf && !haveStrf)
            haveStrf = ReadAt(chunk.dataBegin, strf, sizeof strf);
        pos = chunk.Next();
    }
    if (!haveStrh || !Is(strh, "vids") || m_videoStream >= 0 || stream > 99)
        return false;
    m_videoStream = stream;
    if (!haveStrf)
        return false;
    const uint32_t scale = Get32(strh + 20), rate = Get32(strh + 24);
    if (scale && rate)
        m_fps = static_cast<double>(rate) / scale;
    if (const uint32_t length = Get32(strh + 32) & 0x7FFFFFFF)
        m_declared = static_cast<long>(length);
    const int64_t width = static_cast<int32_t>(Get32(strf + 4));
    int64_t height = static_cast<int32_t>(Get32(strf + 8));
    const uint16_t bits = Get16(strf + 14);
    const uint8_t* compression = strf + 16;
    m_topDown = height < 0;
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;
    if (Is(compression, "MJPG") || Is(compression, "mjpg"))
        m_mjpeg = true;
    else if (Get32(compression) != 0 || bits != 24)
        return false; // only 24-bit device-independent bitmaps besides Motion-JPEG
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
}

void AviReader::WalkMovi(uint64_t begin, uint64_t end) {
    const char tens = static_cast<char>('0' + m_videoStream / 10);
    const char ones = static_cast<char>('0' + m_videoStream % 10);
    uint64_t pos = begin;
    while (pos + 8 <= end && m_frames.size() < kMaxFrames) {
        Chunk chunk;
        if (!ReadChunk(pos, chunk))
            break;
        if (Is(chunk.id, "LIST") && chunk.size >= 4) {
            pos = chunk.dataBegin + 4; // a 'rec ' group: its chunks are the movi list's
            continue;
        }
        if (chunk.dataEnd > end)
            break; // cut off by the end of the file: not whole
        const uint8_t* c = chunk.id;
        if (c[0] == tens && c[1] == ones && c[2] == 'd' && (c[3] == 'c' || c[3] == 'b')) {
            if (chunk.size > 0)
                m_frames.push_back({chunk.dataBegin, chunk.size});
            else if (!m_frames.empty())
                m_frames.push_back(m_frames.back()); // an empty chunk repeats the last frame
        }
        pos = chunk.Next();
    }
}

bool AviReader::ReadFrame(long index, std::vector<uint8_t>& bgr, int* width, int* height) {
    if (index < 0 || index >= Frames())
        return false;
    const Frame& f = m_frames[static_cast<size_t>(index)];
    m_payload.resize(f.size);
    if (!ReadAt(f.offset, m_payload.data(), m_payload.size()))
        return false;
    if (m_mjpeg)
        return DecodeJpegFrame(m_payload.data(), m_payload.size(), kMaxSide, bgr, width, height);
    const uint64_t stride = DibStride(static_cast<uint64_t>(m_width));
    const uint64_t rows = static_cast<uint64_t>(m_height);
    if (m_payload.size() < stride * rows)
        return false;
    const size_t rowBytes = static_cast<size_t>(m_width) * 3;
    bgr.resize(rowBytes * rows);
    for (uint64_t y = 0; y < rows; ++y) {
        const uint64_t source = m_topDown ? y : rows - 1 - y;
        std::memcpy(bgr.data() + y * rowBytes, m_payload.data() + source * stride, rowBytes);
    }
    *width = m_width;
    *height = m_height;
    return true;
}

} // namespace ms::avi
