// The main window's live measuring state and commands: the scale of each capture size, the
// magnification check, undo and redo keeping every shape, the tool buttons' pressed state, the
// capture and confinement of a dropped shape, the text and guide tools, the mouse moving the
// shape in progress and the magnifier, and a run over a streaming camera while the UI thread
// changes the lists.
#include "tests/shell/MainWindowHarness.h"

#include "capture/GrabberCallbacks.h"
#include "measure/IniTextFile.h"
#include "measure/MeasureSettings.h"
#include "measure/TextDlg.h"
#include "measure/Units.h"
#include "shell/LiveTools.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Mouse.h"

#include <QImage>
#include <chrono>

namespace {

using ms::capture::SyntheticCamera;

const std::u16string kEnterRate = u"Please input the zoomIn scale!";

// A record that counts its destruction, named by a letter in its first label.
int g_destroyed = 0;
class CCountedRecord : public CMeasureRecord {
public:
    explicit CCountedRecord(const char16_t* name) { m_labels.push_back(CString(name)); }
    ~CCountedRecord() override { ++g_destroyed; }
};

std::u16string LiveNames() {
    LiveListsLock lock;
    std::u16string names;
    for (const auto& r : lock.Shapes())
        names += r->m_labels.empty() ? u"?" : std::u16string(r->m_labels[0].GetString());
    return names;
}

std::vector<std::u16string> MessageTexts() {
    std::vector<std::u16string> texts;
    for (const ms::test::Shown& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::MessageBox)
            texts.push_back(s.text);
    return texts;
}

class MainLiveToolsTest : public mstest::MainWindowHarness {
protected:
    void SetUp() override {
        MainWindowHarness::SetUp();
        DeleteAllLiveShapes();
        g_destroyed = 0;
    }
    void TearDown() override {
        MainWindowHarness::TearDown();
        DeleteAllLiveShapes();
        g_snapshotRequest = 0;
    }
    void Command(int id) {
        SendMessage(dlg_->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(id)));
    }
    void Fields(const char16_t* typed, const char16_t* calibrated) {
        SetDlgItemText(dlg_->m_hWnd, IDC_SCALE, typed);
        SetDlgItemText(dlg_->m_hWnd, IDC_CALIBRATED, calibrated);
    }
    std::vector<int> PressedTools() {
        std::vector<int> pressed;
        for (int id :
             {1179, 1180, 1181, 1182, 1183, 1184, 1185, 1186, 1187, 1188, 1189, 1190, 1191, 1205})
            if (dlg_->ToggleButton(id) && dlg_->ToggleButton(id)->IsPressed())
                pressed.push_back(id);
        return pressed;
    }
    // Moves the mouse to preview point (x, y) through the window's handler.
    void MoveTo(int x, int y) {
        POINT p{x, y};
        ClientToScreen(Item(IDC_PREVIEW), &p);
        dlg_->Measuring().OnMouseMove(p);
    }
};

TEST(LiveToolsScale, EachCaptureSizeHasItsFactor) {
    const struct {
        int w, h;
        double scale;
    } cases[] = {{1280, 960, 2.0},  {1280, 1024, 2.0}, {640, 480, 1.0},  {320, 240, 0.5},
                 {1600, 1200, 2.5}, {800, 600, 2.5},   {1600, 900, 2.5}, {640, 512, 2.5}};
    for (const auto& c : cases)
        EXPECT_EQ(ImageScaleForCaptureSize(c.w, c.h), c.scale) << c.w << "x" << c.h;
}

