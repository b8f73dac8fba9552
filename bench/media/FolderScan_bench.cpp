// The thumbnail strip's scan of a picture folder of 10,000 stills against the floor: the
// listing with a stat of every entry (what `find -printf %s` does). Goal: within 1.5 times.
#include "media/ThumbnailStripCore.h"

#include "platform/win/core/WString.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// 10,000 small stills ("Still_..._N0001.jpg" onwards), made once and kept for later runs.
fs::path ManyStills() {
    const fs::path dir = fs::temp_directory_path() / "folder-scan-bench" / "Stills";
    if (fs::exists(dir / "Still_2026-03-07_090501_N10000.jpg"))
        return dir;
    fs::create_directories(dir);
    for (int i = 1; i <= 10000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Still_2026-03-07_090501_N%04d.jpg", i);
        std::FILE* f = std::fopen((dir / name).c_str(), "wb");
        if (!f)
            std::abort();
        static const char bytes[100] = {};
        std::fwrite(bytes, 1, sizeof bytes, f);
        std::fclose(f);
    }
    return dir;
}

void ScanPictureFolder10000(benchmark::State& state) {
    const std::u16string dir = ms::FromUtf8(ManyStills().string());
    for (auto _ : state) {
        const auto found = ScanPictureFolder(dir);
        if (found.size() != 10000) {
            state.SkipWithError("not every picture found");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(ScanPictureFolder10000)->Unit(benchmark::kMillisecond);

void ListAndStat10000(benchmark::State& state) {
    const std::string dir = ManyStills().string();
    for (auto _ : state) {
        long long bytes = 0;
        DIR* d = opendir(dir.c_str());
        while (dirent* e = readdir(d)) {
            struct stat st;
            if (fstatat(dirfd(d), e->d_name, &st, 0) == 0)
                bytes += st.st_size;
        }
        closedir(d);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(ListAndStat10000)->Unit(benchmark::kMillisecond);

} // namespace
