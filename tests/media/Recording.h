// A recording for the player's tests: 40.0 s of Motion-JPEG at 4 frames a second, small so that
// it is quick to write and read, each frame a colour of its own.
#pragma once

#include <gtest/gtest.h>
#include <opencv2/videoio.hpp>
#include <string>

inline void WriteRecording(const std::string& path) {
    cv::VideoWriter w(path, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 4.0, cv::Size(32, 24));
    ASSERT_TRUE(w.isOpened());
    for (int i = 0; i < 160; ++i)
        w.write(cv::Mat(24, 32, CV_8UC3, cv::Scalar(i, 255 - i, 80)));
}
