// Plays one recording (Motion-JPEG or uncompressed AVI) into a window on a worker thread.
// The control calls (Create, RenderFile, SetDisplayWindow, Run, Pause, Stop, SetPosition,
// Release) are for the user-interface thread; the worker only paints and posts events. Graph
// events reach the notify window as WM_USER_PLAYBACK_EVENT with the event code in wParam.
// The file is read with the AVI reader the recordings are written with: a file shorter than
// its header says, or one whose writer was killed before finishing header and index, plays the
// frames it holds; the duration is what it holds, and a frame that cannot be decoded ends
// playback like the end of the file.
#pragma once

#include "platform/win/WinTypes.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#define WM_USER_PLAYBACK_EVENT (0x0400 + 20)

namespace ms::avi {
class AviReader;
}

class CPlaybackGraph {
public:
    CPlaybackGraph();
    virtual ~CPlaybackGraph();
    CPlaybackGraph(const CPlaybackGraph&) = delete;
    CPlaybackGraph& operator=(const CPlaybackGraph&) = delete;

    virtual bool Create();
    virtual void Release();
    // Opens the file to play. False for a file that cannot be read as an AVI and for one that
    // holds no frame; RenderError says which.
    bool RenderFile(LPCWSTR path);
    enum class RenderFailure { None, Unreadable, NoFrames };
    RenderFailure RenderError() const { return m_renderError; }
    bool SetDisplayWindow(HWND hwnd);
    bool SetNotifyWindow(HWND hwnd);
    bool Run();
    bool Pause();
    bool Stop();
    bool IsRunning() const;
    bool IsPaused() const;
    bool IsStopped() const;
    bool GetPosition(double* seconds) const;
    bool GetDuration(double* seconds) const;
    bool SetPosition(double seconds);
    long FramesPainted() const;

private:
    enum class State { Stopped, Paused, Running };
    void StopWorker();
    bool Halt(State to);
    void Loop(std::stop_token st);
    void Paint(const void* bgr, int w, int h, int step);
    // Paints the frame at the position (the last one at the end); the lock is held and the
    // worker is not running.
    void ShowCurrentFrame();
    // Reads and paints frame `index`; false when it cannot be read. The lock is held.
    bool PaintFrame(long index);

    bool m_created = false;
    State m_state = State::Stopped;
    mutable std::mutex m_lock; // guards everything below the worker touches
    std::unique_ptr<ms::avi::AviReader> m_reader;
    std::vector<uint8_t> m_frame; // the frame being painted, reused
    double m_fps = 0;
    long m_frames = 0; // frames that can really be read
    long m_next = 0;   // the frame the worker shows next
    long m_seeks = 0;  // bumped by every seek so the worker restarts its clock
    RenderFailure m_renderError = RenderFailure::None;
    long m_painted = 0;
    HWND m_notify = nullptr;
    HWND m_display = nullptr;
    int m_displayWidth = 0, m_displayHeight = 0;
    std::condition_variable_any m_wake;
    std::jthread m_thread;
};
