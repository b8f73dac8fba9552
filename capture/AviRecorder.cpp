#include "capture/AviRecorder.h"

#include "capture/RecorderSettingDlg.h"

#include "platform/capture/Backend.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <QLoggingCategory>

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <memory>
#include <mutex>
#include <string>

std::atomic<int> g_recording{0};
std::atomic<int> g_recordFrameCount{0};
WCHAR g_aviPath[MAX_PATH];

namespace {

Q_LOGGING_CATEGORY(lcRecord, "ms.capture.record")

std::mutex g_aviLock;                         // the writer and the upright frame
std::unique_ptr<cv::VideoWriter> g_aviWriter; // null when no writer is open
cv::Mat g_uprightFrame;                       // reused for every frame

std::unique_ptr<cv::VideoWriter> CreateWriter(const std::string& path, bool compress) {
    const cv::Size size(kAviWidth, kAviHeight);
    // Motion-JPEG, or raw frames (fourcc 0) for an uncompressed recording. OpenCV's own
    // Motion-JPEG writer stands in where FFmpeg has none.
    const int fourcc = compress ? cv::VideoWriter::fourcc('M', 'J', 'P', 'G') : 0;
    for (int api : {cv::CAP_FFMPEG, compress ? cv::CAP_OPENCV_MJPEG : cv::CAP_FFMPEG}) {
        try {
            auto writer = std::make_unique<cv::VideoWriter>(path, api, fourcc, kAviFramesPerSecond,
                                                            size, true);
            if (writer->isOpened())
                return writer;
        } catch (const cv::Exception& e) {
            qCWarning(lcRecord) << "record: the video writer failed:" << e.what();
        }
    }
    return nullptr;
}

} // namespace

int OpenAviWriter() {
    const std::string path = ms::ToUtf8(g_aviPath);
    const bool compress = g_recordCompress != 0;
    // Created outside the lock: opening may take a while and no frame can need it yet.
    std::unique_ptr<cv::VideoWriter> writer = path.empty() ? nullptr : CreateWriter(path, compress);
    if (!writer)
        qCWarning(lcRecord) << "record: cannot create" << path.c_str();
    std::lock_guard lock(g_aviLock);
    g_aviWriter = std::move(writer);
    if (g_aviWriter && g_uprightFrame.empty())
        g_uprightFrame.create(kAviHeight, kAviWidth, CV_8UC3);
    return g_aviWriter ? 1 : 0;
}

int WriteAviFrame(long length, const BYTE* rows, int width, int height) {
    if (!rows || width != kAviWidth || height != kAviHeight)
        return 0;
    const long stride = ms::capture::Rgb24Stride(width);
    if (length < stride * height)
        return 0;
    std::lock_guard lock(g_aviLock);
    if (!g_aviWriter)
        return 0;
    // The capture's rows run bottom-up; the writer wants them top-down.
    const cv::Mat bottomUp(height, width, CV_8UC3, const_cast<BYTE*>(rows),
                           static_cast<size_t>(stride));
    cv::flip(bottomUp, g_uprightFrame, 0);
    try {
        g_aviWriter->write(g_uprightFrame);
    } catch (const cv::Exception& e) {
        qCWarning(lcRecord) << "record: a frame was not written:" << e.what();
        return 0;
    }
    return 1;
}

int CloseAviWriter(WCHAR* thumbnail) {
    std::unique_ptr<cv::VideoWriter> writer;
    {
        std::lock_guard lock(g_aviLock);
        writer = std::move(g_aviWriter);
    }
    if (thumbnail)
        swprintf(thumbnail, MAX_PATH, u"%s%s", g_aviPath, u".bmp");
    if (!writer)
        return 0;
    // Finishing the file (its index) happens outside the lock: the streaming thread already
    // finds no writer.
    writer->release();
    return 1;
}

int IsAviWriterOpen() {
    std::lock_guard lock(g_aviLock);
    return g_aviWriter ? 1 : 0;
}
