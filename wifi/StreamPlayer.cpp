#include "wifi/StreamPlayer.h"

#include "wifi/StreamMedia.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"

#include <algorithm>
#include <cstring>
#include <vlc/vlc.h>

std::unique_ptr<StreamPlayer> StreamPlayer::Create(StreamMedia& media) {
    libvlc_media_player_t* player = libvlc_media_player_new_from_media(media.Handle());
    if (!player)
        return nullptr;
    return std::unique_ptr<StreamPlayer>(new StreamPlayer(player));
}

StreamPlayer::StreamPlayer(libvlc_media_player_t* player) : m_player(player) {
    libvlc_video_set_callbacks(m_player, &StreamPlayer::Lock, &StreamPlayer::Unlock,
                               &StreamPlayer::Display, this);
    libvlc_video_set_format_callbacks(m_player, &StreamPlayer::Setup, &StreamPlayer::Cleanup);
}

StreamPlayer::~StreamPlayer() {
    // Stopping ends the input; the video output (and with it the callbacks) ends at the
    // release at the latest.
    libvlc_media_player_stop(m_player);
    libvlc_media_player_release(m_player);
}

int StreamPlayer::Play() {
    return libvlc_media_player_play(m_player);
}

void StreamPlayer::Stop() {
    libvlc_media_player_stop(m_player);
}

bool StreamPlayer::IsPlaying() const {
    return libvlc_media_player_is_playing(m_player) == 1;
}

void StreamPlayer::SetPause(bool pause) {
    libvlc_media_player_set_pause(m_player, pause ? 1 : 0);
}

void StreamPlayer::SetTime(long long ms) {
    libvlc_media_player_set_time(m_player, static_cast<libvlc_time_t>(ms));
}

long long StreamPlayer::Length() const {
    return libvlc_media_player_get_length(m_player);
}

long long StreamPlayer::Time() const {
    return libvlc_media_player_get_time(m_player);
}

bool StreamPlayer::Ended() const {
    return libvlc_media_player_get_state(m_player) == libvlc_Ended;
}

void StreamPlayer::PreviousChapter() {
    libvlc_media_player_previous_chapter(m_player);
}

void StreamPlayer::NextChapter() {
    libvlc_media_player_next_chapter(m_player);
}

int StreamPlayer::TakeSnapshot(const std::string& path, unsigned width, unsigned height) {
    return libvlc_video_take_snapshot(m_player, 0, path.c_str(), width, height);
}

void StreamPlayer::VideoSize(int& width, int& height) {
    unsigned w = 0, h = 0;
    if (libvlc_video_get_size(m_player, 0, &w, &h) == 0 && w > 0 && h > 0 && w <= 16384 &&
        h <= 16384) {
        m_visibleWidth = static_cast<int>(w);
        m_visibleHeight = static_cast<int>(h);
    }
    if (m_visibleWidth > 0 && m_visibleHeight > 0) {
        width = m_visibleWidth;
        height = m_visibleHeight;
    } else {
        width = m_width.load();
        height = m_height.load();
    }
}

void StreamPlayer::PictureSize(int frameWidth, int frameHeight, int& width, int& height) const {
    width = frameWidth;
    height = frameHeight;
    if (m_visibleWidth > 0 && m_visibleHeight > 0) {
        width = std::min(width, m_visibleWidth);
        height = std::min(height, m_visibleHeight);
    }
}

// ---- The library's threads ----

unsigned StreamPlayer::Setup(void** opaque, char* chroma, unsigned* width, unsigned* height,
                             unsigned* pitches, unsigned* lines) {
    auto* self = static_cast<StreamPlayer*>(*opaque);
    // A size the program could not hold refuses the video rather than overrunning a buffer.
    if (*width == 0 || *height == 0 || *width > 16384 || *height > 16384)
        return 0;
    std::memcpy(chroma, "RV32", 4);
    pitches[0] = *width * 4;
    lines[0] = *height;
    self->m_decodingWidth = static_cast<int>(*width);
    self->m_decodingHeight = static_cast<int>(*height);
    self->m_decoding.assign(static_cast<size_t>(pitches[0]) * lines[0], 0);
    self->m_width.store(static_cast<int>(*width));
    self->m_height.store(static_cast<int>(*height));
    return 1;
}

