// The resource compiler as a program: what it writes for the statements the scripts use,
// and how it reports a bad script (file and line, exit status 1, nothing half written).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct RcRun {
    int status;
    std::string output; // stderr
    std::string generated;
};

class RcTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("rc_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    RcRun Compile(const std::string& script) {
        Write("test.rc", script);
        const fs::path out = dir_ / "out.cpp";
        const fs::path err = dir_ / "err.txt";
        const std::string cmd = std::string(MS_RC_PATH) + " '" + (dir_ / "test.rc").string() +
                                "' '" + out.string() + "' mod 2> '" + err.string() + "'";
        const int rc = std::system(cmd.c_str());
        RcRun r{WEXITSTATUS(rc), Slurp(err), fs::exists(out) ? Slurp(out) : std::string()};
        return r;
    }
    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
};

TEST_F(RcTest, PreprocessorStylesMenusAndFiles) {
    Write("ids.h", "#define IDD_A 100\n#define IDC_X (IDD_A + 1)\n#define BUILD_EXTRA 1\n");
    Write("pic.bmp", "BM-not-really-a-bitmap");
    const RcRun r = Compile(R"(#include "ids.h"
#ifdef APSTUDIO_INVOKED
this is not a statement
#endif
#if BUILD_EXTRA && !defined(NOTHING)
IDD_A DIALOGEX 0, 0, 50, 20
STYLE DS_SETFONT | WS_CHILD
FONT 9, "Arial"
BEGIN
    CONTROL "", IDC_X, "Static", SS_BITMAP | NOT WS_VISIBLE, 1, 2, 3, 4, WS_EX_CLIENTEDGE
    CONTROL 140, -1, "Static", SS_BITMAP, 0, 0, 10, 10
END
#else
IDD_A DIALOG 0, 0, 1, 1
BEGIN
END
#endif
7 MENU
BEGIN
    POPUP "A"
    BEGIN
        POPUP "B"
        BEGIN
            MENUITEM "C", 11
        END
    END
    MENUITEM "D", 12
END
5 BITMAP "pic.bmp"
)");
    ASSERT_EQ(r.status, 0) << r.output;
    // WS_CHILD | DS_SETFONT; WS_VISIBLE taken away from the control's defaults.
    EXPECT_NE(
        r.generated.find(
            "{100u, 0x40000040u, 0x0u, 0, 0, 50, 20, nullptr, nullptr, 0u, 9, 0, 0, u\"Arial\""),
        std::string::npos)
        << r.generated;
    EXPECT_NE(r.generated.find("{u\"Static\", u\"\", 101u, 0x4000000eu, 0x200u, 1, 2, 3, 4}"),
              std::string::npos);
    EXPECT_NE(r.generated.find("{u\"Static\", u\"#140\", 65535u, 0x5000000eu"), std::string::npos);
    // Levels close in order: C ends B's level and B ends A's; D ends the menu.
    EXPECT_NE(r.generated.find("{7u, 0x10u, 0u, u\"A\"},\n    {7u, 0x90u, 0u, u\"B\"},\n    {7u, "
                               "0x80u, 11u, u\"C\"},\n    {7u, 0x80u, 12u, u\"D\"}"),
              std::string::npos)
        << r.generated;
    EXPECT_NE(r.generated.find(".incbin"), std::string::npos);
    EXPECT_NE(r.generated.find("{u\"BITMAP\", 5u, nullptr, ms_res_mod_0, 22u}"), std::string::npos);
    const std::string dep = Slurp(dir_ / "out.cpp.d");
    EXPECT_NE(dep.find("ids.h"), std::string::npos);
    EXPECT_NE(dep.find("pic.bmp"), std::string::npos);
}

TEST_F(RcTest, BadScriptsAreReportedWithFileAndLine) {
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"1 DIALOG 0,0,1,1\nBEGIN\n  SLIDER 1, 2\nEND\n",
         "test.rc:3: unknown control statement SLIDER"},
        {"5 BITMAP \"missing.bmp\"\n", "test.rc:1: cannot find missing.bmp"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n", "test.rc:4: string 1 defined twice"},
        {"STRINGTABLE\nBEGIN\n  UNKNOWN_ID \"a\"\nEND\n", "test.rc:3: unknown name UNKNOWN_ID"},
        {"#include \"nothere.h\"\n", "test.rc:1: cannot find include file nothere.h"},
        {"1 DIALOG 0,0,1,1\nBEGIN\n", "unexpected end of script"},
        {"STRINGTABLE\nBEGIN\n 1 \"open\n\"\nEND\n", "test.rc:3: unterminated string"},
    };
    for (const Case& c : cases) {
        const RcRun r = Compile(c.script);
        EXPECT_EQ(r.status, 1) << c.script;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_TRUE(r.generated.empty()) << c.script;
        fs::remove(dir_ / "out.cpp");
    }
}

} // namespace
