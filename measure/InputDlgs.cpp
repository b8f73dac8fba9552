#include "measure/InputDlgs.h"

#include "measure/MeasureSettings.h"
#include "kit/LangText.h"

#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

namespace {

constexpr int kTextBuffer = 256;

void ShowEnterDigital(const WCHAR* english) {
    WCHAR text[kTextBuffer];
    GetLangText(u"EnterDigital", text, kTextBuffer, english);
    AfxMessageBox(text, MB_OK);
}

void SetLangText(CWnd* dlg, int id, const WCHAR* key, const WCHAR* english) {
    WCHAR text[kTextBuffer];
    GetLangText(key, text, kTextBuffer, english);
    if (id == 0)
        dlg->SetWindowText(text);
    else
        dlg->SetDlgItemText(id, text);
}

double EditNumber(const CWnd* dlg, int id) {
    CString text;
    dlg->GetDlgItemText(id, text);
    return LeadingNumber(text);
}

// Stores the typed length in g_actualDistance; a length of 0 or below is refused. A refused
// entry leaves g_actualDistance at what was typed, as the callers only read it after OK.
void AcceptDistance(CDialog* dlg, int editId) {
    g_actualDistance = EditNumber(dlg, editId);
    if (!(g_actualDistance > 0.0)) {
        ShowEnterDigital(u"Please enter digital!");
        return;
    }
    dlg->EndDialog(IDOK);
}

} // namespace

double LeadingNumber(const CString& text) {
    return wcstod(text.GetString(), nullptr);
}

// ---- CCalibrationDlg ----

CCalibrationDlg::CCalibrationDlg(CWnd* parent) : CDialog(IDD_CALIBRATION, parent) {}

BOOL CCalibrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetLangText(this, 0, u"TipCalibration", u"Calibration");
    SetLangText(this, IDC_CALIB_PROMPT, u"EnterActualDistance", u"Please enter actual distance");
    SetDlgItemText(IDC_CALIB_UNIT, g_unitName);
    return TRUE;
}

void CCalibrationDlg::OnOK() {
    AcceptDistance(this, IDC_CALIB_DISTANCE);
}

// ---- CLengthLineDlg ----

CLengthLineDlg::CLengthLineDlg(CWnd* parent) : CDialog(IDD_LENGTH_LINE, parent) {}

BOOL CLengthLineDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_LENGTH_UNIT, g_unitName);
    return TRUE;
}

void CLengthLineDlg::OnOK() {
    AcceptDistance(this, IDC_LENGTH_VALUE);
}

// ---- CCircleToleranceDlg ----

CCircleToleranceDlg::CCircleToleranceDlg(CWnd* parent) : CDialog(IDD_CIRCLE_TOLERANCE, parent) {}

BOOL CCircleToleranceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetLangText(this, IDC_CIRCLE_RADIUS_LABEL, u"CircleRadius", u"Radius:");
    SetLangText(this, IDC_CIRCLE_PLUS_LABEL, u"Tolerancetop", u"Tolerance(R+):");
    SetLangText(this, IDC_CIRCLE_MINUS_LABEL, u"Tolerancebotton", u"Tolerance(R-):");
    SetDlgItemText(IDC_CIRCLE_RADIUS, u"1.0");
    SetDlgItemText(IDC_CIRCLE_PLUS, u"0.05");
    SetDlgItemText(IDC_CIRCLE_MINUS, u"0.05");
    for (int id : {IDC_CIRCLE_RADIUS_UNIT, IDC_CIRCLE_PLUS_UNIT, IDC_CIRCLE_MINUS_UNIT})
        SetDlgItemText(id, g_unitName);
    return TRUE;
}

void CCircleToleranceDlg::OnOK() {
    m_radius = EditNumber(this, IDC_CIRCLE_RADIUS);
    m_plusTolerance = EditNumber(this, IDC_CIRCLE_PLUS);
    m_minusTolerance = EditNumber(this, IDC_CIRCLE_MINUS);
    if (m_radius == 0.0 || m_plusTolerance == 0.0 || m_minusTolerance == 0.0) {
        ShowEnterDigital(u"Please enter digital!");
        return;
    }
    EndDialog(IDOK);
}

// ---- CCoordinateDlg ----

CCoordinateDlg::CCoordinateDlg(CWnd* parent) : CDialog(IDD_COORDINATE, parent) {}

void CCoordinateDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_COORD_X, m_x);
    DDV_MinMaxInt(dx, m_x, 1, 639);
    DDX_Text(dx, IDC_COORD_Y, m_y);
    DDV_MinMaxInt(dx, m_y, 1, 479);
}

void CCoordinateDlg::OnOK() {
    CString x, y;
    GetDlgItemText(IDC_COORD_X, x);
    GetDlgItemText(IDC_COORD_Y, y);
    if (_wtoi(x.GetString()) == 0 || _wtoi(y.GetString()) == 0) {
        ShowEnterDigital(u"Please enter digital X[0--640],Y[0--480]!");
        return;
    }
    CDialog::OnOK(); // the range checks, then IDOK
}
