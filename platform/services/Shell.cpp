// ShellExecute and WinExec over detached processes started from argument vectors.
#include "platform/services/Shell.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ms {

namespace {

std::mutex& LogMutex() {
    static std::mutex m;
    return m;
}
std::vector<test::Launch>& LaunchLog() {
    static std::vector<test::Launch> log;
    return log;
}
bool& FailNext() {
    static bool fail = false;
    return fail;
}
bool& StartHeadless() {
    static bool start = false;
    return start;
}
std::optional<int>& ExitNext() {
    static std::optional<int> status;
    return status;
}
void RegisterReset() {
    static std::once_flag once;
    std::call_once(once, [] {
        test::AddSeamReset([] {
            std::lock_guard lock(LogMutex());
            LaunchLog().clear();
            FailNext() = false;
            StartHeadless() = false;
            ExitNext().reset();
        });
    });
}

bool Headless() {
    const char* p = std::getenv("QT_QPA_PLATFORM");
    return p && std::strcmp(p, "offscreen") == 0;
}

QString Q(const std::u16string& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

// "http://...", "mailto:..." and the like: anything with a scheme of two letters or more.
bool IsUrl(const std::u16string& s) {
    const std::size_t colon = s.find(u':');
    if (colon == std::u16string::npos || colon < 2)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char16_t c = s[i];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
              c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return true;
}

bool IsExecutableFile(const std::u16string& path) {
    struct stat st {};
    const std::string p = ToUtf8(path);
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

bool Exists(const std::u16string& path) {
    return GetFileAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::u16string Lower(std::u16string s) {
    for (auto& c : s)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

} // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> out;
    std::u16string cur;
    bool inQuotes = false;
    bool any = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (c == u'\\') {
            // Backslashes are literal unless they lead a quote: 2n+1 of them give n and a quote.
            std::size_t n = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++n;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                cur.append(n / 2, u'\\');
                if (n % 2) {
                    cur.push_back(u'"');
                } else {
                    inQuotes = !inQuotes;
                }
                any = true;
            } else {
                cur.append(n, u'\\');
                any = true;
                --i;
            }
            continue;
        }
        if (c == u'"') {
            inQuotes = !inQuotes;
            any = true;
            continue;
        }
        if ((c == u' ' || c == u'\t') && !inQuotes) {
            if (any)
                out.push_back(std::move(cur));
            cur.clear();
            any = false;
            continue;
        }
        cur.push_back(c);
        any = true;
    }
    if (any)
        out.push_back(std::move(cur));
    return out;
}

bool StartProgram(const std::vector<std::u16string>& argv, const std::u16string& directory) {
    if (argv.empty() || argv[0].empty())
        return false;
    RegisterReset();
    {
        std::lock_guard lock(LogMutex());
        LaunchLog().push_back(test::Launch{argv, directory});
        if (FailNext()) {
            FailNext() = false;
            return false;
        }
    }
    {
        std::lock_guard lock(LogMutex());
        if (Headless() && !StartHeadless())
            return true;
    }
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i)
        args << Q(argv[i]);
    QString program = Q(argv[0]);
    if (!program.contains(QLatin1Char('/'))) {
        const QString found = QStandardPaths::findExecutable(program);
        if (found.isEmpty())
            return false;
        program = found;
    }
    return QProcess::startDetached(program, args, Q(directory));
}

int RunProgram(const std::vector<std::u16string>& argv, std::chrono::milliseconds wait) {
    if (argv.empty() || argv[0].empty())
        return kProgramNotStarted;
    RegisterReset();
    {
        std::lock_guard lock(LogMutex());
        LaunchLog().push_back(test::Launch{argv, {}});
        if (FailNext()) {
            FailNext() = false;
            return kProgramNotStarted;
        }
        if (Headless()) {
            const int status = ExitNext().value_or(0);
            ExitNext().reset();
            return status;
        }
    }
    return SpawnAndWait(argv, wait);
}

