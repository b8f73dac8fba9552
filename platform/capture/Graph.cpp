#include "platform/capture/Graph.h"

#include "platform/capture/Backend.h"

#include <algorithm>
#include <limits>

using ms::capture::DeviceSession;

// ---- pins and filters

HRESULT IPin::QueryDirection(PIN_DIRECTION* dir) const {
    if (!dir)
        return E_POINTER;
    *dir = m_dir;
    return S_OK;
}

HRESULT IPin::QueryPinCategory(GUID* category) const {
    if (!category)
        return E_POINTER;
    if (m_category == GUID_NULL)
        return E_PROP_ID_UNSUPPORTED;
    *category = m_category;
    return S_OK;
}

HRESULT IPin::ConnectedTo(std::shared_ptr<IPin>* peer) const {
    if (!peer)
        return E_POINTER;
    *peer = m_peer.lock();
    if (*peer && (*peer)->Filter())
        return S_OK;
    peer->reset();
    return VFW_E_NOT_CONNECTED;
}

void LinkPins(const std::shared_ptr<IPin>& out, const std::shared_ptr<IPin>& in) {
    out->m_peer = in;
    in->m_peer = out;
}

std::shared_ptr<IPin> IBaseFilter::AddPin(PIN_DIRECTION dir, const GUID& category,
                                          std::u16string name) {
    auto pin = std::make_shared<IPin>(dir, category, std::move(name));
    pin->m_filter = weak_from_this();
    m_pins.push_back(pin);
    return pin;
}

// ---- crossbar

std::shared_ptr<CrossbarFilter> CrossbarFilter::Create(std::vector<long> inputTypes,
                                                       std::vector<long> outputTypes) {
    std::shared_ptr<CrossbarFilter> f(new CrossbarFilter(std::move(inputTypes), std::move(outputTypes)));
    for (size_t i = 0; i < f->m_in.size(); ++i)
        f->AddPin(PINDIR_INPUT, GUID_NULL, u"In" + std::u16string(1, u'0' + static_cast<char16_t>(i % 10)));
    for (size_t i = 0; i < f->m_out.size(); ++i)
        f->AddPin(PINDIR_OUTPUT, GUID_NULL, u"Out" + std::u16string(1, u'0' + static_cast<char16_t>(i % 10)));
    return f;
}

CrossbarFilter::CrossbarFilter(std::vector<long> in, std::vector<long> out)
    : m_in(std::move(in)), m_out(std::move(out)), m_routedFrom(m_out.size(), -1) {
    // Each output starts routed from the first input of its kind.
    for (size_t o = 0; o < m_out.size(); ++o)
        for (size_t i = 0; i < m_in.size(); ++i)
            if ((m_in[i] < PhysConn_Audio_Tuner) == (m_out[o] < PhysConn_Audio_Tuner)) {
                m_routedFrom[o] = static_cast<long>(i);
                break;
            }
}

std::shared_ptr<IAMCrossbar> CrossbarFilter::QueryCrossbar() {
    return std::static_pointer_cast<CrossbarFilter>(shared_from_this());
}

HRESULT CrossbarFilter::get_PinCounts(long* outputs, long* inputs) {
    if (!outputs || !inputs)
        return E_POINTER;
    *outputs = static_cast<long>(m_out.size());
    *inputs = static_cast<long>(m_in.size());
    return S_OK;
}

HRESULT CrossbarFilter::CanRoute(long output, long input) {
    if (output < 0 || input < 0 || output >= static_cast<long>(m_out.size()) ||
        input >= static_cast<long>(m_in.size()))
        return E_INVALIDARG;
    bool videoIn = m_in[input] < PhysConn_Audio_Tuner;
    bool videoOut = m_out[output] < PhysConn_Audio_Tuner;
    return videoIn == videoOut ? S_OK : S_FALSE;
}

HRESULT CrossbarFilter::Route(long output, long input) {
    if (CanRoute(output, input) != S_OK)
        return E_INVALIDARG;
    std::lock_guard lock(m_mutex);
    m_routedFrom[output] = input;
    return S_OK;
}

