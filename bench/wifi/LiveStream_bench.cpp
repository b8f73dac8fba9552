// CPU per frame of the live view: the test camera streams 1280 x 1024 motion-JPEG, a player
// hands each frame to the video area, which paints it fitted into 640 x 480. Two figures per
// frame shown: the UI thread's CPU (the queued repaint and the painting: what the program adds
// to the library's decoding) and the whole process's CPU (decoding included).
//   live_stream_bench [--benchmark_min_time=20]
#include "tests/wifi/TestCameraProcess.h"
#include "wifi/CameraLink.h"
#include "wifi/LiveVideoWnd.h"
#include "wifi/StreamInstance.h"
#include "wifi/StreamMedia.h"
#include "wifi/StreamPlayer.h"

#include "platform/win/window/Application.h"
#include "platform/win/window/WinUser.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <ctime>
#include <filesystem>
#include <sys/resource.h>

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

void BM_LiveFrame1280x1024(benchmark::State& state) {
    ms::EnsureApplication();
    // The test camera at 1280 x 1024 on free ports; its ports go into the program's settings.
    ms::test::TestCameraProcess camera(
        {.lifetime = 600,
         .width = 1280,
         .height = 1024,
         .folder = std::filesystem::temp_directory_path() / "live_stream_bench"});
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
    camera.Stop();
}
BENCHMARK(BM_LiveFrame1280x1024)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
