// What the streaming thread spends per 640 x 480 frame while a recording runs: the frame turned
// encoded by the AVI writer, Motion-JPEG ("Compress") and raw. At the camera's 30
// frames per second a frame may take well under 33 ms, or the live view falls behind. The file
// goes to the temporary folder and is removed afterwards.
#include "capture/AviRecorder.h"
#include "capture/RecorderSettingDlg.h"

#include "platform/capture/Backend.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

namespace {

std::vector<BYTE> Frame() {
    const long stride = ms::capture::Rgb24Stride(kAviWidth);
    std::vector<BYTE> f(static_cast<size_t>(stride) * kAviHeight);
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<BYTE>((i * 7 + i / 1920) & 0xff);
    return f;
}

void BM_WriteAviFrame640x480(benchmark::State& state) {
    g_recordCompress = static_cast<int>(state.range(0));
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "ms-avi-bench.avi";
    swprintf(g_aviPath, MAX_PATH, u"%s", ms::FromUtf8(path.string()).c_str());
    if (!OpenAviWriter()) {
        state.SkipWithError("no writer");
        return;
    }
    const auto frame = Frame();
    // Each frame in a slot of its own, so every one is encoded and written.
    double sampleTime = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteAviFrame(static_cast<long>(frame.size()), frame.data(),
                                               kAviWidth, kAviHeight, sampleTime));
        sampleTime += 1.0 / kAviFramesPerSecond;
    }
    CloseAviWriter(nullptr);
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteAviFrame640x480)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("compress")
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
