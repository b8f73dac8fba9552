#include "CaptureTestSupport.h"

#include <QtGlobal>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

using namespace capture_test;
using ms::capture::SyntheticCamera;

namespace {

constexpr UINT kGraphEvent = 0x8003; // the capture window's graph-event message

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::capture::UseSyntheticCamera(true);
        posted.Install();
    }
    void TearDown() override {
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
    }
    // One device "cam" and a graph bound to it.
    CaptureGraph Bind(ms::capture::SyntheticDevice desc) {
        SyntheticCamera::Instance().SetDevices({desc});
        auto list = Monikers();
        CaptureGraph g;
        EXPECT_EQ(list.size(), 1u);
        if (!list.empty()) {
            EXPECT_TRUE(g.Build(*list[0]));
        }
        return g;
    }
    // A graph on "cam", 320 x 240 frames pushed by hand, configured to call cb.
    CaptureGraph BindByHand(RecordingCallback& cb) {
        auto desc = Device("cam");
        desc.sizes = {{320, 240}};
        auto g = Bind(desc);
        cb.width = 320;
        cb.height = 240;
        EXPECT_EQ(g.Configure(&cb, nullptr), S_OK);
        return g;
    }
    PostedMessages posted;
};

TEST_F(GraphTest, CapabilitiesReportYuy2SizesAndTheFormatIsAVideoInfoHeader) {
    auto desc = Device("cam");
    desc.sizes = ms::capture::SmallSizeFamily();
    auto g = Bind(desc);
    ASSERT_TRUE(g.config);
    int count = 0, size = 0;
    ASSERT_EQ(g.config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(size, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));
    const SIZE expected[] = {{320, 240}, {640, 480}, {1280, 1024}};
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE mt;
        VIDEO_STREAM_CONFIG_CAPS caps;
        ASSERT_EQ(g.config->GetStreamCaps(i, &mt, &caps), S_OK);
        EXPECT_TRUE(mt.subtype == MEDIASUBTYPE_YUY2);
        EXPECT_EQ(caps.MinOutputSize.cx, expected[i].cx);
        EXPECT_EQ(caps.MaxOutputSize.cy, expected[i].cy);
    }
    AM_MEDIA_TYPE mt;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(g.config->GetStreamCaps(3, &mt, &caps), S_FALSE);

    ASSERT_EQ(g.config->GetFormat(&mt), S_OK);
    EXPECT_TRUE(mt.majortype == MEDIATYPE_Video);
    EXPECT_TRUE(mt.formattype == FORMAT_VideoInfo);
    const auto& h = mt.vih.bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 1280);
    EXPECT_EQ(h.biHeight, 1024);
    EXPECT_EQ(h.biBitCount, 16);
    EXPECT_EQ(h.biCompression, ms::capture::FourCC('Y', 'U', 'Y', '2'));
    EXPECT_EQ(h.biSizeImage, 1280u * 1024u * 2u);
    EXPECT_EQ(mt.vih.AvgTimePerFrame, 333333);
    EXPECT_EQ(mt.vih.dwBitRate, 30u * h.biSizeImage * 8u);
}

