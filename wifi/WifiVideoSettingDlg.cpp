#include "wifi/WifiVideoSettingDlg.h"

#include "kit/DialogTexts.h"
#include "wifi/CameraLink.h"
#include "wifi/CameraRequest.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "measure/Units.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Format.h"
#include "res/WavenorResource.h"

#include <algorithm>

const CameraControl kCameraControls[6] = {
    {IDC_WV_BRIGHTNESS_SLIDER, IDC_WV_BRIGHTNESS_VALUE, IDC_WV_BRIGHTNESS_SPIN, 9963776, 0, 255,
     100},
    {IDC_WV_CONTRAST_SLIDER, IDC_WV_CONTRAST_VALUE, IDC_WV_CONTRAST_SPIN, 9963777, 0, 127, 41},
    {IDC_WV_SATURATION_SLIDER, IDC_WV_SATURATION_VALUE, IDC_WV_SATURATION_SPIN, 9963778, 0, 37, 31},
    {IDC_WV_HUE_SLIDER, IDC_WV_HUE_VALUE, IDC_WV_HUE_SPIN, 9963779, -15, 15, -2},
    {IDC_WV_GAMMA_SLIDER, IDC_WV_GAMMA_VALUE, IDC_WV_GAMMA_SPIN, 9963792, 1, 5, 5},
    {IDC_WV_SHARPNESS_SLIDER, IDC_WV_SHARPNESS_VALUE, IDC_WV_SHARPNESS_SPIN, 9963803, 0, 10, 0},
};

namespace {

// The resolution list's entries and the camera's index of each.
struct ResolutionEntry {
    LPCWSTR text;
    int videoIndex;
};
constexpr ResolutionEntry kResolutions[] = {{u"320*240", 5}, {u"640*480", 3}, {u"1280*1024", 4}};

const CameraControl* ControlOfSlider(int id) {
    for (const CameraControl& c : kCameraControls)
        if (c.sliderId == id)
            return &c;
    return nullptr;
}

const CameraControl* ControlOfSpin(int id) {
    for (const CameraControl& c : kCameraControls)
        if (c.spinId == id)
            return &c;
    return nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CWifiVideoSettingDlg, CDialog)
ON_BN_CLICKED(IDC_WV_DEFAULT, OnDefault)
ON_NOTIFY_RANGE(NM_RELEASEDCAPTURE, IDC_WV_BRIGHTNESS_SLIDER, IDC_WV_HUE_SLIDER, OnSliderReleased)
ON_NOTIFY_RANGE(NM_CUSTOMDRAW, IDC_WV_BRIGHTNESS_SLIDER, IDC_WV_HUE_SLIDER, OnSliderCustomDraw)
ON_WM_VSCROLL()
ON_CBN_SELCHANGE(IDC_WV_RESOLUTION, OnResolutionChange)
END_MESSAGE_MAP()

CWifiVideoSettingDlg::CWifiVideoSettingDlg(CWnd* parent)
    : CDialog(IDD_WIFI_VIDEO_SETTING, parent) {}

BOOL CWifiVideoSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LoadLangTexts();
    return TRUE;
}

void CWifiVideoSettingDlg::LoadLangTexts() {
    static const DialogText texts[] = {
        {u"VideoSetting", u"Video Setting", 0},
        {u"DeviceName", u"Device Name", IDC_WV_DEVICE_LABEL},
        {u"VideoCaptionDevice", u"Video Capture Device", IDC_WV_DEVICE_BOX},
        {u"DeviceSetting", u"Device Setting", IDC_WV_SETTING_BOX},
        {u"VideoNorm", u"Video Norm", IDC_WV_NORM_LABEL},
        {u"VideoResolution", u"Video Resolution", IDC_WV_RESOLUTION_LABEL},
        {u"VideoProperies", u"Video Properies", IDC_WV_PROPERTIES_BOX},
        {u"Brightness", u"Brightness", IDC_WV_BRIGHTNESS_LABEL},
        {u"Contrast", u"Contrast", IDC_WV_CONTRAST_LABEL},
        {u"Saturation", u"Saturation", IDC_WV_SATURATION_LABEL},
        {u"Hue", u"Hue", IDC_WV_HUE_LABEL},
        {u"Gamma", u"Gamma", IDC_WV_GAMMA_LABEL},
        {u"Sharpness", u"Sharpness", IDC_WV_SHARPNESS_LABEL},
        {u"Default", u"Default", IDC_WV_DEFAULT},
        {u"Exit", u"Exit", IDCANCEL},
        {u"Ok", u"OK", IDOK},
    };
    SetDialogTexts(m_hWnd, texts);

    SendDlgItemMessage(IDC_WV_DEVICE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Pixaro2Cam"));
    SendDlgItemMessage(IDC_WV_DEVICE, CB_SETCURSEL, 0, 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WV_DEVICE), FALSE);
    SendDlgItemMessage(IDC_WV_NORM, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"MJPEG"));
    SendDlgItemMessage(IDC_WV_NORM, CB_SETCURSEL, 0, 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WV_NORM), FALSE);
    for (const ResolutionEntry& entry : kResolutions)
        SendDlgItemMessage(IDC_WV_RESOLUTION, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(entry.text));
    int selected = 2; // any other size, also one not known yet
    if (g_captureWidth == 320 && g_captureHeight == 240)
        selected = 0;
    else if (g_captureWidth == 640 && g_captureHeight == 480)
        selected = 1;
    SendDlgItemMessage(IDC_WV_RESOLUTION, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    OnDefault();
}

