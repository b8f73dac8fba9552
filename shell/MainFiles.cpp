// The main window's hand-over of a strip item: a picture to the photo-measure window, a
// recording to the video player. The strip and its file commands are StripFiles'.
#include "measure/PhotoMeasureDlg.h"
#include "shell/MicroscopeDlg.h"

#include "media/AviPlayerDlg.h"
#include "platform/win/core/WString.h"

#include <string>

LRESULT CMicroscopeDlg::OnOpenPicture(WPARAM, LPARAM) {
    if (m_strip.SelectedPictureOpens())
        OpenPhotoMeasureWindow(m_strip.SelectedPath());
    return 0;
}

LRESULT CMicroscopeDlg::OnPlayVideo(WPARAM, LPARAM) {
    const std::u16string video = m_strip.SelectedVideo();
    if (video.empty())
        return 0;
    StopCapture();
    RunVideoPlayer(video.c_str());
    return 0;
}

// One window per picture, beside the main window; it deletes itself when closed, so no pointer
// is kept.
void CMicroscopeDlg::OpenPhotoMeasureWindow(LPCWSTR picturePath) {
    CPhotoMeasureDlg::Open(CString(picturePath), this, m_hWnd);
}

// The player runs modally; its close button asks for the capture to be started again.
void CMicroscopeDlg::RunVideoPlayer(LPCWSTR videoPath) {
    CAviPlayerDlg player;
    ms::CopyBounded(player.m_filePath, MAX_PATH, videoPath);
    player.SetMainWindow(m_hWnd);
    player.DoModal();
}
