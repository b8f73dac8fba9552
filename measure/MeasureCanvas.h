// The canvas of a photo-measure window: a child dialog that loads one saved picture (BMP or
// JPEG), shows it in the fixed 640-pixel view or at full size with scroll bars, keeps the
// window's shapes and the state of its measurement tool, and offers the operations the
// window's buttons call (tool, text, deselect, delete, calibration mode).
//
// Coordinates: client pixels; canvas coordinates (client plus the scroll position), in which
// every kept point is stored; picture pixels (canvas coordinates times m_scaleX, m_scaleY).
//
// Each canvas owns its shapes and its view mode, so closing, reverting or maximising one
// photo-measure window never touches another's.
#pragma once

#include "measure/CanvasView.h"
#include "measure/MagnifierDlg.h"
#include "measure/MeasureRecords.h"

#include "platform/mfc/AfxWin.h"

#include <memory>
#include <vector>

class CDibImage;
class CDxfDrawing;
struct MoveRule;

// Posted (both parameters 0) to the canvas's parent, the photo-measure window, after a
// confirmed calibration on the canvas; g_calibratedZoom then holds the result.
#define WM_APP_PICTURE_CALIBRATED (WM_APP + 6)

// The magnification text parsed from the name of the picture opened last (at most 31
// characters); the photo-measure window shows it in its magnification field.
extern WCHAR g_fileMagnificationText[32];

// How a canvas shows its picture: the photo-measure window's normal size, or maximised.
enum CanvasViewMode {
    CANVAS_VIEW_FIXED = 1,     // scaled into the fixed view 640 pixels wide
    CANVAS_VIEW_FULL_SIZE = 2, // at full size with scroll bars
};

class CMeasureCanvas : public CDialog, public CMagnifierSource {
public:
    explicit CMeasureCanvas(CWnd* parent = nullptr);
    ~CMeasureCanvas() override;

    BOOL OnInitDialog() override;
    // Esc (as a key) never reaches the dialog, so it never closes the canvas.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override {}
    void OnCancel() override {}

    // Chooses the tool. A shape in progress ends first, as far as it got: a listed shape stays
    // (with its label where the cursor left it), collected points are dropped, and the mouse
    // capture and the cursor confinement are released.
    int SetTool(MeasureTool tool, ToolMode mode);
    void SetToolFlag(int flag);
    void SetCalibrationMode(int flag) { m_calibrationMode = flag; }
    // A text annotation at the last text-tool click; an empty text is refused with
    // "InputText". The caller repaints.
    void AddText(const CString& text);
    void DeselectAll();
    // Asks "SureDelete" for each selected shape, from the last to the first; "SelectImage"
    // when none is selected.
    void DeleteSelected();
    BOOL HasShapes() const { return !m_shapes.IsEmpty(); }
    void SetScrollRanges();
    // Copies what the canvas shows, the parent's client size, into m_lensBitmap.
    void CopyClientToBitmap();
    void Redraw(BOOL erase);
    // Writes the picture with every shape burnt in, at the picture's resolution, as BMP or
    // JPEG by the path's last three letters (case-blind); nonzero when the file was written,
    // 0 without a picture, for another ending (nothing written) or when the save failed.
    int SaveWithShapes(const CString& path);
    // False after a failed load: such a canvas paints nothing and ignores the mouse.
    bool HasPicture() const { return m_image != nullptr; }

    // Moving a selected shape (the window's Move command): the cursor is put on the shape, an
    // inverted outline follows it, the next left click drops the shape there and the right
    // button leaves it in place. "SelectImage" when nothing is selected; a kind that cannot
    // be moved is ignored.
    void BeginMoveSelected();
    // Ends the shape in progress (see SetTool); with `removeListed` a shape listed by it and
    // still waiting for its label is removed as well.
    void EndShape(bool removeListed);
    bool ShapeInProgress() const { return m_shapeTool != TOOL_NONE; }
    // The part of the client area that shows the picture: clicks start tools only there and
    // the cursor is kept there while a tool collects points.
    CRect PictureArea() const;

    // CMagnifierSource
    int LensSize() const override { return m_lensSize; }
    int LensZoom() const override { return m_lensZoom; }
    POINT LensPoint() const override { return m_lensPoint; }
    CBitmap* LensBitmap() override { return &m_lensBitmap; }

    // Set by the photo-measure window before Create.
    CString m_path;
    MeasureTool m_tool = TOOL_NONE;
    CanvasViewMode m_viewMode = CANVAS_VIEW_FIXED;

    CMeasureRecordList m_shapes; // the window's finished shapes; the list owns them
    std::unique_ptr<CDibImage> m_image;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_selectedFirst = -1;
    int m_selectedSecond = -1;
    int m_calibrationMode = 0;
    double m_scaleX = 2.0;
    double m_scaleY = 2.0;
    CPoint m_textPos{0, 0}; // client position of the last text-tool click
    CString m_text;
    CString m_fileTitle;
    CString m_titleToX;
    double m_zoom = 1.0;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_viewWidth = 640;
    int m_viewHeight = 480;
    int m_toolFlag = 0;
    ToolMode m_toolMode = static_cast<ToolMode>(-1);
    COLORREF m_lineColor = 0x0000FF;
    COLORREF m_labelColor = 0x0000FF;
    LOGFONTW m_measureFont{};
    COLORREF m_textColor = 0x0000FF;
    LOGFONTW m_textFont{};
    CMeasureRecord* m_currentRecord = nullptr; // borrowed from m_shapes
    double m_unitScale = 1.0;
    int m_lensZoom = 20;
    int m_lensSize = 100;
    POINT m_lensPoint{0, 0};
    CBitmap m_lensBitmap;
    HCURSOR m_waitCursor = nullptr;

