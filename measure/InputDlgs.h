// The small input dialogs that ask for a number before a tool acts: the real length of a
// calibration line, the real length of a guide line, the radius and tolerances of a tolerance
// circle, and the corner of a right-angle guide. A refused entry shows "EnterDigital" and the
// dialog stays open with the typed text.
#pragma once

#include "platform/mfc/AfxWin.h"

// The number at the start of an edit's text: leading blanks skipped, the longest leading part
// that forms a number taken, 0 when there is none ("3abc" is 3, "abc" is 0).
double LeadingNumber(const CString& text);

// Asks for the real length of the calibration line just drawn; OK leaves it in
// g_actualDistance (current unit). Zero, nothing numeric and negative lengths are refused: a
// calibration needs a length above 0.
class CCalibrationDlg : public CDialog {
public:
    explicit CCalibrationDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// Asks for the real length of a guide line for the ruler; the same rules into g_actualDistance.
class CLengthLineDlg : public CDialog {
public:
    explicit CLengthLineDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// Asks for the radius and the two tolerances of a tolerance circle, in the current unit; any
// of them 0 is refused.
class CCircleToleranceDlg : public CDialog {
public:
    explicit CCircleToleranceDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;

    double m_radius = 1.0;
    double m_plusTolerance = 0.05;
    double m_minusTolerance = 0.05;
};

// Asks for the corner of a right-angle guide in preview pixels: X 1 to 639, Y 1 to 479.
class CCoordinateDlg : public CDialog {
public:
    explicit CCoordinateDlg(CWnd* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    int m_x = 320;
    int m_y = 240;
};
