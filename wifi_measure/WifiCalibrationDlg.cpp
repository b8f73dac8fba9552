#include "wifi_measure/WifiCalibrationDlg.h"

#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "kit/LangText.h"

#include "platform/win/core/WString.h"
#include "res/WavenorResource.h"

namespace {
constexpr int kTextBuffer = 240;
} // namespace

double MillimetresInUnit(double millimetres, const WCHAR* unit) {
    if (wcscmp(unit, u"inch") == 0)
        return millimetres * 0.03937007874015748;
    if (wcscmp(unit, u"mil") == 0)
        return millimetres * 5000.0 * 0.007874015748031496;
    if (wcscmp(unit, u"cm") == 0)
        return millimetres * 0.1;
    return millimetres;
}

double CalibratedZoomOf(double pixels, double pixelScale, double distance) {
    if (!(pixels > 0.0) || !(pixelScale > 0.0) || !(distance > 0.0))
        return 0.0;
    return pixels * pixelScale * 10.0 / distance;
}

CString CalibrationLineLabel(double pixels, double pixelScale, double calibratedZoom,
                             double zoomScale) {
    const double zoom = calibratedZoom > 0.0 ? calibratedZoom : zoomScale;
    return MeasureLabel(LabelKind::Length, LengthFromPixels(pixels, pixelScale, zoom));
}

CWifiCalibrationDlg::CWifiCalibrationDlg(CWnd* parent) : CDialog(IDD_WIFI_CALIBRATION, parent) {}

BOOL CWifiCalibrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    WCHAR text[kTextBuffer];
    GetLangText(u"TipCalibration", text, kTextBuffer, u"Calibration");
    SetWindowText(text);
    GetLangText(u"EnterActualDistance", text, kTextBuffer, u"Please enter actual distance (mm)");
    SetDlgItemText(IDC_WC_PROMPT, text);
    return TRUE;
}

void CWifiCalibrationDlg::OnOK() {
    CString typed;
    GetDlgItemText(IDC_WC_DISTANCE, typed);
    g_actualDistance = MillimetresInUnit(LeadingNumber(typed), g_unitName);
    if (g_actualDistance > 0.0) {
        EndDialog(IDOK);
        return;
    }
    WCHAR text[kTextBuffer];
    GetLangText(u"EnterDigital", text, kTextBuffer, u"Please enter digital!");
    AfxMessageBox(text, MB_OK);
}
