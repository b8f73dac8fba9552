// Recordings for the player's tests. WriteRecording: 40.0 s of Motion-JPEG at 4 frames a
// second written by another program's writer (OpenCV's), small so that it is quick to write
// and read, each frame a colour of its own.
#pragma once

#include "imaging/AviWriter.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <opencv2/videoio.hpp>
#include <string>
#include <vector>

inline void WriteRecording(const std::string& path) {
    cv::VideoWriter w(path, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 4.0, cv::Size(32, 24));
    ASSERT_TRUE(w.isOpened());
    for (int i = 0; i < 160; ++i)
        w.write(cv::Mat(24, 32, CV_8UC3, cv::Scalar(i, 255 - i, 80)));
}

// A recording whose writer was killed after `frames` frames of 32x24 Motion-JPEG at 4 frames a
// second: its header still declares no frame, it has no index, and the last `cut` bytes are
// gone (a kill in the middle of a write). Made by copying what our writer has put on disk
// before it finished the file.
inline void WriteKilledRecording(const std::string& path, int frames, int cut) {
    namespace fs = std::filesystem;
    const std::string scratch = path + ".writing";
    ms::avi::AviWriter writer;
    ms::avi::AviWriter::Format format;
    format.width = 32;
    format.height = 24;
    format.framesPerSecond = 4;
    format.codec = ms::avi::AviWriter::Codec::Mjpeg;
    ASSERT_TRUE(writer.Open(scratch, format));
    std::vector<uint8_t> bits(96 * 24);
    for (int i = 0; i < frames; ++i) {
        for (size_t p = 0; p < bits.size(); p += 3) {
            bits[p] = static_cast<uint8_t>(i);
            bits[p + 1] = static_cast<uint8_t>(255 - i);
            bits[p + 2] = 80;
        }
        ASSERT_TRUE(writer.WriteFrame(bits.data(), static_cast<long>(bits.size()), 96));
    }
    fs::copy_file(scratch, path, fs::copy_options::overwrite_existing);
    writer.Close();
    fs::remove(scratch);
    fs::resize_file(path, fs::file_size(path) - static_cast<uintmax_t>(cut));
}
