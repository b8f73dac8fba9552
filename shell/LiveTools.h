// The live view's window-side measuring state, kept as one object: the colours and fonts of new
// live shapes, the calibration in progress, the guide dragging state, the mouse held, and the
// scales from the preview to the frame. The tool and the shape in progress are the measuring
// session's. The main window's live measuring (LiveMeasuring) owns one; its tool commands,
// click and mouse handlers read and change it on the UI thread only.
//
// Also here: what the commands do to the live lists (undo, redo, finishing a shape, the guide
// records made from the input dialogs), as functions over LiveListsLock that take the lock for
// the change alone, so that no lock is ever held across a dialog; and the magnifier's memory
// surface.
#pragma once

#include "measure/MeasureRecords.h"
#include "measure/MeasureSession.h"

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

#include <memory>
#include <vector>

struct LiveToolState {
    int m_guideDragging = 0; // 1 while a guide of the live guides is dragged
    // 1 from a calibration's dialog until the label of its line is placed: the calibration
    // then ends and releases its tool.
    int m_calibrationLabel = 0;
    // 1 while the parallel line or the automatic distance was chosen to calibrate.
    int m_calibrationMode = 0;
    POINT m_cursorPt{};    // last preview position of a label or handle that follows the mouse
    double m_xScale = 1.0; // frame pixels per preview pixel
    double m_yScale = 1.0;
    COLORREF m_liveLineColor = 0x0000FF;  // line colour of new live shapes
    COLORREF m_liveLabelColor = 0x0000FF; // label colour of new live shapes
    COLORREF m_liveTextColor = 0x0000FF;  // colour of the text tool's texts
    LOGFONTW m_liveLabelFont{};
    LOGFONTW m_liveTextFont{};
    CString m_liveText; // the newest text; while set and last in the list, the mouse carries it
    // 1 while a calibration command checks the magnification: the typed one counts then.
    int m_scaleFromEdit = 0;
    int m_guideGrip1 = 0, m_guideGrip2 = 0, m_guideGrip3 = 0;
    int m_guidePresent = 0; // guides can be dragged only while 1
    int m_guideIndex = 0;   // the dragged guide's index in the live guides
    // 1 while the mouse is captured and the cursor confined for a shape in progress.
    int m_mouseHeld = 0;
};

// Frame pixels per preview pixel for a capture size: 2.0 for 1280 x 960 and 1280 x 1024, 1.0
// for 640 x 480, 0.5 for 320 x 240, 2.5 for every other size (1600 wide among them).
double ImageScaleForCaptureSize(int width, int height);

// The magnification a field's text gives: 0 for a text that is no number, not above 0 or not
// finite, so that no division by it follows.
double MagnificationFromText(const WCHAR* text);

// The last mouse position inside the preview, preview pixels; kept while the mouse is outside,
// so the magnifier keeps showing that place. UI thread.
extern POINT g_previewCursor;

// Drags the guide that state.m_guideIndex names by the grips held; 1 when it moved. The caller
// holds the lock of the guides.
int DragGuide(const LiveToolState& state, POINT p, CPolylineRecordList& guides);

// Grabbing a guide at preview point p: sets the grip flags of the part of the guide that p
// hits (the body, end, corner or arm of a Length-Line or coordinate angle, the inside of a
// tolerance circle) and returns 1; 0 and no change when p misses it.
int GrabGuide(const CPolylineRecord& guide, POINT p, LiveToolState& state);

// ---- The live lists, each change under its own short lock ----

// Empties the points and labels of the shape being drawn.
void EmptyLiveDraft();
// Appends a finished shape, and empties the draft in the same step when asked (so that no frame
// shows the shape twice). A new shape empties the redo list: redo only ever brings back what
// undo took, so it never has to remove a shape.
void FinishLiveShape(std::unique_ptr<CMeasureRecord> shape, bool emptyDraft = false);
// Moves the newest finished shape to the redo list and drops the newest guide (guides are not
// kept for redo); 1 when anything changed.
int UndoLiveShape();
// Moves the newest undone shape back to the end of the finished shapes; 1 when there was one.
int RedoLiveShape();
// Appends a guide and returns its index.
int AddLiveGuide(std::unique_ptr<CPolylineRecord> guide);

// The look every new live record or guide takes from the current settings.
struct LivePen {
    int width = 1;
    int style = 0;
    COLORREF lineColor = 0x0000FF;
    COLORREF labelColor = 0x0000FF;
};
// The coordinate-angle guide with its corner at (x, y) of the preview.
std::unique_ptr<CPolylineRecord> MakeCoordinateAngleGuide(int x, int y, const LivePen& pen);
// The Length-Line guide of the ruler: from c1, `pixels` long to the right when the drag to c2
// was wider than high, else downwards.
std::unique_ptr<CPolylineRecord> MakeLengthLineGuide(POINT c1, POINT c2, int pixels,
                                                     const LivePen& pen);
// The tolerance circles at the preview's centre: radius and tolerances in the current unit,
// converted with s = unitScale x 10 / zoom units per pixel, each rounded by adding 0.5. Null
// when the scale gives no finite pixel size (a magnification not above 0).
std::unique_ptr<CPolylineRecord> MakeToleranceGuide(double radius, double plus, double minus,
                                                    double unitScale, double zoom,
                                                    const LivePen& pen);

// ---- The magnifier's memory surface ----

// A memory DC with a bitmap of the magnifier's size, kept between mouse moves and made anew
// when the magnifier's size changes. UI thread.
class CLiveMagnifierSurface {
public:
    CLiveMagnifierSurface() = default;
    CLiveMagnifierSurface(const CLiveMagnifierSurface&) = delete;
    CLiveMagnifierSurface& operator=(const CLiveMagnifierSurface&) = delete;
    ~CLiveMagnifierSurface() { Free(); }

    // Makes the DC and bitmap compatible with `reference` for the rectangle's size; 1.
    int Create(HDC reference, const RECT& rect);
    // Puts the first bitmap back, deletes the bitmap and the DC; safe when nothing was made.
    void Free();
    // The DC for the rectangle's size, made (again) when there is none or its size differs.
    HDC Ensure(HDC reference, const RECT& rect);

    HDC m_drawDC = nullptr;
    HBITMAP m_drawBitmap = nullptr;
    HGDIOBJ m_drawOldBitmap = nullptr;
    SIZE m_size{};
};

// Paints the binarised window of `image` around the frame pixel `center` into the magnifier's
// client DC: the window is the client size divided by `zoomLevel` frame pixels, enlarged
// through `surface`. Does nothing for a zoom level below 1 or an empty client.
class CDibImage;
void PaintMagnifier(HDC target, const RECT& client, CDibImage& image, POINT center, int zoomLevel,
                    CLiveMagnifierSurface& surface);
