// CPU per frame of the live view: the test camera streams 1280 x 1024 motion-JPEG, a player
// hands each frame to the video area, which paints it fitted into 640 x 480. Two figures per
// frame shown: the UI thread's CPU (the queued repaint and the painting: what the program adds
// to the library's decoding) and the whole process's CPU (decoding included).
//   live_stream_bench [--benchmark_min_time=20]
#include "wifi/CameraLink.h"
#include "wifi/LiveVideoWnd.h"
#include "wifi/StreamInstance.h"
#include "wifi/StreamMedia.h"
#include "wifi/StreamPlayer.h"

#include "platform/win/window/Application.h"
#include "platform/win/window/WinUser.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The test camera at 1280 x 1024 on free ports; its ports go into the program's settings.
pid_t StartCamera(const std::string& dir) {
    const std::string ready = dir + "/ready.json";
    std::filesystem::remove(ready);
    std::vector<std::string> args = {"python3",      MS_TEST_CAMERA, "--width",    "1280",
                                     "--height",     "1024",         "--lifetime", "600",
                                     "--ready-file", ready};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawnp(&pid, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    while (!std::filesystem::exists(ready))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream in(ready);
    std::string line;
    std::getline(in, line);
    auto field = [&](const char* name) {
        const auto at = line.find(std::string("\"") + name + "\": ");
        return std::atoi(line.c_str() + at + std::strlen(name) + 4);
    };
    setenv("WAVENOR_CAMERA_ADDRESS", "127.0.0.1", 1);
    setenv("WAVENOR_STREAM_PORT", std::to_string(field("stream_port")).c_str(), 1);
    setenv("WAVENOR_HTTP_PORT", std::to_string(field("http_port")).c_str(), 1);
    return pid;
}

void BM_LiveFrame1280x1024(benchmark::State& state) {
    ms::EnsureApplication();
    const pid_t camera = StartCamera(std::filesystem::temp_directory_path().string());
    HWND top = CreateWindowEx(0, u"Static", u"", WS_POPUP | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 640,
                              480, nullptr, nullptr, nullptr, nullptr);
    CLiveVideoWnd video;
    video.SubclassWindow(top);
    auto instance = StreamInstance::Create();
    auto media = StreamMedia::FromLocation(*instance, StreamUrl(ReadCameraLink()));
    media->AddOption(":network-caching=10");
    auto player = StreamPlayer::Create(*media);
    media.reset();
    player->SetOutputWindow(top);
    video.SetPlayer(player.get());
    player->Play();
    // The stream runs before the measuring starts.
    while (player->FrameCount() < 10)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    unsigned long long frames = 0;
    double uiCpu = 0, processCpu = 0;
    for (auto _ : state) {
        const unsigned long long start = player->FrameCount();
        const double ui0 = ThreadCpuSeconds(), p0 = ProcessCpuSeconds();
        while (player->FrameCount() == start)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents(QEventLoop::AllEvents); // its paint
        uiCpu += ThreadCpuSeconds() - ui0;
        processCpu += ProcessCpuSeconds() - p0;
        frames += player->FrameCount() - start;
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["ui_ms_per_frame"] = frames ? uiCpu * 1000 / static_cast<double>(frames) : 0;
    state.counters["process_ms_per_frame"] =
        frames ? processCpu * 1000 / static_cast<double>(frames) : 0;

    video.SetPlayer(nullptr);
    player.reset();
    instance.reset();
    video.UnsubclassWindow();
    DestroyWindow(top);
    kill(camera, SIGTERM);
    waitpid(camera, nullptr, 0);
}
BENCHMARK(BM_LiveFrame1280x1024)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