TEST_F(GraphTest, SetFormatTakesOfferedSizesOnlyAndOnlyWhileStopped) {
    RecordingCallback cb;
    auto g = Bind(Device("cam"));
    AM_MEDIA_TYPE mt;
    ASSERT_EQ(g.config->GetFormat(&mt), S_OK);

    struct Case {
        LONG w, h;
        HRESULT expected;
    } cases[] = {{640, 480, S_OK},
                 {1280, 960, S_OK},
                 {1280, 1024, VFW_E_INVALIDMEDIATYPE},
                 {1600, 1199, VFW_E_INVALIDMEDIATYPE},
                 {0, 0, VFW_E_INVALIDMEDIATYPE},
                 {1600, 1200, S_OK}};
    for (const auto& c : cases) {
        AM_MEDIA_TYPE want = mt;
        want.vih.bmiHeader.biWidth = c.w;
        want.vih.bmiHeader.biHeight = c.h;
        EXPECT_EQ(g.config->SetFormat(&want), c.expected) << c.w << "x" << c.h;
        AM_MEDIA_TYPE now;
        g.config->GetFormat(&now);
        if (c.expected == S_OK) {
            EXPECT_EQ(now.vih.bmiHeader.biWidth, c.w);
        }
    }
    AM_MEDIA_TYPE mjpg = mt;
    mjpg.subtype = MEDIASUBTYPE_MJPG;
    EXPECT_EQ(g.config->SetFormat(&mjpg), VFW_E_INVALIDMEDIATYPE) << "a subtype the device lacks";

    ASSERT_EQ(g.Configure(&cb, nullptr), S_OK);
    ASSERT_EQ(g.graph->Run(), S_OK);
    AM_MEDIA_TYPE small = mt;
    small.vih.bmiHeader.biWidth = 640;
    small.vih.bmiHeader.biHeight = 480;
    EXPECT_EQ(g.config->SetFormat(&small), VFW_E_NOT_STOPPED);
    g.graph->Stop();
    EXPECT_EQ(g.config->SetFormat(&small), S_OK);
}

