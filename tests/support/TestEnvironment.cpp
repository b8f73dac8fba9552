// Linked into every test program: the environment a test expects before main() runs, so a
// test binary behaves the same under ctest, by hand and in a debugger. Each test process
// gets a home, config and runtime folder of its own, so no test can touch the user's
// settings or another test's, and the folder is removed when the process ends.
#include <cstdlib>
#include <filesystem>
#include <string>

// Leaks inside system libraries, so that a test binary run by hand or by a bare ctest judges
// leaks as scripts/test does (scripts/lsan.supp gives the reasons).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libQt6Gui.so\nleak:libX11.so\n";
}

namespace {
struct TestEnvironment {
    std::string home;
    TestEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("MS_PROGRAM_DIR", MS_TEST_PROGRAM_DIR, 0);
        std::string pattern = (std::filesystem::temp_directory_path() / "ms-test-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            home = pattern;
            std::filesystem::create_directories(home + "/config");
            std::filesystem::create_directories(home + "/runtime");
            std::filesystem::permissions(home + "/runtime", std::filesystem::perms::owner_all);
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
            unsetenv("XDG_DOCUMENTS_DIR");
        }
    }
    ~TestEnvironment() {
        if (!home.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(home, ec);
        }
    }
} const testEnvironment;
} // namespace