TEST(LiveToolsGuides, ToleranceCirclesInPixelsOfTheMagnification) {
    const LivePen pen{2, 1, 0x00FF00, 0x0000FF};
    // 0.08 units per preview pixel: 1.0 is 12.5 pixels, 0.05 is 0.625, each plus 0.5.
    auto guide = MakeToleranceGuide(1.0, 0.05, 0.05, 0.08, 10.0, pen);
    ASSERT_TRUE(guide);
    EXPECT_EQ(guide->m_kind, GUIDE_TOLERANCE_CIRCLE);
    EXPECT_EQ(guide->m_radiusPixels, 13);
    EXPECT_EQ(guide->m_plusPixels, 1);
    EXPECT_EQ(guide->m_minusPixels, 1);
    ASSERT_EQ(guide->m_points.size(), 1u);
    EXPECT_EQ(guide->m_points[0].x, 320);
    EXPECT_EQ(guide->m_penWidth, 2);
    EXPECT_EQ(guide->m_lineColor, 0x00FF00u);
    // No magnification, or one that gives no pixel size: no guide.
    EXPECT_FALSE(MakeToleranceGuide(1.0, 0.05, 0.05, 0.08, 0.0, pen));
    EXPECT_FALSE(MakeToleranceGuide(1e300, 0.05, 0.05, 0.08, 10.0, pen));

    auto corner = MakeCoordinateAngleGuide(500, 100, pen);
    ASSERT_EQ(corner->m_points.size(), 3u);
    EXPECT_EQ(corner->m_points[1].y, 0);
    EXPECT_EQ(corner->m_points[2].x, 640);
}

TEST(LiveToolsUndo, UndoAndRedoMoveTheSameShapesAndANewShapeEndsRedo) {
    DeleteAllLiveShapes();
    g_destroyed = 0;
    FinishLiveShape(std::make_unique<CCountedRecord>(u"A"));
    FinishLiveShape(std::make_unique<CCountedRecord>(u"B"));
    FinishLiveShape(std::make_unique<CCountedRecord>(u"C"));
    const CMeasureRecord* c;
    {
        LiveListsLock lock;
        c = lock.Shapes().GetAt(2);
    }
    EXPECT_EQ(UndoLiveShape(), 1);
    EXPECT_EQ(UndoLiveShape(), 1);
    EXPECT_EQ(LiveNames(), u"A");
    EXPECT_EQ(RedoLiveShape(), 1);
    EXPECT_EQ(RedoLiveShape(), 1);
    EXPECT_EQ(RedoLiveShape(), 0);
    EXPECT_EQ(LiveNames(), u"ABC");
    {
        LiveListsLock lock;
        EXPECT_EQ(lock.Shapes().GetAt(2), c); // the same object, not a copy
    }
    EXPECT_EQ(g_destroyed, 0);

    // Undo twice, then a new shape: redo has nothing left and removes nothing.
    UndoLiveShape();
    UndoLiveShape();
    FinishLiveShape(std::make_unique<CCountedRecord>(u"D"));
    const int destroyedByNewShape = g_destroyed;
    EXPECT_EQ(RedoLiveShape(), 0);
    EXPECT_EQ(LiveNames(), u"AD");
    EXPECT_EQ(g_destroyed, destroyedByNewShape);

    // Undo with no shapes but a guide drops the guide; with neither it changes nothing.
    DeleteAllLiveShapes();
    AddLiveGuide(MakeCoordinateAngleGuide(10, 10, LivePen{}));
    EXPECT_EQ(UndoLiveShape(), 1);
    {
        LiveListsLock lock;
        EXPECT_TRUE(lock.Polylines().IsEmpty());
    }
    EXPECT_EQ(UndoLiveShape(), 0);
}

TEST_F(MainLiveToolsTest, ReadZoomScaleRefusesWhatIsNoMagnification) {
    Open();
    const struct {
        const char16_t* typed;
        int result;
        double zoom;
    } cases[] = {{u"0", 0, 0}, {u"", 0, 0}, {u"abc", 0, 0}, {u"-5", 0, 0}, {u"12.5", 1, 12.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ms::ToUtf8(c.typed));
        ms::test::ResetSeams();
        Fields(c.typed, u"");
        g_zoomScale = 7.0;
        EXPECT_EQ(dlg_->Zoom().Read(), c.result);
        if (c.result) {
            EXPECT_EQ(dlg_->Zoom().Rate(), c.zoom);
            EXPECT_EQ(g_zoomScale, c.zoom);
            EXPECT_TRUE(MessageTexts().empty());
        } else {
            EXPECT_EQ(g_zoomScale, 7.0);
            EXPECT_EQ(MessageTexts(), std::vector{kEnterRate});
        }
    }
    // The calibrated magnification counts first, except while a calibration command runs.
    Fields(u"20", u"19.6");
    EXPECT_EQ(dlg_->Zoom().Read(), 1);
    EXPECT_EQ(dlg_->Zoom().Rate(), 19.6);
    Command(1197);
    EXPECT_EQ(dlg_->Zoom().Rate(), 20.0);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_PARALLEL_LINE);
    EXPECT_EQ(dlg_->Measuring().State().m_calibrationMode, 1);
    EXPECT_EQ(PressedTools(), std::vector{1181});
    EXPECT_EQ(dlg_->Measuring().State().m_scaleFromEdit, 0);

    // A calibration against a typed magnification of 0 is refused too, and leaves no button.
    ms::test::ResetSeams();
    Fields(u"0", u"19.6");
    Command(1197);
    EXPECT_EQ(MessageTexts(), std::vector{kEnterRate});
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_TRUE(PressedTools().empty());
}

