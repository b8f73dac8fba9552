// The test camera (test_camera.py) run by a test: started in a mode on free ports (or on the
// ports of an earlier run, to stand for the same camera coming back), pointed at by the
// program's settings (WAVENOR_CAMERA_ADDRESS and the two ports), stopped with the object. Its
// request log is read back as entries. Everything stays on 127.0.0.1. The live stream's
// benchmark starts its camera the same way.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ms::test {

// One line of the camera's request log.
struct CameraRequestEntry {
    std::string port; // "stream" or "http"
    std::string path;
    std::map<std::string, std::string> query;
    std::string auth; // "user:password" of basic authentication, "" without
};

// How a camera is started. Ports 0: free ones; size 0: the camera's own.
struct TestCameraOptions {
    std::string mode = "normal";
    int streamPort = 0, httpPort = 0;
    double lifetime = 120; // seconds after which it ends by itself
    int width = 0, height = 0;
    // Where its ready file and request log go (both replaced); "" for a new folder in HOME,
    // which each test process has of its own.
    std::filesystem::path folder = {};
};

class TestCameraProcess {
public:
    explicit TestCameraProcess(const std::string& mode, int streamPort = 0, int httpPort = 0,
                               double lifetime = 120)
        : TestCameraProcess(TestCameraOptions{mode, streamPort, httpPort, lifetime}) {}

    explicit TestCameraProcess(const TestCameraOptions& options) {
        namespace fs = std::filesystem;
        dir_ = !options.folder.empty()
                   ? options.folder
                   : fs::path(std::getenv("HOME")) / ("camera-" + std::to_string(++count_));
        fs::create_directories(dir_);
        const std::string ready = (dir_ / "ready.json").string();
        log_ = (dir_ / "requests.jsonl").string();
        fs::remove(ready); // an earlier camera's in a folder given again
        fs::remove(log_);
        std::vector<std::string> args = {"python3",       MS_TEST_CAMERA,
                                         "--mode",        options.mode,
                                         "--lifetime",    std::to_string(options.lifetime),
                                         "--log",         log_,
                                         "--ready-file",  ready,
                                         "--stream-port", std::to_string(options.streamPort),
                                         "--http-port",   std::to_string(options.httpPort)};
        if (options.width > 0 && options.height > 0)
            args.insert(args.end(), {"--width", std::to_string(options.width), "--height",
                                     std::to_string(options.height)});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        // Waiting for the camera's own ready file: a process start, not a frame.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!fs::exists(ready) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream in(ready);
        std::string line;
        std::getline(in, line);
        streamPort_ = Field(line, "stream_port");
        httpPort_ = Field(line, "http_port");
        setenv("WAVENOR_CAMERA_ADDRESS", "127.0.0.1", 1);
        setenv("WAVENOR_STREAM_PORT", std::to_string(streamPort_).c_str(), 1);
        setenv("WAVENOR_HTTP_PORT", std::to_string(httpPort_).c_str(), 1);
    }
    ~TestCameraProcess() { Stop(); }
    TestCameraProcess(const TestCameraProcess&) = delete;
    TestCameraProcess& operator=(const TestCameraProcess&) = delete;

    // Ends the camera as a switched-off one ends: its connections close.
    void Stop() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    bool Ready() const { return streamPort_ > 0 && httpPort_ > 0; }
    int StreamPort() const { return streamPort_; }
    int HttpPort() const { return httpPort_; }
    // The process, for a test that waits for its end itself; Forget() once it was waited for.
    pid_t Pid() const { return pid_; }
    void Forget() { pid_ = -1; }

    // The request log as the camera wrote it.
    std::string Log() const {
        std::ifstream in(log_);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::vector<CameraRequestEntry> Requests() const {
        std::vector<CameraRequestEntry> out;
        std::ifstream in(log_);
        std::string line;
        while (std::getline(in, line)) {
            CameraRequestEntry e;
            e.port = Str(line, "port");
            e.path = Str(line, "path");
            e.auth = Str(line, "auth");
            const auto q = line.find("\"query\": {");
            if (q != std::string::npos) {
                const auto end = line.find('}', q);
                std::string body = line.substr(q + 10, end - q - 10);
                size_t at = 0;
                while ((at = body.find('"', at)) != std::string::npos) {
                    const auto keyEnd = body.find('"', at + 1);
                    const std::string key = body.substr(at + 1, keyEnd - at - 1);
                    const auto valueStart = body.find('"', keyEnd + 1);
                    const auto valueEnd = body.find('"', valueStart + 1);
                    e.query[key] = body.substr(valueStart + 1, valueEnd - valueStart - 1);
                    at = valueEnd + 1;
                }
            }
            out.push_back(e);
        }
        return out;
    }
    // The requests of the stream itself (not picture settings).
    int StreamRequests() const {
        int n = 0;
        for (const CameraRequestEntry& e : Requests())
            if (e.port == "stream" && !e.query.count("action"))
                ++n;
        return n;
    }

private:
    static int Field(const std::string& json, const std::string& name) {
        const auto at = json.find("\"" + name + "\": ");
        return at == std::string::npos ? 0 : std::atoi(json.c_str() + at + name.size() + 4);
    }
    // A string field of one flat JSON line ("" for null or missing).
    static std::string Str(const std::string& json, const std::string& name) {
        const auto at = json.find("\"" + name + "\": \"");
        if (at == std::string::npos)
            return "";
        const auto start = at + name.size() + 5;
        return json.substr(start, json.find('"', start) - start);
    }

    std::filesystem::path dir_;
    std::string log_;
    pid_t pid_ = -1;
    int streamPort_ = 0, httpPort_ = 0;
    static inline int count_ = 0;
};

} // namespace ms::test
