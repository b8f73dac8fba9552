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
#include "measure/MeasureSession.h"
#include "measure/ViewSurface.h"

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

class CMeasureCanvas : public CDialog, public CMagnifierSource, private EdgeFinder {
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
    bool ShapeInProgress() const { return m_session.Shape() != SHAPE_NONE; }
    // The measuring session the canvas's clicks go to; its store holds the canvas's shapes.
    MeasureSession& Session() { return m_session; }
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

    // The canvas's measuring session over its own store (UI thread only: no painter reads it
    // from another thread). The session takes the clicks of the shapes; the canvas keeps the
    // window's side (capture, confinement, dialogs, the lens, the text and selection tools).
    MeasureStore m_store;
    MeasureSession m_session{m_store, KindCodes::Canvas, CanvasSessionRules()};
    // The window's finished shapes: the store's list, which owns them.
    CMeasureRecordList& m_shapes = MeasureStore::Lock(m_store).Shapes();
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

    // ---- The window's side of the tools (CanvasTools.cpp, CanvasFeedback.cpp) ----
    // The label that follows the cursor is a calibration line's: placing it ends the
    // calibration and its tool.
    bool m_calibrationLabel = false;
    // The free-hand line of the paint mode, listed when its second click ends it, and the
    // client point its stroke reached.
    std::unique_ptr<CMeasureRecord> m_freehand;
    CPoint m_strokeEnd{0, 0};

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
    // The tools the window serves itself (text, selection, magnifier); false for the others.
    bool WindowToolClick(CPoint c);
    // A press for the session, and what the window does with its answer.
    void SessionPress(CPoint c);
    void Act(const PressOutcome& outcome, CPoint c, bool first, int shapesBefore);
    void EndFreehand();
    MeasureContext Context();
    // The session's tool follows m_tool, which the photo-measure window may set directly.
    void SyncTool() { m_session.Choose(KindOfCanvasTool(m_tool)); }
    // EdgeFinder over the picture, in picture pixels.
    bool EdgeNear(POINT at, POINT& edge) override;
    bool EdgeInSection(POINT from, POINT to, int orientation, POINT& e1, POINT& e2) override;
    void SelectAt(CPoint c);
    void OpenLens(CPoint c);
    void CloseLens();
    void DropMove(CPoint c);
    void RunCalibration(double pixels);
    // A record of the kind with the canvas's pen, for the free-hand line and the drawing of
    // the continual line in progress.
    std::unique_ptr<CMeasureRecord> NewRecord(int kind);
    void HoldInput();
    void ReleaseInput();
    POINT Canvas(POINT c) const { return POINT{c.x + m_scrollX, c.y + m_scrollY}; }
    POINT Client(POINT p) const { return POINT{p.x - m_scrollX, p.y - m_scrollY}; }
    // Canvas pixels per pixel of the fixed view, where calibrations are made.
    double ViewScale() const;
    POINT ToPicture(POINT c) const;

    // CanvasFeedback.cpp: what the mouse shows between clicks.
    void DrawRubberBand(CDC& dc, CPoint c);
    void FollowLabel(CPoint c, const CMeasureRecord& listed);
    void FollowShape(CPoint c);
    void MoveOutline(CPoint c);
    void MoveLens(CPoint c);
    void MoveText(CPoint c);
    void ExtendFreehand(CPoint c);
    void DrawPressMarks(CDC& dc, const std::vector<POINT>& draft, bool listed);
    void InvalidateLabel(POINT anchor, const CMeasureRecord& record, int margin);
    void DrawShapeInProgress(CDC& dc);

    bool m_bandShown = false;    // a rubber band stands at m_bandPoint
    CPoint m_bandPoint{0, 0};
    bool m_outlineShown = false; // the moving outline stands at m_moveHandles

    ViewSurface m_surface;

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