TEST_F(MainLiveToolsTest, TypedMagnificationShowsItsCalibration) {
    HWND hwnd = Open();
    ASSERT_TRUE(StoreCalibration(g_paths.calibIniPath, u"20", 19.6));
    SetDlgItemText(hwnd, IDC_SCALE, u"20");
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"19.6");
    EXPECT_EQ(dlg_->Zoom().Read(), 1);
    EXPECT_EQ(dlg_->Zoom().Rate(), 19.6);
    // No entry: the calibrated field empties and the typed magnification counts.
    SetDlgItemText(hwnd, IDC_SCALE, u"30");
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"");
    EXPECT_EQ(dlg_->Zoom().Read(), 1);
    EXPECT_EQ(dlg_->Zoom().Rate(), 30.0);
    // An emptied field leaves the calibrated one as it was.
    SetDlgItemText(hwnd, IDC_SCALE, u"20");
    SetDlgItemText(hwnd, IDC_SCALE, u"");
    EXPECT_EQ(mstest::WindowText(Item(IDC_CALIBRATED)), u"19.6");
}

TEST_F(MainLiveToolsTest, ToggleToolsPressOneButtonAndAFailedCheckLeavesNone) {
    SyntheticCamera::Instance().SetDevices({mstest::SteppedCamera()});
    Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    Fields(u"100", u"");
    g_circleLabelCount = 4;
    Command(1179);
    EXPECT_EQ(PressedTools(), std::vector{1179});
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_LINE);
    EXPECT_EQ(dlg_->Stills().State().freezeRequest.load(), 1);
    EXPECT_EQ(g_circleLabelCount, 0);
    {
        LiveListsLock lock;
        EXPECT_EQ(lock.Draft().m_kind, LIVE_LINE);
        EXPECT_EQ(lock.Draft().m_lineColor, dlg_->Measuring().State().m_liveLineColor);
    }
    // The same button again switches the tool off without asking for a still.
    dlg_->Stills().State().freezeRequest = 0;
    Command(1179);
    EXPECT_TRUE(PressedTools().empty());
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    EXPECT_EQ(dlg_->Stills().State().freezeRequest.load(), 0);
    {
        LiveListsLock lock;
        EXPECT_EQ(lock.Draft().m_kind, 0);
    }
    // Another tool replaces the first one.
    Command(1205);
    Command(1180);
    EXPECT_EQ(PressedTools(), std::vector{1180});
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_DOT_LINE);

    // Without a magnification: the message, no tool, and no button left pressed.
    ms::test::ResetSeams();
    Fields(u"", u"");
    Command(1183);
    EXPECT_EQ(MessageTexts(), std::vector{kEnterRate});
    EXPECT_TRUE(PressedTools().empty());
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);

    // The label tools keep their own count running and restart the other one.
    g_circleLabelCount = 2;
    g_squareLabelCount = 3;
    Command(1192);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_CIRCLE_LABEL);
    EXPECT_EQ(g_circleLabelCount, 2);
    EXPECT_EQ(g_squareLabelCount, 0);
}

TEST_F(MainLiveToolsTest, WithoutADeviceAToolAsksForNoStill) {
    Open();
    ASSERT_EQ(dlg_->IsConnected(), 0);
    Fields(u"100", u"");
    Command(1206);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_AUTO_CIRCLE);
    EXPECT_EQ(dlg_->Stills().State().freezeRequest.load(), 0);
    EXPECT_EQ(g_snapshotRequest.load(), 0);
}

