// The capture graph stand-in: filters with pins, the capture filter of a bound device with its
// stream config, picture controls and crossbar, sample grabbers, parked video windows, the
// graph itself (build, connect, render, run, stop, events) and the capture graph builder.
//
// Kept from the original: the names, the call shapes, the results the capture code tests
// (S_OK / S_FALSE / failure codes), pins enumerated in order, filters removed downstream first.
// Different: ownership is std::shared_ptr instead of reference counts (copying a pointer is
// "AddRef", dropping it is "Release"); interfaces are reached through typed calls
// (ICaptureGraphBuilder2::FindStreamConfig...) instead of QueryInterface; frames reach a
// grabber as 24-bit BGR bottom-up rows (rows padded to 4 bytes) whatever its media type, and a
// grabber on the capture pin gets every frame even in one-shot mode. IGraphBuilder::Stop
// returns only when no grabber callback runs any more. Still pins deliver one frame per press
// of the device's still button; V4L2 devices always offer one (output pin 1), so that both
// grabber paths can always be built, and it fires when the camera has a button.
#pragma once

#include "platform/capture/CaptureTypes.h"
#include "platform/capture/MediaEvent.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IBaseFilter;
class IGraphBuilder;
namespace ms::capture {
class DeviceSession;
class GraphStream;
} // namespace ms::capture

class IPin {
public:
    IPin(PIN_DIRECTION dir, const GUID& category, std::u16string name)
        : m_dir(dir), m_category(category), m_name(std::move(name)) {}
    PIN_DIRECTION Direction() const { return m_dir; }
    HRESULT QueryDirection(PIN_DIRECTION* dir) const;
    // The pin category (what IKsPropertySet answers for AMPROPERTY_PIN_CATEGORY);
    // E_PROP_ID_UNSUPPORTED for a pin without one.
    HRESULT QueryPinCategory(GUID* category) const;
    // The pin at the other end; VFW_E_NOT_CONNECTED when there is none.
    HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) const;
    // The filter that owns the pin (null once that filter is gone).
    std::shared_ptr<IBaseFilter> Filter() const { return m_filter.lock(); }
    const std::u16string& Name() const { return m_name; }

private:
    friend class IBaseFilter;
    friend class IGraphBuilder;
    friend void LinkPins(const std::shared_ptr<IPin>&, const std::shared_ptr<IPin>&);
    PIN_DIRECTION m_dir;
    GUID m_category;
    std::u16string m_name;
    std::weak_ptr<IBaseFilter> m_filter;
    std::weak_ptr<IPin> m_peer;
};

// Connects two pins outside any graph (a device's own crossbar chain).
void LinkPins(const std::shared_ptr<IPin>& out, const std::shared_ptr<IPin>& in);

class IAMCrossbar;

class IBaseFilter : public std::enable_shared_from_this<IBaseFilter> {
public:
    virtual ~IBaseFilter() = default;
    // The pins in enumeration order.
    std::vector<std::shared_ptr<IPin>> EnumPins() const { return m_pins; }
    // The name under which the filter was added to a graph.
    const std::u16string& Name() const { return m_name; }
    virtual std::shared_ptr<IAMCrossbar> QueryCrossbar() { return nullptr; }

protected:
    // Called after construction (the pin keeps a weak reference to its filter).
    std::shared_ptr<IPin> AddPin(PIN_DIRECTION dir, const GUID& category, std::u16string name);

private:
    friend class IGraphBuilder;
    std::vector<std::shared_ptr<IPin>> m_pins;
    std::u16string m_name;
    IGraphBuilder* m_graph = nullptr; // the graph the filter was added to (borrowed)
};

