// Wavenor's file list at start-up over a picture folder of 1,000 PNG snapshots of 640 x 480
// (the camera's first size): from the folder scan (the list's construction) until its first
// paint has decoded and drawn the visible page, 16 slots of a list 505 pixels high as the main
// window lays it out. The pictures are one PNG copied under 1,000 names, so the files are in
// the system's file cache (a warm start); a fresh list, with an empty thumbnail cache, is
// built for every iteration. Tessary's strip has the same measurement in
// bench/shell/ThumbnailStrip_bench.cpp.
#include "bench/common/PictureFolder.h"
#include "wifi/FileListView.h"
#include "wifi/WifiGlobals.h"

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

void FirstPageOfThumbnails(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ms::EnsureApplication();
    InitCommonControls();
    const fs::path dir =
        msbench::PictureFolder("file-list-bench", 1000, 640, 480, DIBIMAGE_TYPE_PNG, ".png");
    ms::CopyBounded(g_paths.pictureDir, MAX_PATH, ms::FromUtf8(dir.string()));
    ms::CopyBounded(g_paths.videoDir, MAX_PATH, ms::FromUtf8((dir.parent_path() / "Video").string()));
    g_listShowsPictures = 1;
    g_listSlotCount = ListSlotCount(505);
    HWND parent = msbench::ParentWindow(200, 600);
    long decoded = 0;
    for (auto _ : state) {
        HWND list = CreateWindowEx(0, WC_LISTVIEW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                                   170, 505, parent, nullptr, nullptr, nullptr);
        auto* view = new CFileListView;
        view->SubclassWindow(list);
        view->UpdateScrollBar();
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
        if (view->DrawnItems().size() != static_cast<size_t>(g_listSlotCount)) {
            // No timing calls after an error: the library then stops the run.
            state.SkipWithError("the first paint did not fill every slot");
            delete view;
            break;
        }
        decoded += view->Cache().Decodes();
        state.PauseTiming();
        delete view;
        state.ResumeTiming();
    }
    state.counters["decoded"] =
        benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kAvgIterations);
    DestroyWindow(parent);
}
BENCHMARK(FirstPageOfThumbnails)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
