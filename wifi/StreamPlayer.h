// One media player of the library, with the frames it decodes handed to this program instead
// of to a window of its own: the library calls the format callback with the video's size (the
// program asks for 32-bit BGRX rows of that size), then, for every frame, the lock callback for
// the buffer to decode into and the display callback when the frame is complete. These run on
// the library's threads. The display callback hands the frame over whole under m_lock (the
// decoded buffer and the shown one change places, nothing is copied) and queues a repaint of
// the output window to the UI thread (InvalidateRect, safe from any thread). The UI thread paints
// the last frame in the window's paint handler under the same lock. Nothing else of the player
// is touched off the UI thread.
//
// The player stops and is released by its destructor; when it returns, no callback runs any
// more.
#pragma once

#include "platform/win/WinTypes.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct libvlc_media_player_t;
class StreamMedia;

class StreamPlayer {
public:
    // Null when the library cannot make a player for the media.
    static std::unique_ptr<StreamPlayer> Create(StreamMedia& media);
    ~StreamPlayer();
    StreamPlayer(const StreamPlayer&) = delete;
    StreamPlayer& operator=(const StreamPlayer&) = delete;

    // The window whose client area shows the frames (null: none). Every frame invalidates it.
    void SetOutputWindow(HWND window) { m_window.store(window); }
    // 0 when the player started; the connection is made on the library's threads afterwards.
    int Play();
    void Stop();
    bool IsPlaying() const;

    // Playback of a file (UI thread). Times are milliseconds; Length and Time say 0 or less
    // while the library does not know them yet.
    void SetPause(bool pause);
    void SetTime(long long ms);
    long long Length() const;
    long long Time() const;
    // The library reached the end of the media.
    bool Ended() const;
    void PreviousChapter();
    void NextChapter();

    // The video's size: the library's own answer (the picture's visible size) when it has
    // one, else the format callback's, which may be padded to the decoder's blocks (320 x 256
    // for 320 x 240); the library has no answer while it records. 0 x 0 until the first
    // format. UI thread.
    void VideoSize(int& width, int& height);
    // Frames handed over since the player was made.
    unsigned long long FrameCount() const { return m_frames.load(); }

    // The library's snapshot of video output 0 into `path` (UTF-8), PNG in the given size (0
    // x 0: the video's). 0 on success; the library cannot take one while it records.
    int TakeSnapshot(const std::string& path, unsigned width, unsigned height);
    // A copy of the last frame handed over: top-down rows of width x 4 bytes, B, G, R, unused.
    // False while there is none.
    bool CopyLastFrame(std::vector<BYTE>& pixels, int& width, int& height) const;
    // Draws the last frame into `client` of `dc` as the library's own output window would:
    // scaled to fit with its aspect kept, centred, the rest black. False (nothing drawn) while
    // there is no frame. UI thread.
    bool PaintFrame(HDC dc, const RECT& client) const;
    // The frame's part that is picture (a known visible size cuts off the padding).
    void PictureSize(int frameWidth, int frameHeight, int& width, int& height) const;

    libvlc_media_player_t* Handle() const { return m_player; }

private:
    explicit StreamPlayer(libvlc_media_player_t* player);

    static unsigned Setup(void** opaque, char* chroma, unsigned* width, unsigned* height,
                          unsigned* pitches, unsigned* lines);
    static void Cleanup(void* opaque);
    static void* Lock(void* opaque, void** planes);
    static void Unlock(void* opaque, void* picture, void* const* planes);
    static void Display(void* opaque, void* picture);

    libvlc_media_player_t* m_player;
    std::atomic<HWND> m_window{nullptr};
    std::atomic<int> m_width{0}, m_height{0};    // the format callback's
    int m_visibleWidth = 0, m_visibleHeight = 0; // the library's answer, UI thread
    std::atomic<unsigned long long> m_frames{0};

    // The library's side: the buffer being decoded into, with its size. Touched only by the
    // library's callbacks, which it runs one after another for a frame.
    std::vector<BYTE> m_decoding;
    int m_decodingWidth = 0, m_decodingHeight = 0;

    // The last complete frame, read by the UI thread.
    mutable std::mutex m_lock;
    std::vector<BYTE> m_shown;
    int m_shownWidth = 0, m_shownHeight = 0;
};