HRESULT CrossbarFilter::get_IsRoutedTo(long output, long* input) {
    if (!input)
        return E_POINTER;
    if (output < 0 || output >= static_cast<long>(m_out.size()))
        return E_INVALIDARG;
    std::lock_guard lock(m_mutex);
    *input = m_routedFrom[output];
    return S_OK;
}

long CrossbarFilter::Related(const std::vector<long>& types, long index) {
    bool video = types[index] < PhysConn_Audio_Tuner;
    long ordinal = 0;
    for (long i = 0; i < index; ++i)
        if ((types[i] < PhysConn_Audio_Tuner) == video)
            ++ordinal;
    for (long i = 0, n = 0; i < static_cast<long>(types.size()); ++i)
        if ((types[i] < PhysConn_Audio_Tuner) != video && n++ == ordinal)
            return i;
    return -1;
}

HRESULT CrossbarFilter::get_CrossbarPinInfo(BOOL isInput, long index, long* relatedIndex,
                                            long* physicalType) {
    if (!relatedIndex || !physicalType)
        return E_POINTER;
    const auto& types = isInput ? m_in : m_out;
    if (index < 0 || index >= static_cast<long>(types.size()))
        return E_INVALIDARG;
    *relatedIndex = Related(types, index);
    *physicalType = types[index];
    return S_OK;
}

std::shared_ptr<IPin> CrossbarFilter::InputPin(long i) const {
    auto pins = EnumPins();
    return i >= 0 && i < static_cast<long>(m_in.size()) ? pins[i] : nullptr;
}

std::shared_ptr<IPin> CrossbarFilter::OutputPin(long i) const {
    auto pins = EnumPins();
    return i >= 0 && i < static_cast<long>(m_out.size()) ? pins[m_in.size() + i] : nullptr;
}

// ---- stream config and picture controls

HRESULT IAMStreamConfig::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size)
        return E_POINTER;
    *count = static_cast<int>(ms::capture::MakeCapabilities(m_session->Capabilities()).size());
    *size = static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS));
    return S_OK;
}

HRESULT IAMStreamConfig::GetStreamCaps(int index, AM_MEDIA_TYPE* mt, VIDEO_STREAM_CONFIG_CAPS* caps) {
    if (!mt || !caps)
        return E_POINTER;
    auto all = ms::capture::MakeCapabilities(m_session->Capabilities());
    if (index < 0 || index >= static_cast<int>(all.size()))
        return S_FALSE;
    *mt = all[index].first;
    *caps = all[index].second;
    return S_OK;
}

HRESULT IAMStreamConfig::GetFormat(AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    auto f = m_session->CurrentFormat();
    if (f.width <= 0 || f.height <= 0)
        return E_FAIL;
    *mt = ms::capture::MakeMediaType(f);
    return S_OK;
}

HRESULT IAMStreamConfig::SetFormat(const AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    if (!(mt->majortype == MEDIATYPE_Video) || !(mt->formattype == FORMAT_VideoInfo))
        return VFW_E_INVALIDMEDIATYPE;
    if (m_session->Streaming())
        return VFW_E_NOT_STOPPED;
    ms::capture::StreamFormat f;
    f.fourcc = mt->subtype == MEDIASUBTYPE_RGB24 ? static_cast<DWORD>(BI_RGB)
                                                 : ms::capture::FourCCOfSubtype(mt->subtype);
    if (f.fourcc == 0 && !(mt->subtype == MEDIASUBTYPE_RGB24))
        return VFW_E_INVALIDMEDIATYPE;
    f.width = mt->vih.bmiHeader.biWidth;
    // A negative height is a top-down picture of that height; the most negative one has no
    // positive counterpart and is refused.
    const LONG height = mt->vih.bmiHeader.biHeight;
    if (height == std::numeric_limits<LONG>::min())
        return VFW_E_INVALIDMEDIATYPE;
    f.height = height < 0 ? -height : height;
    f.interval = mt->vih.AvgTimePerFrame;
    const auto caps = m_session->Capabilities();
    const ms::capture::FrameCaps* c = ms::capture::FindCaps(caps, f.fourcc, f.width, f.height);
    if (!c)
        return VFW_E_INVALIDMEDIATYPE;
    f.interval = ms::capture::NearestInterval(*c, f.interval);
    return m_session->SetFormat(f);
}

