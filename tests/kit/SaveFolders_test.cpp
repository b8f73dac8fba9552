// The program folder and the save folders: "folderpath.dat" of 520 bytes naming a folder is
// used as it is; a missing, empty, unterminated or too long one gives the default folders
// under the documents folder, which are created.
#include "kit/SaveFolders.h"

#include "platform/win/core/WString.h"

#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string Utf8(const WCHAR* s) {
    return ms::ToUtf8(s);
}

class SaveFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = mstest::Home();
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        fs::remove_all(home_ / "Documents");
        g_saveBaseDir[0] = 0;
        InitProgramPaths();
    }
    void WriteFolderPath(const std::u16string& path, bool terminated = true) {
        std::string bytes(kFolderPathFileSize, '\0');
        std::u16string text = path;
        if (!terminated)
            text.resize(MAX_PATH, u'x');
        for (size_t i = 0; i < text.size() && i < MAX_PATH; ++i) {
            bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
        std::ofstream(program_ / "folderpath.dat", std::ios::binary) << bytes;
    }
    fs::path home_, program_;
};

TEST_F(SaveFoldersTest, ProgramFolderAndCalibrationFile) {
    EXPECT_EQ(Utf8(g_paths.programDir), program_.string());
    EXPECT_EQ(Utf8(g_paths.calibIniPath), (program_ / "CalibrationIni.ini").string());
}

TEST_F(SaveFoldersTest, FirstStartCreatesTheDefaultFoldersInDocuments) {
    InitSaveFolders();
    const fs::path base = home_ / "Documents" / "Tessary files";
    EXPECT_EQ(Utf8(g_saveBaseDir), base.string());
    EXPECT_EQ(Utf8(g_paths.pictureDir), (base / "Picture").string());
    EXPECT_EQ(Utf8(g_paths.videoDir), (base / "Video").string());
    EXPECT_TRUE(fs::is_directory(base / "Picture"));
    EXPECT_TRUE(fs::is_directory(base / "Video"));
    EXPECT_FALSE(fs::exists(program_ / "folderpath.dat")) << "the file is never written here";
}

TEST_F(SaveFoldersTest, FolderPathFileNamesTheBaseAndNothingIsCreated) {
    const fs::path shots = home_ / "Shots";
    WriteFolderPath(ms::FromUtf8(shots.string()));
    ASSERT_EQ(fs::file_size(program_ / "folderpath.dat"), 520u);
    InitSaveFolders();
    EXPECT_EQ(Utf8(g_saveBaseDir), shots.string());
    EXPECT_EQ(Utf8(g_paths.pictureDir), (shots / "Picture").string());
    EXPECT_EQ(Utf8(g_paths.videoDir), (shots / "Video").string());
    EXPECT_FALSE(fs::exists(shots));
    EXPECT_FALSE(fs::exists(home_ / "Documents" / "Tessary files"));

    // The longest base whose subfolders fit.
    const std::u16string longest = u"/" + std::u16string(249, u'p');
    WriteFolderPath(longest);
    InitSaveFolders();
    EXPECT_EQ(g_saveBaseDir, longest);
    EXPECT_EQ(g_paths.pictureDir, longest + u"/Picture");
    EXPECT_EQ(g_paths.videoDir, longest + u"/Video");
}

TEST_F(SaveFoldersTest, UnusableFolderPathFilesGiveTheDefaultFolders) {
    struct Case {
        const char* name;
        std::u16string path;
        bool terminated;
    };
    const Case cases[] = {
        {"260 characters without terminator", u"/tmp/x", false},
        {"an empty path", u"", true},
        {"251 characters: no room for a file in Picture", u"/" + std::u16string(250, u'p'), true},
        {"259 characters: Picture would be the base", u"/" + std::u16string(258, u'p'), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home_ / "Documents");
        WriteFolderPath(c.path, c.terminated);
        EXPECT_EQ(ReadFolderPaths(), 0);
        InitSaveFolders();
        EXPECT_EQ(Utf8(g_saveBaseDir), (home_ / "Documents" / "Tessary files").string());
        EXPECT_TRUE(fs::is_directory(home_ / "Documents" / "Tessary files" / "Picture"));
    }
}

} // namespace
