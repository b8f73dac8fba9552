// The main window's commands on the file list's selected item (open, e-mail), the hand-over of
// a recording to the video player, the About box and the links to things outside the program:
// the "Favorite" folder and the support page on the desktop, and the sibling snapshot program.
#include "wifi/CaptureName.h"
#include "wifi/MailDlg.h"
#include "wifi/VideoPlayerDlg.h"
#include "wifi/WifiAboutDlg.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiLanguage.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "wifi_measure/WifiPhotoMeasureDlg.h"

#include "res/WavenorResource.h"

#include "kit/LangText.h"

#include "platform/services/Shell.h"
#include "platform/win/core/WString.h"

#include <string>

namespace {

constexpr LPCWSTR kSupportPageAddress = u"https://www.dorvex.com/support/wavenor";

void SelectFileText(WCHAR* text) {
    GetLangText(u"SelectFile", text, 128, u"Please select an image or video");
}

} // namespace

// The selected picture in the Photo Measure dialog, with the main window's magnification; a
// calibration made there comes back as WM_APP_STORE_CALIBRATION.
LRESULT CWifiMicroscopeDlg::OnShowPicture(WPARAM, LPARAM) {
    CWifiPhotoMeasureDlg dialog(this);
    dialog.m_picturePath = m_selectedPath;
    CString magnification;
    GetDlgItemText(IDC_MAGNIFICATION, magnification);
    dialog.m_magnificationText = magnification;
    dialog.m_calibIniPath = g_paths.calibIniPath;
    dialog.m_printFolder = g_paths.dataDir;
    dialog.m_settings = {LoadWifiSettings, SaveWifiSettings};
    dialog.m_calibrationZoom = &g_calibrationZoom;
    dialog.SetMainWindow(m_hWnd);
    dialog.DoModal();
    return 0;
}

LRESULT CWifiMicroscopeDlg::OnShowVideo(WPARAM, LPARAM) {
    // The item is the recording's companion picture; a recording that is gone is said so
    // instead of opening a player with nothing to play.
    const std::u16string video = VideoOfItem(m_selectedPath);
    if (!IsNonEmptyFile(video.c_str())) {
        WCHAR text[128];
        GetLangText(u"VideoNotOpen", text, 128,
                    u"The video cannot be opened, please check that the file exists!");
        MessageBox((std::u16string(text) + u"\n" + video).c_str(), u"Wavenor",
                   MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    CVideoPlayerDlg player;
    player.m_itemPath = m_selectedPath;
    player.DoModal();
    return 0;
}

void CWifiMicroscopeDlg::OnEmail() {
    CMailDlg mail;
    if (!SelectedListItem(mail.m_itemPath)) {
        WCHAR text[128];
        SelectFileText(text);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    mail.DoModal();
}

void CWifiMicroscopeDlg::OnAbout() {
    CWifiAboutDlg about;
    about.DoModal();
}

void CWifiMicroscopeDlg::OnFavorite() {
    // The desktop's file manager on the folder; a failed start is not reported.
    ShellExecute(m_hWnd, u"explore", g_favoriteDir, nullptr, nullptr, SW_SHOW);
}

void CWifiMicroscopeDlg::OnHelpPage() {
    ShellExecute(m_hWnd, u"open", kSupportPageAddress, nullptr, nullptr, SW_SHOW);
}

void CWifiMicroscopeDlg::OnStartSnapshotProgram() {
    ShellExecute(m_hWnd, u"open", g_snapshotExePath, u"", u"", SW_SHOW);
}

LRESULT CWifiMicroscopeDlg::OnSnapshotProgramRequest(WPARAM, LPARAM) {
    TakeSnapshot(); // takes nothing while no stream plays
    return 1;
}
