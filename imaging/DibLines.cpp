// libDibLines.so: the segment search of the edge detection over OpenCV (DibLines.h).
#include "imaging/DibLines.h"
#include "imaging/DibHough.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

// The segments of the probabilistic Hough transform at the highest accumulator threshold,
// from maxThreshold down to minThreshold, that yields any.
//
// Until the transform finds its first line it neither removes points nor changes its random
// order, so a run at threshold T finds a line exactly when the full accumulator of all points
// reaches T somewhere. "Finds something" is therefore monotone in T, and a binary search gives
// the same threshold, and the same segments, as trying every T from the top down, with a
// dozen transforms instead of hundreds.
std::vector<cv::Vec4i> dibdetect::HoughAtHighestThreshold(const cv::Mat& image, int maxThreshold,
                                                          int minThreshold) {
    std::vector<cv::Vec4i> found;
    if (maxThreshold < minThreshold || cv::countNonZero(image) == 0)
        return found;
    auto run = [&](int threshold) {
        std::vector<cv::Vec4i> lines;
        cv::HoughLinesP(image, lines, 1.0, CV_PI / 180, threshold, 0, 100.0);
        return lines;
    };
    int lo = minThreshold, hi = maxThreshold; // the answer, if any, lies in [lo, hi]
    found = run(lo);
    if (found.empty())
        return found;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        std::vector<cv::Vec4i> lines = run(mid);
        if (lines.empty()) {
            hi = mid - 1;
        } else {
            lo = mid;
            found = std::move(lines);
        }
    }
    return found;
}
extern "C" __attribute__((visibility("default"))) int
DibLinesFind(const unsigned char* pixels, int width, int height, int stride, int dilate,
             int maxThreshold, int minThreshold, int* segments, int capacity) {
    if (!pixels || width <= 0 || height <= 0 || stride < width || capacity < 0 ||
        (capacity > 0 && !segments))
        return -1;
    try {
        // OpenCV only reads the picture; its header takes a non-const pointer.
        const cv::Mat image(height, width, CV_8UC1, const_cast<unsigned char*>(pixels),
                            static_cast<size_t>(stride));
        cv::Mat dilated;
        if (dilate)
            cv::dilate(image, dilated, cv::Mat());
        const std::vector<cv::Vec4i> found = dibdetect::HoughAtHighestThreshold(
            dilate ? dilated : image, maxThreshold, minThreshold);
        const size_t written = std::min(found.size(), static_cast<size_t>(capacity));
        for (size_t i = 0; i < written; ++i)
            for (int k = 0; k < 4; ++k)
                segments[4 * i + static_cast<size_t>(k)] = found[i][k];
        return static_cast<int>(found.size());
    } catch (...) {
        // No exception crosses into the caller's code (a memory shortage, an OpenCV error).
        return -1;
    }
}
