// The Hough search of the straight-edge detection, shared with its test.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

namespace dibdetect {

// The segments of cv::HoughLinesP (rho 1, theta 1 degree, no minimum length, gap 100) at the
// highest threshold from maxThreshold down to minThreshold that yields any; none when no
// threshold does. Same result as trying every threshold from the top down.
std::vector<cv::Vec4i> HoughAtHighestThreshold(const cv::Mat& image, int maxThreshold,
                                               int minThreshold);

} // namespace dibdetect