void StreamPlayer::Cleanup(void*) {}

void* StreamPlayer::Lock(void* opaque, void** planes) {
    auto* self = static_cast<StreamPlayer*>(opaque);
    planes[0] = self->m_decoding.data();
    return nullptr;
}

void StreamPlayer::Unlock(void*, void*, void* const*) {}

void StreamPlayer::Display(void* opaque, void*) {
    auto* self = static_cast<StreamPlayer*>(opaque);
    // The library shows the last picture again when no new one came within its refresh time
    // (at 10 frames a second, every frame twice): a frame equal to the one shown is no new
    // frame. Only this thread writes the shown frame, so it is read here without the lock; the
    // comparison of two different frames ends at their first difference.
    if (self->m_decoding.size() == self->m_shown.size() &&
        self->m_decodingWidth == self->m_shownWidth &&
        std::memcmp(self->m_decoding.data(), self->m_shown.data(), self->m_shown.size()) == 0)
        return;
    {
        std::lock_guard lock(self->m_lock);
        self->m_shown.swap(self->m_decoding);
        std::swap(self->m_shownWidth, self->m_decodingWidth);
        std::swap(self->m_shownHeight, self->m_decodingHeight);
        // The buffer given back to the library must hold a frame of the current size.
        if (self->m_decodingWidth != self->m_shownWidth ||
            self->m_decodingHeight != self->m_shownHeight) {
            self->m_decodingWidth = self->m_shownWidth;
            self->m_decodingHeight = self->m_shownHeight;
            self->m_decoding.assign(self->m_shown.size(), 0);
        }
    }
    self->m_frames.fetch_add(1);
    if (HWND window = self->m_window.load())
        ::InvalidateRect(window, nullptr, FALSE);
}

// ---- The UI thread ----

bool StreamPlayer::CopyLastFrame(std::vector<BYTE>& pixels, int& width, int& height) const {
    std::lock_guard lock(m_lock);
    if (m_shown.empty() || m_shownWidth <= 0 || m_shownHeight <= 0)
        return false;
    PictureSize(m_shownWidth, m_shownHeight, width, height);
    // Rows of the picture's width, the padding left out.
    pixels.resize(static_cast<size_t>(width) * 4 * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels.data() + static_cast<size_t>(y) * width * 4,
                    m_shown.data() + static_cast<size_t>(y) * m_shownWidth * 4,
                    static_cast<size_t>(width) * 4);
    return true;
}

bool StreamPlayer::PaintFrame(HDC dc, const RECT& client) const {
    const int cw = client.right - client.left, ch = client.bottom - client.top;
    if (cw <= 0 || ch <= 0)
        return false;
    std::lock_guard lock(m_lock);
    if (m_shown.empty() || m_shownWidth <= 0 || m_shownHeight <= 0)
        return false;
    int fw = 0, fh = 0;
    PictureSize(m_shownWidth, m_shownHeight, fw, fh);
    // Fitted with the aspect kept: the wider of the two ratios decides.
    int dw = cw, dh = ch;
    if (static_cast<long long>(fw) * ch > static_cast<long long>(fh) * cw)
        dh = static_cast<int>(static_cast<long long>(fh) * cw / fw);
    else
        dw = static_cast<int>(static_cast<long long>(fw) * ch / fh);
    const int x = client.left + (cw - dw) / 2, y = client.top + (ch - dh) / 2;

    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT bars[] = {{client.left, client.top, client.right, y},
                         {client.left, y + dh, client.right, client.bottom},
                         {client.left, y, x, y + dh},
                         {x + dw, y, client.right, y + dh}};
    for (const RECT& bar : bars)
        if (bar.right > bar.left && bar.bottom > bar.top)
            FillRect(dc, &bar, black);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = m_shownWidth;
    info.bmiHeader.biHeight = -m_shownHeight; // top-down rows, as the library writes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, x, y, dw, dh, 0, 0, fw, fh, m_shown.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    return true;
}
