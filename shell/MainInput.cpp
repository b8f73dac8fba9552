// The main window's input hook: every queued message for the window and its controls passes
// here before dispatch. It feeds the tooltips, translates the hot keys (F2 takes a picture,
// F10 to F12 choose the capture size), runs the window's timers, keeps Esc and Enter from
// closing the dialog, tracks the cursor over the preview, counts the zoom field's clicks,
// opens the right-click popups and takes the still hand-over and the calibration messages.
// Nothing but Esc and Enter is swallowed: what the hook acts on is dispatched afterwards.
//
// Also here: the overlay and snapshot-format commands of the preview popup.
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "kit/LangText.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "kit/SkinMenu.h"

#include "capture/CaptureFormat.h"
#include "capture/CaptureWnd.h"
#include "imaging/DibImage.h"
#include "measure/IniTextFile.h"
#include "measure/PhotoMeasureDlg.h"

#include "platform/services/Sound.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

int g_zoomLevel = 3;

namespace {

// One popup entry; a zero id is a separator.
struct PopupEntry {
    UINT id;
    LPCWSTR key;
    LPCWSTR defaultText;
    UINT icon;
};

constexpr PopupEntry kStripEntries[] = {
    {ID_FILE_OPEN, u"Open", u"Open...", 338},
    {0, nullptr, nullptr, 0},
    {ID_FILE_SAVE_AS, u"Save", u"Save as...", 339},
    {ID_FILE_SAVE_ALL, u"SaveAll", u"Save All", 340},
    {0, nullptr, nullptr, 0},
    {ID_FILE_DELETE, u"Delete", u"Delete", 341},
    {ID_FILE_DELETE_ALL, u"DeleteAll", u"Delete All", 342},
    {0, nullptr, nullptr, 0},
    {ID_FILE_SEND_MAIL, u"Email", u"E-Mail", 344},
};

constexpr PopupEntry kPreviewEntries[] = {
    {ID_POPUP_CANCEL, u"Cancel", u"Cancel", 337},
    {0, nullptr, nullptr, 0},
    {ID_OVERLAY_CROSS_LINE, u"Cross", u"Cross Line", 230},
    {ID_OVERLAY_SCALE_BAR, u"Scale", u"Scale", 231},
    {ID_OVERLAY_CIRCLE, u"Circle", u"Circle", 232},
    {ID_OVERLAY_TIME, u"Time", u"Time", 233},
    {0, nullptr, nullptr, 0},
};

CSkinMenu* NewPopup() {
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = kPopupBackColor;
    menu->m_selectColor = kPopupSelectColor;
    return menu;
}

CSkinMenuTextItem* TextItem(UINT id, LPCWSTR key, LPCWSTR defaultText, UINT icon) {
    WCHAR text[32];
    GetLangText(key, text, 32, defaultText);
    return new CSkinMenuTextItem(id, text, icon ? LoadMenuIcon(icon) : nullptr);
}

template <size_t N> void AddEntries(CSkinMenu* menu, const PopupEntry (&entries)[N]) {
    for (const PopupEntry& e : entries) {
        if (e.id == 0)
            menu->AddSeparator();
        else
            menu->AddItem(0, TextItem(e.id, e.key, e.defaultText, e.icon));
    }
}

// Whether the screen point lies in the window's rectangle (false for no window).
bool PointInWindow(HWND hwnd, const POINT& pt) {
    RECT r;
    return hwnd && ::GetWindowRect(hwnd, &r) && CRect(r).PtInRect(pt);
}

} // namespace

// ---- The hook ----