HRESULT IAMVideoProcAmp::GetRange(long property, long* min, long* max, long* step, long* def,
                                  long* capsFlags) {
    if (!min || !max || !step || !def || !capsFlags)
        return E_POINTER;
    ms::capture::ProcAmpRange r;
    HRESULT hr = m_session->GetRange(property, r);
    if (FAILED(hr))
        return hr;
    *min = r.min;
    *max = r.max;
    *step = r.step;
    *def = r.def;
    *capsFlags = r.caps;
    return S_OK;
}

HRESULT IAMVideoProcAmp::Get(long property, long* value, long* flags) {
    if (!value || !flags)
        return E_POINTER;
    return m_session->Get(property, *value, *flags);
}

HRESULT IAMVideoProcAmp::Set(long property, long value, long flags) {
    return m_session->Set(property, value, flags);
}

// ---- capture filter

std::shared_ptr<CaptureFilter> CaptureFilter::Create(std::unique_ptr<DeviceSession> s) {
    std::shared_ptr<CaptureFilter> f(new CaptureFilter(std::move(s)));
    f->AddPin(PINDIR_OUTPUT, PIN_CATEGORY_CAPTURE, u"Capture");
    if (f->m_session->HasStillPin())
        f->AddPin(PINDIR_OUTPUT, PIN_CATEGORY_STILL, u"Still");
    f->m_crossbar = f->m_session->UpstreamCrossbar();
    if (f->m_crossbar) {
        auto in = f->AddPin(PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN, u"Analog Video In");
        // The crossbar's first video output feeds the capture filter.
        for (const auto& p : f->m_crossbar->EnumPins()) {
            std::shared_ptr<IPin> peer;
            if (p->Direction() == PINDIR_OUTPUT && FAILED(p->ConnectedTo(&peer))) {
                long related = 0, type = 0;
                auto xbar = f->m_crossbar->QueryCrossbar();
                long outs = 0, ins = 0;
                xbar->get_PinCounts(&outs, &ins);
                auto pins = f->m_crossbar->EnumPins();
                long idx = static_cast<long>(std::find(pins.begin(), pins.end(), p) - pins.begin()) - ins;
                if (SUCCEEDED(xbar->get_CrossbarPinInfo(FALSE, idx, &related, &type)) &&
                    type < PhysConn_Audio_Tuner) {
                    LinkPins(p, in);
                    break;
                }
            }
        }
    }
    return f;
}

CaptureFilter::CaptureFilter(std::unique_ptr<DeviceSession> s) : m_session(std::move(s)) {}

CaptureFilter::~CaptureFilter() {
    if (m_session)
        m_session->Stop();
}

// ---- sample grabber

std::shared_ptr<ISampleGrabber> ISampleGrabber::Create() {
    std::shared_ptr<ISampleGrabber> g(new ISampleGrabber());
    g->AddPin(PINDIR_INPUT, GUID_NULL, u"Input");
    g->AddPin(PINDIR_OUTPUT, GUID_NULL, u"Output");
    return g;
}

ISampleGrabber::~ISampleGrabber() = default;

HRESULT ISampleGrabber::SetMediaType(const AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    std::lock_guard lock(m_mutex);
    m_type = *mt;
    return S_OK;
}

HRESULT ISampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    std::shared_ptr<IPin> peer;
    if (FAILED(EnumPins()[0]->ConnectedTo(&peer)))
        return VFW_E_NOT_CONNECTED;
    std::lock_guard lock(m_mutex);
    *mt = m_connected;
    return S_OK;
}

HRESULT ISampleGrabber::SetBufferSamples(BOOL on) {
    std::lock_guard lock(m_mutex);
    m_buffer = on != FALSE;
    return S_OK;
}

