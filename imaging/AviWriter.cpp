#include "imaging/AviWriter.h"

#include "imaging/AviJpeg.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace ms::avi {

namespace {

std::atomic<long long> g_testDiskSpace{-1};

// AVI 1.0 keeps its sizes in 32 bits and many readers stop at 1 GB without an OpenDML index.
constexpr long long kLargestFile = 1LL << 30;
constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAviifKeyframe = 0x10;
// Offsets of the header written by BuildHeader.
constexpr long long kMoviList = 212; // 'LIST' of the movi list
constexpr long long kHeaderSize = kMoviList + 12;

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void PutId(std::vector<uint8_t>& v, const char* id) {
    v.insert(v.end(), id, id + 4);
}

long DibStride(int width) {
    return (static_cast<long>(width) * 3 + 3) & ~3L;
}

const char* ChunkId(AviWriter::Codec codec) {
    // Compressed frames are 'dc' chunks, device-independent bitmaps 'db' chunks.
    return codec == AviWriter::Codec::Mjpeg ? "00dc" : "00db";
}

// The RIFF header up to the movi list's type. `frames`, `riffSize`, `moviSize` and `largest`
// are zero in the header written at the start, as a reader finds them after a kill.
std::vector<uint8_t> BuildHeader(const AviWriter::Format& f, uint32_t frames, uint32_t riffSize,
                                 uint32_t moviSize, uint32_t largest) {
    const bool mjpeg = f.codec == AviWriter::Codec::Mjpeg;
    const uint32_t imageSize = static_cast<uint32_t>(DibStride(f.width) * f.height);
    std::vector<uint8_t> h;
    h.reserve(kHeaderSize);
    PutId(h, "RIFF");
    Put32(h, riffSize);
    PutId(h, "AVI ");
    PutId(h, "LIST");
    Put32(h, 192);
    PutId(h, "hdrl");
    PutId(h, "avih");
    Put32(h, 56);
    Put32(h, static_cast<uint32_t>(1000000 / f.framesPerSecond));
    Put32(h, largest * static_cast<uint32_t>(f.framesPerSecond)); // max bytes per second
    Put32(h, 0);                                                  // padding granularity
    Put32(h, kAvifHasIndex);
    Put32(h, frames);
    Put32(h, 0); // initial frames
    Put32(h, 1); // streams
    Put32(h, largest);
    Put32(h, static_cast<uint32_t>(f.width));
    Put32(h, static_cast<uint32_t>(f.height));
    for (int i = 0; i < 4; ++i)
        Put32(h, 0);
    PutId(h, "LIST");
    Put32(h, 116);
    PutId(h, "strl");
    PutId(h, "strh");
    Put32(h, 56);
    PutId(h, "vids");
    PutId(h, mjpeg ? "MJPG" : "DIB ");
    Put32(h, 0); // flags
    Put16(h, 0); // priority
    Put16(h, 0); // language
    Put32(h, 0); // initial frames
    Put32(h, 1); // scale: the rate counts frames per second
    Put32(h, static_cast<uint32_t>(f.framesPerSecond));
    Put32(h, 0); // start
    Put32(h, frames);
    Put32(h, largest);
    Put32(h, 0xFFFFFFFF); // quality: the default
    Put32(h, 0);          // sample size: frames vary
    Put16(h, 0);
    Put16(h, 0);
    Put16(h, static_cast<uint16_t>(f.width));
    Put16(h, static_cast<uint16_t>(f.height));
    PutId(h, "strf");
    Put32(h, 40);
    Put32(h, 40);
    Put32(h, static_cast<uint32_t>(f.width));
    Put32(h, static_cast<uint32_t>(f.height)); // positive: bottom-up rows
    Put16(h, 1);
    Put16(h, 24);
    if (mjpeg)
        PutId(h, "MJPG");
    else
        Put32(h, 0); // BI_RGB
    Put32(h, imageSize);
    for (int i = 0; i < 4; ++i)
        Put32(h, 0);
    PutId(h, "LIST");
    Put32(h, moviSize);
    PutId(h, "movi");
    return h;
}

} // namespace

void AviWriter::SetTestDiskSpace(long long bytes) {
    g_testDiskSpace = bytes;
}

AviWriter::~AviWriter() {
    Close();
}

void AviWriter::Fail(int error) {
    if (m_error.empty())
        m_error = std::error_code(error ? error : EIO, std::generic_category()).message();
}

bool AviWriter::Append(const void* data, size_t size) {
    size_t allowed = size;
    if (m_space >= 0 && m_end + static_cast<long long>(size) > m_space)
        allowed = m_end < m_space ? static_cast<size_t>(m_space - m_end) : 0;
    errno = 0;
    const size_t written = allowed ? std::fwrite(data, 1, allowed, m_file) : 0;
    m_end += static_cast<long long>(written);
    if (written == size)
        return true;
    Fail(allowed < size ? ENOSPC : errno);
    return false;
}

bool AviWriter::WriteAt(long long offset, const void* data, size_t size) {
    errno = 0;
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fwrite(data, 1, size, m_file) != size) {
        Fail(errno);
        return false;
    }
    if (std::fseek(m_file, static_cast<long>(m_end), SEEK_SET) != 0) {
        Fail(errno);
        return false;
    }
    return true;
}

