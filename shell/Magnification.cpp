#include "shell/Magnification.h"

#include "kit/LangText.h"
#include "kit/ProgramPaths.h"
#include "shell/LiveTools.h"

#include "capture/CaptureWnd.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

int IsNumericText(CString text) {
    for (int i = 0; i < text.GetLength(); ++i) {
        const WCHAR c = text[i];
        if (!((c >= u'0' && c <= u'9') || c == u'.'))
            return 0;
    }
    return 1;
}

namespace {

// A field's magnification: 0 for a text that is no number, not above 0 or not finite.
double FieldNumber(HWND dialog, int id) {
    WCHAR text[64] = {};
    ::GetDlgItemText(dialog, id, text, 64);
    return MagnificationFromText(text);
}

} // namespace

bool Magnification::ShowCalibrated(double calibrated) {
    if (!std::isfinite(calibrated))
        return false;
    ::SetDlgItemText(m_window.m_hWnd, IDC_CALIBRATED,
                     m_calibratedField.Show(calibrated).GetString());
    return true;
}

int Magnification::Read(bool typedOnly) {
    // The field shows a calibration rounded; while it does, the calibration counts in full.
    double zoom = 0.0;
    if (!typedOnly) {
        WCHAR text[64] = {};
        ::GetDlgItemText(m_window.m_hWnd, IDC_CALIBRATED, text, 64);
        if (!m_calibratedField.Read(CString(text), zoom) || !(zoom > 0.0))
            zoom = MagnificationFromText(text);
    }
    if (zoom == 0)
        zoom = FieldNumber(m_window.m_hWnd, IDC_SCALE);
    if (zoom == 0) {
        WCHAR text[128];
        GetLangText(u"EnterRate", text, 128, u"Please input the zoomIn scale!");
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    m_rate = zoom;
    g_zoomScale = zoom;
    return 1;
}

void Magnification::Apply() {
    g_captureWnd.m_liveScale = m_rate / (UnitScale() * 10);
    g_captureWnd.m_liveZoom = m_rate;
    PublishLiveScale();
}

CString Magnification::Text(int capacity) const {
    if (capacity < 1)
        return CString();
    std::vector<WCHAR> text(static_cast<size_t>(capacity), u'\0');
    ::GetDlgItemText(m_window.m_hWnd, IDC_SCALE, text.data(), capacity);
    CString result(text.data());
    if (result.IsEmpty() || !IsNumericText(result))
        return CString();
    return result;
}

void Magnification::OnTypedChanged() {
    // The calibration of the typed magnification, looked up by its text as typed; an empty
    // field leaves the calibrated one as it is.
    WCHAR typed[64] = {};
    ::GetDlgItemText(m_window.m_hWnd, IDC_SCALE, typed, 64);
    if (typed[0]) {
        CString value;
        const double stored = ReadCalibration(g_paths.calibIniPath, typed, value)
                                  ? MagnificationFromText(value.GetString())
                                  : 0.0;
        if (stored > 0.0)
            ShowCalibrated(stored);
        else
            ::SetDlgItemText(m_window.m_hWnd, IDC_CALIBRATED, value.GetString());
    }
    // The scale bar and the circle template follow the new magnification at once.
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    if ((shown.showScaleBar || shown.showCircleOverlay) && Read())
        Apply();
}

void Magnification::OnSyncCalibration() {
    // The photo-measure window's text, which need not end within its buffer.
    const WCHAR* begin = g_calibMagnificationText;
    const std::u16string magnification(begin, std::find(begin, begin + 48, u'\0'));
    if (!magnification.empty() && IsNumericText(CString(magnification.c_str())))
        ::SetDlgItemText(m_window.m_hWnd, IDC_SCALE, magnification.c_str());
    ShowCalibrated(g_calibratedZoom);
}

void Magnification::OnLiveCalibrated() {
    if (!ShowCalibrated(g_calibratedZoom))
        return;
    const int haveZoom = Read();
    // Only a number names a calibration entry. A calibration the file did not take would be
    // gone at the next start: the operator is told while it is still in use.
    const CString magnification = Text(32);
    if (!magnification.IsEmpty() &&
        !StoreCalibration(g_paths.calibIniPath, magnification.GetString(), g_calibratedZoom)) {
        WCHAR text[128];
        GetLangText(u"CalibrationNotSaved", text, 128, u"The calibration could not be saved in");
        AfxMessageBox(CString(text) + u"\n" + CString(g_paths.calibIniPath),
                      MB_OK | MB_ICONEXCLAMATION);
    }
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    if ((shown.showScaleBar || shown.showCircleOverlay) && haveZoom)
        Apply();
}

void Magnification::ToggleScaledOverlay(int LiveViewSnapshot::*flag) {
    if (g_liveView.Snapshot().*flag) {
        g_liveView.Change([flag](LiveViewSnapshot& s) { s.*flag = 0; });
        return;
    }
    // Without a magnification there is no scale to draw; Read asks for one.
    if (!Read())
        return;
    Apply();
    g_liveView.Change([flag](LiveViewSnapshot& s) { s.*flag = 1; });
}