TEST_F(MainLiveToolsTest, ASecondToolDropsTheHalfDrawnShapeAndFreesTheMouse) {
    HWND hwnd = Open();
    Fields(u"100", u"");
    Command(1179);
    // The first click of a line: the mouse captured and the cursor kept in the preview.
    dlg_->Measuring().Session().Press(POINT{10, 10}, dlg_->Measuring().LiveContext());
    {
        LiveListsLock lock;
        lock.Draft().m_points = {POINT{10, 10}, POINT{10, 10}};
    }
    g_rubberActive = 1;
    RECT confined{100, 100, 740, 580};
    SetCapture(hwnd);
    ClipCursor(&confined);
    dlg_->Measuring().State().m_mouseHeld = 1;

    Command(1184);
    EXPECT_NE(GetCapture(), hwnd);
    RECT clip{};
    GetClipCursor(&clip);
    EXPECT_FALSE(clip.left == confined.left && clip.top == confined.top &&
                 clip.right == confined.right && clip.bottom == confined.bottom);
    EXPECT_EQ(dlg_->Measuring().Session().Next(), 0);
    EXPECT_EQ(g_rubberActive.load(), 0);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_POLYGON);
}

TEST_F(MainLiveToolsTest, UndoRedoAndDeleteAllThroughTheButtons) {
    Open();
    for (const char16_t* name : {u"A", u"B", u"C"})
        FinishLiveShape(std::make_unique<CCountedRecord>(name));
    AddLiveGuide(MakeCoordinateAngleGuide(50, 50, LivePen{}));
    Command(1195);
    EXPECT_EQ(LiveNames(), u"AB");
    {
        LiveListsLock lock;
        EXPECT_TRUE(lock.Polylines().IsEmpty());
    }
    Command(1196);
    EXPECT_EQ(LiveNames(), u"ABC");
    EXPECT_EQ(g_destroyed, 0);

    dlg_->Measuring().FrozenImage() = std::make_unique<CDibImage>();
    Command(409);
    EXPECT_EQ(LiveNames(), u"");
    EXPECT_EQ(g_destroyed, 3);
    EXPECT_FALSE(dlg_->Measuring().FrozenImage());
}

TEST_F(MainLiveToolsTest, TextToolAddsTheTextWhereTheMouseWasAndItFollowsTheMouse) {
    Open();
    dlg_->Measuring().State().m_cursorPt = POINT{30, 40};
    ms::test::AnswerDialog(IDD_TEXT, [](HWND h) {
        SetDlgItemText(h, TessaryTextDlg().editId, u"Hello");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1194);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_TEXT);
    {
        LiveListsLock lock;
        ASSERT_EQ(lock.Shapes().GetSize(), 1);
        const CMeasureRecord* text = lock.Shapes().GetAt(0);
        EXPECT_EQ(text->m_kind, LIVE_TEXT);
        EXPECT_EQ(std::u16string(text->m_labels.at(0).GetString()), u"Hello");
        EXPECT_EQ(text->m_points.at(0).x, 30);
    }
    MoveTo(200, 150);
    {
        LiveListsLock lock;
        EXPECT_EQ(lock.Shapes().GetAt(0)->m_points.at(0).x, 200);
        EXPECT_EQ(lock.Shapes().GetAt(0)->m_points.at(0).y, 150);
    }
    // An empty text adds nothing and says so.
    ms::test::ResetSeams();
    ms::test::AnswerDialog(IDD_TEXT, [](HWND h) {
        SetDlgItemText(h, TessaryTextDlg().editId, u"");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1194);
    EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"Please input text!"});
    EXPECT_EQ(LiveNames(), u"Hello");
}

