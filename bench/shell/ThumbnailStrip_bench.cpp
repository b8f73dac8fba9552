// The thumbnail strip at start-up over a picture folder of 1,000 JPEGs of 1600 x 1200: from the
// folder scan (the strip's construction) until its first paint has decoded and drawn the six
// visible thumbnails. The pictures are one encoded JPEG copied under 1,000 names, so the
// files are in the system's file cache (a warm start); a fresh strip, with an empty thumbnail
// cache, is built for every iteration.
#include "bench/common/PictureFolder.h"
#include "bench/common/StillsFolder.h"
#include "kit/SaveFolders.h"
#include "media/ThumbnailStripCore.h"
#include "shell/SnapshotNames.h"
#include "shell/ThumbnailStrip.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "platform/win/window/WinUser.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

void FirstSixThumbnails(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ms::EnsureApplication();
    InitCommonControls();
    const fs::path dir = msbench::PictureFolder("thumbnail-strip-bench", 1000, 1600, 1200,
                                                DIBIMAGE_TYPE_JPG, ".jpg");
    ms::CopyBounded(g_paths.pictureDir, MAX_PATH, ms::FromUtf8(dir.string()));
    ms::CopyBounded(g_paths.videoDir, MAX_PATH,
                    ms::FromUtf8((dir.parent_path() / "Video").string()));
    HWND parent = msbench::ParentWindow(700, 200);
    long decoded = 0;
    for (auto _ : state) {
        HWND list = CreateWindowEx(0, WC_LISTVIEW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                                   642, 115, parent, nullptr, nullptr, nullptr);
        auto* strip = new CThumbnailView;
        strip->SubclassWindow(list);
        strip->UpdateScrollBar();
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
        if (strip->DrawnItems().size() != 6) {
            // No timing calls after an error: the library then stops the run.
            state.SkipWithError("the first paint did not draw six thumbnails");
            delete strip;
            break;
        }
        decoded += strip->Cache().Decodes();
        state.PauseTiming();
        delete strip;
        state.ResumeTiming();
    }
    state.counters["decoded"] =
        benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kAvgIterations);
    DestroyWindow(parent);
}
BENCHMARK(FirstSixThumbnails)->Unit(benchmark::kMillisecond)->Iterations(20);

// The next still's number among 10,000: a scan of the folder, as every still once did, and
// the kept scan a still now asks.
void NextNumberScan10000(benchmark::State& state) {
    const std::u16string dir = ms::FromUtf8(msbench::ManyStills("thumbnail-strip-bench").string());
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanSnapshotNumbers(dir.c_str(), 2).highest);
}
BENCHMARK(NextNumberScan10000)->Unit(benchmark::kMicrosecond);

void NextNumberKept10000(benchmark::State& state) {
    const std::u16string dir = ms::FromUtf8(msbench::ManyStills("thumbnail-strip-bench").string());
    SnapshotNumbering numbering;
    for (auto _ : state)
        if (numbering.Scan(dir.c_str(), 2).highest != 10000) {
            state.SkipWithError("wrong number");
            break;
        }
}
BENCHMARK(NextNumberKept10000)->Unit(benchmark::kMicrosecond);

} // namespace