HRESULT ISampleGrabber::SetOneShot(BOOL on) {
    std::lock_guard lock(m_mutex);
    m_oneShot = on != FALSE;
    return S_OK;
}

HRESULT ISampleGrabber::SetCallback(ISampleGrabberCB* cb, long which) {
    if (which != 0 && which != 1)
        return E_INVALIDARG;
    std::lock_guard lock(m_mutex);
    m_cb = cb;
    m_which = which;
    return S_OK;
}

void ISampleGrabber::Deliver(BYTE* bits, long length, LONG width, LONG height, double sampleTime) {
    std::lock_guard lock(m_mutex);
    if (m_connected.vih.bmiHeader.biWidth != width || m_connected.vih.bmiHeader.biHeight != height) {
        m_connected.majortype = MEDIATYPE_Video;
        m_connected.subtype = MEDIASUBTYPE_RGB24;
        m_connected.formattype = FORMAT_VideoInfo;
        m_connected.vih = ms::capture::MakeVideoInfo({BI_RGB, width, height, 0});
    }
    if (!m_cb)
        return;
    if (m_which == 1) {
        m_cb->BufferCB(sampleTime, bits, length);
    } else {
        IMediaSample sample(bits, length);
        m_cb->SampleCB(sampleTime, &sample);
    }
}

// ---- video window

HRESULT IVideoWindow::put_Owner(HWND owner) {
    std::lock_guard lock(m_mutex);
    m_owner = owner;
    return S_OK;
}
HRESULT IVideoWindow::get_Owner(HWND* owner) {
    if (!owner)
        return E_POINTER;
    std::lock_guard lock(m_mutex);
    *owner = m_owner;
    return S_OK;
}
HRESULT IVideoWindow::put_WindowStyle(long style) {
    std::lock_guard lock(m_mutex);
    m_style = style;
    return S_OK;
}
HRESULT IVideoWindow::get_WindowStyle(long* style) {
    if (!style)
        return E_POINTER;
    std::lock_guard lock(m_mutex);
    *style = m_style;
    return S_OK;
}
HRESULT IVideoWindow::put_Visible(long visible) {
    std::lock_guard lock(m_mutex);
    m_visible = visible ? -1 : 0;
    return S_OK;
}
HRESULT IVideoWindow::get_Visible(long* visible) {
    if (!visible)
        return E_POINTER;
    std::lock_guard lock(m_mutex);
    *visible = m_visible;
    return S_OK;
}
HRESULT IVideoWindow::put_MessageDrain(HWND drain) {
    std::lock_guard lock(m_mutex);
    m_drain = drain;
    return S_OK;
}
HRESULT IVideoWindow::SetWindowPosition(long left, long top, long width, long height) {
    std::lock_guard lock(m_mutex);
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    return S_OK;
}
HRESULT IVideoWindow::GetWindowPosition(long* left, long* top, long* width, long* height) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    std::lock_guard lock(m_mutex);
    *left = m_left;
    *top = m_top;
    *width = m_width;
    *height = m_height;
    return S_OK;
}

// ---- graph

namespace {
class VideoRenderer : public IBaseFilter {
public:
    static std::shared_ptr<VideoRenderer> Create() {
        std::shared_ptr<VideoRenderer> r(new VideoRenderer());
        r->AddPin(PINDIR_INPUT, GUID_NULL, u"Input");
        return r;
    }

private:
    VideoRenderer() = default;
};

std::shared_ptr<ISampleGrabber> GrabberBehind(const std::shared_ptr<IPin>& out) {
    std::shared_ptr<IPin> peer;
    if (!out || FAILED(out->ConnectedTo(&peer)))
        return nullptr;
    return std::dynamic_pointer_cast<ISampleGrabber>(peer->Filter());
}

bool AcceptsVideo(const AM_MEDIA_TYPE& t) {
    bool major = t.majortype == GUID_NULL || t.majortype == MEDIATYPE_Video;
    bool sub = t.subtype == GUID_NULL || t.subtype == MEDIASUBTYPE_RGB24;
    return major && sub;
}
} // namespace