TEST_F(GraphTest, GrabberPathsTakeCaptureThenStillPinAndRenderersStayParked) {
    RecordingCallback frames, stills;
    auto g = Bind(Device("cam"));
    ASSERT_EQ(g.Configure(&frames, &stills), S_OK);
    auto pins = g.filter->EnumPins();
    std::shared_ptr<IPin> peer;
    ASSERT_EQ(pins[0]->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer->Filter(), g.frameGrabber);
    ASSERT_EQ(pins[1]->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer->Filter(), g.stillGrabber);
    std::shared_ptr<IBaseFilter> byName;
    EXPECT_EQ(g.graph->FindFilterByName(u"StillGrabber", &byName), S_OK);
    EXPECT_EQ(byName, g.frameGrabber);
    EXPECT_EQ(g.graph->Filters().size(), 5u) << "capture filter, two grabbers, two renderers";

    AM_MEDIA_TYPE connected;
    ASSERT_EQ(g.frameGrabber->GetConnectedMediaType(&connected), S_OK);
    EXPECT_TRUE(connected.subtype == MEDIASUBTYPE_RGB24);
    EXPECT_EQ(connected.vih.bmiHeader.biBitCount, 24);
    EXPECT_EQ(connected.vih.bmiHeader.biWidth, 1600);

    auto window = g.graph->QueryVideoWindow();
    window->put_Owner(FakeWindow(2));
    window->put_Visible(0);
    window->SetWindowPosition(0, 0, 0, 0);
    long visible = 1, l, t, w = 1, h = 1;
    window->get_Visible(&visible);
    window->GetWindowPosition(&l, &t, &w, &h);
    EXPECT_EQ(visible, 0);
    EXPECT_EQ(w, 0);

    // A grabber that wants another type is refused; pins already taken are refused.
    auto picky = ISampleGrabber::Create();
    AM_MEDIA_TYPE yuy2;
    yuy2.majortype = MEDIATYPE_Video;
    yuy2.subtype = MEDIASUBTYPE_YUY2;
    picky->SetMediaType(&yuy2);
    ASSERT_EQ(g.graph->AddFilter(picky, u"Picky"), S_OK);
    EXPECT_EQ(g.graph->Connect(pins[0], picky->EnumPins()[0]), VFW_E_ALREADY_CONNECTED);

    // Teardown removes everything behind the capture filter; the grabbers are reused.
    g.graph->RemoveFilter(picky);
    auto frameGrabber = g.frameGrabber;
    g.TearDown();
    EXPECT_EQ(g.graph->Filters().size(), 1u);
    EXPECT_EQ(pins[0]->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
    ASSERT_EQ(g.Configure(&frames, &stills), S_OK);
    EXPECT_EQ(g.frameGrabber, frameGrabber);
}

TEST_F(GraphTest, RunDeliversNumberedBottomUpFramesAndNoCallbackFollowsStop) {
    RecordingCallback cb;
    auto g = BindByHand(cb);
    FILTER_STATE state;
    g.graph->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_FALSE(SyntheticCamera::Instance().PushFrame("cam")) << "not streaming yet";

    ASSERT_EQ(g.graph->Run(), S_OK);
    EXPECT_EQ(g.graph->Run(), S_OK) << "a second run changes nothing";
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    EXPECT_EQ(cb.Frames(), 5);
    EXPECT_EQ(cb.numbers, (std::vector<unsigned>{0, 1, 2, 3, 4}));
    EXPECT_EQ(cb.lastLength, 320 * 3 * 240);
    EXPECT_DOUBLE_EQ(cb.lastTime, 4 / 30.0);

    ASSERT_EQ(g.graph->Stop(), S_OK);
    cb.closed = true;
    EXPECT_EQ(cb.active.load(), 0);
    EXPECT_FALSE(SyntheticCamera::Instance().PushFrame("cam"));
    g.graph->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_EQ(g.graph->Stop(), S_OK) << "stop is idempotent";

    // Run again: the sample times and numbers start over.
    cb.closed = false;
    ASSERT_EQ(g.graph->Run(), S_OK);
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    EXPECT_EQ(cb.lastNumber, 0u);
    EXPECT_EQ(cb.lastTime, 0.0);
    g.graph->Stop();
    EXPECT_EQ(cb.lateCalls.load(), 0);
}

// Each streamed frame is the whole pattern of its number: what one frame's overlay drew is gone
// from the next (the mark moves on, the digits grow from one to two).
TEST_F(GraphTest, StreamedFramesAreThePatternOfTheirNumberAndNothingOfTheFrameBefore) {
    struct Copies : RecordingCallback {
        HRESULT BufferCB(double time, BYTE* buffer, long length) override {
            {
                std::lock_guard lock(mutex);
                copies.emplace_back(buffer, buffer + length);
            }
            return RecordingCallback::BufferCB(time, buffer, length);
        }
        std::vector<std::vector<BYTE>> copies;
    } cb;
    auto g = BindByHand(cb);
    ASSERT_EQ(g.graph->Run(), S_OK);
    const unsigned count = 12;
    for (unsigned i = 0; i < count; ++i)
        ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    g.graph->Stop();
    ASSERT_EQ(cb.copies.size(), count);
    std::vector<BYTE> expected;
    for (unsigned i = 0; i < count; ++i) {
        ms::capture::DrawSyntheticFrame(expected, 320, 240, i);
        EXPECT_TRUE(cb.copies[i] == expected) << "frame " << i;
    }
}

TEST_F(GraphTest, StillButtonSendsTheNextFrameToTheStillGrabberOnly) {
    RecordingCallback frames, stills;
    auto desc = Device("cam");
    desc.sizes = {{320, 240}};
    auto g = Bind(desc);
    stills.width = frames.width = 320;
    stills.height = frames.height = 240;
    ASSERT_EQ(g.Configure(&frames, &stills), S_OK);
    ASSERT_EQ(g.graph->Run(), S_OK);
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    EXPECT_TRUE(SyntheticCamera::Instance().PressStillButton("cam"));
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    ASSERT_TRUE(SyntheticCamera::Instance().PushFrame("cam"));
    g.graph->Stop();
    EXPECT_EQ(frames.Frames(), 3);
    ASSERT_EQ(stills.Frames(), 1);
    EXPECT_EQ(stills.lastNumber, 1u);
}

TEST_F(GraphTest, DeviceWithoutStillPinHasOneOutputSoTheStillPathFails) {
    RecordingCallback frames, stills;
    auto desc = Device("cam");
    desc.hasStillPin = false;
    auto g = Bind(desc);
    std::shared_ptr<IPin> still;
    EXPECT_TRUE(FAILED(g.builder->FindPin(g.filter, PINDIR_OUTPUT, &PIN_CATEGORY_STILL, nullptr,
                                          FALSE, 0, &still)));
    EXPECT_TRUE(FAILED(g.Configure(&frames, &stills)));
    EXPECT_FALSE(g.stillGrabber);
}

TEST_F(GraphTest, StreamErrorsAndLostDevicesArePostedAndTakenOneByOne) {
    RecordingCallback cb;
    auto g = Bind(Device("cam"));
    ASSERT_EQ(g.Configure(&cb, nullptr), S_OK);
    auto events = g.graph->QueryMediaEventEx();
    ASSERT_EQ(events->SetNotifyWindow(FakeWindow(3), kGraphEvent, 0), S_OK);
    long code;
    LONG_PTR p1, p2;
    EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 0), E_ABORT) << "an empty queue answers at once";

    ASSERT_EQ(g.graph->Run(), S_OK);
    ASSERT_TRUE(SyntheticCamera::Instance().InjectStreamError("cam"));
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 10000), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(events->FreeEventParams(code, p1, p2), S_OK);

    // Stop and run again after the error; then the device goes away.
    g.graph->Stop();
    ASSERT_EQ(g.graph->Run(), S_OK);
    ASSERT_TRUE(SyntheticCamera::Instance().Unplug("cam"));
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 10000), S_OK);
    EXPECT_EQ(code, EC_DEVICE_LOST);
    EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
    g.graph->Stop();
    EXPECT_EQ(posted.Count(kGraphEvent), 2u) << "one message per event";
    EXPECT_EQ(g.graph->Run(), HRESULT_DEVICE_NOT_CONNECTED) << "a gone device does not run";
}

