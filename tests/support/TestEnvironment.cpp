// Linked into every test program: the environment a test expects before main() runs, so a
// test binary behaves the same under ctest, by hand and in a debugger (TestEnvironment.h).
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Leaks inside system libraries, so that a test binary run by hand or by a bare ctest judges
// leaks as scripts/test does (scripts/lsan.supp gives the reasons).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libQt6Gui.so\nleak:libX11.so\n";
}

namespace {

// What the programs write beside themselves: never linked from the build's folder, where a
// program run by hand may have left them.
bool IsWrittenByThePrograms(const std::string& name) {
    static constexpr std::array<const char*, 9> kWritten = {
        "CapConfig.dat",   "CalibrationIni.ini", "folderpath.dat", "10000.bmp", "logfont.ini",
        "Measurefont.ini", "Favorite",           "tempImage.png",  "print.bmp"};
    for (const char* w : kWritten)
        if (name == w)
            return true;
    return name.empty() || name[0] == '.';
}

void LinkBuildFiles(const fs::path& into) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(MS_TEST_PROGRAM_DIR, ec)) {
        const std::string name = e.path().filename().string();
        if (!IsWrittenByThePrograms(name))
            fs::create_symlink(e.path(), into / name, ec);
    }
}

struct Environment {
    fs::path home;
    int programDirs = 0; // made on the main thread only

    Environment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        std::string pattern = (fs::temp_directory_path() / "ms-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        home = pattern;
        for (const char* sub : {"config", "data", "runtime"})
            fs::create_directories(home / sub);
        fs::permissions(home / "runtime", fs::perms::owner_all);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
        MakeProgramDir(mstest::ProgramFiles::Linked);
    }
    fs::path MakeProgramDir(mstest::ProgramFiles files) {
        const fs::path dir = home / ("program-" + std::to_string(programDirs++));
        fs::create_directories(dir);
        if (files == mstest::ProgramFiles::Linked)
            LinkBuildFiles(dir);
        setenv("MS_PROGRAM_DIR", dir.c_str(), 1);
        return dir;
    }
    ~Environment() {
        std::error_code ec;
        // A test may leave a folder it locked; open it again so it can go.
        for (auto it = fs::recursive_directory_iterator(home, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(home, ec);
    }
};

Environment& Env() {
    static Environment env;
    return env;
}

// Made while the program starts; a test's own static objects that ask for a folder first
// make it too, before their own.
[[maybe_unused]] const Environment& g_environment = Env();

} // namespace

fs::path mstest::Home() {
    return Env().home;
}

fs::path mstest::BuildProgramDir() {
    return MS_TEST_PROGRAM_DIR;
}

fs::path mstest::NewProgramDir(ProgramFiles files) {
    return Env().MakeProgramDir(files);
}

bool mstest::RerunUnprivileged() {
    if (geteuid() != 0)
        return false;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        ADD_FAILURE() << "cannot find the test program to run it unprivileged";
        return true;
    }
    exe[n] = 0;
    const pid_t child = fork();
    if (child == 0) {
        // Only calls that are safe between fork and exec in a threaded process.
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(126);
        char* argv[] = {exe, const_cast<char*>(filter.c_str()), nullptr};
        execv(exe, argv);
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "cannot start the unprivileged run";
        return true;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the unprivileged run of " << filter << " failed (status " << status << ")";
    return true;
}
