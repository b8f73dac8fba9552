// Wavenor's photo-measure canvas: the child of the Photo Measure dialog in which one saved
// picture is shown, fitted into the 640-pixel-wide display or at actual size with scroll
// bars, and measured.
//
// The tools run on a measuring session (measure/MeasureSession.h) over the canvas's store,
// whose finished shapes are g_canvasItems: the session takes the presses, refuses those whose
// geometry gives nothing, and measures; once a shape's presses are all taken the canvas puts
// its item (WifiMeasureCanvasShapes.h) into the list, and the item's label follows the mouse
// until the next click places it. The select tool picks items, Move drags one, Delete deletes
// the selected ones after asking.
//
// Stored points are positions of the fitted display in view mode 1 and picture pixels in view
// mode 2; lengths are measured in the fitted display's pixels in both (CanvasSpace). All
// painting goes through one memory device context and one block transfer. The canvas's items
// live as long as it does: its window's destruction deletes them.
//
// UI thread only.
#pragma once

#include "wifi_measure/WifiMeasureCanvasShapes.h"

#include "measure/CanvasShapeRules.h"
#include "measure/MeasureSession.h"
#include "measure/ViewSurface.h"
#include "platform/mfc/AfxWin.h"

#include <memory>
#include <vector>

class CDibImage;

// Posted (both parameters 0) to the canvas's parent after an accepted calibration;
// g_calibratedZoom holds the result.
#define WM_APP_CANVAS_CALIBRATED (WM_APP + 7)

// 1 from the dialog's Calibration button until the canvas has finished the calibration line.
extern int g_canvasCalibrating;
// How the next canvas shows its picture: 1 fitted, 2 actual size. Kept between dialogs.
extern int g_canvasViewMode;

class CWifiMeasureCanvas : public CDialog {
public:
    explicit CWifiMeasureCanvas(CWnd* parent = nullptr);
    ~CWifiMeasureCanvas() override;

    // Loads the picture (PNG or JPEG by the path's last three letters, any case; any other
    // ending loads nothing and says nothing) and prepares the memory context. A file that does
    // not load shows "Can not Open file" and gives FALSE; the canvas then stays grey and
    // starts nothing.
    BOOL OnInitDialog() override;
    // Escape (as a key) never closes the canvas.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override {}
    void OnCancel() override {}

    // The tool of the next shape; a shape in progress goes on with its own tool.
    void SetTool(MeasureTool tool, int /*unused*/ = 0) { m_tool = tool; }
    // 1 after the four-point angle command (two of them can be selected), else 0; deselects.
    void SetToolMode(int mode);
    // A text annotation at the last Text click; it follows the mouse until a click sets it.
    // An empty text shows "Please input text!" and adds nothing.
    void AddText(CString text);
    void DeselectAll();
    // Asks "Are you sure to delete?" for each selected item from the last to the first; with
    // none selected "Please select a metafile".
    void DeleteSelected();
    // Starts dragging the selected item: the cursor goes to its handle, the next click drops
    // it, the right button leaves it where it was.
    void MoveSelected();
    BOOL HasItems() const;
    void UpdateScrollBars();
    // Writes the picture at its own size with the items drawn in (selected ones red), PNG or
    // JPEG by the path's last three letters; 1 when written, 0 without a picture, for any
    // other ending (nothing written) or when the write failed.
    int SaveWithMeasurements(CString path);

    static double UnitPerMicron();
    static double UnitScale();

    bool HasPicture() const { return m_image != nullptr; }
    int ImageWidth() const { return m_imageWidth; }
    int ImageHeight() const { return m_imageHeight; }
    CanvasSpace Space() const;
    // The picture as shown before the zoom: the fitted display (view mode 1) or the picture's
    // own size.
    SIZE ShownSize() const;
    // The measuring context of a press now: Wavenor's unit scale in the fitted display's
    // pixels, g_zoomScale, the unit, the decimals and the current pen.
    MeasureContext Context() const;
    // Client point to stored point and back (truncated).
    POINT ToStored(POINT client) const;
    POINT ToClient(POINT stored) const;
    bool Moving() const { return m_moving; }
    // The item whose label follows the mouse, -1 for none.
    int LabelItem() const { return m_labelItem; }
    const MeasureSession& Session() const { return m_session; }

    // Set by the dialog before the window is created.
    CString m_picturePath;
    double m_zoom = 1.0;
    MeasureTool m_tool = TOOL_SELECT;
    int m_toolMode = 0;
    int m_scrollX = 0;
    int m_scrollY = 0;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnDestroy();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    bool InPicture(POINT client) const;
    void Press(POINT client);
    // The session's shape has all its presses: its item goes into the list and its label
    // follows the mouse.
    void ShapeTaken(const MeasureContext& ctx);
    void Calibrate(int itemIndex, const MeasureContext& ctx);
    void Select(POINT stored);
    // Tool mode 0: the item hit becomes the one selected. Tool mode 1: a four-point angle hit
    // joins the two selected. True when the selection changed.
    bool SelectOne(CMeasureRecordList& items, POINT stored);
    bool SelectFourPointAngle(CMeasureRecordList& items, POINT stored);
    void Drop(POINT client);
    // Holds the mouse and keeps the cursor on the displayed picture (the radius circle: on the
    // largest square around its centre that fits, so the circle stays on the picture).
    void HoldMouse(POINT client, bool square);
    void FreeMouse();
    // The finished items with the view's decimals and unit.
    void PaintItems(HDC dc, CanvasPaint paint) const;
    void PaintDraft(CDC& dc);
    void PaintMoveOutline(CDC& dc);
    void Scroll(int bar, UINT code);

    std::unique_ptr<CDibImage> m_image;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_viewMode = 1;
    MeasureSession m_session;
    int m_labelItem = -1;
    // Text: the last Text click, the text being placed and whether it follows the mouse.
    POINT m_textPos{0, 0};
    CString m_text;
    int m_textItem = -1;
    // Selection of four-point angles in tool mode 1.
    int m_firstSelected = -1;
    int m_secondSelected = -1;
    // The item dragged, its rule and the client copies of its points.
    bool m_moving = false;
    int m_moveIndex = -1;
    const CMeasureRecord* m_moveItem = nullptr; // borrowed from the list, compared only
    const MoveRule* m_moveRule = nullptr;
    std::vector<POINT> m_moveHandles;
    bool m_holding = false;
    ViewSurface m_surface;
};
