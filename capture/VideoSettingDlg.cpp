#include "capture/VideoSettingDlg.h"

#include "capture/CaptureFormat.h"
#include "capture/GrabberCallbacks.h"
#include "kit/LangText.h"
#include "kit/SaveFolders.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/ShlObj.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <mutex>

VideoPropertyInfo g_videoProperties[kVideoPropertyRows] = {
    {IDC_VS_BRIGHTNESS_SLIDER,
     IDC_VS_BRIGHTNESS_LABEL,
     IDC_VS_BRIGHTNESS_VALUE,
     u"Brightness",
     VideoProcAmp_Brightness,
     {},
     0,
     0,
     0,
     0,
     0,
     0,
     0},
    {IDC_VS_CONTRAST_SLIDER,
     IDC_VS_CONTRAST_LABEL,
     IDC_VS_CONTRAST_VALUE,
     u"Contrast",
     VideoProcAmp_Contrast,
     {},
     0,
     0,
     0,
     0,
     0,
     0,
     0},
    {IDC_VS_SATURATION_SLIDER,
     IDC_VS_SATURATION_LABEL,
     IDC_VS_SATURATION_VALUE,
     u"Saturation",
     VideoProcAmp_Saturation,
     {},
     0,
     0,
     0,
     0,
     0,
     0,
     0},
    {IDC_VS_SHARPNESS_SLIDER,
     IDC_VS_SHARPNESS_LABEL,
     IDC_VS_SHARPNESS_VALUE,
     u"Sharpness",
     VideoProcAmp_Sharpness,
     {},
     0,
     0,
     0,
     0,
     0,
     0,
     0},
    {IDC_VS_GAMMA_SLIDER,
     IDC_VS_GAMMA_LABEL,
     IDC_VS_GAMMA_VALUE,
     u"Gamma",
     VideoProcAmp_Gamma,
     {},
     0,
     0,
     0,
     0,
     0,
     0,
     0},
    {IDC_VS_HUE_SLIDER,
     IDC_VS_HUE_LABEL,
     IDC_VS_HUE_VALUE,
     u"Hue",
     VideoProcAmp_Hue,
     {},
     0,
     0,
     0,
     0,
     0,
     0,
     0},
};

HWND g_videoSettingWnd = nullptr;

namespace {

constexpr int kGammaRow = 4;
constexpr int kHueRow = 5;
// The spin bar of row r is IDC_VS_BRIGHTNESS_SPIN + r.
constexpr int kFirstSpin = IDC_VS_BRIGHTNESS_SPIN;
constexpr int kLastSpin = IDC_VS_HUE_SPIN;

constexpr const WCHAR* kLargeHotKeys = u"F10\uFF1A640x480  F11: 1280x960   F12: 1600x1200";
constexpr const WCHAR* kSmallHotKeys = u" F10\uFF1A320x240  F11: 640x480   F12: 1280x1024";

int SpinOfRow(int row) {
    return kFirstSpin + row;
}

// The resolution list's entry for the width of the last frame, or -1.
int ResolutionIndexOfWidth(int has1600x1200, int width) {
    for (int i = 0; i < kCaptureSizeCount; ++i)
        if (CaptureSizeOf(has1600x1200, i).width == width)
            return i;
    return -1;
}

} // namespace

int SaveFolderPath() {
    WCHAR file[MAX_PATH];
    swprintf(file, MAX_PATH, u"%s/folderpath.dat", ms::ProgramDataDir().c_str());
    HANDLE h = CreateFile(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    // The reader stops at the terminator; what follows is zero so that no older, longer path
    // shows through.
    WCHAR bytes[MAX_PATH] = {};
    ms::CopyBounded(bytes, MAX_PATH, g_saveBaseDir);
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes, kFolderPathFileSize, &written, nullptr);
    CloseHandle(h);
    if (!ok || written != kFolderPathFileSize)
        return 0;
    swprintf(g_paths.videoDir, MAX_PATH, u"%s/Video", g_saveBaseDir);
    swprintf(g_paths.pictureDir, MAX_PATH, u"%s/Picture", g_saveBaseDir);
    CreateDirectory(g_paths.videoDir, nullptr);
    CreateDirectory(g_paths.pictureDir, nullptr);
    return 1;
}

