// The test camera itself: it serves a motion-JPEG stream that a video library reads at the
// address the program's own settings give, its frame size follows the form's video_idx, its
// request log records what it was asked with the credentials, and its failing modes fail as
// they say. Everything goes to 127.0.0.1.
#include "tests/wifi/TestCameraProcess.h"
#include "wifi/CameraLink.h"

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using ms::test::TestCameraOptions;
using ms::test::TestCameraProcess;

// The status line of one plain GET to 127.0.0.1, with basic authentication "opera:tulip";
// "" when the connection fails, "timeout" when no answer comes within the limit.
std::string Get(int port, const std::string& target, int timeoutMs = 3000) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return "";
    }
    const std::string request = "GET " + target +
                                " HTTP/1.0\r\nHost: 127.0.0.1\r\n"
                                "Authorization: Basic b3BlcmE6dHVsaXA=\r\n\r\n";
    (void)!write(fd, request.data(), request.size());
    char buf[256] = {};
    const ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0)
        return "timeout";
    std::string answer(buf, static_cast<size_t>(n));
    return answer.substr(0, answer.find("\r\n"));
}

std::string PathOf(const std::string& url) {
    const auto slash = url.find('/', 7);
    return slash == std::string::npos ? "/" : url.substr(slash);
}

cv::Mat FirstFrame(const std::string& url) {
    cv::VideoCapture capture(url, cv::CAP_FFMPEG);
    cv::Mat frame;
    for (int i = 0; i < 3 && capture.isOpened(); ++i)
        if (capture.read(frame) && !frame.empty())
            break;
    return frame;
}

TEST(TestCameraTest, ServesAStreamThatAVideoLibraryReadsInTheSizeOfTheForm) {
    TestCameraProcess camera("normal");
    ASSERT_TRUE(camera.Ready());
    const CameraLink link = ReadCameraLink();
    ASSERT_EQ(link.address, "127.0.0.1");

    cv::Mat frame = FirstFrame(StreamUrl(link) + "/");
    ASSERT_FALSE(frame.empty());
    EXPECT_EQ(frame.cols, 640);
    EXPECT_EQ(frame.rows, 480);

    // The form switches the size; the command endpoint answers a picture setting.
    EXPECT_EQ(Get(link.httpPort, PathOf(ResolutionUrl(link, 4))), "HTTP/1.0 200 OK");
    EXPECT_EQ(Get(link.streamPort, PathOf(CommandUrl(link, 2, -7))), "HTTP/1.0 200 OK");
    frame = FirstFrame(StreamUrl(link) + "/");
    ASSERT_FALSE(frame.empty());
    EXPECT_EQ(frame.cols, 1280);
    EXPECT_EQ(frame.rows, 1024);
    EXPECT_EQ(Get(link.httpPort, "/apply.cgi?video_idx=9"), "HTTP/1.0 400 Bad Request");

    const std::string log = camera.Log();
    EXPECT_NE(log.find("\"video_idx\": \"4\""), std::string::npos);
    EXPECT_NE(log.find("\"auth\": \"opera:tulip\""), std::string::npos);
    EXPECT_NE(log.find("\"value\": \"-7\""), std::string::npos);
}

TEST(TestCameraTest, FailingModesRefuseStayMuteOrDemandAuthentication) {
    {
        TestCameraProcess camera("refuse");
        ASSERT_TRUE(camera.Ready());
        EXPECT_EQ(Get(ReadCameraLink().streamPort, "/"), "");
    }
    {
        TestCameraProcess camera("silent");
        ASSERT_TRUE(camera.Ready());
        EXPECT_EQ(Get(ReadCameraLink().streamPort, "/", 500), "timeout");
    }
    {
        TestCameraProcess camera("unauthorized");
        ASSERT_TRUE(camera.Ready());
        EXPECT_EQ(Get(ReadCameraLink().httpPort, "/apply.cgi?video_idx=3"),
                  "HTTP/1.0 401 Unauthorized");
    }
}

TEST(TestCameraTest, EndsByItselfAfterItsLifetime) {
    TestCameraProcess camera(TestCameraOptions{.mode = "normal", .lifetime = 1.0});
    ASSERT_TRUE(camera.Ready());
    int status = 0;
    pid_t done = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((done = waitpid(camera.Pid(), &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(done, camera.Pid());
    if (done == camera.Pid())
        camera.Forget();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
