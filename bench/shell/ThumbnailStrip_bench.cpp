// The thumbnail strip at start-up over a picture folder of 1,000 JPEGs of 1600 x 1200: from the
// folder scan (the strip's construction) until its first paint has decoded and drawn the six
// visible thumbnails. The pictures are one encoded JPEG copied under 1,000 names, so the
// files are in the system's file cache (a warm start); a fresh strip, with an empty thumbnail
// cache, is built for every iteration.
#include "shell/SaveFolders.h"
#include "shell/ThumbnailStrip.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/WinUser.h"
#include "platform/win/window/TestSeams.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

LRESULT PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(hwnd, msg, wp, lp);
}

// A folder of `count` copies of one 1600 x 1200 JPEG with a gradient, made once.
fs::path PictureFolder(int count) {
    const fs::path dir = fs::temp_directory_path() / "thumbnail-strip-bench" / "Picture";
    if (fs::exists(dir / "img0999.jpg"))
        return dir;
    fs::create_directories(dir);
    CDibImage img(1600, 1200, 24);
    for (DWORD y = 0; y < 1200; ++y) {
        BYTE* row = img.GetBits(y);
        for (DWORD x = 0; x < 1600; ++x) {
            row[3 * x] = static_cast<BYTE>(x / 7);
            row[3 * x + 1] = static_cast<BYTE>(y / 5);
            row[3 * x + 2] = static_cast<BYTE>((x + y) / 11);
        }
    }
    const fs::path first = dir / "img0000.jpg";
    img.SaveToFile(ms::FromUtf8(first.string()).c_str(), DIBIMAGE_TYPE_JPG);
    for (int i = 1; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "img%04d.jpg", i);
        fs::copy_file(first, dir / name, fs::copy_options::overwrite_existing);
    }
    return dir;
}

void FirstSixThumbnails(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ms::EnsureApplication();
    InitCommonControls();
    const fs::path dir = PictureFolder(1000);
    ms::CopyBounded(g_pictureDir, MAX_PATH, ms::FromUtf8(dir.string()));
    ms::CopyBounded(g_videoDir, MAX_PATH, ms::FromUtf8((dir.parent_path() / "Video").string()));
    static WNDCLASSW wc = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = PlainProc;
        c.lpszClassName = u"StripBenchParent";
        RegisterClass(&c);
        return c;
    }();
    HWND parent = CreateWindowEx(0, wc.lpszClassName, u"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    long decoded = 0;
    for (auto _ : state) {
        HWND list = CreateWindowEx(0, WC_LISTVIEW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                                   642, 115, parent, nullptr, nullptr, nullptr);
        auto* strip = new CThumbnailView;
        strip->SubclassWindow(list);
        strip->UpdateScrollBar();
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
        if (strip->DrawnItems().size() != 6)
            state.SkipWithError("the first paint did not draw six thumbnails");
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

} // namespace
