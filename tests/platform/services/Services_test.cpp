// Sound and shell: PlaySound finds wave resources and files, refuses what is no PCM wave and
// returns at once; ShellExecute and WinExec start argument vectors, never a shell.
#include "../win/window/TestResource.h"

#include "platform/services/ServiceSeams.h"
#include "platform/services/Shell.h"
#include "platform/services/Sound.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

void Write(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

// A PCM wave of `frames` 16-bit mono samples; `dataSize` overrides the data chunk's size.
QByteArray Wave(quint32 frames, qint64 dataSize = -1) {
    auto le32 = [](QByteArray& b, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [](QByteArray& b, quint16 v) {
        b.append(static_cast<char>(v & 0xFF));
        b.append(static_cast<char>(v >> 8));
    };
    QByteArray b("RIFF");
    le32(b, 36 + frames * 2);
    b.append("WAVEfmt ");
    le32(b, 16);
    le16(b, 1);
    le16(b, 1);
    le32(b, 8000);
    le32(b, 16000);
    le16(b, 2);
    le16(b, 16);
    b.append("data");
    le32(b, dataSize < 0 ? frames * 2 : static_cast<quint32>(dataSize));
    b.append(QByteArray(static_cast<qsizetype>(frames) * 2, '\0'));
    return b;
}

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        ASSERT_TRUE(tmp_.isValid());
    }
    void TearDown() override { ms::test::ResetSeams(); }
    QTemporaryDir tmp_;
};