class IAMCrossbar {
public:
    virtual ~IAMCrossbar() = default;
    virtual HRESULT get_PinCounts(long* outputs, long* inputs) = 0;
    // S_OK when the output can be routed from the input, S_FALSE otherwise.
    virtual HRESULT CanRoute(long output, long input) = 0;
    virtual HRESULT Route(long output, long input) = 0;
    virtual HRESULT get_IsRoutedTo(long output, long* input) = 0;
    virtual HRESULT get_CrossbarPinInfo(BOOL isInput, long index, long* relatedIndex,
                                        long* physicalType) = 0;
};

// A crossbar filter: input pins first, then output pins. Video inputs (types below 4096) route
// to video outputs, audio inputs to audio outputs. The k-th video pin of a side is related to
// its k-th audio pin (-1 when there is none).
class CrossbarFilter : public IBaseFilter, public IAMCrossbar {
public:
    static std::shared_ptr<CrossbarFilter> Create(std::vector<long> inputTypes,
                                                  std::vector<long> outputTypes);
    std::shared_ptr<IAMCrossbar> QueryCrossbar() override;
    HRESULT get_PinCounts(long* outputs, long* inputs) override;
    HRESULT CanRoute(long output, long input) override;
    HRESULT Route(long output, long input) override;
    HRESULT get_IsRoutedTo(long output, long* input) override;
    HRESULT get_CrossbarPinInfo(BOOL isInput, long index, long* relatedIndex,
                                long* physicalType) override;
    std::shared_ptr<IPin> InputPin(long i) const;
    std::shared_ptr<IPin> OutputPin(long i) const;

private:
    CrossbarFilter(std::vector<long> in, std::vector<long> out);
    static long Related(const std::vector<long>& types, long index);
    std::vector<long> m_in, m_out;
    std::vector<long> m_routedFrom; // per output, -1 when unrouted
    std::mutex m_mutex;
};

class IAMStreamConfig {
public:
    explicit IAMStreamConfig(std::shared_ptr<ms::capture::DeviceSession> session)
        : m_session(std::move(session)) {}
    // size: bytes of one capability record (sizeof(VIDEO_STREAM_CONFIG_CAPS)).
    HRESULT GetNumberOfCapabilities(int* count, int* size);
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE* mt, VIDEO_STREAM_CONFIG_CAPS* caps);
    HRESULT GetFormat(AM_MEDIA_TYPE* mt);
    // Takes the subtype and the size of the VIDEOINFOHEADER (and its frame duration, matched
    // to the nearest the size offers). A size the device cannot deliver exactly gives
    // VFW_E_INVALIDMEDIATYPE; while the device streams, VFW_E_NOT_STOPPED.
    HRESULT SetFormat(const AM_MEDIA_TYPE* mt);

private:
    std::shared_ptr<ms::capture::DeviceSession> m_session;
};

class IAMVideoProcAmp {
public:
    explicit IAMVideoProcAmp(std::shared_ptr<ms::capture::DeviceSession> session)
        : m_session(std::move(session)) {}
    HRESULT GetRange(long property, long* min, long* max, long* step, long* def, long* capsFlags);
    HRESULT Get(long property, long* value, long* flags);
    // flags VideoProcAmp_Flags_Auto hands the property to the device's automatic control
    // where it has one; elsewhere the value is set manually. A value outside the range gives
    // E_INVALIDARG; an unknown property E_PROP_ID_UNSUPPORTED.
    HRESULT Set(long property, long value, long flags);

private:
    std::shared_ptr<ms::capture::DeviceSession> m_session;
};

// Present only to decide whether the crossbar is searched; it shows no dialog.
class IAMVfwCaptureDialogs {
public:
    HRESULT HasDialog(int) { return S_FALSE; }
};

