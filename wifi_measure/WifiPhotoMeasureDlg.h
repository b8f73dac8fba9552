// Wavenor's "Photo Measure" window: a modal dialog over one saved picture shown in a
// CWifiMeasureCanvas, with a tool bar of ten skinned buttons (open, save, print, select, the
// Measure popup, setting, text, delete, move, calibration), the tool name, the calibrated
// magnification and the magnification fields. A calibration made here is written to the
// calibration file and handed to the main window (WM_APP_STORE_CALIBRATION).
//
// The dialog owns its canvas and builds a new one when another picture is opened and when the
// window is maximised or restored; the old canvas's measurements go with it, after the
// "SureOpen" question offered to save them. A picture that does not load leaves the dialog
// empty: no canvas, no tool bar faces, and every command that needs a canvas does nothing.
//
// What the program passes in (it sits above this folder): where its settings are kept, the
// calibration file, the magnification of its main window and where the magnification of a
// calibration goes.
#pragma once

#include "wifi_measure/WifiMeasureCanvas.h"
#include "wifi_measure/WifiPenSettingDlg.h"

#include "kit/ButtonTips.h"
#include "kit/ToggleBitmapButton.h"
#include "measure/IniTextFile.h"
#include "measure/PhotoWindowSizing.h"

#include "platform/mfc/AfxWin.h"

#include <memory>

struct WifiPhotoTool;

class CWifiPhotoMeasureDlg : public CDialog {
public:
    explicit CWifiPhotoMeasureDlg(CWnd* parent = nullptr);
    ~CWifiPhotoMeasureDlg() override;

    void SetMainWindow(HWND mainWnd) { m_hMainWnd = mainWnd; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // The canvas's calibration is shown, stored and handed on; Escape and Enter never close
    // the dialog.
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    void OnOK() override {}

    // The magnification of the measurements: the calibrated field 1205 when it holds a number
    // other than 0 (the magnification field while a calibration is chosen), else the
    // magnification field 1130; into g_zoomScale. The magnification typed (1130) is the one a
    // calibration is made under. 0 after "Please input the zoomIn scale!" when neither holds a
    // number.
    int ReadZoomScale();

    CWifiMeasureCanvas* Canvas() const { return m_canvas.get(); }
    int Saved() const { return m_saved; }

    afx_msg void OnOpen();
    afx_msg void OnSave();
    afx_msg void OnPrint();
    afx_msg void OnSelect();
    afx_msg void OnMeasureMenu();
    afx_msg void OnSetting();
    afx_msg void OnText();
    afx_msg void OnDelete();
    afx_msg void OnMove();
    afx_msg void OnCalibration();

    // Set by the opener before DoModal.
    CString m_picturePath;
    CString m_magnificationText;  // the main window's magnification when it opened the dialog
    CString m_calibIniPath;       // "CalibrationIni.ini"
    CString m_printFolder;        // where "print.bmp" is written
    WifiSettingsStore m_settings; // the program's settings, for the Setting and Text dialogs
    // Receives the magnification a calibration here is made under (the main window's
    // g_calibrationZoom); borrowed, by default the dialog's own.
    double* m_calibrationZoom = &m_ownCalibrationZoom;

    MeasureTool m_initialTool = TOOL_SELECT;
    CString m_magnification; // field 1130, at most 5 characters
    double m_zoom = 1.0;

protected:
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSysCommand(UINT id, LPARAM lp);
    afx_msg void OnNcLButtonDblClk(UINT hitTest, CPoint point);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void SetupToolbar();
    void RunTool(const WifiPhotoTool& tool);
    void ReleaseToggles();
    // Destroys the canvas and builds a new one over `frame` (client coordinates).
    void BuildCanvas(const CRect& frame);
    void DestroyCanvas();
    // Frame 1131 below the tool bar over the whole client area, and a new canvas on it.
    void RebuildCanvas(bool scrollBars);
    void OnCanvasCalibrated();
    // "SureOpen" while the canvas holds unsaved measurements: Yes saves and answers false (the
    // command does not go on).
    bool MayDiscard();
    bool LargePicture() const { return m_pictureWidth == 1280 && m_pictureHeight == 1024; }

    std::unique_ptr<CWifiMeasureCanvas> m_canvas;
    CBitmapButton m_btnOpen, m_btnSave, m_btnPrint, m_btnSetting, m_btnText, m_btnDelete,
        m_btnMove;
    CToggleBitmapButton m_btnSelect, m_btnMeasure, m_btnCalibration;
    ms::ui::ButtonTipEntry m_toolTips[10];
    HWND m_hToolTip = nullptr;
    HWND m_hMainWnd = nullptr;
    CalibratedZoomField m_calibratedField;
    double m_ownCalibrationZoom = 0.0;
    int m_saved = 0;
    PhotoWindowSizing m_sizing;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    bool m_hasPicture = false;
};