BEGIN_MESSAGE_MAP(CVideoSettingDlg, CDialog)
ON_CBN_SELCHANGE(IDC_VS_DEVICE, OnDeviceChange)
ON_CBN_SELCHANGE(IDC_VS_RESOLUTION, OnResolutionChange)
ON_NOTIFY_RANGE(NM_RELEASEDCAPTURE, IDC_VS_BRIGHTNESS_SLIDER, IDC_VS_HUE_SLIDER, OnSliderReleased)
ON_NOTIFY_RANGE(NM_CUSTOMDRAW, IDC_VS_BRIGHTNESS_SLIDER, IDC_VS_HUE_SLIDER, OnSliderDraw)
ON_WM_VSCROLL()
ON_BN_CLICKED(IDC_VS_DEFAULT, OnDefault)
ON_BN_CLICKED(IDC_VS_BROWSE, OnChangePath)
END_MESSAGE_MAP()

CVideoSettingDlg::CVideoSettingDlg(CCaptureWnd& capture, CWnd* parent)
    : CDialog(IDD_VIDEO_SETTING, parent), m_capture(capture) {}

BOOL CVideoSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int r = 0; r < kVideoPropertyRows; ++r)
        m_spinBars[r].SubclassDlgItem(SpinOfRow(r), this);
    g_videoSettingWnd = m_hWnd;
    RefreshControls();
    return TRUE;
}

BOOL CVideoSettingDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_APP_DEVICE_CHANGED && msg->hwnd == m_hWnd)
        RefreshControls();
    return CDialog::PreTranslateMessage(msg);
}

void CVideoSettingDlg::ShowValue(const VideoPropertyInfo& row) {
    WCHAR text[16];
    swprintf(text, 16, u"%3d", row.value);
    SetDlgItemText(row.editId, text);
}