namespace ms::capture {
// Hands the frames of one running capture filter to the grabbers on its two output pins.
class GraphStream : public FrameSink {
public:
    GraphStream(std::shared_ptr<ISampleGrabber> capture, std::shared_ptr<ISampleGrabber> still,
                std::shared_ptr<IMediaEventEx> events)
        : m_capture(std::move(capture)), m_still(std::move(still)), m_events(std::move(events)) {}
    void OnFrame(const Frame& f) override {
        BYTE* bits = const_cast<BYTE*>(f.bits);
        if (m_capture)
            m_capture->Deliver(bits, f.length, f.width, f.height, f.sampleTime);
        if (f.still && m_still)
            m_still->Deliver(bits, f.length, f.width, f.height, f.sampleTime);
    }
    void OnStreamEvent(long code) override { m_events->Notify(code, 0, 0); }

private:
    std::shared_ptr<ISampleGrabber> m_capture, m_still;
    std::shared_ptr<IMediaEventEx> m_events;
};
} // namespace ms::capture

IGraphBuilder::IGraphBuilder()
    : m_events(std::make_shared<IMediaEventEx>()), m_videoWindow(std::make_shared<IVideoWindow>()) {}

IGraphBuilder::~IGraphBuilder() {
    Stop();
    for (auto& f : m_filters)
        f->m_graph = nullptr;
}

bool IGraphBuilder::Contains(const IBaseFilter* f) const {
    return f && f->m_graph == this;
}

HRESULT IGraphBuilder::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const WCHAR* name) {
    if (!filter)
        return E_POINTER;
    if (filter->m_graph)
        return E_INVALIDARG; // already in a graph
    if (m_stream)
        return VFW_E_NOT_STOPPED;
    if (name && *name)
        filter->m_name = name;
    filter->m_graph = this;
    m_filters.push_back(filter);
    return S_OK;
}

HRESULT IGraphBuilder::RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) {
    if (!filter || !Contains(filter.get()))
        return E_INVALIDARG;
    if (m_stream)
        return VFW_E_NOT_STOPPED;
    for (const auto& pin : filter->EnumPins())
        Disconnect(pin);
    filter->m_graph = nullptr;
    m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
    return S_OK;
}

HRESULT IGraphBuilder::FindFilterByName(const WCHAR* name, std::shared_ptr<IBaseFilter>* filter) {
    if (!name || !filter)
        return E_POINTER;
    for (const auto& f : m_filters)
        if (f->Name() == name) {
            *filter = f;
            return S_OK;
        }
    return VFW_E_NOT_FOUND;
}

std::vector<std::shared_ptr<IBaseFilter>> IGraphBuilder::Filters() const {
    return m_filters;
}

HRESULT IGraphBuilder::Connect(const std::shared_ptr<IPin>& out, const std::shared_ptr<IPin>& in) {
    if (!out || !in)
        return E_POINTER;
    if (m_stream)
        return VFW_E_NOT_STOPPED;
    auto outFilter = out->Filter();
    auto inFilter = in->Filter();
    if (out->Direction() != PINDIR_OUTPUT || in->Direction() != PINDIR_INPUT ||
        !Contains(outFilter.get()) || !Contains(inFilter.get()))
        return E_INVALIDARG;
    std::shared_ptr<IPin> peer;
    if (SUCCEEDED(out->ConnectedTo(&peer)) || SUCCEEDED(in->ConnectedTo(&peer)))
        return VFW_E_ALREADY_CONNECTED;
    if (auto grabber = std::dynamic_pointer_cast<ISampleGrabber>(inFilter)) {
        if (!std::dynamic_pointer_cast<CaptureFilter>(outFilter))
            return VFW_E_CANNOT_CONNECT;
        AM_MEDIA_TYPE type;
        {
            std::lock_guard lock(grabber->m_mutex);
            type = grabber->m_type;
        }
        if (!AcceptsVideo(type))
            return VFW_E_INVALIDMEDIATYPE;
        auto session = std::static_pointer_cast<CaptureFilter>(outFilter)->Session();
        if (session->RefusesConnections())
            return VFW_E_CANNOT_CONNECT;
        ms::capture::StreamFormat f = session->CurrentFormat();
        {
            std::lock_guard lock(grabber->m_mutex);
            grabber->m_connected.majortype = MEDIATYPE_Video;
            grabber->m_connected.subtype = MEDIASUBTYPE_RGB24;
            grabber->m_connected.formattype = FORMAT_VideoInfo;
            grabber->m_connected.vih = ms::capture::MakeVideoInfo({BI_RGB, f.width, f.height, f.interval});
        }
        LinkPins(out, in);
        return S_OK;
    }
    if (std::dynamic_pointer_cast<VideoRenderer>(inFilter) &&
        std::dynamic_pointer_cast<ISampleGrabber>(outFilter)) {
        LinkPins(out, in);
        return S_OK;
    }
    return VFW_E_CANNOT_CONNECT;
}

