// The live stream in the video area and the snapshots taken of it. The stream goes through
// the media-player library (StreamInstance, StreamMedia, StreamPlayer); its frames are painted
// by the video area (CLiveVideoWnd). All of this runs on the UI thread.
#include "wifi/CameraLink.h"
#include "wifi/CaptureName.h"
#include "wifi/StreamInstance.h"
#include "wifi/StreamMedia.h"
#include "wifi/StreamPlayer.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "imaging/DibImage.h"
#include "kit/LangText.h"

#include "platform/services/Sound.h"
#include "platform/win/core/Time.h"
#include "platform/win/core/WString.h"
#include "res/WavenorResource.h"

#include <vector>

namespace {

constexpr int kShutterSound = 181;

// The recording option: the stream shown and, duplicated, written into an MP4 file. libvlc 3
// names the duplicating stream output "duplicate".
std::string RecordingOption(const std::u16string& mp4Path) {
    return ":sout=#duplicate{dst=display,dst=std{access=file,mux=mp4,dst=\"" + ms::ToUtf8(mp4Path) +
           "\"}}";
}

// The last frame as a 24-bit PNG through the image library; false when there is no frame or
// the file could not be written.
bool SaveLastFrame(const StreamPlayer& player, const WCHAR* path) {
    std::vector<BYTE> bgrx;
    int width = 0, height = 0;
    if (!player.CopyLastFrame(bgrx, width, height))
        return false;
    std::vector<BYTE> bgr(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
    for (size_t i = 0, n = static_cast<size_t>(width) * static_cast<size_t>(height); i < n; ++i) {
        bgr[i * 3] = bgrx[i * 4];
        bgr[i * 3 + 1] = bgrx[i * 4 + 1];
        bgr[i * 3 + 2] = bgrx[i * 4 + 2];
    }
    CDibImage image;
    if (!image.CreateFromBuffer(bgr.data(), static_cast<DWORD>(width), static_cast<DWORD>(height),
                                24, static_cast<DWORD>(width) * 3, true))
        return false;
    return image.SaveToFile(path, DIBIMAGE_TYPE_PNG);
}

} // namespace

void CWifiMicroscopeDlg::StartLiveView() {
    if (g_previewState == 3) {
        // The stream kept running behind the still view: unfreezing shows it again without a
        // new connection.
        FreezeLiveImage(TRUE);
        g_previewState = 2;
        if (m_vlcPlayer && m_vlcPlayer->IsPlaying())
            return;
        // The stream ended while the frame was frozen: connect again.
    }
    m_playing = 0;
    // The old player goes first: a recording it wrote is finished before the next begins.
    ReleasePlayer();
    m_vlcInstance.reset();

    m_vlcInstance = StreamInstance::Create();
    if (!m_vlcInstance) {
        MessageBox(u"initial fault", nullptr, MB_OK);
        return;
    }
    std::unique_ptr<StreamMedia> media =
        StreamMedia::FromLocation(*m_vlcInstance, StreamUrl(ReadCameraLink()));
    if (!media) {
        MessageBox(u"open video fault", nullptr, MB_OK);
        return;
    }
    media->AddOption(":network-caching=10");
    const bool recording = g_isRecording == 1;
    if (recording) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        ms::CopyBounded(m_videoPath, MAX_PATH, NewCaptureName(g_paths.videoDir, now, u".mp4"));
        media->AddOption(RecordingOption(m_videoPath));
    }
    m_vlcPlayer = StreamPlayer::Create(*media);
    media.reset(); // the player holds its own reference
    if (!m_vlcPlayer) {
        MessageBox(u"open video fault", nullptr, MB_OK);
        return;
    }
    m_playerRecords = recording;
    m_vlcPlayer->SetOutputWindow(m_videoWnd.m_hWnd);
    m_videoWnd.SetPlayer(m_vlcPlayer.get());
    if (m_vlcPlayer->Play() != 0)
        return;

    m_playing = 1;
    g_previewState = 2;
    EnableCaptureButtons();
    EnableToolButtons();
    GetLangText(u"ConnectIng", g_statusText, 128, u"Connecting..., please wait.");
    SetDlgItemText(IDC_VIDEO, g_statusText);
    SetTimer(TIMER_FIRST_FRAME, 3000, nullptr);
}

void CWifiMicroscopeDlg::StopLiveView() {
    m_playing = 0;
    ReleasePlayer();
    m_vlcInstance.reset();
}

void CWifiMicroscopeDlg::ReleasePlayer() {
    if (!m_vlcPlayer)
        return;
    m_videoWnd.SetPlayer(nullptr);
    const bool wrote = m_playerRecords;
    m_vlcPlayer.reset();
    m_playerRecords = false;
    if (wrote)
        AddRecordingThumbnail();
}

void CWifiMicroscopeDlg::TakeSnapshot() {
    if (m_playing != 1 || !m_vlcPlayer)
        return;
    ReadVideoSize();
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::u16string path = NewCaptureName(g_paths.pictureDir, now, u".png");
    if (!WriteCurrentFrame(path))
        return;
    ListPicture(path.c_str());
    PlaySound(MAKEINTRESOURCE(kShutterSound), g_hInstance, SND_RESOURCE | SND_ASYNC);
}

bool CWifiMicroscopeDlg::WriteCurrentFrame(const std::u16string& path) {
    if (!m_vlcPlayer)
        return false;
    // The library takes the snapshot of the shown frame; while it records it cannot, and the
    // last frame handed over is written instead.
    if (m_vlcPlayer->TakeSnapshot(ms::ToUtf8(path), 0, 0) != 0 || !IsNonEmptyFile(path.c_str()))
        SaveLastFrame(*m_vlcPlayer, path.c_str());
    return IsNonEmptyFile(path.c_str());
}

bool CWifiMicroscopeDlg::ReadVideoSize() {
    if (!m_vlcPlayer)
        return false;
    int width = 0, height = 0;
    m_vlcPlayer->VideoSize(width, height);
    if (width <= 0 || height <= 0)
        return false;
    g_captureWidth = width;
    g_captureHeight = height;
    return true;
}
