#include "capture/AviRecorder.h"

#include "capture/RecorderSettingDlg.h"

#include "imaging/AviWriter.h"

#include "platform/capture/Backend.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <QLoggingCategory>

#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

std::atomic<int> g_recording{0};
std::atomic<int> g_recordFrameCount{0};
WCHAR g_aviPath[MAX_PATH];

namespace {

Q_LOGGING_CATEGORY(lcRecord, "ms.capture.record")

// A jump of the sample times larger than this (or backwards) is a clock that started again,
// not a camera that stalled: the frame takes the next slot instead of filling the gap.
constexpr double kLargestGapSeconds = 60.0;
// Sample times a hair before their slot still take it (times sum in floating point).
constexpr double kSlotTolerance = 1e-3;
constexpr int kJpegQuality = 85;

// What the streaming thread and the user-interface thread share, under g_aviLock.
struct Recording {
    std::unique_ptr<ms::avi::AviWriter> writer; // null when no writer exists
    std::string path;
    bool paced = false; // the first frame set the clock
    double firstTime = 0, lastTime = 0;
    std::string error; // why the last open or the writer failed
};

std::mutex g_aviLock;
Recording g_avi;

} // namespace

int OpenAviWriter() {
    const std::string path = ms::ToUtf8(g_aviPath);
    ms::avi::AviWriter::Format format;
    format.width = kAviWidth;
    format.height = kAviHeight;
    format.framesPerSecond = static_cast<int>(kAviFramesPerSecond);
    format.codec =
        g_recordCompress ? ms::avi::AviWriter::Codec::Mjpeg : ms::avi::AviWriter::Codec::Dib24;
    format.jpegQuality = kJpegQuality;
    // Created outside the lock: no frame can need it yet.
    auto writer = std::make_unique<ms::avi::AviWriter>();
    std::string error;
    if (path.empty() || !writer->Open(path, format)) {
        error = path.empty() ? std::string("no file name") : writer->Error();
        qCWarning(lcRecord) << "record: cannot create" << path.c_str() << error.c_str();
        writer.reset();
    }
    std::lock_guard lock(g_aviLock);
    g_avi.writer = std::move(writer);
    g_avi.path = path;
    g_avi.paced = false;
    g_avi.error = error;
    return g_avi.writer ? 1 : 0;
}

int WriteAviFrame(long length, const BYTE* rows, int width, int height, double sampleTime) {
    if (!rows || width != kAviWidth || height != kAviHeight)
        return 0;
    const long stride = ms::capture::Rgb24Stride(width);
    if (length < stride * height)
        return 0;
    std::lock_guard lock(g_aviLock);
    ms::avi::AviWriter* writer = g_avi.writer.get();
    if (!writer || !writer->IsOpen())
        return 0;
    const long written = writer->Frames();
    if (!g_avi.paced) {
        g_avi.paced = true;
        g_avi.firstTime = sampleTime;
    } else if (sampleTime < g_avi.lastTime || sampleTime - g_avi.lastTime > kLargestGapSeconds) {
        g_avi.firstTime = sampleTime - written / kAviFramesPerSecond;
    }
    g_avi.lastTime = sampleTime;
    // Slots 0 .. due-1 have begun by this frame's time.
    const double due =
        std::floor((sampleTime - g_avi.firstTime) * kAviFramesPerSecond + kSlotTolerance) + 1;
    if (due <= static_cast<double>(written))
        return 0; // before its slot
    int frames = 0;
    for (double slot = static_cast<double>(written) + 1; slot < due && writer->RepeatFrame();
         ++slot)
        ++frames;
    if (!writer->Failed() && writer->WriteFrame(rows, length, stride))
        ++frames;
    if (writer->Failed()) {
        // Finish the file now with what was written whole; the owner of the recording learns
        // why from GetAviWriterError and stops it.
        writer->Close();
        g_avi.error = writer->Error();
        qCWarning(lcRecord) << "record: writing" << g_avi.path.c_str()
                            << "failed:" << g_avi.error.c_str();
    }
    return frames;
}

int CloseAviWriter(WCHAR* thumbnail) {
    std::unique_ptr<ms::avi::AviWriter> writer;
    std::string path;
    {
        std::lock_guard lock(g_aviLock);
        writer = std::move(g_avi.writer);
        path = g_avi.path;
    }
    if (thumbnail)
        swprintf(thumbnail, MAX_PATH, u"%s%s", g_aviPath, u".bmp");
    if (!writer)
        return 0;
    // Finishing the file (its index) happens outside the lock: the streaming thread already
    // finds no writer.
    if (writer->IsOpen() && !writer->Close()) {
        std::lock_guard lock(g_aviLock);
        g_avi.error = writer->Error();
        qCWarning(lcRecord) << "record: closing" << path.c_str()
                            << "failed:" << g_avi.error.c_str();
    }
    if (writer->Failed() && writer->Frames() == 0) {
        // Nothing to play: neither the file nor its picture stays to be listed.
        std::error_code ec;
        std::filesystem::remove(path, ec);
        std::filesystem::remove(path + ".bmp", ec);
        return 0;
    }
    return 1;
}

int IsAviWriterOpen() {
    std::lock_guard lock(g_aviLock);
    return g_avi.writer ? 1 : 0;
}

int GetAviWriterError(WCHAR* reason, int count) {
    std::lock_guard lock(g_aviLock);
    if (g_avi.error.empty())
        return 0;
    if (reason && count > 0)
        ms::CopyBounded(reason, static_cast<size_t>(count), ms::FromUtf8(g_avi.error));
    return 1;
}
