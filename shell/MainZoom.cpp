// The main window's magnification: the two fields beside the preview (the typed magnification
// 1147 and the calibrated one 1200), read as numbers for the live scales and as text for file
// names and calibration entries.
#include "shell/MicroscopeDlg.h"

#include "kit/LangText.h"
#include "capture/LiveViewState.h"

#include "capture/CaptureWnd.h"
#include "measure/IniTextFile.h"
#include "measure/Units.h"
#include "kit/SaveFolders.h"

#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <cmath>
#include <vector>

namespace {

// A field's magnification: 0 for a text that is no number, not above 0 or not finite.
double FieldNumber(HWND dialog, int id) {
    WCHAR text[64] = {};
    ::GetDlgItemText(dialog, id, text, 64);
    return MagnificationFromText(text);
}

} // namespace

bool CMicroscopeDlg::ShowCalibratedZoom(double calibrated) {
    if (!std::isfinite(calibrated))
        return false;
    ::SetDlgItemText(m_hWnd, IDC_CALIBRATED, m_calibratedField.Show(calibrated).GetString());
    return true;
}

int CMicroscopeDlg::ReadZoomScale() {
    // The calibrated magnification counts before the typed one, except while a calibration
    // command runs: that measures against the typed, nominal magnification. The field shows a
    // calibration rounded; while it does, the calibration counts in full.
    double zoom = 0.0;
    if (!m_live.m_scaleFromEdit) {
        WCHAR text[64] = {};
        ::GetDlgItemText(m_hWnd, IDC_CALIBRATED, text, 64);
        if (!m_calibratedField.Read(CString(text), zoom) || !(zoom > 0.0))
            zoom = MagnificationFromText(text);
    }
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

void CMicroscopeDlg::OnScaleChange() {
    // The calibration of the typed magnification, looked up by its text as typed; an empty
    // field leaves the calibrated one as it is.
    WCHAR typed[64] = {};
    ::GetDlgItemText(m_hWnd, IDC_SCALE, typed, 64);
    if (typed[0]) {
        CString value;
        const double stored = ReadCalibration(g_paths.calibIniPath, typed, value)
                                  ? MagnificationFromText(value.GetString())
                                  : 0.0;
        if (stored > 0.0)
            ShowCalibratedZoom(stored);
        else
            ::SetDlgItemText(m_hWnd, IDC_CALIBRATED, value.GetString());
    }
    // The scale bar and the circle template follow the new magnification at once.
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    if ((shown.showScaleBar || shown.showCircleOverlay) && ReadZoomScale())
        ApplyZoomScale();
}