void CWifiVideoSettingDlg::SendCameraRequest(const std::string& url) {
    if (!SendCameraGet(url))
        MessageBox(u"set format error", nullptr, MB_OK);
}

void CWifiVideoSettingDlg::SendControl(const CameraControl& control, int value) {
    SendCameraRequest(CommandUrl(ReadCameraLink(), control.controlId, value));
}

void CWifiVideoSettingDlg::OnDefault() {
    for (const CameraControl& c : kCameraControls) {
        SendDlgItemMessage(c.sliderId, TBM_SETRANGEMIN, FALSE, c.min);
        SendDlgItemMessage(c.sliderId, TBM_SETRANGEMAX, TRUE, c.max);
        SendDlgItemMessage(c.sliderId, TBM_SETPOS, TRUE, c.defaultValue);
        WCHAR text[16];
        swprintf(text, 16, u"%d", c.defaultValue);
        SetDlgItemText(c.editId, text);
    }
    for (const CameraControl& c : kCameraControls)
        SendControl(c, c.defaultValue);
}

void CWifiVideoSettingDlg::OnSliderReleased(UINT id, NMHDR*, LRESULT* result) {
    *result = 0;
    const CameraControl* c = ControlOfSlider(static_cast<int>(id));
    if (!c)
        return;
    const int value = static_cast<int>(SendDlgItemMessage(c->sliderId, TBM_GETPOS));
    WCHAR text[16];
    swprintf(text, 16, u"%3d", value);
    SetDlgItemText(c->editId, text);
    SendControl(*c, value);
}

void CWifiVideoSettingDlg::OnSliderCustomDraw(UINT, NMHDR*, LRESULT* result) {
    *result = 0;
}

void CWifiVideoSettingDlg::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    const int id = bar ? ::GetDlgCtrlID(bar->m_hWnd) : 0;
    const CameraControl* c = ControlOfSpin(id);
    if (c && (code == SB_LINEUP || code == SB_LINEDOWN)) {
        const int current = static_cast<int>(SendDlgItemMessage(c->sliderId, TBM_GETPOS));
        const int next = std::clamp(current + (code == SB_LINEUP ? 1 : -1), c->min, c->max);
        if (next != current) {
            SendDlgItemMessage(c->sliderId, TBM_SETPOS, TRUE, next);
            WCHAR text[16];
            swprintf(text, 16, u"%3d", next);
            SetDlgItemText(c->editId, text);
            SendControl(*c, next);
        }
    }
    CDialog::OnVScroll(code, pos, bar);
}

void CWifiVideoSettingDlg::OnResolutionChange() {
    const LRESULT item = SendDlgItemMessage(IDC_WV_RESOLUTION, CB_GETCURSEL, 0, 0);
    if (item < 0 || item >= static_cast<LRESULT>(std::size(kResolutions)))
        return;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), FALSE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDCANCEL), FALSE);
    SendCameraRequest(ResolutionUrl(ReadCameraLink(), kResolutions[item].videoIndex));
    if (g_mainWnd)
        ::SetTimer(g_mainWnd, TIMER_STREAM_RESTART, 5000, nullptr);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDCANCEL), TRUE);
}