TEST_F(GraphTest, FailureInjectionRefusesFormatAndRun) {
    RecordingCallback cb;
    auto g = Bind(Device("cam"));
    ASSERT_EQ(g.Configure(&cb, nullptr), S_OK);
    SyntheticCamera::Instance().SetFailures("cam", false, true, true);
    AM_MEDIA_TYPE mt;
    g.config->GetFormat(&mt);
    EXPECT_TRUE(FAILED(g.config->SetFormat(&mt)));
    EXPECT_TRUE(FAILED(g.graph->Run()));
    FILTER_STATE state;
    g.graph->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
    SyntheticCamera::Instance().SetFailures("cam", false, false, false);
    EXPECT_EQ(g.graph->Run(), S_OK);
}

TEST_F(GraphTest, PictureControlsReportRangesAndTakeValuesWithinThem) {
    auto g = Bind(Device("cam"));
    std::shared_ptr<IAMVideoProcAmp> amp;
    ASSERT_EQ(g.builder->FindVideoProcAmp(g.filter, &amp), S_OK);
    long min, max, step, def, caps;
    ASSERT_EQ(amp->GetRange(VideoProcAmp_Brightness, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(min, -64);
    EXPECT_EQ(max, 64);
    EXPECT_EQ(step, 1);
    EXPECT_EQ(def, 0);
    EXPECT_EQ(caps, VideoProcAmp_Flags_Manual);
    long value, flags;
    ASSERT_EQ(amp->Get(VideoProcAmp_Gamma, &value, &flags), S_OK);
    EXPECT_EQ(value, 100);

    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, 20, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, 65, VideoProcAmp_Flags_Manual), E_INVALIDARG);
    EXPECT_EQ(amp->Set(VideoProcAmp_ColorEnable, 1, VideoProcAmp_Flags_Manual),
              E_PROP_ID_UNSUPPORTED);
    // Auto on a property without an automatic control sets the value by hand.
    EXPECT_EQ(amp->Set(VideoProcAmp_Contrast, 50, VideoProcAmp_Flags_Auto), S_OK);
    ASSERT_TRUE(
        SyntheticCamera::Instance().ControlValue("cam", VideoProcAmp_Brightness, &value, &flags));
    EXPECT_EQ(value, 20);
    ASSERT_EQ(amp->Get(VideoProcAmp_Contrast, &value, &flags), S_OK);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
    EXPECT_EQ(amp->Set(VideoProcAmp_Hue, 0, VideoProcAmp_Flags_Auto), S_OK);
    ASSERT_EQ(amp->Get(VideoProcAmp_Hue, &value, &flags), S_OK);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);

    auto none = Device("cam");
    none.hasProcAmp = false;
    auto g2 = Bind(none);
    EXPECT_EQ(g2.builder->FindVideoProcAmp(g2.filter, &amp), E_NOINTERFACE);
}

