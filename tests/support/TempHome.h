// A temporary folder that stands for the user's configuration and the program folder, set
// before the first registry or program-folder call of a test process. Removed at exit.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace mstest {

struct TempHome {
    explicit TempHome(const char* prefix) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(tmpl.data()) == nullptr)
            std::abort();
        dir = tmpl;
        std::filesystem::create_directories(dir / "config");
        std::filesystem::create_directories(dir / "bin");
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("MS_PROGRAM_DIR", (dir / "bin").c_str(), 1);
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    std::filesystem::path dir;
};

} // namespace mstest
