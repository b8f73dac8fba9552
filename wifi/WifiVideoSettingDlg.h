// The Video Setting dialog: the camera's resolution and its six picture settings. The dialog
// keeps nothing: every change is sent to the camera when it is made, and every opening sends
// the six defaults (the camera cannot be asked what it holds). A resolution change asks the
// main window to restart the stream five seconds later, when the camera streams in the new
// size.
#pragma once

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"

#include <string>

// One picture setting of the camera and its controls. The ids are the camera's (those of the
// Video4Linux2 controls of the same names).
struct CameraControl {
    int sliderId, editId, spinId;
    int controlId;
    int min, max, defaultValue;
};
// In the order the defaults are sent: brightness, contrast, saturation, hue, gamma, sharpness.
extern const CameraControl kCameraControls[6];

class CWifiVideoSettingDlg : public CDialog {
public:
    explicit CWifiVideoSettingDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void LoadLangTexts();
    // One request; "set format error" over this dialog when it fails.
    void SendCameraRequest(const std::string& url);

protected:
    afx_msg void OnDefault();
    afx_msg void OnSliderReleased(UINT id, NMHDR* header, LRESULT* result);
    afx_msg void OnSliderCustomDraw(UINT id, NMHDR* header, LRESULT* result);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnResolutionChange();
    DECLARE_MESSAGE_MAP()

private:
    void SendControl(const CameraControl& control, int value);
};