// Walks the routes from the analog input as the crossbar router does.
int CountRoutes(const std::shared_ptr<IPin>& input) {
    std::shared_ptr<IPin> out;
    if (FAILED(input->ConnectedTo(&out)))
        return -1; // a connector
    auto filter = out->Filter();
    auto xbar = filter->QueryCrossbar();
    if (!xbar)
        return -1;
    long outs = 0, ins = 0;
    xbar->get_PinCounts(&outs, &ins);
    auto pins = filter->EnumPins();
    long outIndex = 0;
    for (long i = 0; i < static_cast<long>(pins.size()); ++i)
        if (pins[i] == out)
            outIndex = i - ins;
    int routes = 0;
    for (long i = 0; i < ins; ++i) {
        long related, type;
        xbar->get_CrossbarPinInfo(TRUE, i, &related, &type);
        if (type >= PhysConn_Audio_Tuner || xbar->CanRoute(outIndex, i) != S_OK)
            continue;
        int deeper = CountRoutes(pins[i]);
        routes += deeper < 0 ? 1 : deeper;
    }
    return routes;
}

TEST_F(GraphTest, CrossbarsExistOnlyOnDevicesThatHaveThem) {
    auto plain = Bind(Device("cam"));
    std::shared_ptr<IAMCrossbar> xbar;
    EXPECT_EQ(
        plain.builder->FindCrossbar(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, plain.filter, &xbar),
        E_NOINTERFACE);
    std::shared_ptr<IAMVfwCaptureDialogs> dialogs;
    EXPECT_EQ(plain.builder->FindVfwCaptureDialogs(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                                   plain.filter, &dialogs),
              E_NOINTERFACE);

    // Two crossbars: the outer one has two video inputs (and an audio one), the inner one takes
    // the outer one on its input 0 and has an S-Video input of its own.
    auto desc = Device("cam");
    desc.vfwDialogs = true;
    desc.crossbars = {
        {{PhysConn_Video_VideoDecoder, PhysConn_Video_SVideo}, {PhysConn_Video_VideoDecoder}, 0},
        {{PhysConn_Video_Tuner, PhysConn_Video_Composite, PhysConn_Audio_Tuner},
         {PhysConn_Video_VideoDecoder, PhysConn_Audio_AudioDecoder},
         0},
    };
    auto g = Bind(desc);
    EXPECT_EQ(g.builder->FindVfwCaptureDialogs(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, g.filter,
                                               &dialogs),
              S_OK);
    ASSERT_EQ(g.builder->FindCrossbar(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, g.filter, &xbar),
              S_OK);
    long related, type;
    ASSERT_EQ(xbar->get_CrossbarPinInfo(FALSE, 0, &related, &type), S_OK);
    EXPECT_EQ(type, PhysConn_Video_VideoDecoder);
    EXPECT_EQ(xbar->get_CrossbarPinInfo(TRUE, 5, &related, &type), E_INVALIDARG);

    std::shared_ptr<IPin> analog;
    for (const auto& p : g.filter->EnumPins()) {
        GUID cat;
        if (p->Direction() == PINDIR_INPUT && SUCCEEDED(p->QueryPinCategory(&cat)) &&
            cat == PIN_CATEGORY_ANALOGVIDEOIN)
            analog = p;
    }
    ASSERT_TRUE(analog);
    // Outer: tuner and composite; inner: S-Video. Audio never starts a route.
    EXPECT_EQ(CountRoutes(analog), 3);

    // The outer crossbar relates its video inputs to its audio input, and routes.
    std::shared_ptr<IPin> innerOut, outerOut;
    ASSERT_EQ(analog->ConnectedTo(&innerOut), S_OK);
    auto inner = innerOut->Filter();
    ASSERT_EQ(inner->EnumPins()[0]->ConnectedTo(&outerOut), S_OK);
    auto outer = outerOut->Filter()->QueryCrossbar();
    ASSERT_EQ(outer->get_CrossbarPinInfo(TRUE, 0, &related, &type), S_OK);
    EXPECT_EQ(related, 2);
    ASSERT_EQ(outer->get_CrossbarPinInfo(TRUE, 1, &related, &type), S_OK);
    EXPECT_EQ(related, -1);
    EXPECT_EQ(outer->Route(0, 1), S_OK);
    long routed = -1;
    outer->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(routed, 1);
    EXPECT_EQ(outer->CanRoute(0, 2), S_FALSE);
}