BOOL CMicroscopeDlg::PreTranslateMessage(MSG* msg) {
    const UINT message = msg->message;
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_MOUSEMOVE) {
        for (const ButtonEntry& entry : m_buttons) {
            if (CRect(entry.rect).PtInRect(msg->pt)) {
                if (m_toolTip)
                    ::SendMessage(m_toolTip, TTM_TRACKPOSITION, 0,
                                  MAKELPARAM(msg->pt.x, msg->pt.y));
                break;
            }
        }
    }
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        TranslateHotKeys(msg);
    OnStripMouse(*msg);

    switch (message) {
    case WM_TIMER:
        if (msg->hwnd == m_hWnd)
            OnHookTimer(msg->wParam);
        break;
    case WM_KEYDOWN:
        if (msg->wParam == VK_ESCAPE) {
            if (FullScreen())
                PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
            return TRUE;
        }
        if (msg->wParam == VK_RETURN)
            return TRUE;
        break;
    case WM_MOUSEMOVE:
        if (m_cursorMode != 1)
            TrackPreviewCursor(msg->pt);
        // Only the window's own moves: another window over the preview moves no shape.
        if (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))
            OnLiveMouseMove(msg->pt);
        break;
    case WM_LBUTTONDOWN:
        if (PointInWindow(::GetDlgItem(m_hWnd, IDC_ZOOM_FIELD), msg->pt) && g_zoomLevel < 6)
            ++g_zoomLevel;
        break;
    case WM_RBUTTONDOWN:
        if (PointInWindow(::GetDlgItem(m_hWnd, IDC_ZOOM_FIELD), msg->pt) && g_zoomLevel > 1)
            --g_zoomLevel;
        if (PointInWindow(::GetDlgItem(m_hWnd, IDC_PREVIEW), msg->pt)) {
            // While an automatic tool collects edge points the right button fits its shape.
            if (AutoShapeInProgress())
                FinishAutoShape();
            else
                ShowPreviewPopup(msg->pt);
        }
        break;
    case WM_APP_STILL_CAPTURED:
        if (msg->hwnd == m_hWnd)
            OnStillCaptured(msg->wParam);
        break;
    case WM_APP_SYNC_CALIBRATION:
        if (msg->hwnd == m_hWnd)
            OnSyncCalibration();
        break;
    case WM_APP_LIVE_CALIBRATED:
        if (msg->hwnd == m_hWnd)
            OnLiveCalibrated();
        break;
    default:
        break;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CMicroscopeDlg::TranslateHotKeys(MSG* msg) {
    // Each table sends its own command id, which nothing handles; the action is taken here.
    if (m_accelF2 && TranslateAccelerator(m_hWnd, m_accelF2, msg))
        ::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_CAMERA, BN_CLICKED),
                      reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, IDC_BTN_CAMERA)));
    const HACCEL sizeKeys[kCaptureSizeCount] = {m_accelF10, m_accelF11, m_accelF12};
    for (int index = 0; index < kCaptureSizeCount; ++index) {
        if (sizeKeys[index] && TranslateAccelerator(m_hWnd, sizeKeys[index], msg)) {
            const CaptureSize& size = CaptureSizeOf(g_has1600x1200, index);
            g_captureWnd.SetResolution(size.width, size.height);
        }
    }
}

void CMicroscopeDlg::OnHookTimer(UINT_PTR id) {
    if (id == TIMER_RECONNECT) {
        KillTimer(TIMER_RECONNECT);
        ReconnectDevice();
    } else if (id == TIMER_STARTUP_PROMPT) {
        OnStartupPromptTimer();
    } else if (id == TIMER_RECORD) {
        OnRecordTimerTick();
    }
}

void CMicroscopeDlg::TrackPreviewCursor(const POINT& pt) {
    // WM_SETCURSOR is posted only when the cursor crosses the preview's edge.
    if (PointInWindow(::GetDlgItem(m_hWnd, IDC_PREVIEW), pt)) {
        if (m_inPreview)
            return;
        m_cursorMode = 2;
        PostMessage(WM_SETCURSOR, 0, 0);
        m_inPreview = 1;
        m_outPreview = 0;
    } else if (!m_outPreview) {
        m_cursorMode = 0;
        PostMessage(WM_SETCURSOR, 0, 0);
        m_inPreview = 0;
        m_outPreview = 1;
    }
}

// ---- Private messages ----

void CMicroscopeDlg::OnSyncCalibration() {
    // The photo-measure window's text, which need not end within its buffer.
    const WCHAR* begin = g_calibMagnificationText;
    const std::u16string magnification(begin, std::find(begin, begin + 48, u'\0'));
    if (!magnification.empty() && IsNumericText(CString(magnification.c_str())))
        SetDlgItemText(IDC_SCALE, magnification.c_str());
    ShowCalibratedZoom(g_calibratedZoom);
}

void CMicroscopeDlg::OnLiveCalibrated() {
    if (!ShowCalibratedZoom(g_calibratedZoom))
        return;
    const int haveZoom = ReadZoomScale();
    // Only a number names a calibration entry. A calibration the file did not take would be
    // gone at the next start: the operator is told while it is still in use.
    const CString magnification = MagnificationText(32);
    if (!magnification.IsEmpty() &&
        !StoreCalibration(g_paths.calibIniPath, magnification.GetString(), g_calibratedZoom)) {
        WCHAR text[128];
        GetLangText(u"CalibrationNotSaved", text, 128, u"The calibration could not be saved in");
        AfxMessageBox(CString(text) + u"\n" + CString(g_paths.calibIniPath), MB_OK | MB_ICONEXCLAMATION);
    }
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    if ((shown.showScaleBar || shown.showCircleOverlay) && haveZoom)
        ApplyZoomScale();
}

