// The live measuring of the main window: the tool buttons and commands of the measurement bar,
// the presses on the live picture that start, continue and complete a shape, the mouse over
// the window (the point that follows it, the magnifier, a carried text, a dragged guide), and
// the frozen still the tools measure on.
//
// The tools themselves are the measuring session's: this turns button clicks and mouse messages
// into its calls and acts on what it answers (hold or free the mouse, run the calibration or
// ruler dialog, end a shape). Points are preview pixels: a press at (x, y) of the window is
// (x - 98, y - 49) of the 640 x 480 preview, the space the records, the painter and the
// calibrations share; edge detection works in frame pixels and converts each way through the
// capture size's scale.
//
// Everything here runs on the UI thread. The session changes the draft and the lists under
// their lock, one short lock each time, never across a dialog. A shape in progress holds the
// mouse (capture and the cursor confined to the preview) from its first press until its points
// are all taken: when only the place of its labels is left it lets the mouse go, so that a
// click beside the preview reaches the control it is on, and a press on the preview places the
// label.
#pragma once

#include "shell/LiveTools.h"

#include "imaging/DibImage.h"
#include "measure/MeasureSession.h"

#include "kit/ToggleBitmapButton.h"
#include "platform/mfc/AfxWin.h"

#include <functional>
#include <memory>
#include <vector>

class Magnification;
struct StillState;

// Posted to the main window after a calibration on the live picture; the photo-measure window
// posts its own, WM_APP_SYNC_CALIBRATION, after one on a saved picture.
#define WM_APP_LIVE_CALIBRATED (WM_APP + 13)

class LiveMeasuring {
public:
    // The window's toggle button of a control id (null for none).
    using ButtonOf = std::function<CToggleBitmapButton*(int id)>;

    // `window` parents the dialogs and holds the preview and the magnifier; `stills` holds the
    // freeze request and the frozen still; `connected` tells whether a device runs (a frozen
    // frame can be asked for only then).
    LiveMeasuring(CWnd& window, Magnification& zoom, StillState& stills, ButtonOf button,
                  std::function<bool()> connected);
    LiveMeasuring(const LiveMeasuring&) = delete;
    LiveMeasuring& operator=(const LiveMeasuring&) = delete;

    // A click on one of the measurement bar's buttons; false for a control that is none.
    bool OnButton(int id);
    // The calibrate popup's two commands: by a line, by the automatic distance.
    void LineCalibration();
    void AutoCalibration();
    // Drops the shape in progress and the tool (the preview popup's "Cancel").
    void Cancel();

    // Presses on the live picture, window client coordinates. True when the press was the
    // picture's and the window's default handling follows.
    bool LeftPress(CPoint point);
    bool DoubleClick(CPoint point);
    // Ends a guide's dragging.
    void LeftRelease();
    static bool InPicture(CPoint windowPoint);

    // The mouse at screen point `screen`, over the window or one of its children: the
    // magnifier, the point of the shape in progress that follows the mouse, a carried text, a
    // dragged guide. Called by the input hook for every mouse move.
    void OnMouseMove(POINT screen);
    // The right button's end of an automatic circle, arc or line whose edge points are
    // collected: the fitted shape and its labels go into the draft, and the next press places
    // the label. A fit that gives no shape leaves the points as they were.
    void FinishAutoShape();
    // 1 while an automatic circle, arc or line is in progress.
    int AutoShapeInProgress() const { return m_session.FitInProgress() ? 1 : 0; }
    // The magnifier's repaint: its last picture, black before the first.
    void DrawMagnifier(const DRAWITEMSTRUCT& dis) const;

    // Destroys every live shape, undone shape and guide, empties the draft and drops the still;
    // frees the magnifier's surface. At shut-down.
    void Release();

    // What the live tools measure with now: the unit and decimals of the settings, the
    // magnification, the preview's scale to the frame, the pen, the frozen still's edges.
    MeasureContext LiveContext() const;

    // The session (the tool, the shape in progress, the live view's records), the window-side
    // state, the frozen still (set by the still road when a freeze was asked for; null when
    // none) and the magnifier's surface.
    MeasureSession& Session() { return m_session; }
    LiveToolState& State() { return m_live; }
    std::unique_ptr<CDibImage>& FrozenImage();
    const CLiveMagnifierSurface& Magnifier() const { return m_magnifier; }

private:
    void ChooseToggleTool(int button, ShapeKind tool);
    void ChooseOtherTool(ShapeKind tool, bool checkZoom, bool freeze, bool emptyDraft);
    void StartCalibration(int button, ShapeKind tool, bool resetCounters);
    void OnText();
    void OnCoordinateAngle();
    void OnToleranceCircle();
    void OnUndo();
    void OnRedo();
    void OnDeleteAll();
    void OnCalibrate();
    void OnMeasureSetting();

    // Releases every pressed measuring toggle button; no tool afterwards.
    void ResetToolButtons();
    // Ends the shape in progress, the rubber line and the tool, and releases the mouse capture
    // and the cursor confinement of a shape in progress. The draft and the lists stay.
    void ResetDrawingState();
    // Asks the capture side to turn the next frame into the frozen still.
    void RequestFreeze();
    void DeleteAllShapes();
    // Adds a text shape at the cursor point, which the mouse then carries until the next
    // click; an empty text is refused with a message.
    void AddLiveText(CString text);
    // The draft takes the current pen, colours and the tool's kind.
    void SetDraft(int tool, bool withTextColor = true);
    // The live frame pixels per preview pixel, from the capture size.
    void UpdateImageScale();

    void GrabGuideAt(POINT p);
    bool FirstPress(POINT p, CPoint point);
    void LaterPress(POINT p);
    // Acts on what the session answered a press at p: holds or frees the mouse, runs the
    // calibration or the ruler's dialog, ends a completed shape.
    void TakePress(const PressOutcome& outcome, POINT p);
    // The Length-Line dialog after the ruler's presses, the second at p.
    void RulerDialog(POINT p);
    // Asks for the real length of a measured distance V (unit scale x 10 x pixels) and
    // calibrates the magnification with it; the draft's label then reads V under the new
    // magnification. Cancelled, the shape in progress is dropped.
    void CalibrateLiveDistance(double V);
    // After a shape became a record: the rubber band erased, the mouse freed, a calibration
    // whose label this was ended with its tool.
    void ShapeCompleted();
    // Drops the shape in progress (its clicks, the draft, the mouse); the tool stays when asked.
    void DropShapeInProgress(bool keepTool);
    // The mouse captured and the cursor kept in the preview while a shape is drawn.
    void HoldMouse();
    void ReleaseMouse();

    void PaintMagnifier();
    bool FollowTextAndGuide(POINT p);
    void DrawRubberBand();
    void EraseRubberBand();
    HWND Control(int id) const { return ::GetDlgItem(m_window.m_hWnd, id); }

    CWnd& m_window;
    Magnification& m_zoom;
    StillState& m_stills;
    ButtonOf m_button;
    std::function<bool()> m_connected;
    MeasureSession m_session{LiveMeasureStore(), KindCodes::Live};
    LiveToolState m_live; // colours, fonts, guide dragging and the mouse of the live tools
    // The frozen still's edges for the automatic tools; made at the first LiveContext.
    mutable std::unique_ptr<EdgeFinder> m_stillEdges;
    CLiveMagnifierSurface m_magnifier; // made at the magnifier's first update
    std::vector<POINT> m_rubberDrawn;  // what the UI thread drew into the preview, for erasing
};