// The frame callback at 30 frames per second for a few seconds while another thread stops and
// starts the graph over and over: no callback after a Stop returns, no data race (sanitizers).
TEST_F(GraphTest, FrameCallbackAt30FpsSurvivesAConcurrentStopStartLoop) {
    RecordingCallback cb;
    auto desc = Device("cam", 30);
    desc.sizes = {{640, 480}};
    auto g = Bind(desc);
    cb.width = 640;
    cb.height = 480;
    ASSERT_EQ(g.Configure(&cb, nullptr), S_OK);
    ASSERT_EQ(g.graph->Run(), S_OK);
    ASSERT_TRUE(cb.WaitFrames(3)) << "frames arrive at the frame rate";

    std::atomic<bool> done{false};
    std::atomic<int> cycles{0};
    std::thread controller([&] {
        for (int i = 0; i < 40; ++i) {
            g.graph->Stop();
            cb.closed = true;
            EXPECT_EQ(cb.active.load(), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            cb.closed = false;
            EXPECT_EQ(g.graph->Run(), S_OK);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            ++cycles;
        }
        done = true;
    });
    // The main thread meanwhile presses the still button and reads the state.
    while (!done) {
        SyntheticCamera::Instance().PressStillButton("cam");
        FILTER_STATE state;
        g.graph->GetState(0, &state);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    controller.join();
    int before = cb.Frames();
    EXPECT_TRUE(cb.WaitFrames(before + 2)) << "still streaming after the loop";
    g.graph->Stop();
    cb.closed = true;
    int stopped = cb.Frames();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(cb.Frames(), stopped);
    EXPECT_EQ(cb.lateCalls.load(), 0);
    EXPECT_EQ(cycles.load(), 40);
}

TEST(MediaEventTest, EachEventPostsOnceAndAnUndrainedQueueStaysBounded) {
    PostedMessages posted;
    posted.Install();
    IMediaEventEx events;
    events.Notify(EC_COMPLETE, 0, 0); // no window yet: queued, nothing posted
    EXPECT_EQ(posted.Count(kGraphEvent), 0u);
    events.SetNotifyWindow(FakeWindow(4), kGraphEvent, 77);
    for (int i = 0; i < 300; ++i)
        events.Notify(EC_ERRORABORT, i, 0);
    auto msgs = posted.Take();
    ASSERT_EQ(msgs.size(), 300u);
    EXPECT_EQ(std::get<3>(msgs[0]), 77) << "lParam carries the instance data";
    EXPECT_EQ(events.Pending(), 256u);
    long code;
    LONG_PTR p1, p2;
    ASSERT_EQ(events.GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(p1, 44) << "301 queued, the 45 oldest dropped";
    ms::capture::SetPostMessage({});
}

// Without a receiver the capture layer's messages are lost: it says so once, not per frame.
TEST(PosterTest, MessagesWithoutAReceiverAreLoggedOnce) {
    static int warnings = 0;
    ms::capture::SetPostMessage({});
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& ctx, const QString&) {
            if (type == QtWarningMsg && ctx.category &&
                std::strcmp(ctx.category, "ms.capture.poster") == 0)
                ++warnings;
        });
    const HWND someWindow = reinterpret_cast<HWND>(0x10000);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(ms::capture::PostToWindow(someWindow, 0x8001u + static_cast<UINT>(i), 0, 0));
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 1);
}

