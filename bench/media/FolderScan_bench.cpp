// The thumbnail strip's scan of a picture folder of 10,000 stills against the floor: the
// listing with a stat of every entry (what `find -printf %s` does). Goal: within 1.5 times.
#include "bench/common/StillsFolder.h"
#include "media/ThumbnailStripCore.h"

#include "platform/win/core/WString.h"

#include <benchmark/benchmark.h>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

namespace {

void ScanPictureFolder10000(benchmark::State& state) {
    const std::u16string dir = ms::FromUtf8(msbench::ManyStills("folder-scan-bench").string());
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
    const std::string dir = msbench::ManyStills("folder-scan-bench").string();
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
