// Wavenor's "Calibration" dialog: the real length of the line just drawn for a calibration,
// typed in millimetres and left in g_actualDistance in the current unit, and the arithmetic
// that turns that length into a calibrated magnification.
#pragma once

#include "platform/mfc/AfxWin.h"

// A length in millimetres in `unit`: "inch", "mil", "cm", and "mm" or any other text unchanged.
double MillimetresInUnit(double millimetres, const WCHAR* unit);

// The magnification at which a line of `pixels` (in the space calibrations are made in) reads
// `distance` with the view's pixel scale: pixels x pixelScale x 10 / distance. 0 when the line
// or the distance is not above 0, so no calibration comes out of a degenerate line.
double CalibratedZoomOf(double pixels, double pixelScale, double distance);

// The label of a calibration line after its dialog: "L:..." of its length at the last
// calibration's magnification. Before any calibration (calibratedZoom 0, a dialog cancelled in
// a fresh run) the line reads at the current magnification like any other line.
CString CalibrationLineLabel(double pixels, double pixelScale, double calibratedZoom,
                             double zoomScale);

class CWifiCalibrationDlg : public CDialog {
public:
    explicit CWifiCalibrationDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Reads the leading number of the field ("C" numerics, "3,5" is 3), converts it into the
    // current unit and closes with IDOK when it is above 0. Otherwise "EnterDigital" is shown
    // and the dialog stays open: a length of 0 or below can make no calibration.
    void OnOK() override;
};