TEST(FormatMappingTest, VideoInfoSizesFollowTheDepthOfTheFormat) {
    using ms::capture::FourCC;
    struct Case {
        DWORD fourcc;
        LONG w, h;
        WORD bits;
        DWORD size;
    } cases[] = {
        {FourCC('Y', 'U', 'Y', '2'), 1600, 1200, 16, 3840000},
        {FourCC('Y', 'U', 'Y', '2'), 1280, 1024, 16, 2621440},
        {FourCC('Y', 'U', 'Y', '2'), 640, 480, 16, 614400},
        {static_cast<DWORD>(BI_RGB), 640, 480, 24, 921600},
        {static_cast<DWORD>(BI_RGB), 5, 3, 24, 48}, // rows padded to 4 bytes
        {FourCC('I', '4', '2', '0'), 640, 480, 12, 460800},
    };
    for (const auto& c : cases) {
        auto v = ms::capture::MakeVideoInfo({c.fourcc, c.w, c.h, 666666});
        EXPECT_EQ(v.bmiHeader.biBitCount, c.bits);
        EXPECT_EQ(v.bmiHeader.biSizeImage, c.size);
        EXPECT_EQ(v.dwBitRate, static_cast<DWORD>(15ull * c.size * 8)) << "15 frames per second";
    }
    EXPECT_EQ(ms::capture::MakeVideoInfo({FourCC('Y', 'U', 'Y', '2'), 640, 480, 0}).dwBitRate, 0u);
    EXPECT_EQ(ms::capture::FourCCOfSubtype(MEDIASUBTYPE_YUY2), FourCC('Y', 'U', 'Y', '2'));
    EXPECT_EQ(ms::capture::FourCCOfSubtype(MEDIASUBTYPE_RGB24), 0u);
}

TEST(FormatMappingTest, StepwiseCapabilitiesTakeSizesOnTheGridOnly) {
    ms::capture::FrameCaps c;
    c.fourcc = ms::capture::FourCC('Y', 'U', 'Y', '2');
    c.minSize = {160, 120};
    c.maxSize = {1600, 1200};
    c.stepX = 16;
    c.stepY = 8;
    c.intervals = {333333, 666666};
    std::vector<ms::capture::FrameCaps> caps{c};
    EXPECT_TRUE(ms::capture::FindCaps(caps, c.fourcc, 640, 480));
    EXPECT_FALSE(ms::capture::FindCaps(caps, c.fourcc, 641, 480));
    EXPECT_FALSE(ms::capture::FindCaps(caps, c.fourcc, 1616, 1200));
    EXPECT_FALSE(ms::capture::FindCaps(caps, ms::capture::FourCC('M', 'J', 'P', 'G'), 640, 480));
    EXPECT_EQ(ms::capture::NearestInterval(c, 0), 333333);
    EXPECT_EQ(ms::capture::NearestInterval(c, 600000), 666666);
}

} // namespace
