// Drawing the live measurements: the shape being drawn with the mouse, the finished shapes of
// g_liveShapes with their labels and the guide shapes of g_livePolylines (Length-Line,
// coordinate angle, tolerance circles), over the live picture on the capture thread and into
// a picture that the snapshot compositor composes (from copies of the lists taken on the UI
// thread).
//
// Live records hold preview coordinates (640 x 480, 640 x 512 for a 1280 x 1024 capture); the
// drawing multiplies them by the factors from the preview to its target and truncates. The
// shape being drawn is shown unscaled and never goes into a picture. Every function puts back
// the pens, brushes and fonts it selects; label drawing leaves its text colour and the
// TRANSPARENT background mode in the DC.
#pragma once

#include "measure/MeasureRecords.h"

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

struct LiveViewSnapshot;

// What the drawing reads besides the records.
struct LiveDrawContext {
    double scaleX = 1.0; // preview to target coordinates
    double scaleY = 1.0;
    std::u16string unit = u"mm"; // of the totals and the guide labels
    int decimals = 3;
    double liveZoom = 21.0; // the magnification the Length-Line converts with
    int has1600x1200 = 0;   // the capture format the Length-Line converts with
    int captureWidth = 640;
    int captureHeight = 480;
    // Drawing into a picture the snapshot compositor composes: the coordinate angle shows the
    // angle between its rays (0 to 180 degrees) in the DC's font, 10 pixels right of and 30 above
    // the scaled vertex; the tolerance circles are dotted in pure green. The live view shows the
    // angle its clockwise arc spans in Arial, offsets added before scaling, and dash-dot circles
    // in the guide's colour.
    bool picture = false;
};

// The rubber line of the shape being drawn, as the painter read it for one frame.
struct RubberLine {
    int active = 0; // g_rubberActive
    int line2 = 0;  // g_rubberAuto: the second line of the automatic distance or angle
    POINT cursor{}; // g_rubberPoint
};

// The live lists as one frame draws them: copied under LiveListsLock in one go, so that the
// UI thread waits only for the copy and a frame never mixes two states of the lists.
struct LiveListsCopy {
    CDraftShape draft;
    std::vector<CMeasureRecord> shapes;
    std::vector<CPolylineRecord> guides;
    RubberLine rubber;
};
LiveListsCopy CopyLiveLists();

// The shape being drawn (unscaled) and then the finished shapes in list order.
void DrawLiveShapes(HDC hdc, const LiveListsCopy& lists, const LiveDrawContext& context);
void DrawDraftShape(HDC hdc, const CDraftShape& draft, const RubberLine& rubber);
void DrawLiveRecord(HDC hdc, const CMeasureRecord& record, const LiveDrawContext& context);
// Every guide shape in list order.
void DrawGuideShapes(HDC hdc, const std::vector<CPolylineRecord>& guides,
                     const LiveDrawContext& context);
void DrawGuideShape(HDC hdc, const CPolylineRecord& guide, const LiveDrawContext& context);

// The value a Length-Line of `pixels` preview pixels shows in the unit scale of the live
// measurements (the ruler's), rounded to hundredths (a third decimal of 5 or more rounds up).
// 0 when the magnification is not above 0.
double LengthLineValue(int pixels, const LiveDrawContext& context);
// That rounding: an exact tenth stays, any other value to hundredths by its third decimal.
double RoundLengthLineValue(double v);

// The unit and precision of the labels, from g_unitName and g_decimalPlaces into the main
// window's state that the painter reads; the UI thread calls it whenever it changes them.
void CopyMeasureUnits(LiveViewSnapshot& state);

// What a picture the snapshot compositor composes is drawn with: the live view's unit,
// precision and magnification as the painter shows them (the settings themselves while there is
// no live view), the capture size and format of the moment, and `scaleX`, `scaleY` from preview
// to picture coordinates. UI thread; the value it returns may be drawn with on any thread.
LiveDrawContext PictureDrawContext(double scaleX, double scaleY);