// ---- The strip's items ----

int CMicroscopeDlg::OpenStripItem(const WCHAR* path) {
    if (!path)
        return 0;
    if (path != m_selectedPath)
        ms::CopyBounded(m_selectedPath, MAX_PATH, path);
    if (!g_listShowsPictures)
        return PostMessage(WM_APP_PLAY_VIDEO, 0, 0) ? 1 : 0;
    const std::u16string name(m_selectedPath);
    const size_t dot = name.rfind(u'.');
    const std::u16string ext = dot == std::u16string::npos ? u"" : name.substr(dot + 1);
    DWORD type = DIBIMAGE_TYPE_UNKNOWN;
    if (ext == u"bmp" || ext == u"BMP")
        type = DIBIMAGE_TYPE_BMP;
    else if (ext == u"jpg" || ext == u"JPG")
        type = DIBIMAGE_TYPE_JPG;
    else
        return 0;
    // The photo-measure window takes only pictures of the capture sizes.
    CDibImage picture;
    if (!picture.LoadFromFile(m_selectedPath, type))
        return 0;
    const DWORD w = picture.GetWidth(), h = picture.GetHeight();
    const bool captureSize = (w == 1280 && h == 1024) || (w == 640 && h == 480) ||
                             (w == 320 && h == 240) || (w == 1280 && h == 960) ||
                             (w == 1600 && h == 1200);
    if (!captureSize)
        return 0;
    return PostMessage(WM_APP_OPEN_PICTURE, 0, 0) ? 1 : 0;
}

// ---- Popups ----

CSkinMenu* CMicroscopeDlg::BuildPreviewPopup() {
    CSkinMenu* menu = NewPopup();
    AddEntries(menu, kPreviewEntries);
    CSkinMenu* format = NewPopup();
    const bool bmp = g_imageFormat == 1;
    format->AddItem(bmp ? MF_CHECKED : 0, TextItem(ID_FORMAT_BMP, u"BMP", u"BMP", 0));
    format->AddItem(bmp ? 0 : MF_CHECKED, TextItem(ID_FORMAT_JPG, u"JPG", u"JPG", 0));
    menu->AddPopup(0, format, TextItem(0, u"Format", u"Format", IDI_RING_DOT));
    return menu;
}

CSkinMenu* CMicroscopeDlg::BuildStripPopup() {
    CSkinMenu* menu = NewPopup();
    AddEntries(menu, kStripEntries);
    return menu;
}

void CMicroscopeDlg::ShowPreviewPopup(POINT at) {
    CSkinMenu* menu = BuildPreviewPopup();
    menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, this);
    delete menu;
}

void CMicroscopeDlg::ShowStripPopup(POINT at) {
    CSkinMenu* menu = BuildStripPopup();
    menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, this);
    delete menu;
}

// ---- Overlay and format commands ----

void CMicroscopeDlg::OnCrossLine() {
    if (m_connected)
        g_liveView.Change([](LiveViewSnapshot& s) { s.showCrossLine = !s.showCrossLine; });
}

void CMicroscopeDlg::OnTimeStamp() {
    if (m_connected)
        g_liveView.Change([](LiveViewSnapshot& s) { s.showDateTime = !s.showDateTime; });
}

void CMicroscopeDlg::ToggleScaledOverlay(int LiveViewSnapshot::*flag) {
    if (!m_connected)
        return;
    if (g_liveView.Snapshot().*flag) {
        g_liveView.Change([flag](LiveViewSnapshot& s) { s.*flag = 0; });
        return;
    }
    // Without a magnification there is no scale to draw; ReadZoomScale asks for one.
    if (!ReadZoomScale())
        return;
    ApplyZoomScale();
    g_liveView.Change([flag](LiveViewSnapshot& s) { s.*flag = 1; });
}

void CMicroscopeDlg::OnScaleBar() {
    ToggleScaledOverlay(&LiveViewSnapshot::showScaleBar);
}

void CMicroscopeDlg::OnCircleOverlay() {
    ToggleScaledOverlay(&LiveViewSnapshot::showCircleOverlay);
}

void CMicroscopeDlg::OnFormatBmp() {
    g_imageFormat = 1;
    SaveImageFormat();
}

void CMicroscopeDlg::OnFormatJpg() {
    g_imageFormat = 2;
    SaveImageFormat();
}
