// The Video Setting dialog of Tessary: the capture device, the capture size, the device's
// picture controls and the folder that pictures and videos are saved under.
//
// The dialog works on the capture window directly: a change of device or size rebuilds the
// graph at once and a picture control goes to the device at once; OK and Exit only close it.
// Every refresh (start, device change, WM_APP_DEVICE_CHANGED from the main window's
// reconnection) reads the device's controls anew into the process-wide row table.
#pragma once

#include "capture/CaptureWnd.h"

#include "platform/mfc/AfxWin.h"

#include <functional>
#include <memory>

// Posted to the open dialog when the capture device came back after a reconnection: the dialog
// reads the device's controls anew.
#define WM_APP_DEVICE_CHANGED (WM_APP + 5)

// One picture-control row of the dialog: its controls, the device property it shows and what
// the last refresh read of that property.
struct VideoPropertyInfo {
    int sliderId;
    int labelId;
    int editId;
    WCHAR key[32]; // language key of the label, also its English text
    int property;  // VideoProcAmp_ property
    WCHAR label[32];
    int min, max, step, def, flags;
    int value;
    int supported; // 0 when the device does not offer the property: the row cannot change it
};

inline constexpr int kVideoPropertyRows = 6;
// Brightness, contrast, saturation, sharpness, gamma (all shown) and hue (hidden).
extern VideoPropertyInfo g_videoProperties[kVideoPropertyRows];
// The window of the open (or last) Video Setting dialog; the reconnection posts to it while
// it is still a window.
extern HWND g_videoSettingWnd;

// Writes g_saveBaseDir into "folderpath.dat" of the program folder (520 bytes) and makes its
// "Video" and "Picture" subfolders the save folders, creating them. 0 when the file cannot be
// written: the save folders then stay as they were.
int SaveFolderPath();

class CVideoSettingDlg : public CDialog {
public:
    explicit CVideoSettingDlg(CCaptureWnd& capture = g_captureWnd, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    void RefreshControls();

    // Called once a newly chosen save folder is taken, so that what lists the save folders
    // (the main window's strip) follows at once.
    std::function<void()> m_foldersChanged;

protected:
    afx_msg void OnDeviceChange();
    afx_msg void OnResolutionChange();
    afx_msg void OnSliderReleased(UINT id, NMHDR* header, LRESULT* result);
    afx_msg void OnSliderDraw(UINT id, NMHDR* header, LRESULT* result);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnDefault();
    afx_msg void OnChangePath();
    DECLARE_MESSAGE_MAP()

private:
    void ApplySlider(UINT sliderId);
    void ShowValue(const VideoPropertyInfo& row);

    CCaptureWnd& m_capture;
    std::shared_ptr<IAMVideoProcAmp> m_procAmp;
    // The spin bars, attached so that their scroll messages come with a scroll-bar object.
    CScrollBar m_spinBars[kVideoPropertyRows];
};