void CVideoSettingDlg::RefreshControls() {
    SendDlgItemMessage(IDC_VS_DEVICE, CB_RESETCONTENT);
    SendDlgItemMessage(IDC_VS_NORM, CB_RESETCONTENT);
    SendDlgItemMessage(IDC_VS_RESOLUTION, CB_RESETCONTENT);
    if (m_capture.QueryVideoProcAmp(&m_procAmp) != S_OK || !m_procAmp) {
        m_procAmp.reset();
        return;
    }

    for (VideoPropertyInfo& row : g_videoProperties) {
        long min = 0, max = 0, step = 0, def = 0, caps = 0, value = 0, flags = 0;
        row.supported = m_procAmp->GetRange(row.property, &min, &max, &step, &def, &caps) == S_OK &&
                        m_procAmp->Get(row.property, &value, &flags) == S_OK;
        if (!row.supported)
            min = max = step = def = caps = value = 0;
        row.min = static_cast<int>(min);
        row.max = static_cast<int>(max);
        row.step = static_cast<int>(step);
        row.def = static_cast<int>(def);
        row.flags = static_cast<int>(caps);
        row.value = static_cast<int>(value);
        GetLangText(row.key, row.label, 32, row.key);
    }

    WCHAR text[256];
    GetLangText(u"VideoSetting", text, 256, u"Video Setting");
    SetWindowText(text);
    static constexpr struct {
        const WCHAR* key;
        const WCHAR* english;
        int id;
    } kTexts[] = {
        {u"DeviceName", u"Device Name", IDC_VS_DEVICE_LABEL},
        {u"VideoCaptionDevice", u"Video Capture Device", IDC_VS_DEVICE_BOX},
        {u"DeviceSetting", u"Device Setting", IDC_VS_SETTING_BOX},
        {u"VideoNorm", u"Video Norm", IDC_VS_NORM_LABEL},
        {u"VideoResolution", u"Video Resolution", IDC_VS_RESOLUTION_LABEL},
        {u"VideoProperies", u"Video Properies", IDC_VS_PROPERTIES_BOX},
        {u"HotKey", u"HotKey", IDC_VS_HOTKEY_LABEL},
        {u"ChangePath", u"Change Save Path", IDC_VS_PATH_BOX},
        {u"Default", u"Default", IDC_VS_DEFAULT},
        {u"Exit", u"Exit", IDCANCEL},
        {u"Ok", u"OK", IDOK},
    };
    for (const auto& t : kTexts) {
        GetLangText(t.key, text, 256, t.english);
        SetDlgItemText(t.id, text);
    }
    SetDlgItemText(IDC_VS_SAVE_PATH, g_saveBaseDir);

    for (int r = 0; r < kVideoPropertyRows; ++r) {
        const VideoPropertyInfo& row = g_videoProperties[r];
        SendDlgItemMessage(row.sliderId, TBM_SETRANGEMIN, FALSE, row.min);
        SendDlgItemMessage(row.sliderId, TBM_SETRANGEMAX, TRUE, row.max);
        SendDlgItemMessage(row.sliderId, TBM_SETPOS, TRUE, row.value);
        ShowValue(row);
        SetDlgItemText(row.labelId, row.label);
        // A property the device lacks keeps its row, which then cannot change anything.
        ::EnableWindow(::GetDlgItem(m_hWnd, row.sliderId), row.supported);
        ::EnableWindow(::GetDlgItem(m_hWnd, SpinOfRow(r)), row.supported);
    }

    const CaptureDeviceInfo* devices = m_capture.GetDeviceTable();
    for (int i = 0; i < kMaxCaptureDevices; ++i) {
        const CaptureDeviceInfo& entry = devices[i];
        if (!entry.moniker || !entry.friendlyName[0])
            continue;
        const LRESULT item = SendDlgItemMessage(IDC_VS_DEVICE, CB_ADDSTRING, 0,
                                                reinterpret_cast<LPARAM>(entry.friendlyName));
        if (item < 0)
            continue;
        SendDlgItemMessage(IDC_VS_DEVICE, CB_SETITEMDATA, static_cast<WPARAM>(item), i);
        if (entry.active == 1)
            SendDlgItemMessage(IDC_VS_DEVICE, CB_SETCURSEL, static_cast<WPARAM>(item));
    }

    SendDlgItemMessage(IDC_VS_NORM, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"N/A"));
    SendDlgItemMessage(IDC_VS_NORM, CB_SETCURSEL, 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_VS_NORM), FALSE);

    for (int i = 0; i < kCaptureSizeCount; ++i)
        SendDlgItemMessage(IDC_VS_RESOLUTION, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(CaptureSizeOf(g_has1600x1200, i).text));
    int frameWidth = 0;
    {
        std::lock_guard lock(g_frameLock);
        frameWidth = g_frameInfo.biWidth;
    }
    SendDlgItemMessage(IDC_VS_RESOLUTION, CB_SETCURSEL,
                       static_cast<WPARAM>(ResolutionIndexOfWidth(g_has1600x1200, frameWidth)));
    SetDlgItemText(IDC_VS_HOTKEYS, g_has1600x1200 ? kLargeHotKeys : kSmallHotKeys);

    const VideoPropertyInfo& gamma = g_videoProperties[kGammaRow];
    const VideoPropertyInfo& hue = g_videoProperties[kHueRow];
    for (int id : {gamma.sliderId, gamma.labelId, gamma.editId, SpinOfRow(kGammaRow)})
        ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_SHOW);
    for (int id : {hue.sliderId, hue.labelId, hue.editId, SpinOfRow(kHueRow)})
        ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
}

void CVideoSettingDlg::OnDeviceChange() {
    const LRESULT item = SendDlgItemMessage(IDC_VS_DEVICE, CB_GETCURSEL);
    if (item < 0)
        return;
    m_capture.SelectDevice(
        static_cast<int>(SendDlgItemMessage(IDC_VS_DEVICE, CB_GETITEMDATA, item)));
    RefreshControls();
}

void CVideoSettingDlg::OnResolutionChange() {
    const LRESULT item = SendDlgItemMessage(IDC_VS_RESOLUTION, CB_GETCURSEL);
    // Only the first two entries are taken as chosen; the last entry and no choice at all both
    // mean the largest size.
    const int index = item == 0 || item == 1 ? static_cast<int>(item) : kDefaultSizeIndex;
    const CaptureSize& size = CaptureSizeOf(g_has1600x1200, index);
    m_capture.SetResolution(size.width, size.height);
}

