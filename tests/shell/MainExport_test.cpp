// The main window's export buttons, driven headless: the save dialogs they ask, the busy state
// that ends on every way out, the DXF drawing of the live shapes (preview coordinates flipped
// with the preview height), the refusals, and a picture that could not be made stopping the
// spreadsheet and report exports with an older file left as it was.
#include "capture/GrabberCallbacks.h"
#include "kit/SaveFolders.h"
#include "shell/MicroscopeDlg.h"

#include "measure/MeasureRecords.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

QByteArray Bytes(const fs::path& path) {
    QFile f(QString::fromStdString(path.string()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The entities of a drawing as ezdxf reads them; its audit finds nothing.
QJsonArray Entities(const fs::path& file) {
    QProcess p;
    p.start("/usr/bin/python3", {MS_DXF_CHECK, QString::fromStdString(file.string())});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_TRUE(o["errors"].toArray().isEmpty());
    EXPECT_TRUE(o["fixes"].toArray().isEmpty());
    return o["entities"].toArray();
}

void ExpectLine(const QJsonObject& line, double x1, double y1, double x2, double y2) {
    EXPECT_EQ(line["type"], "LINE");
    const QJsonArray p = line["points"].toArray();
    ASSERT_EQ(p.size(), 2);
    EXPECT_NEAR(p[0].toArray()[0].toDouble(), x1, 1e-6);
    EXPECT_NEAR(p[0].toArray()[1].toDouble(), y1, 1e-6);
    EXPECT_NEAR(p[1].toArray()[0].toDouble(), x2, 1e-6);
    EXPECT_NEAR(p[1].toArray()[1].toDouble(), y2, 1e-6);
}

class MainExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_hInstance = GetModuleHandle(nullptr);
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        out_ = mstest::Home() / ("out-" + std::to_string(++counter_));
        fs::create_directories(out_);
        DeleteAllLiveShapes();
    }
    void TearDown() override {
        if (dlg_ && dlg_->m_hWnd)
            dlg_->DestroyWindow();
        dlg_.reset();
        ms::test::Pump(6);
        DeleteAllLiveShapes();
        g_liveView.Change([](LiveViewSnapshot& s) { s.imageScaleX = s.imageScaleY = 1.0; });
        ms::test::ResetSeams();
    }
    // The main window with or without the DXF library in its program folder.
    void Open(bool withDxfLibrary) {
        if (withDxfLibrary)
            fs::copy_file(MS_DXF_LIBRARY, program_ / fs::path(MS_DXF_LIBRARY).filename());
        ms::test::PressInDialog(IDD_CALIBRATE_PROMPT, IDCANCEL);
        dlg_ = std::make_unique<CMicroscopeDlg>();
        ASSERT_TRUE(dlg_->Create(IDD_MAIN));
        ms::test::Pump(6);
        // The capture format and unit of the drawing's coordinates.
        g_has1600x1200 = 0;
        g_captureWidth = 640;
        g_captureHeight = 480;
        ms::CopyBounded(g_unitName, 12, u"mm");
        g_decimalPlaces = 3;
    }
    void AddLiveShape(int kind, std::vector<POINT> points, std::vector<CString> labels = {}) {
        auto r = std::make_unique<CMeasureRecord>();
        r->m_kind = kind;
        r->m_points = std::move(points);
        r->m_labels = std::move(labels);
        LiveListsLock lock;
        lock.Shapes().Add(std::move(r));
    }
    // Clicks a button as the operator would, after answering its save dialog.
    void Click(int id, const fs::path& typed, DWORD filter = 1) {
        ms::test::AnswerFileDialog(typed.u16string(), filter);
        SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dlg_->m_hWnd, id)));
        ms::test::Pump(6);
    }
    std::vector<std::u16string> MessageTexts() const {
        std::vector<std::u16string> texts;
        for (const auto& s : ms::test::ShownLog())
            if (s.kind == ms::test::Shown::MessageBox)
                texts.push_back(s.text);
        return texts;
    }

    fs::path program_, out_;
    std::unique_ptr<CMicroscopeDlg> dlg_;
    static inline int counter_ = 0;
};

TEST_F(MainExportTest, CadWritesTheLiveShapesWithTheirYFlippedAndANameWithoutExtensionGetsDxf) {
    Open(true);
    AddLiveShape(LIVE_LINE, {{0, 0}, {100, 480}}, {u"L:1.000mm"});
    AddLiveShape(LIVE_TEXT, {{3, 3}}, {u"note"});
    Click(1326, out_ / "out");
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(dlg_->CursorMode(), 0);
    QJsonArray e = Entities(out_ / "out.dxf");
    ASSERT_EQ(e.size(), 1); // the text leaves no trace
    ExpectLine(e[0].toObject(), 0, 306.3829787232, 63.829787234, 0);

    // At 1280 x 1024 the preview is half the capture size: its height, 512, is the one that
    // puts the bottom row at Y = 0.
    g_captureWidth = 1280;
    g_captureHeight = 1024;
    g_liveView.Change([](LiveViewSnapshot& s) { s.imageScaleX = s.imageScaleY = 2.0; });
    DeleteAllLiveShapes();
    AddLiveShape(LIVE_LINE, {{0, 512}, {640, 0}}, {u"L:1.000mm"});
    Click(1326, out_ / "large.dxf");
    const double f = UnitScale() * 10.0;
    e = Entities(out_ / "large.dxf");
    ASSERT_EQ(e.size(), 1);
    ExpectLine(e[0].toObject(), 0, 0, 640 * f, 512 * f);

    // A magnification of 0 is refused before anything is written.
    dlg_->Zoom().SetRate(0.0);
    Click(1326, out_ / "zero.dxf");
    EXPECT_EQ(MessageTexts(),
              std::vector<std::u16string>{u"The magnification must be a number above 0."});
    EXPECT_FALSE(fs::exists(out_ / "zero.dxf"));
    EXPECT_EQ(dlg_->CursorMode(), 0);
}

