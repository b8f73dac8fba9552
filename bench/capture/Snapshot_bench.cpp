// The snapshot compositor on the UI thread: a 1600 x 1200 frame with the cross line, scale bar
// and circle template composed and saved as a JPEG of quality 90 (mode 0, the Camera button)
// and as the BMP export picture (mode 1). The pictures go to a temporary folder.
#include <benchmark/benchmark.h>

#include "capture/GrabberCallbacks.h"
#include "shell/MicroscopeDlg.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/SnapshotOverlays.h"

#include "measure/Units.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1600, kHeight = 1200;

struct Setup {
    fs::path dir;
    Setup() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        ms::EnsureApplication();
        std::string tmpl = (fs::temp_directory_path() / "snapshot-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        dir = tmpl;
        const std::string s = dir.string();
        const std::u16string folder(s.begin(), s.end());
        lstrcpyn(g_paths.pictureDir, folder.c_str(), MAX_PATH);
        lstrcpyn(g_paths.programDir, folder.c_str(), MAX_PATH);
        g_captureWidth = kWidth;
        g_captureHeight = kHeight;
        g_liveView.Change([](LiveViewSnapshot& s) {
            s.showCrossLine = s.showScaleBar = s.showCircleOverlay = 1;
        });
    }
    ~Setup() { fs::remove_all(dir); }
};

// The frame the compositor copies. Filled for each benchmark: the dialog's destructor
// releases the shared frame buffer, as closing the window does.
void FillFrame() {
    std::lock_guard lock(g_frameLock);
    g_frameInfo = BITMAPINFOHEADER{};
    g_frameInfo.biSize = sizeof(BITMAPINFOHEADER);
    g_frameInfo.biWidth = kWidth;
    g_frameInfo.biHeight = kHeight;
    g_frameInfo.biPlanes = 1;
    g_frameInfo.biBitCount = 24;
    g_frameInfo.biSizeImage = kWidth * kHeight * 3;
    GrowFrameBuffer(kWidth * kHeight * 3);
    for (int i = 0; i < kWidth * kHeight * 3; ++i)
        g_frameBuffer[i] = static_cast<BYTE>((i * 7) ^ (i >> 11));
}

Setup& Fixture() {
    static Setup setup;
    FillFrame();
    return setup;
}

void BM_SnapshotJpeg1600x1200(benchmark::State& state) {
    Setup& setup = Fixture();
    CMicroscopeDlg dlg;
    g_imageFormat = 2;
    for (auto _ : state) {
        if (!dlg.SaveSnapshot(0)) {
            // No timing calls after an error: the library then stops the run.
            state.SkipWithError("not written");
            break;
        }
        state.PauseTiming();
        for (const auto& entry : fs::directory_iterator(setup.dir))
            fs::remove(entry.path());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SnapshotJpeg1600x1200)->Unit(benchmark::kMillisecond);

void BM_ExportBmp1600x1200(benchmark::State& state) {
    Fixture();
    CMicroscopeDlg dlg;
    for (auto _ : state) {
        if (!dlg.SaveSnapshot(1)) {
            state.SkipWithError("not written");
            break;
        }
    }
}
BENCHMARK(BM_ExportBmp1600x1200)->Unit(benchmark::kMillisecond);

} // namespace
