// The still-picture view of Wavenor's main window: a borderless child laid over the video area
// while the live picture is frozen. It shows the frozen picture fitted into the 640-pixel-wide
// display or at actual size with scroll bars, keeps the copies of the picture that the main
// window's effect, Undo, Redo and Delete All commands work on, and saves the picture with its
// measurements burnt in.
//
// All painting goes through one memory device context: the picture, then the measurements,
// then one block transfer to the window, so the window never shows a half-drawn state.
//
// Measuring: the main window chooses the tool (g_stillTool); the view runs it on a measuring
// session over the still lists (StillItemStore), which lists an item as soon as its geometry
// is complete; one more click places its label. Between the clicks the view holds the mouse
// and keeps the cursor on the picture; rubber bands are drawn straight onto the window in
// not-xor mode, so drawing one again takes it away. A calibration line opens the Calibration
// dialog, with the cursor free while it runs, and posts WM_APP_STORE_CALIBRATION to the parent
// after an accepted calibration.
#pragma once

#include "wifi_measure/StillMessages.h"
#include "wifi_measure/StillTools.h"
#include "wifi_measure/StillViewSpace.h"

#include "measure/MeasureSession.h"
#include "measure/ViewSurface.h"

#include "platform/mfc/AfxWin.h"

#include <memory>

class CDibImage;

class CStillMeasureView : public CDialog {
public:
    explicit CStillMeasureView(CWnd* parent = nullptr);
    ~CStillMeasureView() override;

    // Loads the picture (PNG or JPEG by the path's ending; any other ending loads nothing and
    // a file that cannot be decoded leaves no picture) and prepares the memory context.
    BOOL OnInitDialog() override;
    // Escape (as a key) never closes the view; WM_APP_REDRAW_STILL repaints it.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override {}
    void OnCancel() override {}

    // Both scroll bars for the area m_pageWidth x m_pageHeight: a bar shows where the picture
    // does not fit, and its page leaves room for the other bar, so the last row and column can
    // be scrolled into view. The main window calls it after placing a view at actual size.
    void UpdateScrollBars();
    // Writes the picture at its own size with the measurements burnt in, as PNG or JPEG by the
    // path's last three letters (case-blind). 1 when the file was written; 0 without a
    // picture, for any other ending (nothing is written) or when the save failed.
    int SaveWithMeasurements(const CString& path);
    // Draws the measurements at (stored position x scale - offset) into `dc`. The one painter
    // of the view's shapes, for the screen (scroll offsets, scale 1) and for the saved picture
    // (offsets 0, the space's picture scale), so that what is saved is what was seen.
    void DrawMeasurements(CDC* dc, int xOffset, int yOffset, double xScale, double yScale);

    bool HasPicture() const { return m_image != nullptr; }
    // Ends the shape in progress (an item already listed stays), chooses no tool, frees the
    // mouse and the cursor. The right button and the view's destruction.
    void CancelTool();
    // What the tools read at this moment: unit scale (the pixel scale with the stored-to-
    // measuring factor), magnification g_zoomScale, unit, decimals and the settings' pen.
    MeasureContext Context() const;
    const MeasureSession& Session() const { return m_session; }
    // Items this view made; the next one gets the count plus one as its number.
    int m_itemCount = 0;
    // How stored points relate to the picture and to the measuring space.
    StillViewSpace Space() const;

    // Set by the creator before the window is created.
    CString m_imagePath;
    int m_pageWidth = 0; // the area the view covers: the page sizes of the scroll bars
    int m_pageHeight = 0;
    int m_viewMode = STILL_VIEW_FITTED; // the main window's mode when it built the view

    // The picture shown and measured (the effects change it in place), its copy as loaded
    // (Undo and Redo with empty lists exchange it with m_image) and its unchanged original
    // (Delete All with empty lists and the colour channels copy it back).
    std::unique_ptr<CDibImage> m_image;
    std::unique_ptr<CDibImage> m_prevImage;
    std::unique_ptr<CDibImage> m_origImage;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_displayWidth = 640;
    int m_displayHeight = 480;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnDestroy();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void Scroll(int bar, UINT code);
    // The client rectangle cut to the picture's size: where a first click counts.
    CRect PictureRect() const;
    POINT Stored(CPoint client) const { return POINT{client.x + m_scrollX, client.y + m_scrollY}; }
    POINT Client(POINT stored) const { return POINT{stored.x - m_scrollX, stored.y - m_scrollY}; }
    void HoldMouse();
    void FreeMouse();
    // Marks what a press left on the window (crosses, fixed arms and edges).
    void MarkPress(POINT stored);
    // The rubber band from the shape's current start to `to` (stored), in not-xor mode.
    void DrawBand(POINT to);
    void RunCalibration();
    void DrawFoldInProgress(CDC* dc);

    MeasureSession m_session;
    bool m_bandDrawn = false;
    POINT m_bandTo{};
    bool m_holding = false;

    ViewSurface m_surface;
};
