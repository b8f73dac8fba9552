// The main window's magnification: the two fields beside the preview (the typed magnification
// 1147 and the calibrated one 1200), read as numbers for the live scales and as text for file
// names and calibration entries.
#include "shell/MicroscopeDlg.h"

#include "shell/LangText.h"
#include "shell/LiveViewState.h"

#include "capture/CaptureWnd.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <cmath>
#include <vector>

namespace {

// A field's number; 0 for a text that is no number, not above 0 or not finite, so that no
// division by it and no infinite scale follows.
double FieldNumber(HWND dialog, int id) {
    WCHAR text[64] = {};
    ::GetDlgItemText(dialog, id, text, 64);
    const double value = _wtof(text);
    return std::isfinite(value) && value > 0 ? value : 0.0;
}

} // namespace

int CMicroscopeDlg::ReadZoomScale() {
    double zoom = FieldNumber(m_hWnd, IDC_CALIBRATED);
    if (zoom == 0)
        zoom = FieldNumber(m_hWnd, IDC_SCALE);
    if (zoom == 0) {
        WCHAR text[128];
        GetLangText(u"EnterRate", text, 128, u"Please input the zoomIn scale!");
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    m_zoomRate = zoom;
    g_zoomScale = zoom;
    return 1;
}

void CMicroscopeDlg::ApplyZoomScale() {
    m_liveScale = m_zoomRate / (UnitScale() * 10);
    g_captureWnd.m_liveScale = m_liveScale;
    g_captureWnd.m_liveZoom = m_zoomRate;
    PublishLiveScale();
}

CString CMicroscopeDlg::MagnificationText(int capacity) {
    if (capacity < 1)
        return CString();
    std::vector<WCHAR> text(static_cast<size_t>(capacity), u'\0');
    ::GetDlgItemText(m_hWnd, IDC_SCALE, text.data(), capacity);
    CString result(text.data());
    if (result.IsEmpty() || !IsNumericText(result))
        return CString();
    return result;
}