TEST_F(MainLiveToolsTest, TheMouseMovesThePointOfTheToolsStep) {
    Open();
    Fields(u"100", u"");
    Command(1179);
    dlg_->Measuring().Session().Press(POINT{10, 10}, dlg_->Measuring().LiveContext());
    // The preview's corner (0, 0) is outside: nothing moves, the last inside place stays.
    MoveTo(100, 120);
    EXPECT_EQ(g_previewCursor.x, 100);
    MoveTo(0, 0);
    EXPECT_EQ(g_previewCursor.x, 100);
    EXPECT_EQ(g_previewCursor.y, 120);
    {
        LiveListsLock lock;
        EXPECT_EQ(lock.Draft().m_points[1].x, 100);
    }
    MoveTo(640, 480); // the far corner is inside
    {
        LiveListsLock lock;
        EXPECT_EQ(lock.Draft().m_points[1].x, 640);
        EXPECT_EQ(lock.Draft().m_points[0].x, 10);
    }

    // A real move over the preview reaches the handler through the window's input hook.
    QWidget* preview = ms::WidgetOf(Item(IDC_PREVIEW));
    ASSERT_TRUE(preview);
    ms::test::SendMouse(preview, QEvent::MouseMove, QPoint(220, 230), Qt::NoButton, Qt::NoButton);
    Pump();
    EXPECT_EQ(g_previewCursor.x, 220);
    EXPECT_EQ(g_previewCursor.y, 230);

    // The continual line runs its rubber line to the mouse.
    Command(1182);
    dlg_->Measuring().Session().Press(POINT{10, 10}, dlg_->Measuring().LiveContext());
    MoveTo(300, 200);
    EXPECT_EQ(g_rubberActive.load(), 1);
    EXPECT_EQ(g_rubberPoint.load().x, 300);

    // A horizontal Length-Line dragged by its end keeps its y.
    LiveToolState st;
    st.m_guidePresent = 1;
    st.m_guideDragging = 1;
    st.m_guideGrip1 = 1;
    CPolylineRecordList guides;
    auto line = std::make_unique<CPolylineRecord>();
    line->m_kind = GUIDE_LENGTH_LINE;
    line->m_points = {POINT{10, 50}, POINT{100, 50}};
    guides.Add(std::move(line));
    EXPECT_EQ(DragGuide(st, POINT{150, 80}, guides), 1);
    EXPECT_EQ(guides.GetAt(0)->m_points[1].x, 150);
    EXPECT_EQ(guides.GetAt(0)->m_points[1].y, 50);
    st.m_guideIndex = 5; // no such guide
    EXPECT_EQ(DragGuide(st, POINT{1, 1}, guides), 0);
}

