// Helpers of the capture tests: a recording grabber callback, a recording poster, and the graph
// build in the order the capture window uses (bind, add, stream config, format, grabber paths).
#pragma once

#include "platform/capture/DeviceEnum.h"
#include "platform/capture/Graph.h"
#include "platform/capture/Poster.h"
#include "platform/capture/SyntheticCamera.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <tuple>
#include <vector>

namespace capture_test {

inline HWND FakeWindow(int n) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000 + n)); }

// Counts frames and remembers the last frame number of the synthetic pattern.
class RecordingCallback : public ISampleGrabberCB {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_ISampleGrabberCB || iid == IID_IUnknown) {
            *out = this;
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return S_OK; }
    HRESULT BufferCB(double time, BYTE* buffer, long length) override {
        active.fetch_add(1);
        if (closed.load())
            lateCalls.fetch_add(1);
        {
            std::lock_guard lock(mutex);
            ++frames;
            lastTime = time;
            lastLength = length;
            lastNumber = width > 0 ? ms::capture::SyntheticFrameNumber(buffer, width, height) : 0;
            numbers.push_back(lastNumber);
        }
        cv.notify_all();
        active.fetch_sub(1);
        return S_OK;
    }
    // Waits (generously) for n frames in all; false when they did not come.
    bool WaitFrames(int n, int seconds = 20) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(seconds), [&] { return frames >= n; });
    }
    int Frames() {
        std::lock_guard lock(mutex);
        return frames;
    }

    LONG width = 0, height = 0; // size of the frames, to read the pattern's number
    std::mutex mutex;
    std::condition_variable cv;
    int frames = 0;
    double lastTime = -1;
    long lastLength = 0;
    unsigned lastNumber = 0;
    std::vector<unsigned> numbers;
    std::atomic<int> active{0};
    std::atomic<bool> closed{false};
    std::atomic<int> lateCalls{0};
};

// Records every posted message.
struct PostedMessages {
    std::mutex mutex;
    std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> messages;
    void Install() {
        ms::capture::SetPostMessage([this](HWND h, UINT m, WPARAM w, LPARAM l) {
            std::lock_guard lock(mutex);
            messages.emplace_back(h, m, w, l);
            return true;
        });
    }
    std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> Take() {
        std::lock_guard lock(mutex);
        auto out = messages;
        messages.clear();
        return out;
    }
    size_t Count(UINT msg) {
        std::lock_guard lock(mutex);
        size_t n = 0;
        for (const auto& m : messages)
            n += std::get<1>(m) == msg;
        return n;
    }
};

// A capture graph built as the capture window builds it.
struct CaptureGraph {
    std::shared_ptr<ICaptureGraphBuilder2> builder;
    std::shared_ptr<IGraphBuilder> graph;
    std::shared_ptr<IBaseFilter> filter;
    std::shared_ptr<IAMStreamConfig> config;
    std::shared_ptr<ISampleGrabber> frameGrabber; // "StillGrabber": every frame
    std::shared_ptr<ISampleGrabber> stillGrabber; // "SampleGrabber": the still button

    // Bind and add; false when the moniker cannot be bound.
    bool Build(const IMoniker& moniker) {
        builder = std::make_shared<ICaptureGraphBuilder2>();
        graph = std::make_shared<IGraphBuilder>();
        if (FAILED(moniker.BindToFilter(&filter)))
            return false;
        if (FAILED(builder->SetFiltergraph(graph)) || FAILED(graph->AddFilter(filter, nullptr)))
            return false;
        builder->FindStreamConfig(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter, &config);
        return true;
    }

    HRESULT AddGrabber(std::shared_ptr<ISampleGrabber>& grabber, const WCHAR* name,
                       ISampleGrabberCB* cb, bool oneShot) {
        if (!grabber)
            grabber = ISampleGrabber::Create();
        AM_MEDIA_TYPE mt;
        mt.majortype = MEDIATYPE_Video;
        mt.subtype = MEDIASUBTYPE_RGB24;
        grabber->SetMediaType(&mt);
        HRESULT hr = graph->AddFilter(grabber, name);
        if (FAILED(hr))
            return hr;
        HRESULT last = S_OK;
        bool connected = false;
        for (int i = 0; i < 4 && !connected; ++i) {
            std::shared_ptr<IPin> out, in;
            int n = 0;
            for (const auto& p : filter->EnumPins())
                if (p->Direction() == PINDIR_OUTPUT && n++ == i)
                    out = p;
            for (const auto& p : grabber->EnumPins())
                if (p->Direction() == PINDIR_INPUT)
                    in = p;
            if (!out || !in)
                continue;
            last = graph->Connect(out, in);
            connected = last == S_OK;
        }
        if (!connected) {
            graph->RemoveFilter(grabber);
            grabber.reset();
            return FAILED(last) ? last : E_FAIL;
        }
        hr = graph->Render(grabber->EnumPins()[1]);
        if (FAILED(hr))
            return hr;
        grabber->SetBufferSamples(FALSE);
        grabber->SetOneShot(oneShot ? TRUE : FALSE);
        grabber->SetCallback(cb, 1);
        return S_OK;
    }

    // The grabber paths: the frame path always, the still path when asked.
    HRESULT Configure(ISampleGrabberCB* frameCb, ISampleGrabberCB* stillCb) {
        HRESULT hr = AddGrabber(frameGrabber, u"StillGrabber", frameCb, true);
        if (FAILED(hr))
            return hr;
        if (stillCb)
            hr = AddGrabber(stillGrabber, u"SampleGrabber", stillCb, false);
        return hr;
    }

    // Removes everything downstream of the capture filter (grabbers and renderers).
    void TearDown() { RemoveDownstream(filter); }
    void RemoveDownstream(const std::shared_ptr<IBaseFilter>& f) {
        for (const auto& pin : f->EnumPins()) {
            std::shared_ptr<IPin> peer;
            if (pin->Direction() != PINDIR_OUTPUT || FAILED(pin->ConnectedTo(&peer)))
                continue;
            auto down = peer->Filter();
            RemoveDownstream(down);
            graph->Disconnect(peer);
            graph->Disconnect(pin);
            graph->RemoveFilter(down);
        }
    }
};

// The monikers of the synthetic camera.
inline std::vector<std::shared_ptr<IMoniker>> Monikers() {
    std::shared_ptr<ICreateDevEnum> devEnum;
    ICreateDevEnum::Create(&devEnum);
    std::vector<std::shared_ptr<IMoniker>> list;
    devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &list);
    return list;
}

inline ms::capture::SyntheticDevice Device(const std::string& id, double fps = 0) {
    ms::capture::SyntheticDevice s;
    s.id = id;
    s.friendlyName = u"Camera " + std::u16string(id.begin(), id.end());
    s.framesPerSecond = fps;
    return s;
}

} // namespace capture_test