void CVideoSettingDlg::ApplySlider(UINT sliderId) {
    if (!m_procAmp)
        return;
    for (VideoPropertyInfo& row : g_videoProperties) {
        if (row.sliderId != static_cast<int>(sliderId))
            continue;
        if (!row.supported)
            return;
        row.value = static_cast<int>(SendDlgItemMessage(row.sliderId, TBM_GETPOS));
        m_procAmp->Set(row.property, row.value, row.flags);
        ShowValue(row);
        return;
    }
}

void CVideoSettingDlg::OnSliderReleased(UINT id, NMHDR*, LRESULT* result) {
    ApplySlider(id);
    *result = 0;
}

// Comes with every repaint of a slider, so each repaint sends the slider's position again.
void CVideoSettingDlg::OnSliderDraw(UINT id, NMHDR*, LRESULT* result) {
    ApplySlider(id);
    *result = 0;
}

void CVideoSettingDlg::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (m_procAmp && (code == SB_LINEUP || code == SB_LINEDOWN)) {
        const int id = bar ? ::GetDlgCtrlID(bar->m_hWnd) : 0;
        if (id < kFirstSpin || id > kLastSpin)
            return;
        VideoPropertyInfo& row = g_videoProperties[id - kFirstSpin];
        if (row.supported) {
            const int current = static_cast<int>(SendDlgItemMessage(row.sliderId, TBM_GETPOS));
            const int lo = static_cast<int>(SendDlgItemMessage(row.sliderId, TBM_GETRANGEMIN));
            const int hi = static_cast<int>(SendDlgItemMessage(row.sliderId, TBM_GETRANGEMAX));
            const int next =
                std::clamp(current + (code == SB_LINEUP ? 1 : -1), lo, std::max(lo, hi));
            if (next != current) {
                SendDlgItemMessage(row.sliderId, TBM_SETPOS, TRUE, next);
                row.value = next;
                m_procAmp->Set(row.property, row.value, row.flags);
                ShowValue(row);
            }
        }
    }
    CDialog::OnVScroll(code, pos, bar);
}

void CVideoSettingDlg::OnDefault() {
    if (!m_procAmp)
        return;
    for (VideoPropertyInfo& row : g_videoProperties) {
        if (!row.supported)
            continue;
        SendDlgItemMessage(row.sliderId, TBM_SETPOS, TRUE, row.def);
        row.value = row.def;
        row.flags = VideoProcAmp_Flags_Auto;
        m_procAmp->Set(row.property, row.def, VideoProcAmp_Flags_Auto);
        ShowValue(row);
    }
    SendDlgItemMessage(IDC_VS_RESOLUTION, CB_SETCURSEL, kDefaultSizeIndex);
    SendDlgItemMessage(IDC_VS_NORM, CB_SETCURSEL, kDefaultSizeIndex);
    OnResolutionChange();
}

void CVideoSettingDlg::OnChangePath() {
    // The chosen folder replaces the save folder only once the browser returns one: a
    // cancelled browse leaves the save folder as it was.
    WCHAR name[MAX_PATH] = {};
    BROWSEINFO bi{};
    bi.hwndOwner = m_hWnd;
    bi.pidlRoot = nullptr;
    bi.pszDisplayName = name;
    bi.lpszTitle = u"Please select folder";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE folder = SHBrowseForFolder(&bi);
    if (!folder)
        return;
    WCHAR path[MAX_PATH] = {};
    if (SHGetPathFromIDList(folder, path)) {
        WCHAR previous[MAX_PATH];
        ms::CopyBounded(previous, MAX_PATH, g_saveBaseDir);
        ms::CopyBounded(g_saveBaseDir, MAX_PATH, path);
        // A folder that cannot be stored is not taken: pictures would otherwise go on into the
        // old folders while the new one is shown.
        if (!SaveFolderPath())
            ms::CopyBounded(g_saveBaseDir, MAX_PATH, previous);
        else if (m_foldersChanged)
            m_foldersChanged();
        SetDlgItemText(IDC_VS_SAVE_PATH, g_saveBaseDir);
    }
    ILFree(folder);
}