TEST_F(ServicesTest, PlaySoundFindsWavesRefusesOthersAndReturnsAtOnce) {
    const QString good = tmp_.filePath(QStringLiteral("good.wav"));
    const QString cut = tmp_.filePath(QStringLiteral("cut.wav"));
    const QString text = tmp_.filePath(QStringLiteral("text.wav"));
    Write(good, Wave(8000));       // one second: SND_SYNC would wait for it on a real device
    Write(cut, Wave(10, 1000000)); // data chunk claims more than the file holds
    Write(text, QByteArray("not a wave at all"));
    QByteArray memory = Wave(4);

    struct Case {
        LPCWSTR sound;
        DWORD flags;
        BOOL ok;
        std::u16string name;
    };
    const std::u16string goodPath = U(good), cutPath = U(cut), textPath = U(text);
    const Case cases[] = {
        {MAKEINTRESOURCE(IDR_SHUTTER), SND_RESOURCE | SND_ASYNC, TRUE, {}},
        {MAKEINTRESOURCE(9999), SND_RESOURCE | SND_ASYNC, FALSE, {}},
        {goodPath.c_str(), SND_FILENAME | SND_SYNC, TRUE, goodPath},
        {cutPath.c_str(), SND_FILENAME | SND_ASYNC, TRUE, cutPath},
        {textPath.c_str(), SND_FILENAME | SND_ASYNC, FALSE, textPath},
        {u"/no/such/file.wav", SND_FILENAME | SND_ASYNC, FALSE, u"/no/such/file.wav"},
        {reinterpret_cast<LPCWSTR>(memory.constData()), SND_MEMORY | SND_ASYNC, TRUE, u"<memory>"},
        {nullptr, 0, TRUE, u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaySound(c.sound, nullptr, c.flags), c.ok);
    const auto& played = ms::test::PlayedSounds();
    ASSERT_EQ(played.size(), std::size(cases));
    EXPECT_EQ(played[0].name, u"#" + ms::FromUtf8(std::to_string(IDR_SHUTTER)));
    EXPECT_EQ(played[0].flags, static_cast<DWORD>(SND_RESOURCE | SND_ASYNC));
    EXPECT_EQ(played[0].bytes, 44u);
    EXPECT_EQ(played[1].bytes, 0u);
    for (std::size_t i = 2; i < std::size(cases); ++i)
        EXPECT_EQ(played[i].name, cases[i].name) << i;
    EXPECT_EQ(played[3].bytes, static_cast<std::size_t>(Wave(10, 1000000).size()));
}

TEST_F(ServicesTest, ShellExecuteOpensWithTheDesktopHandlerOrStartsPrograms) {
    const QString doc = tmp_.filePath(QStringLiteral("report.doc"));
    const QString tool = tmp_.filePath(QStringLiteral("snapshot"));
    Write(doc, "x");
    Write(tool, "#!/bin/sh\n", true);
    const std::u16string docPath = U(doc), toolPath = U(tool), dir = U(tmp_.path());

    struct Case {
        LPCWSTR verb;
        std::u16string file;
        LPCWSTR params;
        LPCWSTR directory;
        ULONG_PTR result;
        std::vector<std::u16string> argv; // empty: nothing started
    };
    const Case cases[] = {
        {u"open",
         u"https://example.com/a b?x=1&y=2",
         nullptr,
         nullptr,
         42,
         {u"xdg-open", u"https://example.com/a b?x=1&y=2"}},
        {u"open", docPath, nullptr, nullptr, 42, {u"xdg-open", docPath}},
        {nullptr, dir, nullptr, nullptr, 42, {u"xdg-open", dir}},
        {u"open", u"report.doc", u"", dir.c_str(), 42, {u"xdg-open", docPath}},
        {u"open",
         toolPath,
         u"-a \"two words\" ;rm",
         u"",
         42,
         {toolPath, u"-a", u"two words", u";rm"}},
        {u"open", dir + u"/missing.doc", nullptr, nullptr, SE_ERR_FNF, {}},
        {u"print", docPath, nullptr, nullptr, SE_ERR_NOASSOC, {}},
    };
    for (const auto& c : cases) {
        ms::test::ResetSeams();
        const auto r = reinterpret_cast<ULONG_PTR>(
            ShellExecute(nullptr, c.verb, c.file.c_str(), c.params, c.directory, SW_SHOW));
        EXPECT_EQ(r, c.result) << ms::ToUtf8(c.file);
        if (c.argv.empty()) {
            EXPECT_TRUE(ms::test::Launches().empty());
        } else {
            ASSERT_EQ(ms::test::Launches().size(), 1u);
            EXPECT_EQ(ms::test::Launches()[0].argv, c.argv);
        }
    }
    // A handler that cannot start is reported, not taken for success.
    ms::test::FailNextLaunch();
    EXPECT_LE(reinterpret_cast<ULONG_PTR>(
                  ShellExecute(nullptr, u"open", docPath.c_str(), nullptr, nullptr, SW_SHOW)),
              32u);
}

TEST_F(ServicesTest, WinExecSplitsCommandLinesWithoutAShell) {
    struct Case {
        const char* line;
        std::vector<std::u16string> argv;
    };
    const Case cases[] = {
        {"Explorer.exe C:\\Favorite", {u"xdg-open", u"C:/Favorite"}},
        {"\"/opt/web browser/run\" \"https://x.org/?a=1&b=2\"",
         {u"/opt/web browser/run", u"https://x.org/?a=1&b=2"}},
        {"tool $(reboot) `id` | cat", {u"tool", u"$(reboot)", u"`id`", u"|", u"cat"}},
        {"say \"a \\\"quoted\\\" word\" end\\\\", {u"say", u"a \"quoted\" word", u"end\\\\"}},
        {"  spaced\t\targs  ", {u"spaced", u"args"}},
        {"empty \"\" last", {u"empty", u"", u"last"}},
    };
    for (const auto& c : cases) {
        ms::test::ResetSeams();
        EXPECT_GT(WinExec(c.line, SW_SHOW), 31u) << c.line;
        ASSERT_EQ(ms::test::Launches().size(), 1u) << c.line;
        EXPECT_EQ(ms::test::Launches()[0].argv, c.argv) << c.line;
    }
    EXPECT_EQ(WinExec("", SW_SHOW), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    ms::test::FailNextLaunch();
    EXPECT_EQ(WinExec("tool", SW_SHOW), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

// The wait behind the mail composer: a helper's exit status within the wait, and a helper
// that goes on running past it.
TEST_F(ServicesTest, SpawnAndWaitReportsHowTheProgramEnded) {
    using namespace std::chrono_literals;
    const struct {
        std::vector<std::u16string> argv;
        int status;
    } cases[] = {
        {{u"true"}, 0},
        {{u"sh", u"-c", u"exit 3"}, 3},
        {{u"sh", u"-c", u"kill -TERM $$"}, 128 + SIGTERM},
        {{u"no-such-program-of-this-system"}, ms::kProgramNotStarted},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ms::SpawnAndWait(c.argv, 60s), c.status) << ms::ToUtf8(c.argv.back());

    // Blocked on a pipe nobody writes yet: still running when the wait ends, then let go.
    const QString fifo = tmp_.filePath(QStringLiteral("go"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(ms::SpawnAndWait({u"sh", u"-c", u"read line < \"$0\"", U(fifo)}, 50ms),
              ms::kProgramStillRunning);
    QFile go(fifo);
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.write("go\n");
}

TEST_F(ServicesTest, RunProgramOnTheHeadlessPlatformEndsAsScripted) {
    using namespace std::chrono_literals;
    EXPECT_EQ(ms::RunProgram({u"xdg-email", u"--utf8"}, 1s), 0);
    ms::test::ExitNextLaunch(3);
    EXPECT_EQ(ms::RunProgram({u"xdg-email"}, 1s), 3);
    ms::test::FailNextLaunch();
    EXPECT_EQ(ms::RunProgram({u"xdg-email"}, 1s), ms::kProgramNotStarted);
    ASSERT_EQ(ms::test::Launches().size(), 3u);
    EXPECT_EQ(ms::test::Launches()[0].argv, (std::vector<std::u16string>{u"xdg-email", u"--utf8"}));
}

} // namespace
