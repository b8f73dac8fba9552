// What the folder-scan benchmarks share: a folder of 10,000 small stills, made once and kept in
// the temporary folder for later runs. Header only, over the standard library alone.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace msbench {

// 10,000 stills of 100 bytes ("Still_2026-03-07_090501_N0001.jpg" onwards) in
// <temp>/<folder>/Stills.
inline std::filesystem::path ManyStills(const char* folder) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / folder / "Stills";
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

} // namespace msbench
