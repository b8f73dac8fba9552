#include "platform/win/core/Files.h"

#include "platform/win/core/WString.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ms-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = ms::FromUtf8(tmpl);
    }
    void TearDown() override { std::system(("rm -rf " + ms::ToUtf8(dir_)).c_str()); }
    std::u16string P(std::u16string_view name) const { return dir_ + u"/" + std::u16string(name); }
    void Touch(std::u16string_view name, std::string_view bytes = "x") {
        ASSERT_TRUE(ms::WriteFileAtomic(P(name), bytes));
    }
    std::vector<std::u16string> List(std::u16string_view mask) {
        std::vector<std::u16string> names;
        WIN32_FIND_DATA fd;
        HANDLE h = FindFirstFile(P(mask).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(fd.cFileName);
        while (FindNextFile(h, &fd));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(h));
        return names;
    }
    std::u16string dir_;
};

using Names = std::vector<std::u16string>;

} // namespace

TEST_F(FilesTest, WildcardListingIsCaseInsensitiveAndSorted) {
    for (auto n : {u"b.BMP", u"a.bmp", u"C.jpg", u"a.bmpx", u"noext", u"Pic_10.bmp", u"pic_2.bmp"})
        Touch(n);
    ASSERT_TRUE(CreateDirectory(P(u"Video").c_str(), nullptr));
    EXPECT_EQ(List(u"*.bmp"), (Names{u"a.bmp", u"b.BMP", u"Pic_10.bmp", u"pic_2.bmp"}));
    EXPECT_EQ(List(u"pic_?.BMP"), (Names{u"pic_2.bmp"}));
    EXPECT_EQ(List(u"*.*"), (Names{u".", u"..", u"a.bmp", u"a.bmpx", u"b.BMP", u"C.jpg", u"noext",
                                   u"Pic_10.bmp", u"pic_2.bmp", u"Video"}));
    EXPECT_EQ(List(u"video"), (Names{u"Video"}));

    WIN32_FIND_DATA fd;
    ASSERT_NE(FindFirstFile(P(u"Video").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(FindFirstFile(P(u"*.png").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFile(P(u"missing/*.bmp").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FindNextFile(reinterpret_cast<HANDLE>(0x12345), &fd));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, CreateReadWriteSeek) {
    const std::u16string f = P(u"CapConfig.dat");
    HANDLE h = CreateFile(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    h = CreateFile(f.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                   FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(GetFileSize(h, nullptr), 10u);
    EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
    char buf[16] = {};
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(n, 4u);
    EXPECT_STREQ(buf, "6789");
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr)); // end of file: TRUE with 0 bytes
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_FALSE(ReadFile(h, buf, 1, &n, nullptr));

    h = CreateFile(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
    EXPECT_EQ(CreateFile(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(
        CreateFile(P(u"no/such").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
        INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesTest, CopyDeleteAttributesFolders) {
    Touch(u"a.ini", "one");
    Touch(u"b.ini", "two");
    EXPECT_FALSE(CopyFile(P(u"a.ini").c_str(), P(u"b.ini").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(*ms::ReadFileBytes(P(u"b.ini")), "two");
    EXPECT_TRUE(CopyFile(P(u"a.ini").c_str(), P(u"b.ini").c_str(), FALSE));
    EXPECT_EQ(*ms::ReadFileBytes(P(u"b.ini")), "one");
    EXPECT_TRUE(CopyFile(P(u"a.ini").c_str(), P(u"c.ini").c_str(), TRUE));
    EXPECT_FALSE(CopyFile(P(u"none").c_str(), P(u"d.ini").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(List(u"*.tmp*"), Names{}); // no temporary file is left behind

    EXPECT_FALSE(MoveFile(P(u"a.ini").c_str(), P(u"b.ini").c_str()));
    EXPECT_TRUE(MoveFile(P(u"a.ini").c_str(), P(u"e.ini").c_str()));
    EXPECT_EQ(GetFileAttributes(P(u"a.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributes(P(u"e.ini").c_str()), DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFile(P(u"e.ini").c_str()));
    EXPECT_FALSE(DeleteFile(P(u"e.ini").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    const std::u16string sub = P(u"Tessary files");
    EXPECT_TRUE(CreateDirectory(sub.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectory(sub.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectory(P(u"x/y").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(GetFileAttributes(sub.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(DeleteFile(sub.c_str()));
    EXPECT_TRUE(RemoveDirectory(sub.c_str()));
}

// A process killed while writing leaves its temporary file; the next write beside the same
// file removes it, but not the file of a process that still runs, nor another file's.
TEST_F(FilesTest, TemporaryFilesOfKilledWritersAreRemoved) {
    const std::u16string target = P(u"registry.txt");
    Touch(u"registry.txt", "old");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ms::ReplacingFile file(target);
        std::fputs("half", file.Stream());
        std::fflush(file.Stream());
        (void)!::write(ready[1], "w", 1);
        ::pause(); // killed here, in the middle of the write
        ::_exit(1);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::u16string dead = ms::FromUtf8(std::to_string(child));
    ASSERT_EQ(List(u"registry.txt.tmp-*"), List(u"registry.txt.tmp-" + dead + u"-*"));
    ASSERT_EQ(List(u"registry.txt.tmp-*").size(), 1u);
    EXPECT_EQ(*ms::ReadFileBytes(target), "old");

    const std::u16string running = ms::FromUtf8(std::to_string(::getppid()));
    Touch(u"registry.txt.tmp-" + running + u"-7");
    Touch(u"other.txt.tmp-" + dead + u"-0");
    Touch(u"registry.txt.tmp-" + dead + u"-x");
    Touch(u"registry.txt", "new");
    Names kept{u"other.txt.tmp-" + dead + u"-0", u"registry.txt.tmp-" + dead + u"-x",
               u"registry.txt.tmp-" + running + u"-7"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(List(u"*.tmp-*"), kept);
    EXPECT_EQ(*ms::ReadFileBytes(target), "new");
}

// Every temporary name the programs make is known to the clean-up: the hidden names of
// exports and the temporary names of those, as well as the plain ones.
TEST_F(FilesTest, TemporaryFilesOfEveryFormOfKilledWritersAreRemoved) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::u16string dead = ms::FromUtf8(std::to_string(child));
    const std::u16string running = ms::FromUtf8(std::to_string(::getppid()));
    const Names gone{u".m.xls.export-" + dead + u"-1.xls",
                     u".m.xls.export-" + dead + u"-2.xls.tmp-" + dead + u"-5",
                     u"m.xls.tmp-" + dead + u"-3"};
    Names kept{u".m.xls.export-" + running + u"-1.xls", u".m.xls.export-" + dead + u"-1.csv",
               u".m.xls.export-" + dead + u"-x.xls", u".n.xls.export-" + dead + u"-1.xls",
               u".m.xls.export-" + dead + u"-1.xls.bak"};
    for (const auto& names : {gone, kept})
        for (const auto& name : names)
            Touch(name);
    Touch(u"m.xls", "new");
    kept.push_back(u"m.xls");
    std::sort(kept.begin(), kept.end());
    Names left = List(u"*");
    std::erase_if(left, [](const std::u16string& n) { return n == u"." || n == u".."; });
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, kept);
}

TEST_F(FilesTest, ProgramFolderAndCurrentDirectory) {
    const char* programDir = std::getenv("MS_PROGRAM_DIR");
    const std::string oldProgramDir = programDir ? programDir : "";
    ::setenv("MS_PROGRAM_DIR", (ms::ToUtf8(dir_) + "/").c_str(), 1);
    EXPECT_EQ(ms::ProgramDir(), dir_);
    WCHAR path[MAX_PATH];
    DWORD n = GetModuleFileName(nullptr, path, MAX_PATH);
    EXPECT_EQ(std::u16string(path), dir_ + u"/Files_test");
    EXPECT_EQ(n, wcslen(path));
    WCHAR small[8];
    EXPECT_EQ(GetModuleFileName(nullptr, small, 8), 8u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(wcslen(small), 7u);
    ::unsetenv("MS_PROGRAM_DIR");
    n = GetModuleFileName(nullptr, path, MAX_PATH); // the executable's own folder
    EXPECT_EQ(n, wcslen(path));
    EXPECT_EQ(ms::ProgramDir() + u"/Files_test", std::u16string(path));
    if (programDir)
        ::setenv("MS_PROGRAM_DIR", oldProgramDir.c_str(), 1);

    WCHAR old[1024];
    ASSERT_GT(GetCurrentDirectory(1024, old), 0u);
    ASSERT_TRUE(SetCurrentDirectory(dir_.c_str()));
    WCHAR cwd[4];
    EXPECT_EQ(GetCurrentDirectory(4, cwd), dir_.size() + 1); // too small: the size needed
    WCHAR full[1024];
    EXPECT_EQ(GetCurrentDirectory(1024, full), dir_.size());
    EXPECT_EQ(std::u16string(full), dir_);
    SetCurrentDirectory(old);
}

TEST_F(FilesTest, FoldersFollowXdg) {
    const std::string conf = ms::ToUtf8(dir_);
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    ::setenv("XDG_CONFIG_HOME", conf.c_str(), 1);
    ::setenv("XDG_DOCUMENTS_DIR", "/tmp/ms-docs/", 1);
    ::setenv("HOME", "/tmp/ms-home", 1);
    EXPECT_EQ(ms::ConfigDir(), dir_);
    EXPECT_EQ(ms::DocumentsDir(), u"/tmp/ms-docs");
    ::unsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_EQ(ms::DocumentsDir(), u"/tmp/ms-home/Documents");
    Touch(u"user-dirs.dirs",
          "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
          "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(ms::DocumentsDir(), u"/tmp/ms-home/Dokumente");
    Touch(u"user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n"); // unset: the home folder itself
    EXPECT_EQ(ms::DocumentsDir(), u"/tmp/ms-home/Documents");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ms::ConfigDir(), u"/tmp/ms-home/.config");
    ::setenv("HOME", oldHome.c_str(), 1);
}

TEST(Files, WildcardMatcher) {
    EXPECT_TRUE(ms::MatchWildcard(u"*", u""));
    EXPECT_TRUE(ms::MatchWildcard(u"a*b*c", u"aXXbYYc"));
    EXPECT_FALSE(ms::MatchWildcard(u"a*b*c", u"aXXbYY"));
    EXPECT_TRUE(ms::MatchWildcard(u"*.ÄVI", u"film.ävi"));
    EXPECT_FALSE(ms::MatchWildcard(u"?", u""));
    EXPECT_TRUE(ms::MatchWildcard(u"**?", u"x"));
}