TEST_F(MainExportTest, CadWithoutTheLibraryShowsItsMessageAndWritesNothing) {
    Open(false);
    AddLiveShape(LIVE_LINE, {{0, 0}, {10, 10}}, {u"L:1.000mm"});
    Click(1326, out_ / "out.dxf");
    ASSERT_EQ(MessageTexts(), std::vector<std::u16string>{u"Fatal error on creating CDxfDrawing!"});
    EXPECT_EQ(ms::test::ShownLog().back().caption, u"Error");
    EXPECT_EQ(ms::test::ShownLog().back().type & MB_ICONMASK, UINT(MB_ICONSTOP));
    EXPECT_FALSE(fs::exists(out_ / "out.dxf"));
    EXPECT_EQ(dlg_->CursorMode(), 0);
}

TEST_F(MainExportTest, SaveDialogsOfferTheirFormatsAndCancelDoesNothing) {
    Open(true);
    struct Case {
        int id;
        std::u16string ext, firstPattern, secondPattern;
    };
    for (const Case& c :
         {Case{1009, u"xls", u"*.xls", u"*.xlsx"}, Case{1008, u"doc", u"*.doc", u"*.docx"},
          Case{1326, u"DXF", u"*.dxf", u"*.DXF"}}) {
        SCOPED_TRACE(c.id);
        ms::test::CancelCommonDialog();
        SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(c.id, BN_CLICKED), 0);
        ms::test::Pump(6);
        const auto& asked = ms::test::ShownCommonDialogs().back();
        EXPECT_EQ(asked.kind, ms::test::CommonDialog::SaveFile);
        EXPECT_EQ(asked.defaultExt, c.ext);
        ASSERT_EQ(asked.filters.size(), 2u);
        EXPECT_EQ(asked.filters[0].second, c.firstPattern);
        EXPECT_EQ(asked.filters[1].second, c.secondPattern);
        EXPECT_EQ(dlg_->CursorMode(), 0);
    }
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_TRUE(fs::is_empty(out_));
}

// The names inside an OOXML package (a zip file).
std::string PackageNames(const fs::path& file) {
    QProcess p;
    p.start("/usr/bin/python3",
            {"-c", "import sys, zipfile; print(' '.join(zipfile.ZipFile(sys.argv[1]).namelist()))",
             QString::fromStdString(file.string())});
    EXPECT_TRUE(p.waitForFinished(60000));
    return p.readAllStandardOutput().trimmed().toStdString();
}

// With a frame to compose, both picture exports go through: the workbook and the report each
// carry the picture of the live view.
TEST_F(MainExportTest, ExcelAndWordCarryThePictureOfTheLiveView) {
    Open(true);
    AddLiveShape(LIVE_LINE, {{0, 0}, {10, 10}}, {u"L:1.000mm"});
    {
        std::lock_guard lock(g_frameLock);
        const int bytes = 640 * 480 * 3;
        GrowFrameBuffer(bytes);
        std::fill(g_frameBuffer, g_frameBuffer + bytes, BYTE{90});
        g_frameInfo = BITMAPINFOHEADER{};
        g_frameInfo.biSize = sizeof(BITMAPINFOHEADER);
        g_frameInfo.biWidth = 640;
        g_frameInfo.biHeight = 480;
        g_frameInfo.biPlanes = 1;
        g_frameInfo.biBitCount = 24;
        g_frameInfo.biSizeImage = bytes;
    }
    Click(1009, out_ / "m.xls");
    Click(1008, out_ / "r.docx", 2);
    EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{});
    EXPECT_NE(PackageNames(out_ / "m.xls").find("xl/media/"), std::string::npos);
    EXPECT_NE(PackageNames(out_ / "r.docx").find("word/media/"), std::string::npos);
    EXPECT_EQ(dlg_->CursorMode(), 0);
    {
        std::lock_guard lock(g_frameLock);
        g_frameInfo = BITMAPINFOHEADER{};
    }
}

// Without a frame the export picture cannot be made: every picture export stops there, the
// old file stays as it was and no stale picture is used.
TEST_F(MainExportTest, ExcelAndWordStopWhenThePictureCannotBeMade) {
    Open(true);
    AddLiveShape(LIVE_LINE, {{0, 0}, {10, 10}}, {u"L:1.000mm"});
    std::ofstream(out_ / "old.xls") << "old workbook";
    std::ofstream(program_ / "10000.bmp") << "stale picture";
    Click(1009, out_ / "old.xls");
    // The overwrite question (answered Yes), then the export's message.
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::u16string>{u"old.xls already exists.\nDo you want to replace it?",
                                           u"Could not make the picture of the measurements."}));
    EXPECT_EQ(Bytes(out_ / "old.xls"), "old workbook");
    EXPECT_FALSE(fs::exists(program_ / "10000.bmp"));
    EXPECT_EQ(dlg_->CursorMode(), 0);

    Click(1008, out_ / "report.docx", 2);
    EXPECT_EQ(MessageTexts().size(), 3u);
    EXPECT_EQ(MessageTexts().back(), u"Could not make the picture of the measurements.");
    EXPECT_FALSE(fs::exists(out_ / "report.docx"));
    EXPECT_EQ(dlg_->CursorMode(), 0);
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(out_), fs::directory_iterator()),
              std::vector<fs::path>{out_ / "old.xls"});
}

} // namespace
