// The main window's magnification: the two fields beside the preview (the typed magnification
// and the calibrated one), read as a number for the live scales and as text for file names and
// calibration entries, and the overlays that draw with it (scale bar, circle template).
//
// Everything here runs on the UI thread.
#pragma once

#include "capture/LiveViewState.h"
#include "measure/IniTextFile.h"

#include "platform/mfc/AfxWin.h"

class Magnification {
public:
    explicit Magnification(CWnd& window) : m_window(window) {}
    Magnification(const Magnification&) = delete;
    Magnification& operator=(const Magnification&) = delete;

    // 1 and the rate set when one of the two fields holds a number above 0 (the calibrated
    // field first, unless `typedOnly`: a calibration measures against the typed, nominal
    // magnification), else the operator is asked for one and 0.
    int Read(bool typedOnly = false);
    // The live length scale and magnification of the scale bar and circle template, from the
    // rate.
    void Apply();
    // The text of the typed field when it is a number (digits and points, at most
    // capacity - 1 characters), else empty: only such a text names files and calibrations.
    CString Text(int capacity) const;
    // The magnification as last read from the fields.
    double Rate() const { return m_rate; }
    void SetRate(double rate) { m_rate = rate; }

    // The typed magnification changed: the calibrated field from the calibration file, and the
    // scaled overlays follow.
    void OnTypedChanged();
    // A calibration on a saved picture (the photo-measure window's texts and result).
    void OnSyncCalibration();
    // A calibration on the live picture: shown, stored under the typed magnification (the
    // operator told when the file did not take it) and applied to the overlays.
    void OnLiveCalibrated();
    // Switches one overlay that needs the magnification (scale bar, circle template).
    void ToggleScaledOverlay(int LiveViewSnapshot::*flag);

private:
    // Shows the calibrated magnification in its field; false, the field left alone, for a value
    // that is no number.
    bool ShowCalibrated(double calibrated);

    CWnd& m_window;
    double m_rate = 1.0;
    // The calibrated field: shown to one decimal, read back in full.
    CalibratedZoomField m_calibratedField;
};

// 1 when every character is a digit or '.', also for an empty text.
int IsNumericText(CString text);