TEST_F(MainLiveToolsTest, MagnifierShowsTheStillAroundTheCursorAndFollowsItsSize) {
    Open();
    g_captureWidth = 1280;
    g_captureHeight = 1024;
    // A grey still: black and white around the cursor, the cursor's pixel red.
    std::vector<BYTE> grey(static_cast<size_t>(1280) * 1024 * 3, 128);
    auto still = std::make_unique<CDibImage>();
    ASSERT_TRUE(still->CreateFromBuffer(grey.data(), 1280, 1024, 24, 1280 * 3));
    dlg_->Measuring().FrozenImage() = std::move(still);
    g_zoomLevel = 2;
    MoveTo(100, 50);
    EXPECT_EQ(dlg_->Measuring().State().m_xScale, 2.0);
    HWND lens = Item(IDC_ZOOM_FIELD);
    RECT client{};
    GetClientRect(lens, &client);
    ASSERT_TRUE(dlg_->Measuring().Magnifier().m_drawDC);
    EXPECT_EQ(dlg_->Measuring().Magnifier().m_size.cx, client.right);
    const QImage shown = ms::test::PresentedPicture(lens);
    ASSERT_FALSE(shown.isNull());
    bool red = false;
    for (int y = 0; y < shown.height() && !red; ++y)
        for (int x = 0; x < shown.width() && !red; ++x)
            red = shown.pixelColor(x, y) == QColor(255, 0, 0);
    EXPECT_TRUE(red); // the cursor's pixel, enlarged
    // Painted again (uncovered, say), the magnifier shows the same picture.
    const QImage repainted = ms::test::GrabWindow(lens);
    ASSERT_FALSE(repainted.isNull());
    EXPECT_EQ(repainted.convertToFormat(QImage::Format_RGB32),
              shown.convertToFormat(QImage::Format_RGB32));

    // A resized magnifier gets a surface of its new size.
    RECT r{};
    GetWindowRect(lens, &r);
    MapWindowPoints(nullptr, dlg_->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(lens, r.left, r.top, 40, 30, TRUE);
    MoveTo(110, 60);
    GetClientRect(lens, &client);
    EXPECT_EQ(dlg_->Measuring().Magnifier().m_size.cx, client.right);
    EXPECT_EQ(dlg_->Measuring().Magnifier().m_size.cy, client.bottom);
    g_captureWidth = 640;
    g_captureHeight = 480;
}

// Frames stream at 30 per second and the painter reads the lists while the UI thread adds,
// undoes, redoes and deletes shapes, chooses tools (each asking for a still) and moves the mouse.
TEST_F(MainLiveToolsTest, CommandsWhileFramesStream) {
    ms::capture::SyntheticDevice camera = mstest::SteppedCamera();
    camera.framesPerSecond = 30;
    SyntheticCamera::Instance().SetDevices({camera});
    Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    Fields(u"100", u"");
    // Two seconds of the camera's frames (their sample times) and at least 100 rounds, however
    // long a loaded machine takes for them.
    const auto SampleTime = [] {
        std::lock_guard lock(g_frameLock);
        return g_frameSampleTime;
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int round = 0;
    bool froze = false;
    while ((round < 100 || SampleTime() < 2.0) && std::chrono::steady_clock::now() < limit) {
        ++round;
        auto shape = std::make_unique<CMeasureRecord>();
        shape->m_kind = LIVE_LINE;
        shape->m_points = {POINT{round % 600, 20}, POINT{300, round % 400}};
        shape->m_labels.push_back(CString(u"L:1.000mm"));
        FinishLiveShape(std::move(shape));
        Command(round % 3 ? 1179 : 1190);
        dlg_->Measuring().Session().Press(POINT{5, 5}, dlg_->Measuring().LiveContext());
        {
            LiveListsLock lock;
            lock.Draft().m_points = {POINT{5, 5}, POINT{6, 6}};
        }
        MoveTo(round % 640 + 1, round % 480 + 1);
        if (round % 4 == 0)
            Command(1195);
        if (round % 7 == 0)
            Command(1196);
        if (round % 50 == 0)
            Command(409);
        ms::test::Pump(2);
        froze = froze || dlg_->Measuring().FrozenImage() != nullptr;
    }
    // The tools' still requests are served by the streaming camera; a slow build (the thread
    // checker's) may not have served one within the rounds' short pumps, so one more tool
    // waits for its still (the automatic circle: a toggle tool might be switched off instead).
    if (!froze) {
        Command(1206);
        froze = ms::test::PumpUntil([&] { return dlg_->Measuring().FrozenImage() != nullptr; });
    }
    Command(409);
    EXPECT_GE(SampleTime(), 2.0);
    EXPECT_TRUE(froze);
    EXPECT_EQ(LiveNames(), u"");
}

} // namespace

namespace {

TEST_F(MainLiveToolsTest, CoordinateAngleAndToleranceCircleComeFromTheirDialogs) {
    Open();
    ms::test::AnswerDialog(IDD_COORDINATE, [](HWND h) {
        SetDlgItemText(h, IDC_COORD_X, u"500");
        SetDlgItemText(h, IDC_COORD_Y, u"100");
        SendMessage(h, WM_COMMAND, IDOK, 0);
    });
    Command(1141);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), LIVE_COORDINATE_ANGLE);
    EXPECT_EQ(dlg_->Measuring().State().m_guidePresent, 1);
    EXPECT_TRUE(IsWindowEnabled(dlg_->m_hWnd));
    {
        LiveListsLock lock;
        ASSERT_EQ(lock.Polylines().GetSize(), 1);
        const auto& pts = lock.Polylines().GetAt(0)->m_points;
        ASSERT_EQ(pts.size(), 3u);
        EXPECT_EQ(pts[0].x, 500);
        EXPECT_EQ(pts[1].y, 0);
        EXPECT_EQ(pts[2].x, 640);
    }
    // Cancel adds nothing and leaves no tool; without a magnification the tolerance circle
    // asks for one and opens no dialog.
    ms::test::PressInDialog(IDD_COORDINATE, IDCANCEL);
    Command(1141);
    EXPECT_EQ(dlg_->Measuring().Session().Tool(), 0);
    ms::test::ResetSeams();
    Fields(u"", u"");
    Command(1139);
    EXPECT_EQ(MessageTexts(), std::vector{kEnterRate});
    LiveListsLock lock;
    EXPECT_EQ(lock.Polylines().GetSize(), 1);
}

} // namespace