HRESULT IGraphBuilder::Disconnect(const std::shared_ptr<IPin>& pin) {
    if (!pin)
        return E_POINTER;
    if (m_stream)
        return VFW_E_NOT_STOPPED;
    std::shared_ptr<IPin> peer;
    if (FAILED(pin->ConnectedTo(&peer)))
        return S_FALSE;
    pin->m_peer.reset();
    peer->m_peer.reset();
    return S_OK;
}

HRESULT IGraphBuilder::Render(const std::shared_ptr<IPin>& out) {
    if (!out)
        return E_POINTER;
    if (m_stream)
        return VFW_E_NOT_STOPPED;
    std::shared_ptr<IPin> peer;
    if (SUCCEEDED(out->ConnectedTo(&peer)))
        return VFW_E_ALREADY_CONNECTED;
    auto renderer = VideoRenderer::Create();
    std::u16string name = u"Video Renderer";
    if (m_renderers++ > 0)
        name += u" " + std::u16string(1, static_cast<char16_t>(u'0' + m_renderers % 10));
    HRESULT hr = AddFilter(renderer, name.c_str());
    if (FAILED(hr))
        return hr;
    hr = Connect(out, renderer->EnumPins()[0]);
    if (FAILED(hr))
        RemoveFilter(renderer);
    return hr;
}

HRESULT IGraphBuilder::Run() {
    if (m_stream)
        return S_OK;
    std::shared_ptr<CaptureFilter> source;
    for (const auto& f : m_filters)
        if ((source = std::dynamic_pointer_cast<CaptureFilter>(f)))
            break;
    std::shared_ptr<ISampleGrabber> capture, still;
    if (source) {
        for (const auto& pin : source->EnumPins()) {
            GUID cat = GUID_NULL;
            pin->QueryPinCategory(&cat);
            if (pin->Direction() != PINDIR_OUTPUT)
                continue;
            if (cat == PIN_CATEGORY_CAPTURE)
                capture = GrabberBehind(pin);
            else if (cat == PIN_CATEGORY_STILL)
                still = GrabberBehind(pin);
        }
    }
    auto stream = std::make_shared<ms::capture::GraphStream>(capture, still, m_events);
    if (source && (capture || still)) {
        HRESULT hr = source->Session()->Start(stream);
        if (FAILED(hr))
            return hr;
        m_streamingSession = source->Session();
    }
    m_stream = std::move(stream);
    m_state = State_Running;
    return S_OK;
}

HRESULT IGraphBuilder::Stop() {
    if (m_streamingSession) {
        m_streamingSession->Stop();
        m_streamingSession.reset();
    }
    m_stream.reset();
    m_state = State_Stopped;
    return S_OK;
}

HRESULT IGraphBuilder::GetState(long, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = static_cast<FILTER_STATE>(m_state.load());
    return S_OK;
}

// ---- capture graph builder

HRESULT ICaptureGraphBuilder2::SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) {
    if (!graph)
        return E_POINTER;
    if (m_graph && m_graph != graph)
        return E_UNEXPECTED; // a builder serves one graph
    m_graph = graph;
    return S_OK;
}

