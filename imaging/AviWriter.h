// AviWriter: writes one video stream as an AVI 1.0 file (RIFF 'AVI ' with hdrl, a movi list
// of frame chunks and the idx1 index), in Motion-JPEG or as uncompressed 24-bit DIB frames.
//
// The header goes out at Open with the counts left at zero and is finished at Close, so a file
// whose writer was killed still holds every frame written up to then in its movi list (the
// reader walks it). Every write is checked: the first one that fails puts the writer in its
// failed state with the reason in Error(); Close then finishes the file with the frames that
// were written whole, dropping the last ones if the index needs their room, so a full disk
// still leaves a playable file. Files stay below 1 GB (no OpenDML index is written); a frame
// that would cross that fails like a full disk. Not thread-safe: one owner at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ms::avi {

class AviWriter {
public:
    enum class Codec { Dib24, Mjpeg };
    struct Format {
        int width = 0, height = 0;
        int framesPerSecond = 15;
        Codec codec = Codec::Dib24;
        int jpegQuality = 85;
    };

    AviWriter() = default;
    ~AviWriter(); // closes as Close does
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Creates `path` (UTF-8; an existing file is replaced) and writes the header. False with
    // Error() set when the file cannot be created or its header cannot be written; then no
    // file is left behind.
    bool Open(const std::string& path, const Format& format);
    // Appends one frame of the format's size: `stride`-byte bottom-up rows of blue-green-red
    // pixels (`length` bytes at `rows`, never read past). False for a frame that does not fit
    // the format (the writer stays usable) and for a failed write (the writer fails).
    bool WriteFrame(const uint8_t* rows, long length, long stride);
    // Appends the last frame once more (a time slot the source missed). False without one.
    bool RepeatFrame();
    // Finishes the file: index and header for the frames held. False when a write failed at
    // any time (Error() says why; the frames written whole stay a playable file) or the close
    // failed. Nothing happens without an open file.
    bool Close();

    bool IsOpen() const { return m_file != nullptr; }
    bool Failed() const { return !m_error.empty(); }
    // Why the writer failed: "<reason>", e.g. "No space left on device"; empty while it works.
    const std::string& Error() const { return m_error; }
    // Frames in the file (repeats included).
    long Frames() const { return static_cast<long>(m_index.size()); }

    // Test seam: files opened afterwards behave as if the disk had room for `bytes` bytes
    // (negative: no limit). A write that would grow a file past it writes what fits and fails
    // with "No space left on device"; a file cut shorter frees its room again.
    static void SetTestDiskSpace(long long bytes);

private:
    struct IndexEntry {
        uint32_t offset; // from the 'movi' fourcc, as idx1 counts
        uint32_t size;
    };
    bool Append(const void* data, size_t size);
    bool AppendChunk(); // m_chunk
    bool WriteAt(long long offset, const void* data, size_t size);
    bool Finish();
    void Fail(int error);

    std::FILE* m_file = nullptr;
    std::string m_path;
    Format m_format;
    long long m_space = -1;   // the test seam's room, or -1
    long long m_end = 0;      // the file's length as written
    long long m_goodEnd = 0;  // the end of the last frame written whole
    long long m_moviList = 0; // offset of the movi list's 'LIST'
    std::vector<IndexEntry> m_index;
    std::vector<uint8_t> m_chunk; // the last frame's chunk (header and payload), for repeats
    // The frame being encoded. Kept between frames, as m_chunk is, so a frame reuses memory
    // that is already there instead of taking fresh pages from the system each time.
    std::vector<uint8_t> m_payload;
    std::string m_error;
};

} // namespace ms::avi
