// The main window's input hook: every queued message for the window and its controls passes
// here before dispatch. It feeds the tooltips, translates the hot keys (F2 takes a picture,
// F10 to F12 choose the capture size), runs the window's timers, keeps Esc and Enter from
// closing the dialog, tracks the cursor over the preview, counts the zoom field's clicks,
// opens the right-click popups and takes the still hand-over and the calibration messages.
// Nothing but Esc and Enter is swallowed: what the hook acts on is dispatched afterwards.
//
// Also here: the overlay and snapshot-format commands of the preview popup, the mouse messages
// of the window itself (handed to the live measuring) and the preview's cursor.
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "kit/LangText.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/Popups.h"

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

// Whether the screen point lies in the window's rectangle (false for no window).
bool PointInWindow(HWND hwnd, const POINT& pt) {
    RECT r;
    return hwnd && ::GetWindowRect(hwnd, &r) && CRect(r).PtInRect(pt);
}

} // namespace

// ---- The hook ----

BOOL CMicroscopeDlg::PreTranslateMessage(MSG* msg) {
    const UINT message = msg->message;
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_MOUSEMOVE)
        m_skinButtons.TrackTip(msg->pt);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        TranslateHotKeys(msg);
    m_strip.OnMouse(*msg);
    // Esc and Enter would close the dialog; Esc leaves the full-screen layout instead.
    if (message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) {
        if (msg->wParam == VK_ESCAPE && FullScreen())
            PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        return TRUE;
    }
    if (msg->hwnd == m_hWnd)
        OnHookOwnMessage(*msg);
    OnHookMouse(*msg);
    return CDialog::PreTranslateMessage(msg);
}

// The timers and the private messages posted to the window itself.
void CMicroscopeDlg::OnHookOwnMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_TIMER:
        OnHookTimer(msg.wParam);
        break;
    case WM_APP_STILL_CAPTURED:
        OnStillCaptured(msg.wParam);
        break;
    case WM_APP_SYNC_CALIBRATION:
        m_zoom.OnSyncCalibration();
        break;
    case WM_APP_LIVE_CALIBRATED:
        m_zoom.OnLiveCalibrated();
        break;
    default:
        break;
    }
}

// The preview's cursor and the live mouse; the zoom field's clicks change the magnifier's
// level; a right press on the preview ends an automatic fit or opens the preview's popup.
void CMicroscopeDlg::OnHookMouse(const MSG& msg) {
    auto onZoomField = [&] { return PointInWindow(::GetDlgItem(m_hWnd, IDC_ZOOM_FIELD), msg.pt); };
    switch (msg.message) {
    case WM_MOUSEMOVE:
        if (m_cursorMode != 1)
            TrackPreviewCursor(msg.pt);
        // Only the window's own moves: another window over the preview moves no shape.
        if (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd))
            m_measuring.OnMouseMove(msg.pt);
        break;
    case WM_LBUTTONDOWN:
        if (onZoomField() && g_zoomLevel < 6)
            ++g_zoomLevel;
        break;
    case WM_RBUTTONDOWN:
        if (onZoomField() && g_zoomLevel > 1)
            --g_zoomLevel;
        if (!PointInWindow(::GetDlgItem(m_hWnd, IDC_PREVIEW), msg.pt))
            break;
        // While an automatic tool collects edge points the right button fits its shape.
        if (m_measuring.AutoShapeInProgress())
            m_measuring.FinishAutoShape();
        else
            ShowPreviewPopup(msg.pt);
        break;
    default:
        break;
    }
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
        m_recorder.OnTimerTick();
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

// ---- Popups ----

void CMicroscopeDlg::ShowPreviewPopup(POINT at) {
    TrackAndDelete(BuildPreviewPopup(), at, this);
}

// ---- The cursor ----

void CMicroscopeDlg::ShowExportBusy(bool busy) {
    if (busy && m_waitCursor)
        ::SetCursor(m_waitCursor);
    m_cursorMode = busy ? 1 : 0;
    PostMessage(WM_SETCURSOR, 0, 0);
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
    if (m_connected)
        m_zoom.ToggleScaledOverlay(flag);
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
    m_stills.WarmNumbering();
}

void CMicroscopeDlg::OnFormatJpg() {
    g_imageFormat = 2;
    SaveImageFormat();
    m_stills.WarmNumbering();
}

// ---- The mouse on the window ----

void CMicroscopeDlg::OnLButtonDown(UINT flags, CPoint point) {
    if (m_measuring.LeftPress(point))
        CDialog::OnLButtonDown(flags, point);
}

void CMicroscopeDlg::OnLButtonDblClk(UINT flags, CPoint point) {
    if (m_measuring.DoubleClick(point))
        CDialog::OnLButtonDblClk(flags, point);
}

void CMicroscopeDlg::OnLButtonUp(UINT flags, CPoint point) {
    m_measuring.LeftRelease();
    CDialog::OnLButtonUp(flags, point);
}

void CMicroscopeDlg::OnRButtonDown(UINT flags, CPoint point) {
    if (LiveMeasuring::InPicture(point))
        CDialog::OnRButtonDown(flags, point);
}

BOOL CMicroscopeDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (m_cursorMode != 2)
        return CDialog::OnSetCursor(wnd, hitTest, message);
    if (m_previewCursor)
        ::SetCursor(m_previewCursor);
    return TRUE;
}

void CMicroscopeDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
    if (dis && dis->CtlID == IDC_ZOOM_FIELD)
        m_measuring.DrawMagnifier(*dis);
    else
        CDialog::OnDrawItem(id, dis);
}
