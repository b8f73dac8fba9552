// AviReader: reads the video stream of an AVI file (Motion-JPEG or uncompressed 24-bit DIB
// frames), ours or another program's.
//
// The frames are found by walking the movi list, not by trusting the header's count or the
// idx1 index, so a file whose writer was killed before finishing them (counts of zero, no
// index, a list that runs to the end of the file) plays every frame it holds whole. Every
// size and offset is checked against the file: damaged input gives false and an error text,
// never a read outside the file or the buffer. Not thread-safe: one user at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ms::avi {

class AviReader {
public:
    // Pictures wider or higher than this are refused.
    static constexpr int kMaxSide = 8192;

    AviReader() = default;
    ~AviReader();
    AviReader(const AviReader&) = delete;
    AviReader& operator=(const AviReader&) = delete;

    // Opens the file at `path` (UTF-8) and finds its frames. False, with Error(), for a file
    // that cannot be opened, is no AVI or has no video stream this reader decodes. A file that
    // holds no frame opens (Frames() is 0).
    bool Open(const std::string& path);
    // The same over `size` bytes at `data`, borrowed until Close or the next Open.
    bool OpenMemory(const uint8_t* data, size_t size);
    void Close();

    const std::string& Error() const { return m_error; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    double FramesPerSecond() const { return m_fps; }
    bool IsMotionJpeg() const { return m_mjpeg; }
    // The frames the file holds whole, and the count its header declares (zero after a kill).
    long Frames() const { return static_cast<long>(m_frames.size()); }
    long DeclaredFrames() const { return m_declared; }

    // Decodes frame `index` into top-down blue-green-red rows of width * 3 bytes in `bgr`
    // (replaced), with its size. False for an index outside the file or a frame that cannot
    // be read or decoded.
    bool ReadFrame(long index, std::vector<uint8_t>& bgr, int* width, int* height);

private:
    struct Frame {
        uint64_t offset; // of the payload
        uint32_t size;
    };
    // A chunk's header: its four-character code and where its data lies. The next chunk
    // starts after the data and its pad byte (sizes are odd where the data is).
    struct Chunk {
        uint8_t id[4];
        uint32_t size;
        uint64_t dataBegin, dataEnd;
        uint64_t Next() const { return dataEnd + (size & 1); }
    };
    bool Parse();
    bool ReadAt(uint64_t offset, void* out, size_t size);
    bool ReadChunk(uint64_t pos, Chunk& chunk);
    bool ParseHeaderList(uint64_t begin, uint64_t end);
    bool ParseStreamList(uint64_t begin, uint64_t end, int stream);
    void WalkMovi(uint64_t begin, uint64_t end);
    bool Fail(const char* why);

    std::FILE* m_file = nullptr;
    const uint8_t* m_data = nullptr; // OpenMemory's bytes, borrowed
    uint64_t m_size = 0;
    std::string m_error;
    int m_width = 0, m_height = 0;
    bool m_topDown = false;
    bool m_mjpeg = false;
    int m_videoStream = -1; // the first video stream: its chunks are "NNdc"/"NNdb"
    int m_streams = 0;
    double m_fps = 0;
    double m_headerFps = 0; // from avih, when the stream header has no rate
    long m_declared = 0;
    std::vector<Frame> m_frames;
    std::vector<uint8_t> m_payload; // reused for every frame
};

} // namespace ms::avi
