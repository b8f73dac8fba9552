// The snapshot compositor: a 1600 x 1200 frame with the cross line, scale bar and circle
// template composed and saved as a JPEG of quality 90 (mode 0, the Camera button) and as the
// BMP export picture (mode 1), both at once on the calling thread; and the Camera button's
// hand-over, whose values and name the UI thread takes and whose still the still writer
// composes and writes, in an empty folder and in one of 10,000 stills. The pictures go to a
// temporary folder.
#include <benchmark/benchmark.h>

#include "capture/GrabberCallbacks.h"
#include "shell/MicroscopeDlg.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/SnapshotOverlays.h"

#include "measure/Units.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

// A picture folder already holding `count` stills (made once per process), for the hand-over's
// runs: the still's number must not cost a look through them.
const fs::path& FolderWith(int count) {
    static std::map<int, fs::path> folders;
    fs::path& dir = folders[count];
    if (dir.empty()) {
        dir = Fixture().dir / ("holding-" + std::to_string(count));
        fs::create_directories(dir);
        for (int i = 1; i <= count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "Still_2024-01-01_100000_N%04d.jpg", i);
            std::ofstream(dir / name) << "x";
        }
    }
    return dir;
}

// The Camera button's still (F2) in a folder of range(0) stills: the hand-over's part on the UI
// thread alone (complete false: taken and handed to the writer) or to the complete file
// (complete true: written and listed). Each still is removed afterwards and the folder's time
// put back, as if the folder had not changed since.
void StillHandOver(benchmark::State& state, bool complete) {
    Fixture();
    const fs::path& dir = FolderWith(static_cast<int>(state.range(0)));
    const std::string s = dir.string();
    lstrcpyn(g_paths.pictureDir, std::u16string(s.begin(), s.end()).c_str(), MAX_PATH);
    g_imageFormat = 2;
    CMicroscopeDlg dlg;
    for (auto _ : state) {
        dlg.OnStillCaptured(0);
        if (complete)
            dlg.FinishStills();
        state.PauseTiming();
        dlg.FinishStills();
        const fs::path still = ms::ToUtf8(dlg.Stills().State().lastSnapshotPath);
        const auto time = fs::last_write_time(dir);
        const bool written = fs::file_size(still) > 0;
        fs::remove(still);
        fs::last_write_time(dir, time);
        if (!written) {
            state.SkipWithError("not written");
            break;
        }
        state.ResumeTiming();
    }
}
void BM_StillUiThread1600x1200(benchmark::State& state) {
    StillHandOver(state, false);
}
void BM_StillComplete1600x1200(benchmark::State& state) {
    StillHandOver(state, true);
}
BENCHMARK(BM_StillUiThread1600x1200)
    ->Arg(0)
    ->Arg(10000)
    ->ArgName("files")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StillComplete1600x1200)
    ->Arg(0)
    ->Arg(10000)
    ->ArgName("files")
    ->Unit(benchmark::kMillisecond);

} // namespace