bool AviWriter::Open(const std::string& path, const Format& format) {
    Close();
    m_error.clear();
    m_index.clear();
    m_chunk.clear();
    m_end = m_goodEnd = 0;
    if (format.width <= 0 || format.height <= 0 || format.width > 65535 || format.height > 65535 ||
        format.framesPerSecond <= 0) {
        Fail(EINVAL);
        return false;
    }
    m_format = format;
    m_path = path;
    m_space = g_testDiskSpace.load();
    errno = 0;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        Fail(errno);
        return false;
    }
    // Each chunk goes out in one write, so a failure is known at the frame that caused it and
    // no buffered rest is written behind the writer's back later.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    const std::vector<uint8_t> header = BuildHeader(m_format, 0, 0, 0, 0);
    m_moviList = kMoviList;
    if (!Append(header.data(), header.size())) {
        std::fclose(m_file);
        m_file = nullptr;
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
        return false;
    }
    m_goodEnd = m_end;
    return true;
}

bool AviWriter::WriteFrame(const uint8_t* rows, long length, long stride) {
    if (!m_file || Failed() || !rows)
        return false;
    const int w = m_format.width, h = m_format.height;
    if (stride < 3L * w || length < 0 || static_cast<long long>(length) < 1LL * stride * h)
        return false;
    std::vector<uint8_t>& payload = m_payload;
    if (m_format.codec == Codec::Mjpeg) {
        if (!EncodeJpegFrame(rows, stride, w, h, m_format.jpegQuality, payload))
            return false;
    } else {
        const long dibStride = DibStride(w);
        payload.assign(static_cast<size_t>(dibStride) * static_cast<size_t>(h), 0);
        for (int y = 0; y < h; ++y)
            std::memcpy(payload.data() + static_cast<size_t>(y) * dibStride,
                        rows + static_cast<size_t>(y) * static_cast<size_t>(stride),
                        static_cast<size_t>(w) * 3);
    }
    m_chunk.clear();
    PutId(m_chunk, ChunkId(m_format.codec));
    Put32(m_chunk, static_cast<uint32_t>(payload.size()));
    m_chunk.insert(m_chunk.end(), payload.begin(), payload.end());
    if (m_chunk.size() & 1)
        m_chunk.push_back(0);
    return AppendChunk();
}

bool AviWriter::RepeatFrame() {
    if (!m_file || Failed() || m_chunk.empty())
        return false;
    return AppendChunk();
}

bool AviWriter::AppendChunk() {
    // Room for this chunk and the index that will follow it.
    const long long indexSize = 8 + 16 * (static_cast<long long>(m_index.size()) + 1);
    if (m_end + static_cast<long long>(m_chunk.size()) + indexSize > kLargestFile) {
        if (m_error.empty())
            m_error = "The file has reached the largest size of a video file (1 GB)";
        return false;
    }
    uint32_t size = 0;
    std::memcpy(&size, m_chunk.data() + 4, 4); // little-endian, as written
    const IndexEntry entry{static_cast<uint32_t>(m_end - (m_moviList + 8)), size};
    if (!Append(m_chunk.data(), m_chunk.size()))
        return false;
    m_goodEnd = m_end;
    m_index.push_back(entry);
    return true;
}

bool AviWriter::Finish() {
    const bool wasWorking = !Failed();
    std::error_code ec;
    // A failed write may have left part of a chunk behind the last whole frame.
    if (m_end != m_goodEnd) {
        std::filesystem::resize_file(m_path, static_cast<uintmax_t>(m_goodEnd), ec);
        m_end = m_goodEnd;
        std::fseek(m_file, static_cast<long>(m_end), SEEK_SET);
    }
    for (;;) {
        std::vector<uint8_t> idx;
        idx.reserve(8 + 16 * m_index.size());
        PutId(idx, "idx1");
        Put32(idx, static_cast<uint32_t>(16 * m_index.size()));
        for (const IndexEntry& e : m_index) {
            PutId(idx, ChunkId(m_format.codec));
            Put32(idx, kAviifKeyframe);
            Put32(idx, e.offset);
            Put32(idx, e.size);
        }
        if (Append(idx.data(), idx.size()))
            break;
        // No room for the index: the last frame gives up its room (a frame is far larger than
        // its index entry), and the index goes where that frame began.
        const bool dropped = !m_index.empty();
        if (dropped) {
            m_goodEnd = m_moviList + 8 + m_index.back().offset;
            m_index.pop_back();
        }
        std::filesystem::resize_file(m_path, static_cast<uintmax_t>(m_goodEnd), ec);
        m_end = m_goodEnd;
        std::fseek(m_file, static_cast<long>(m_end), SEEK_SET);
        if (!dropped)
            break; // not even an empty index fits: the header still tells the frames apart
    }
    uint32_t largest = 0;
    for (const IndexEntry& e : m_index)
        largest = std::max(largest, e.size);
    const long long moviEnd = m_goodEnd;
    const std::vector<uint8_t> header = BuildHeader(
        m_format, static_cast<uint32_t>(m_index.size()), static_cast<uint32_t>(m_end - 8),
        static_cast<uint32_t>(moviEnd - m_moviList - 8), largest);
    const bool patched = WriteAt(0, header.data(), header.size());
    return wasWorking && patched && !Failed();
}

bool AviWriter::Close() {
    if (!m_file)
        return false;
    bool ok = Finish();
    errno = 0;
    if (std::fclose(m_file) != 0) {
        Fail(errno);
        ok = false;
    }
    m_file = nullptr;
    m_chunk.clear();
    return ok;
}

} // namespace ms::avi