// The filter of a bound device: output pin 0 "Capture" (PIN_CATEGORY_CAPTURE), output pin 1
// "Still" (PIN_CATEGORY_STILL) when the device has one, and an input pin "Analog Video In"
// (PIN_CATEGORY_ANALOGVIDEOIN) connected to the device's crossbar chain when it has one.
class CaptureFilter : public IBaseFilter {
public:
    static std::shared_ptr<CaptureFilter> Create(std::unique_ptr<ms::capture::DeviceSession> s);
    ~CaptureFilter() override;
    const std::shared_ptr<ms::capture::DeviceSession>& Session() const { return m_session; }

private:
    explicit CaptureFilter(std::unique_ptr<ms::capture::DeviceSession> s);
    std::shared_ptr<ms::capture::DeviceSession> m_session;
    std::shared_ptr<IBaseFilter> m_crossbar; // keeps the device's crossbar chain alive
};

class IMediaSample {
public:
    IMediaSample(BYTE* bits, long length) : m_bits(bits), m_length(length) {}
    HRESULT GetPointer(BYTE** bits) {
        *bits = m_bits;
        return S_OK;
    }
    long GetSize() const { return m_length; }
    long GetActualDataLength() const { return m_length; }

private:
    BYTE* m_bits;
    long m_length;
};

// The grabber callback the capture code implements; slots in the original order.
class ISampleGrabberCB {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT SampleCB(double sampleTime, IMediaSample* sample) = 0;
    virtual HRESULT BufferCB(double sampleTime, BYTE* buffer, long length) = 0;

protected:
    ~ISampleGrabberCB() = default;
};

// A sample grabber: input pin 0, output pin 0. The callback is called on the streaming thread.
// The grabber does not own the callback (no AddRef/Release): it must stay alive while it is
// registered and the graph runs, as the capture code's static callback objects do.
class ISampleGrabber : public IBaseFilter {
public:
    static std::shared_ptr<ISampleGrabber> Create();
    ~ISampleGrabber() override;
    // Accepted: major type video or none, subtype RGB24 or none; the connection checks it.
    HRESULT SetMediaType(const AM_MEDIA_TYPE* mt);
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* mt);
    HRESULT SetBufferSamples(BOOL on);
    HRESULT SetOneShot(BOOL on);
    // which: 0 = SampleCB, 1 = BufferCB. A null callback stops the calls.
    HRESULT SetCallback(ISampleGrabberCB* cb, long which);

    bool OneShot() const { return m_oneShot; }
    bool BufferSamples() const { return m_buffer; }
    // Called by the graph's streaming thread.
    void Deliver(BYTE* bits, long length, LONG width, LONG height, double sampleTime);

private:
    ISampleGrabber() = default;
    friend class IGraphBuilder;
    std::mutex m_mutex; // callback and media types; held while a callback runs
    AM_MEDIA_TYPE m_type{};
    AM_MEDIA_TYPE m_connected{};
    bool m_buffer = false;
    bool m_oneShot = false;
    ISampleGrabberCB* m_cb = nullptr;
    long m_which = 0;
};

// A renderer's window. Nothing is shown on Linux: the window only records what it is told,
// so that parked windows stay hidden and zero-sized.
class IVideoWindow {
public:
    HRESULT put_Owner(HWND owner);
    HRESULT get_Owner(HWND* owner);
    HRESULT put_WindowStyle(long style);
    HRESULT get_WindowStyle(long* style);
    HRESULT put_Visible(long visible);
    HRESULT get_Visible(long* visible);
    HRESULT put_MessageDrain(HWND drain);
    HRESULT SetWindowPosition(long left, long top, long width, long height);
    HRESULT GetWindowPosition(long* left, long* top, long* width, long* height);

private:
    std::mutex m_mutex;
    HWND m_owner = nullptr, m_drain = nullptr;
    long m_style = 0, m_visible = 0;
    long m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

// The filter graph with its media control (Run/Stop/GetState), event queue and video window.
// Filters and connections change only while the graph is stopped (VFW_E_NOT_STOPPED). The graph
// is driven from one thread (the user-interface thread); GetState may be asked from any.
class IGraphBuilder {
public:
    IGraphBuilder();
    ~IGraphBuilder();
    IGraphBuilder(const IGraphBuilder&) = delete;
    IGraphBuilder& operator=(const IGraphBuilder&) = delete;