HRESULT ICaptureGraphBuilder2::GetFiltergraph(std::shared_ptr<IGraphBuilder>* graph) {
    if (!graph)
        return E_POINTER;
    *graph = m_graph;
    return m_graph ? S_OK : E_UNEXPECTED;
}

namespace {
bool VideoOrAny(const GUID* type) {
    return !type || *type == GUID_NULL || *type == MEDIATYPE_Video;
}
bool CaptureOrAny(const GUID* category) {
    return !category || *category == GUID_NULL || *category == PIN_CATEGORY_CAPTURE;
}
} // namespace

HRESULT ICaptureGraphBuilder2::FindPin(const std::shared_ptr<IBaseFilter>& filter,
                                       PIN_DIRECTION dir, const GUID* category, const GUID* type,
                                       BOOL unconnected, int index, std::shared_ptr<IPin>* pin) {
    if (!filter || !pin)
        return E_POINTER;
    if (!VideoOrAny(type))
        return VFW_E_NOT_FOUND;
    int n = 0;
    for (const auto& p : filter->EnumPins()) {
        if (p->Direction() != dir)
            continue;
        if (category && !(*category == GUID_NULL)) {
            GUID c;
            if (FAILED(p->QueryPinCategory(&c)) || !(c == *category))
                continue;
        }
        std::shared_ptr<IPin> peer;
        if (unconnected && SUCCEEDED(p->ConnectedTo(&peer)))
            continue;
        if (n++ == index) {
            *pin = p;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT ICaptureGraphBuilder2::FindStreamConfig(const GUID* category, const GUID* type,
                                                const std::shared_ptr<IBaseFilter>& filter,
                                                std::shared_ptr<IAMStreamConfig>* config) {
    if (!filter || !config)
        return E_POINTER;
    auto capture = std::dynamic_pointer_cast<CaptureFilter>(filter);
    if (!capture || !CaptureOrAny(category) || !VideoOrAny(type))
        return E_NOINTERFACE;
    *config = std::make_shared<IAMStreamConfig>(capture->Session());
    return S_OK;
}

HRESULT ICaptureGraphBuilder2::FindCrossbar(const GUID* category, const GUID* type,
                                            const std::shared_ptr<IBaseFilter>& filter,
                                            std::shared_ptr<IAMCrossbar>* crossbar) {
    if (!filter || !crossbar)
        return E_POINTER;
    if (!CaptureOrAny(category) || !VideoOrAny(type))
        return E_NOINTERFACE;
    for (const auto& p : filter->EnumPins()) {
        std::shared_ptr<IPin> peer;
        if (p->Direction() != PINDIR_INPUT || FAILED(p->ConnectedTo(&peer)))
            continue;
        if (auto up = peer->Filter())
            if (auto x = up->QueryCrossbar()) {
                *crossbar = x;
                return S_OK;
            }
    }
    return E_NOINTERFACE;
}

HRESULT ICaptureGraphBuilder2::FindVfwCaptureDialogs(const GUID* category, const GUID* type,
                                                     const std::shared_ptr<IBaseFilter>& filter,
                                                     std::shared_ptr<IAMVfwCaptureDialogs>* dialogs) {
    if (!filter || !dialogs)
        return E_POINTER;
    auto capture = std::dynamic_pointer_cast<CaptureFilter>(filter);
    if (!capture || !CaptureOrAny(category) || !VideoOrAny(type) ||
        !capture->Session()->HasVfwDialogs())
        return E_NOINTERFACE;
    *dialogs = std::make_shared<IAMVfwCaptureDialogs>();
    return S_OK;
}

HRESULT ICaptureGraphBuilder2::FindVideoProcAmp(const std::shared_ptr<IBaseFilter>& filter,
                                                std::shared_ptr<IAMVideoProcAmp>* procAmp) {
    if (!filter || !procAmp)
        return E_POINTER;
    auto capture = std::dynamic_pointer_cast<CaptureFilter>(filter);
    if (!capture || !capture->Session()->HasProcAmp())
        return E_NOINTERFACE;
    *procAmp = std::make_shared<IAMVideoProcAmp>(capture->Session());
    return S_OK;
}