    // ---- The tools' state (CanvasTools.cpp, CanvasFeedback.cpp) ----
    // The tool whose shape is in progress (TOOL_NONE: none) and its clicks so far, client
    // points; the section tools keep their four corner clicks here.
    MeasureTool m_shapeTool = TOOL_NONE;
    std::vector<CPoint> m_clicks;
    // The shape is listed and its label follows the cursor until the next click places it. The
    // mouse is free meanwhile: a click beside the picture reaches the control it is on.
    bool m_labelPending = false;
    // The pending label is a calibration line's: placing it ends the calibration and its tool.
    bool m_calibrationLabel = false;
    CMeasureRecord* m_pending = nullptr; // borrowed from m_shapes; checked before each use
    // Continuous line (measure: vertices and label anchors) and two circles, canvas points.
    std::vector<POINT> m_polyPoints;
    std::vector<CString> m_polyLabels;
    int m_polyState = 0;          // 1 continuous line, 2 two circles, 0 neither
    bool m_polyLabelNext = false; // continuous line: the next click places a segment's label
    int m_polyFollow = -1;        // two circles: the entry that follows the cursor
    // The free-hand line of the paint mode, listed when its second click ends it.
    std::unique_ptr<CMeasureRecord> m_freehand;
    // Edge points of the automatic circle, arc and line, client points.
    std::vector<POINT> m_fitPoints;
    CPoint m_startPoint{0, 0}; // anchor of the rubber band: the last fixed point
    CString m_label1, m_label2, m_label3;

    // Moving.
    int m_moving = 0;
    int m_movingIndex = -1;
    CMeasureRecord* m_movingRecord = nullptr; // must still be m_shapes[m_movingIndex]
    const MoveRule* m_moveRule = nullptr;
    std::vector<POINT> m_moveHandles; // the moved shape's points, client coordinates

    // The magnifier lens.
    std::unique_ptr<CMagnifierLens> m_lens;
    int m_lensActive = 0;
    int m_lensState = 0;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void Scroll(int bar, UINT code);

    // CanvasTools.cpp: the clicks.
    void StartShape(CPoint c);
    void ContinueShape(CPoint c);
    bool TakeClick(CPoint c); // false: the click is refused and forgotten
    bool BuildShape();
    void PlaceLabel(CPoint c);
    void ContinuousLineClick(CPoint c);
    void TwoCirclesClick(CPoint c);
    void AddEdgePoint(CPoint c);
    bool FinishAutoFit(CPoint c);
    bool FinishSections();
    void SelectAt(CPoint c);
    void OpenLens(CPoint c);
    void CloseLens();
    void DropMove(CPoint c);
    void RunCalibration(CMeasureRecord* record, double pixels);
    std::unique_ptr<CMeasureRecord> NewRecord(int kind) const;
    CMeasureRecord* List(std::unique_ptr<CMeasureRecord> record, bool labelFollows);
    bool IsListed(const CMeasureRecord* record) const;
    void HoldInput();
    void ReleaseInput();
    POINT Canvas(POINT c) const { return POINT{c.x + m_scrollX, c.y + m_scrollY}; }
    double ViewPixels(double canvasPixels) const;
    POINT ToPicture(POINT c) const;
    POINT FromPicture(POINT p) const;

    // CanvasFeedback.cpp: what the mouse shows between clicks.
    void DrawRubberBand(CDC& dc, CPoint c);
    void FollowLabel(CPoint c);
    void InvalidateLabel(POINT anchor, const CMeasureRecord& record, int margin);
    void DrawShapeInProgress(CDC& dc);

    bool m_bandShown = false;    // a rubber band stands at m_bandPoint
    CPoint m_bandPoint{0, 0};
    bool m_outlineShown = false; // the moving outline stands at m_moveHandles

    CDC m_memDC;
    std::unique_ptr<CBitmap> m_pBitmap;

    // Exports of the canvas's shapes, called by the photo-measure window with the path the
    // operator chose. Both show their failures in message boxes of the canvas and leave the
    // canvas's tool cursor current.
public:
    // The sheet "ExportData" with one row per shape and the picture with its shapes at A1.
    // True when the file was written.
    bool ExportToSpreadsheet(const CString& path);
    // The shapes as a DXF drawing in the measurement unit, on the layer "Layer2", y up with the
    // picture's bottom row at Y = 0. True when the file was written.
    bool ExportDxf(const CString& path);

    // Loads the DXF library with the canvas; holds a drawing only in ExportDxf.
    std::unique_ptr<CDxfDrawing> m_dxf;
};