    // name may be null or empty: the filter keeps its own default name.
    HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const WCHAR* name);
    // Disconnects the filter's pins and takes it out of the graph.
    HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter);
    HRESULT FindFilterByName(const WCHAR* name, std::shared_ptr<IBaseFilter>* filter);
    std::vector<std::shared_ptr<IBaseFilter>> Filters() const;
    // Intelligent connect: a capture or still pin of a capture filter to a grabber whose media
    // type it can deliver, or a grabber's output to a renderer. Both pins unconnected, both
    // filters in this graph.
    HRESULT Connect(const std::shared_ptr<IPin>& out, const std::shared_ptr<IPin>& in);
    // Breaks the connection of the pin (both ends); S_FALSE when it had none.
    HRESULT Disconnect(const std::shared_ptr<IPin>& pin);
    // Adds a video renderer and connects the output pin to it.
    HRESULT Render(const std::shared_ptr<IPin>& out);

    HRESULT Run();
    HRESULT Stop();
    HRESULT GetState(long timeoutMs, FILTER_STATE* state);

    std::shared_ptr<IMediaEventEx> QueryMediaEventEx() { return m_events; }
    std::shared_ptr<IVideoWindow> QueryVideoWindow() { return m_videoWindow; }

private:
    bool Contains(const IBaseFilter* f) const;
    std::vector<std::shared_ptr<IBaseFilter>> m_filters;
    std::shared_ptr<IMediaEventEx> m_events;
    std::shared_ptr<IVideoWindow> m_videoWindow;
    std::shared_ptr<ms::capture::GraphStream> m_stream; // non-null while running
    std::shared_ptr<ms::capture::DeviceSession> m_streamingSession;
    std::atomic<int> m_state{State_Stopped};
    int m_renderers = 0;
};

// The capture graph builder: finds pins and interfaces of a capture filter.
class ICaptureGraphBuilder2 {
public:
    HRESULT SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph);
    HRESULT GetFiltergraph(std::shared_ptr<IGraphBuilder>* graph);
    // The index-th pin of the filter with this direction and category (null category: any);
    // type: MEDIATYPE_Video or null (the pins here deliver video only); unconnected: only
    // pins without a connection. VFW_E_NOT_FOUND (a failure) when there is none.
    HRESULT FindPin(const std::shared_ptr<IBaseFilter>& filter, PIN_DIRECTION dir,
                    const GUID* category, const GUID* type, BOOL unconnected, int index,
                    std::shared_ptr<IPin>* pin);
    // The interfaces on the capture pin (category PIN_CATEGORY_CAPTURE or null, type
    // MEDIATYPE_Video or null; MEDIATYPE_Interleaved finds nothing). E_NOINTERFACE when the
    // filter has none. FindCrossbar searches upstream of the filter's analog input.
    HRESULT FindStreamConfig(const GUID* category, const GUID* type,
                             const std::shared_ptr<IBaseFilter>& filter,
                             std::shared_ptr<IAMStreamConfig>* config);
    HRESULT FindCrossbar(const GUID* category, const GUID* type,
                         const std::shared_ptr<IBaseFilter>& filter,
                         std::shared_ptr<IAMCrossbar>* crossbar);
    HRESULT FindVfwCaptureDialogs(const GUID* category, const GUID* type,
                                  const std::shared_ptr<IBaseFilter>& filter,
                                  std::shared_ptr<IAMVfwCaptureDialogs>* dialogs);
    // The filter's picture controls; E_NOINTERFACE when the device has none.
    HRESULT FindVideoProcAmp(const std::shared_ptr<IBaseFilter>& filter,
                             std::shared_ptr<IAMVideoProcAmp>* procAmp);

private:
    std::shared_ptr<IGraphBuilder> m_graph;
};
