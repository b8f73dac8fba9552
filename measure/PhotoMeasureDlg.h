// The photo-measure window: a modeless, frameless window in which the operator measures on one
// saved picture. It draws its own title strip, carries a tool bar of skinned buttons, the
// magnification (1130), calibrated magnification (1132) and tool name (1167) fields, and shows
// the picture in a child CMeasureCanvas, which does all drawing and mouse work.
//
// One window per picture; several may be open at once. Each keeps its own canvas, shapes and
// view mode, so maximising, reverting or closing one never touches another. The window lives
// on the heap and deletes itself when its window is gone.
//
// The tool menus and commands are in PhotoMeasureCommands.cpp, one table row per command.
#pragma once

#include "measure/IniTextFile.h"
#include "measure/MeasureCanvas.h"
#include "measure/PhotoWindowSizing.h"
#include "kit/ToggleBitmapButton.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"

#include <memory>

struct PhotoToolCommand;
struct PhotoMenuEntry;

// Posted (both parameters 0) to the main window after a calibration on a saved picture; the main
// window then shows g_calibMagnificationText and g_calibratedZoom.
#define WM_APP_SYNC_CALIBRATION (WM_APP + 12)

class CPhotoMeasureDlg : public CDialog {
public:
    explicit CPhotoMeasureDlg(CWnd* parent = nullptr);
    ~CPhotoMeasureDlg() override;

    void SetMainWindow(HWND mainWnd) { m_mainWnd = mainWnd; }
    // Opens a window for the picture, owned by `parent`, and shows it; the window deletes
    // itself when closed. Null when no window could be created.
    static CPhotoMeasureDlg* Open(const CString& picturePath, CWnd* parent, HWND mainWnd);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Esc and Enter never close the window; a calibration on the canvas is shown and stored.
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    // The magnification that divides lengths: the calibrated value of 1132 when it is above 0,
    // else (and always while a calibration command reads) the typed value of 1130. A value
    // that is not above 0 shows "EnterRate" and gives FALSE with g_zoomScale untouched.
    BOOL ReadZoomScale();

    CMeasureCanvas* Canvas() const { return m_canvas.get(); }
    int WindowState() const { return m_sizing.State(); }
    CanvasViewMode ViewMode() const { return m_viewMode; }

    // The commands, as the buttons and menus run them.
    afx_msg void OnSaveAs();
    afx_msg void OnRevert();
    afx_msg void OnMinButton();
    afx_msg void OnMaxButton();
    afx_msg void OnCloseButton();
    afx_msg void OnMagnificationChange();
    // PhotoMeasureCommands.cpp
    afx_msg void OnOperationMenu();
    afx_msg void OnPaintMenu();
    afx_msg void OnEdgeMenu();
    afx_msg void OnMeasureMenu();
    afx_msg void OnAutoMeasureMenu();
    afx_msg void OnCalibrationMenu();
    afx_msg void OnSelect();
    afx_msg void OnDelete();
    afx_msg void OnMove();
    afx_msg void OnPenSetting();
    afx_msg void OnInputText();
    afx_msg void OnMagnifier();
    void OnLineCalibration();
    void OnAutoLineCalibration();
    void OnEdgeGlobal();
    void OnExportDxf();
    void ExportToExcel();
    // The picture operations: each changes the canvas's picture in memory and repaints.
    void OnMirror();
    void OnFlip();
    void OnNegative();
    void OnBrightnessUp();
    void OnBrightnessDown();
    void OnMedianFilter();
    void OnAverageFilter();

    MeasureTool m_initialTool = TOOL_SELECT;
    CString m_magnification; // 1130, at most 5 characters
    CString m_picturePath;
    double m_lastZoom = 1.0;
    // The calibrated field (1168 row): shown to one decimal, read back in full.
    CalibratedZoomField m_calibratedField;
    int m_saved = 0;
    int m_calibrating = 0;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    HCURSOR m_waitCursor = nullptr;

protected:
    void PostNcDestroy() override;

    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSysCommand(UINT id, LPARAM lp);
    afx_msg LRESULT OnNcHitTest(CPoint pt);
    afx_msg void OnNcLButtonDblClk(UINT hitTest, CPoint pt);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    struct ButtonTip {
        HWND hwnd = nullptr;
        int id = 0;
        WCHAR text[64] = {};
    };

    void CreateButtons();
    void CreateToolTip();
    void RegisterButtonTips();
    void AddButtonTip(HWND button, int id, LPCWSTR text);
    void RemoveButtonTip(HWND button, int id);
    bool IsLargePicture() const { return m_pictureWidth == 1280 && m_pictureHeight == 1024; }
    // Destroys the canvas (and with it its shapes) and makes a new one over the frame 1129 in
    // `mode`; full-size canvases get their scroll ranges.
    void RebuildCanvas(CanvasViewMode mode);
    void CreateCanvas(const CRect& frame);
    void DestroyCanvas();
    void OnPictureCalibrated();
    // Asks "SureOpen" when the canvas holds shapes not saved yet; true when the window-size
    // command may go on (no shapes, saved, or No), false after Yes ran Save As.
    bool MaySizeWithoutSaving();
    void MaximisedLayout(int w, int h);
    void NormalLayout();

    // PhotoMeasureCommands.cpp
    void ResetForMenu(CToggleBitmapButton* own, bool releaseAll, bool clearLabel, bool resetFlag);
    void ReleaseToggles(CToggleBitmapButton* except = nullptr);
    void ShowMenu(UINT buttonId, const PhotoMenuEntry* entries, int count, int textCut);
    void RunToolCommand(const PhotoToolCommand& command);
    void StartCalibration(MeasureTool tool, LPCWSTR key, LPCWSTR text);
    void ShowToolName(LPCWSTR key, LPCWSTR text);
    template <typename Operation> void ChangePicture(Operation operation);

    std::unique_ptr<CMeasureCanvas> m_canvas;
    CanvasViewMode m_viewMode = CANVAS_VIEW_FIXED;

    CBitmapButton m_saveAsButton, m_operationButton, m_revertButton, m_deleteButton, m_moveButton,
        m_penButton, m_textButton, m_minButton, m_maxButton, m_closeButton, m_calibrationButton;
    CToggleBitmapButton m_magnifierToggle, m_selectToggle, m_measureToggle, m_paintToggle,
        m_edgeToggle, m_autoMeasureToggle;

    ButtonTip m_tipButtons[14];
    HWND m_toolTipWnd = nullptr;
    HWND m_mainWnd = nullptr;
    PhotoWindowSizing m_sizing;
    // The title corner restores a maximised window once per visit of the mouse.
    bool m_cornerRestorePosted = false;
    WCHAR m_title[30] = {};
};