int SpawnAndWait(const std::vector<std::u16string>& argv, std::chrono::milliseconds wait) {
    if (argv.empty() || argv[0].empty())
        return kProgramNotStarted;
    std::vector<std::string> args;
    for (const auto& a : argv)
        args.push_back(ToUtf8(a));
    std::vector<char*> pointers;
    for (auto& a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, pointers[0], nullptr, nullptr, pointers.data(), environ) != 0)
        return kProgramNotStarted;
    // The reaper outlives a wait that ends first: a helper that goes on running (a mail
    // program in the foreground) is reaped whenever it ends, never left as a zombie.
    auto ended = std::make_shared<std::promise<int>>();
    std::future<int> status = ended->get_future();
    std::thread([pid, ended] {
        int raw = 0;
        pid_t r;
        while ((r = ::waitpid(pid, &raw, 0)) < 0 && errno == EINTR)
            ;
        if (r != pid)
            ended->set_value(kProgramNotStarted);
        else if (WIFEXITED(raw))
            // posix_spawnp reports a program it could not run as exit status 127.
            ended->set_value(WEXITSTATUS(raw) == 127 ? kProgramNotStarted : WEXITSTATUS(raw));
        else
            ended->set_value(128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0));
    }).detach();
    // On the user-interface thread the windows go on painting and the live picture on running
    // meanwhile; the operator's input waits, so nothing re-enters the caller.
    QCoreApplication* app = QCoreApplication::instance();
    const bool keepPainting = app && QThread::currentThread() == app->thread();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return status.wait_for(std::chrono::seconds(0)) == std::future_status::ready
                       ? status.get()
                       : kProgramStillRunning;
        if (!keepPainting) {
            if (status.wait_for(left) == std::future_status::ready)
                return status.get();
            continue;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (status.wait_for(std::min<std::chrono::steady_clock::duration>(
                left, std::chrono::milliseconds(20))) == std::future_status::ready)
            return status.get();
    }
}

} // namespace ms

using namespace ms;

HINSTANCE ShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                       INT) {
    auto result = [](ULONG_PTR v) { return reinterpret_cast<HINSTANCE>(v); };
    if (!file || !*file)
        return result(SE_ERR_FNF);
    const std::u16string v = verb ? Lower(verb) : u"open";
    if (!v.empty() && v != u"open" && v != u"explore")
        return result(SE_ERR_NOASSOC);
    std::u16string target = file;
    const std::u16string dir = directory ? directory : u"";
    if (!IsUrl(target)) {
        for (auto& c : target)
            if (c == u'\\')
                c = u'/';
        if (target[0] != u'/' && !dir.empty())
            target = dir + (dir.back() == u'/' ? u"" : u"/") + target;
        if (!Exists(target))
            return result(SE_ERR_FNF);
        if (IsExecutableFile(target)) {
            std::vector<std::u16string> argv{target};
            if (parameters)
                for (auto& a : SplitCommandLine(parameters))
                    argv.push_back(std::move(a));
            return result(StartProgram(argv, dir) ? 42 : SE_ERR_NOASSOC);
        }
    }
    return result(StartProgram({u"xdg-open", target}, dir) ? 42 : SE_ERR_NOASSOC);
}

UINT WinExec(const char* commandLine, UINT) {
    if (!commandLine)
        return ERROR_FILE_NOT_FOUND;
    std::vector<std::u16string> argv = SplitCommandLine(FromUtf8(commandLine));
    if (argv.empty())
        return ERROR_FILE_NOT_FOUND;
    // The file explorer of the system's command lines is the desktop's folder opener here.
    const std::u16string program = Lower(argv[0]);
    if (program == u"explorer.exe" || program == u"explorer") {
        argv[0] = u"xdg-open";
        for (std::size_t i = 1; i < argv.size(); ++i)
            for (auto& c : argv[i])
                if (c == u'\\')
                    c = u'/';
    }
    return StartProgram(argv) ? 33 : ERROR_FILE_NOT_FOUND;
}

namespace ms::test {

const std::vector<Launch>& Launches() {
    return LaunchLog();
}

void FailNextLaunch() {
    RegisterReset();
    std::lock_guard lock(LogMutex());
    FailNext() = true;
}

void StartProgramsHeadless() {
    RegisterReset();
    std::lock_guard lock(LogMutex());
    StartHeadless() = true;
}

void ExitNextLaunch(int status) {
    RegisterReset();
    std::lock_guard lock(LogMutex());
    ExitNext() = status;
}

} // namespace ms::test
