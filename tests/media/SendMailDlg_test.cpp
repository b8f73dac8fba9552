// The e-mail strip: which file goes to the mail program for each kind of item, the JPEG copy
// in the private mail folder, and what the operator sees when the mail program cannot start.
#include "media/MailAttachment.h"
#include "media/SendMailDlg.h"
#include "kit/LangText.h"

#include "platform/services/Mail.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"
#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <QColor>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> MessageBoxes() {
    std::vector<std::u16string> out;
    for (const ms::test::Shown& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::MessageBox)
            out.push_back(s.text);
    return out;
}

void WriteBmp(const fs::path& path) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 10));
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "BMP"));
}

class SendMailTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        // The private mail folder is made under the test's home, which goes at exit.
        setenv("TMPDIR", std::getenv("HOME"), 1);
        g_langFilePath[0] = 0;
        dir_ = fs::path(std::getenv("HOME")) / ("items-" + std::to_string(++count_));
        fs::create_directories(dir_);
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
    }
    void TearDown() override { ms::test::ResetSeams(); }

    // Runs the strip on `item` as the main window does. When it stays open (a failure), it is
    // closed once its message showed, as the operator would with Esc.
    void Mail(const fs::path& item) {
        CSendMailDlg dlg;
        ms::CopyBounded(dlg.m_itemPath, MAX_PATH, ms::FromUtf8(item.string()));
        ms::test::AnswerDialog(IDD_SEND_MAIL, [&](HWND h) {
            WCHAR text[100]{};
            GetDlgItemText(h, IDC_SEND_MAIL_TEXT, text, 100);
            waitingText_ = text;
            ms::test::PumpUntil([&] { return !IsWindow(h) || !MessageBoxes().empty(); });
            ms::test::Pump();
        });
        dlg.DoModal();
    }
    // The one file handed to the mail program.
    std::string Attached() {
        const auto& launches = ms::test::Launches();
        if (launches.size() != 1)
            return "(" + std::to_string(launches.size()) + " starts)";
        const auto& argv = launches[0].argv;
        EXPECT_EQ(argv[0], u"xdg-email");
        for (std::size_t i = 1; i + 1 < argv.size(); ++i)
            if (argv[i] == u"--attach")
                return ms::ToUtf8(argv[i + 1]);
        return "(none)";
    }
    bool StripClosedItself() const {
        for (const ms::test::Shown& s : ms::test::ShownLog())
            if (s.kind == ms::test::Shown::Dialog)
                return !s.leftOpen;
        return false;
    }

    fs::path dir_, program_;
    std::u16string waitingText_;
    static inline int count_ = 0;
};

TEST_F(SendMailTest, EachKindOfItemAttachesItsFile) {
    const fs::path mailDir = ms::ToUtf8(ms::MailAttachmentDir());
    ASSERT_FALSE(mailDir.empty());
    EXPECT_EQ(fs::status(mailDir).permissions() & fs::perms::all, fs::perms::owner_all);
    // A copy of an earlier mail goes; the operator's JPEG pictures in the program folder stay.
    std::ofstream(mailDir / "earlier.jpg") << "old";
    std::ofstream(program_ / "own.jpg") << "mine";
    std::ofstream(dir_ / "x.avi") << "RIFF";
    std::ofstream(dir_ / "p.jpg") << "jpeg";
    WriteBmp(dir_ / "a.b.bmp");
    WriteBmp(dir_ / "x.avi.bmp");
    WriteBmp(dir_ / "A.BMP");

    struct Case {
        const char* item;
        fs::path attached;
    } cases[] = {
        {"a.b.bmp", mailDir / "a.b.jpg"}, // a JPEG copy in the private folder
        {"x.avi.bmp", dir_ / "x.avi"},    // a recording's first frame sends the recording
        {"A.BMP", dir_ / "A.BMP"},        // only the lower-case extension is converted
        {"p.jpg", dir_ / "p.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        ms::test::ResetSeams();
        Mail(dir_ / c.item);
        EXPECT_EQ(waitingText_, u"Starting the mail program, please wait...");
        EXPECT_EQ(Attached(), c.attached.string());
        EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Send Completed"});
        EXPECT_TRUE(StripClosedItself());
    }
    EXPECT_FALSE(fs::exists(mailDir / "earlier.jpg"));
    EXPECT_TRUE(fs::exists(program_ / "own.jpg"));
    EXPECT_EQ(fs::directory_iterator(program_)->path().filename(), "own.jpg");
    // The copy is a JPEG of the picture.
    QImage copy;
    ASSERT_TRUE(copy.load(QString::fromStdString((mailDir / "a.b.jpg").string()), "JPEG"));
    EXPECT_EQ(copy.size(), QSize(40, 30));
    EXPECT_NEAR(QColor(copy.pixel(20, 15)).red(), 200, 8);
}

TEST_F(SendMailTest, WithoutTheMailProgramTheFailureShowsAndNoCompletion) {
    WriteBmp(dir_ / "a.bmp");
    // xdg-email missing, and xdg-email that finds no mail program ("no method available").
    for (bool started : {false, true}) {
        SCOPED_TRACE(started ? "xdg-email failed" : "xdg-email missing");
        ms::test::ResetSeams();
        if (started)
            ms::test::ExitNextLaunch(3);
        else
            ms::test::FailNextLaunch();
        Mail(dir_ / "a.bmp");
        ASSERT_EQ(ms::test::Launches().size(), 1u);
        EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Failed to send mail message."});
        EXPECT_FALSE(StripClosedItself());
    }
}

TEST_F(SendMailTest, APictureThatIsNoBmpIsRefusedBeforeAnyMail) {
    std::ofstream(dir_ / "broken.bmp") << "not a picture";
    Mail(dir_ / "broken.bmp");
    EXPECT_TRUE(ms::test::Launches().empty());
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"imageEmail Create fail"});
    EXPECT_FALSE(StripClosedItself());
}

TEST(MapiSendMail, StartsTheComposerFromAnArgumentVector) {
    ms::EnsureApplication();
    ms::test::ResetSeams();
    const fs::path file = fs::path(std::getenv("HOME")) / "it's; rm -rf $HOME.txt";
    std::ofstream(file) << "x";
    std::string path = file.string(), name, subject = "Report \"1\"";
    MapiFileDesc desc;
    desc.lpszPathName = path.data();
    desc.lpszFileName = name.data();
    MapiMessage message;
    message.lpszSubject = subject.data();
    message.nFileCount = 1;
    message.lpFiles = &desc;
    EXPECT_EQ(MAPISendMail(0, 0, &message, MAPI_LOGON_UI | MAPI_DIALOG, 0), ULONG(SUCCESS_SUCCESS));
    ASSERT_EQ(ms::test::Launches().size(), 1u);
    EXPECT_EQ(ms::test::Launches()[0].argv,
              (std::vector<std::u16string>{u"xdg-email", u"--utf8", u"--subject", u"Report \"1\"",
                                           u"--attach", ms::FromUtf8(path)}));
    // A missing attachment starts nothing.
    std::string missing = path + ".gone";
    desc.lpszPathName = missing.data();
    EXPECT_EQ(MAPISendMail(0, 0, &message, 0, 0), ULONG(MAPI_E_ATTACHMENT_NOT_FOUND));
    EXPECT_EQ(ms::test::Launches().size(), 1u);
    ms::test::ResetSeams();
}

} // namespace
