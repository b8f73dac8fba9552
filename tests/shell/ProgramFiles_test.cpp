// Tessary installed where its program folder takes no files: what it keeps beside itself (the
// calibration file, the stored capture size, the export picture) goes to its folder in the
// user's data folder instead, and every feature that writes them goes on working.
#include "tests/shell/MainWindowHarness.h"

#include "platform/capture/SyntheticCamera.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using ms::capture::SyntheticCamera;

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProgramFilesTest : public mstest::MainWindowHarness {};

TEST_F(ProgramFilesTest, AProgramFolderThatTakesNoFilesKeepsThemInTheUsersDataFolder) {
    if (mstest::RerunUnprivileged()) // root writes into read-only folders
        return;
    ms::SetProgramName(u"Tessary");
    program_ = mstest::NewProgramDir(mstest::ProgramFiles::Linked);
    const std::vector<std::string> installed = Names(program_);
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
    const fs::path data = home_ / "data" / "Tessary";

    SyntheticCamera::Instance().SetDevices({mstest::SteppedCamera()});
    const HWND hwnd = Open();
    ASSERT_TRUE(ms::test::PumpUntil([] { return g_captureWnd.IsRunning(); }));
    EXPECT_EQ(ms::ToUtf8(g_paths.calibIniPath), (data / "CalibrationIni.ini").string());

    // The capture size chosen by a size key is stored, and a restart comes up at it.
    ASSERT_EQ(g_captureWnd.SetResolution(640, 480), 0);
    EXPECT_EQ(fs::file_size(data / "CapConfig.dat"), 88u);
    ASSERT_TRUE(g_captureWnd.ConfigureFormat());
    EXPECT_EQ(g_captureWnd.CurrentFormat().bmiHeader.biWidth, 640);

    // A calibration of magnification 10.
    SetDlgItemText(hwnd, IDC_SCALE, u"10");
    g_calibratedZoom = 127.7;
    g_zoomScale = 127.7;
    PostMessage(hwnd, WM_APP_LIVE_CALIBRATED, 0, 0);
    ASSERT_TRUE(ms::test::PumpUntil([&] { return fs::exists(data / "CalibrationIni.ini"); }));
    EXPECT_NE(FileText(data / "CalibrationIni.ini").find("[10]"), std::string::npos);

    // The spreadsheet export makes its picture of the live view there too.
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    const fs::path book = home_ / "measured.xlsx";
    ms::test::AnswerFileDialog(book.u16string(), 2);
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED),
                reinterpret_cast<LPARAM>(Item(1009)));
    for (const auto& shown : ms::test::ShownLog())
        if (shown.kind == ms::test::Shown::MessageBox)
            ADD_FAILURE() << "message: " << ms::ToUtf8(shown.text);
    EXPECT_TRUE(fs::exists(book));
    EXPECT_TRUE(fs::exists(data / "10000.bmp"));

    EXPECT_EQ(Names(program_), installed) << "nothing was written into the program folder";
    fs::permissions(program_, fs::perms::owner_all);
}

} // namespace
