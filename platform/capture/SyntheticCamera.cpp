#include "platform/capture/SyntheticCamera.h"

#include "platform/capture/DeviceNotifier.h"
#include "platform/capture/Graph.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <stop_token>
#include <thread>

namespace ms::capture {

std::vector<SIZE> LargeSizeFamily() {
    return {{640, 480}, {1280, 960}, {1600, 1200}};
}
std::vector<SIZE> SmallSizeFamily() {
    return {{320, 240}, {640, 480}, {1280, 1024}};
}

std::vector<SyntheticControl> SyntheticDevice::DefaultControls() {
    const long M = VideoProcAmp_Flags_Manual, A = VideoProcAmp_Flags_Auto;
    return {
        {VideoProcAmp_Brightness, {-64, 64, 1, 0, M}, false},
        {VideoProcAmp_Contrast, {0, 100, 1, 50, M}, false},
        {VideoProcAmp_Hue, {-180, 180, 1, 0, M | A}, true},
        {VideoProcAmp_Saturation, {0, 100, 1, 64, M}, false},
        {VideoProcAmp_Sharpness, {0, 7, 1, 3, M}, false},
        {VideoProcAmp_Gamma, {72, 500, 1, 100, M}, false},
        {VideoProcAmp_WhiteBalance, {2800, 6500, 10, 4600, M | A}, true},
        {VideoProcAmp_Gain, {0, 100, 1, 0, M}, false},
    };
}

// ---- the pattern

namespace {
// 3x5 digits, one row per 3 bits (bit 2 = left).
constexpr BYTE kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

void FillRect(std::vector<BYTE>& out, LONG w, LONG h, long stride, LONG x0, LONG y0, LONG cw,
              LONG ch, BYTE b, BYTE g, BYTE r) {
    for (LONG y = std::max<LONG>(0, y0); y < std::min<LONG>(h, y0 + ch); ++y) {
        BYTE* row = out.data() + static_cast<size_t>(h - 1 - y) * stride; // top-down y
        for (LONG x = std::max<LONG>(0, x0); x < std::min<LONG>(w, x0 + cw); ++x) {
            row[x * 3] = b;
            row[x * 3 + 1] = g;
            row[x * 3 + 2] = r;
        }
    }
}
} // namespace

namespace {
// A box of the frame in top-down coordinates.
struct Area {
    LONG x, y, cx, cy;
};

// The calm diagonal gradient under the overlay, so that scaling and flips are visible, painted
// over one box of an allocated frame.
void PaintBackground(std::vector<BYTE>& out, LONG w, LONG h, Area a) {
    const long stride = Rgb24Stride(w);
    for (LONG y = std::max<LONG>(0, a.y); y < std::min<LONG>(h, a.y + a.cy); ++y) {
        BYTE* row = out.data() + static_cast<size_t>(h - 1 - y) * stride;
        const BYTE green = static_cast<BYTE>(48 + (y * 96) / (h ? h : 1));
        for (LONG x = std::max<LONG>(0, a.x); x < std::min<LONG>(w, a.x + a.cx); ++x) {
            row[x * 3] = static_cast<BYTE>(64 + (x * 96) / (w ? w : 1));
            row[x * 3 + 1] = green;
            row[x * 3 + 2] = 40;
        }
    }
}

void DrawBackground(std::vector<BYTE>& out, LONG w, LONG h) {
    out.assign(static_cast<size_t>(Rgb24Stride(w)) * h, 0);
    PaintBackground(out, w, h, {0, 0, w, h});
}

// What the overlay of one frame covers: the moving mark, the digits, the coded pixel.
struct OverlayAreas {
    Area mark, digits, code;
};

OverlayAreas DrawOverlay(std::vector<BYTE>& out, LONG w, LONG h, unsigned frame) {
    const long stride = Rgb24Stride(w);
    OverlayAreas areas{};
    // The moving mark: a yellow square travelling left to right.
    LONG side = std::max<LONG>(8, h / 12);
    LONG travel = std::max<LONG>(1, w - side);
    areas.mark = {static_cast<LONG>((frame * 8u) % static_cast<unsigned>(travel)), h / 2 - side / 2,
                  side, side};
    FillRect(out, w, h, stride, areas.mark.x, areas.mark.y, side, side, 0, 230, 255);
    // The frame number in white digits below the top-left corner.
    LONG scale = std::max<LONG>(2, h / 96);
    char text[16];
    const int digits = std::snprintf(text, sizeof text, "%u", frame);
    areas.digits = {scale * 4, scale * 4, digits * scale * 4, scale * 5};
    LONG x = scale * 4;
    for (const char* p = text; *p; ++p, x += scale * 4)
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (kDigits[*p - '0'][r] & (4 >> c))
                    FillRect(out, w, h, stride, x + c * scale, scale * 4 + r * scale, scale, scale,
                             255, 255, 255);
    // The machine-readable frame number.
    if (w > 0 && h > 0) {
        BYTE* top = out.data() + static_cast<size_t>(h - 1) * stride;
        top[0] = static_cast<BYTE>(frame & 0xff);
        top[1] = static_cast<BYTE>((frame >> 8) & 0xff);
        top[2] = static_cast<BYTE>((frame >> 16) & 0xff);
        areas.code = {0, 0, 1, 1};
    }
    return areas;
}

// Puts the background back where the overlay went, so that one buffer serves every frame.
void EraseOverlay(std::vector<BYTE>& out, LONG w, LONG h, const OverlayAreas& drawn) {
    for (const Area& a : {drawn.mark, drawn.digits, drawn.code})
        PaintBackground(out, w, h, a);
}

} // namespace

void DrawSyntheticFrame(std::vector<BYTE>& out, LONG w, LONG h, unsigned frame) {
    DrawBackground(out, w, h);
    DrawOverlay(out, w, h, frame);
}

unsigned SyntheticFrameNumber(const BYTE* bits, LONG w, LONG h) {
    if (!bits || w <= 0 || h <= 0)
        return 0;
    const BYTE* top = bits + static_cast<size_t>(h - 1) * Rgb24Stride(w);
    return top[0] | (top[1] << 8) | (top[2] << 16);
}

// ---- devices and sessions

namespace {
struct Control {
    SyntheticControl desc;
    long value;
    long flags;
};

class SyntheticSession;

// One plugged device. Sessions share it; unplugging marks it absent.
struct Device {
    explicit Device(SyntheticDevice s) : desc(std::move(s)) {
        for (const auto& c : desc.controls)
            controls[c.property] = {c, c.range.def, VideoProcAmp_Flags_Manual};
        if (!desc.sizes.empty())
            format = {desc.fourcc, desc.sizes.back().cx, desc.sizes.back().cy, Interval()};
    }
    LONGLONG Interval() const {
        return desc.framesPerSecond > 0
                   ? static_cast<LONGLONG>(10000000.0 / desc.framesPerSecond + 0.5)
                   : 333333;
    }
    mutable std::mutex mutex;
    SyntheticDevice desc;
    bool present = true;
    StreamFormat format;
    std::map<long, Control> controls;
    std::weak_ptr<SyntheticSession> streaming; // the session whose stream runs, under mutex
};

class SyntheticSession : public DeviceSession,
                         public std::enable_shared_from_this<SyntheticSession> {
public:
    explicit SyntheticSession(std::shared_ptr<Device> d) : m_dev(std::move(d)) {}
    ~SyntheticSession() override { Stop(); }

    std::vector<FrameCaps> Capabilities() override {
        std::lock_guard lock(m_dev->mutex);
        std::vector<FrameCaps> caps;
        for (const auto& s : m_dev->desc.sizes) {
            FrameCaps c;
            c.fourcc = m_dev->desc.fourcc;
            c.minSize = c.maxSize = s;
            c.intervals = {m_dev->Interval()};
            caps.push_back(c);
        }
        return caps;
    }
    StreamFormat CurrentFormat() override {
        std::lock_guard lock(m_dev->mutex);
        return m_dev->format;
    }
    HRESULT SetFormat(const StreamFormat& f) override {
        auto caps = Capabilities();
        std::lock_guard lock(m_dev->mutex);
        if (!m_dev->present)
            return HRESULT_DEVICE_NOT_CONNECTED;
        if (m_dev->desc.failSetFormat)
            return E_FAIL;
        if (m_dev->streaming.lock())
            return VFW_E_NOT_STOPPED;
        if (!FindCaps(caps, f.fourcc, f.width, f.height))
            return VFW_E_INVALIDMEDIATYPE;
        m_dev->format = f;
        m_dev->format.interval = m_dev->Interval();
        return S_OK;
    }

    HRESULT Start(std::shared_ptr<FrameSink> sink) override {
        if (m_thread.joinable()) {
            std::unique_lock lock(m_mutex);
            if (!m_ended)
                return S_OK;
            lock.unlock();
            Stop(); // the stream ended by itself (error, device lost): start it again
        }
        {
            std::lock_guard lock(m_dev->mutex);
            if (!m_dev->present)
                return HRESULT_DEVICE_NOT_CONNECTED;
            if (m_dev->desc.failRun)
                return E_FAIL;
            if (m_dev->streaming.lock())
                return E_UNEXPECTED; // another filter of the device streams
            m_dev->streaming = weak_from_this();
        }
        {
            std::lock_guard lock(m_mutex);
            m_pushed = m_delivered = 0;
            m_ended = false;
            m_endCode = 0;
            m_still = false;
        }
        m_thread = std::jthread([this, sink](std::stop_token st) { Loop(st, sink); });
        return S_OK;
    }
    void Stop() override {
        if (m_thread.joinable()) {
            // The stop is requested under the loop's lock: otherwise it could fall between the
            // loop's look at its condition and its wait, and a camera without a frame rate
            // would wait for ever (and Stop with it).
            {
                std::lock_guard lock(m_mutex);
                m_thread.request_stop();
            }
            m_cv.notify_all();
            if (std::this_thread::get_id() == m_thread.get_id())
                return; // stopped from inside a callback: the loop ends after it; joined later
            m_thread.join();
        }
        std::lock_guard lock(m_dev->mutex);
        if (m_dev->streaming.lock().get() == this)
            m_dev->streaming.reset();
    }
    bool Streaming() const override {
        std::lock_guard lock(m_dev->mutex);
        return m_dev->streaming.lock().get() == this;
    }
    bool HasStillPin() const override { return m_dev->desc.hasStillPin; }
    bool RefusesConnections() const override {
        std::lock_guard lock(m_dev->mutex);
        return m_dev->desc.failConnect;
    }
    bool HasVfwDialogs() const override { return m_dev->desc.vfwDialogs; }
    bool HasProcAmp() const override { return m_dev->desc.hasProcAmp; }

    HRESULT GetRange(long property, ProcAmpRange& range) override {
        std::lock_guard lock(m_dev->mutex);
        auto it = m_dev->controls.find(property);
        if (it == m_dev->controls.end())
            return E_PROP_ID_UNSUPPORTED;
        range = it->second.desc.range;
        return S_OK;
    }
    HRESULT Get(long property, long& value, long& flags) override {
        std::lock_guard lock(m_dev->mutex);
        auto it = m_dev->controls.find(property);
        if (it == m_dev->controls.end())
            return E_PROP_ID_UNSUPPORTED;
        if (!m_dev->present)
            return HRESULT_DEVICE_NOT_CONNECTED;
        value = it->second.value;
        flags = it->second.flags;
        return S_OK;
    }
    HRESULT Set(long property, long value, long flags) override {
        std::lock_guard lock(m_dev->mutex);
        auto it = m_dev->controls.find(property);
        if (it == m_dev->controls.end())
            return E_PROP_ID_UNSUPPORTED;
        if (!m_dev->present)
            return HRESULT_DEVICE_NOT_CONNECTED;
        const auto& r = it->second.desc.range;
        if (value < r.min || value > r.max)
            return E_INVALIDARG;
        it->second.value = value;
        it->second.flags = (flags & VideoProcAmp_Flags_Auto) && it->second.desc.hasAuto
                               ? VideoProcAmp_Flags_Auto
                               : VideoProcAmp_Flags_Manual;
        return S_OK;
    }
    std::shared_ptr<IBaseFilter> UpstreamCrossbar() override {
        const auto& descs = m_dev->desc.crossbars;
        std::vector<std::shared_ptr<CrossbarFilter>> chain;
        for (const auto& s : descs)
            chain.push_back(CrossbarFilter::Create(s.inputTypes, s.outputTypes));
        for (size_t i = 1; i < chain.size(); ++i) {
            long outs = 0, ins = 0;
            chain[i]->get_PinCounts(&outs, &ins);
            for (long o = 0; o < outs; ++o) {
                long rel = 0, type = 0;
                chain[i]->get_CrossbarPinInfo(FALSE, o, &rel, &type);
                if (type < PhysConn_Audio_Tuner) {
                    if (auto in = chain[i - 1]->InputPin(descs[i].feedsInput))
                        LinkPins(chain[i]->OutputPin(o), in);
                    break;
                }
            }
        }
        m_crossbars.assign(chain.begin(), chain.end()); // keeps the outer crossbars alive
        return chain.empty() ? nullptr : chain.front();
    }

    // Called by the camera (any thread).
    bool Push() {
        std::unique_lock lock(m_mutex);
        if (m_ended || !m_thread.joinable())
            return false;
        unsigned long target = ++m_pushed;
        m_cv.notify_all();
        m_cv.wait(lock, [&] { return m_delivered >= target || m_ended; });
        return m_delivered >= target;
    }
    void PressStill() {
        std::lock_guard lock(m_mutex);
        m_still = true;
    }
    void End(long code) {
        std::lock_guard lock(m_mutex);
        m_endCode = code;
        m_cv.notify_all();
    }

private:
    void Loop(std::stop_token st, std::shared_ptr<FrameSink> sink) {
        StreamFormat f = CurrentFormat();
        double fps, pushedFps;
        {
            std::lock_guard lock(m_dev->mutex);
            fps = m_dev->desc.framesPerSecond;
            pushedFps =
                m_dev->desc.pushedFramesPerSecond > 0 ? m_dev->desc.pushedFramesPerSecond : 30.0;
        }
        const auto period =
            std::chrono::nanoseconds(fps > 0 ? static_cast<long long>(1e9 / fps) : 0);
        auto next = std::chrono::steady_clock::now();
        unsigned frame = 0;
        // One frame's buffer, not a second for a clean background: a 1600 x 1200 frame
        // is 5.8 MB.
        std::vector<BYTE> bits;
        DrawBackground(bits, f.width, f.height);
        while (!st.stop_requested()) {
            bool still;
            {
                std::unique_lock lock(m_mutex);
                if (fps > 0) {
                    // A consumer slower than the frame rate gets frames as fast as it takes
                    // them, not a burst to catch up.
                    next = std::max(next + period, std::chrono::steady_clock::now());
                    m_cv.wait_until(lock, next,
                                    [&] { return st.stop_requested() || m_endCode != 0; });
                } else {
                    m_cv.wait(lock, [&] {
                        return st.stop_requested() || m_endCode != 0 || m_pushed > m_delivered;
                    });
                }
                if (st.stop_requested())
                    break;
                if (m_endCode != 0) {
                    long code = m_endCode;
                    lock.unlock();
                    sink->OnStreamEvent(code);
                    break;
                }
                still = m_still;
                m_still = false;
            }
            const OverlayAreas drawn = DrawOverlay(bits, f.width, f.height, frame);
            Frame fr;
            fr.bits = bits.data();
            fr.length = static_cast<long>(bits.size());
            fr.width = f.width;
            fr.height = f.height;
            fr.sampleTime = fps > 0 ? frame / fps : frame / pushedFps;
            fr.still = still;
            sink->OnFrame(fr);
            EraseOverlay(bits, f.width, f.height, drawn);
            ++frame;
            std::lock_guard lock(m_mutex);
            if (m_pushed > m_delivered)
                ++m_delivered;
            m_cv.notify_all();
        }
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_cv.notify_all();
    }

    std::shared_ptr<Device> m_dev;
    std::vector<std::shared_ptr<IBaseFilter>> m_crossbars;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    unsigned long m_pushed = 0, m_delivered = 0;
    bool m_ended = false;
    bool m_still = false;
    long m_endCode = 0;
    std::jthread m_thread;
};

// What a moniker's binding hands out: owns the session, which the camera reaches weakly.
class SessionHandle : public DeviceSession {
public:
    explicit SessionHandle(std::shared_ptr<SyntheticSession> s) : m_s(std::move(s)) {}
    ~SessionHandle() override { m_s->Stop(); }
    std::vector<FrameCaps> Capabilities() override { return m_s->Capabilities(); }
    StreamFormat CurrentFormat() override { return m_s->CurrentFormat(); }
    HRESULT SetFormat(const StreamFormat& f) override { return m_s->SetFormat(f); }
    HRESULT Start(std::shared_ptr<FrameSink> sink) override { return m_s->Start(std::move(sink)); }
    void Stop() override { m_s->Stop(); }
    bool Streaming() const override { return m_s->Streaming(); }
    bool HasStillPin() const override { return m_s->HasStillPin(); }
    bool RefusesConnections() const override { return m_s->RefusesConnections(); }
    bool HasVfwDialogs() const override { return m_s->HasVfwDialogs(); }
    bool HasProcAmp() const override { return m_s->HasProcAmp(); }
    HRESULT GetRange(long p, ProcAmpRange& r) override { return m_s->GetRange(p, r); }
    HRESULT Get(long p, long& v, long& f) override { return m_s->Get(p, v, f); }
    HRESULT Set(long p, long v, long f) override { return m_s->Set(p, v, f); }
    std::shared_ptr<IBaseFilter> UpstreamCrossbar() override { return m_s->UpstreamCrossbar(); }

private:
    std::shared_ptr<SyntheticSession> m_s;
};

std::u16string Widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}
} // namespace

struct SyntheticCamera::Impl : public Backend {
    mutable std::mutex mutex;
    std::vector<std::shared_ptr<Device>> devices;

    std::shared_ptr<Device> Find(const std::string& id) const {
        std::lock_guard lock(mutex);
        for (const auto& d : devices)
            if (d->desc.id == id)
                return d;
        return nullptr;
    }
    static std::shared_ptr<SyntheticSession> Streaming(const std::shared_ptr<Device>& d) {
        std::lock_guard lock(d->mutex);
        return d->streaming.lock();
    }
    void MarkGone(const std::shared_ptr<Device>& d) {
        std::shared_ptr<SyntheticSession> s;
        {
            std::lock_guard lock(d->mutex);
            d->present = false;
            s = d->streaming.lock();
        }
        if (s)
            s->End(EC_DEVICE_LOST);
    }

    std::vector<DeviceEntry> ListDevices() override {
        std::lock_guard lock(mutex);
        std::vector<DeviceEntry> out;
        for (const auto& d : devices) {
            DeviceEntry e;
            e.displayName = u"@device:synthetic:" + Widen(d->desc.id);
            e.friendlyName = d->desc.friendlyName;
            e.friendlyNameReadable = d->desc.friendlyNameReadable;
            e.hardwareIds = UsbHardwareIds(d->desc.vendorId, d->desc.productId, d->desc.revision);
            e.key = d->desc.id;
            out.push_back(std::move(e));
        }
        return out;
    }
    std::unique_ptr<DeviceSession> Open(const DeviceEntry& entry) override {
        auto d = Find(entry.key);
        if (!d)
            return nullptr;
        {
            std::lock_guard lock(d->mutex);
            if (!d->present || d->desc.failBind)
                return nullptr;
        }
        return std::make_unique<SessionHandle>(std::make_shared<SyntheticSession>(d));
    }
    std::vector<std::u16string> PresentHardwareIdLists() override {
        std::lock_guard lock(mutex);
        std::vector<std::u16string> out;
        for (const auto& d : devices)
            out.push_back(UsbHardwareIds(d->desc.vendorId, d->desc.productId, d->desc.revision));
        return out;
    }
};

SyntheticCamera::SyntheticCamera() : m_impl(std::make_unique<Impl>()) {
    ResetToDefault();
}

SyntheticCamera& SyntheticCamera::Instance() {
    static SyntheticCamera camera;
    return camera;
}

Backend& SyntheticBackend() {
    return *SyntheticCamera::Instance().m_impl;
}

void SyntheticCamera::SetDevices(std::vector<SyntheticDevice> descs) {
    std::vector<std::shared_ptr<Device>> old;
    {
        std::lock_guard lock(m_impl->mutex);
        old.swap(m_impl->devices);
        for (auto& s : descs)
            m_impl->devices.push_back(std::make_shared<Device>(std::move(s)));
    }
    for (const auto& d : old)
        m_impl->MarkGone(d);
}

void SyntheticCamera::ResetToDefault() {
    SetDevices({SyntheticDevice{}});
}

void SyntheticCamera::Plug(SyntheticDevice desc) {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->devices.push_back(std::make_shared<Device>(std::move(desc)));
    }
    PostDeviceArrival();
}

bool SyntheticCamera::Unplug(const std::string& id) {
    std::shared_ptr<Device> gone;
    {
        std::lock_guard lock(m_impl->mutex);
        for (auto it = m_impl->devices.begin(); it != m_impl->devices.end(); ++it)
            if ((*it)->desc.id == id) {
                gone = *it;
                m_impl->devices.erase(it);
                break;
            }
    }
    if (!gone)
        return false;
    m_impl->MarkGone(gone);
    PostDeviceRemoval();
    return true;
}

bool SyntheticCamera::SetFailures(const std::string& id, bool bind, bool setFormat, bool run) {
    auto d = m_impl->Find(id);
    if (!d)
        return false;
    std::lock_guard lock(d->mutex);
    d->desc.failBind = bind;
    d->desc.failSetFormat = setFormat;
    d->desc.failRun = run;
    return true;
}

bool SyntheticCamera::SetConnectFailure(const std::string& id, bool fail) {
    auto d = m_impl->Find(id);
    if (!d)
        return false;
    std::lock_guard lock(d->mutex);
    d->desc.failConnect = fail;
    return true;
}

bool SyntheticCamera::PushFrame(const std::string& id) {
    auto d = m_impl->Find(id);
    if (!d)
        return false;
    auto s = Impl::Streaming(d);
    return s && s->Push();
}

bool SyntheticCamera::PressStillButton(const std::string& id) {
    auto d = m_impl->Find(id);
    if (!d)
        return false;
    if (auto s = Impl::Streaming(d))
        s->PressStill();
    return true;
}

bool SyntheticCamera::InjectStreamError(const std::string& id) {
    auto d = m_impl->Find(id);
    if (!d)
        return false;
    auto s = Impl::Streaming(d);
    if (!s)
        return false;
    s->End(EC_ERRORABORT);
    return true;
}

void SyntheticCamera::SimulateResume() {
    PostPowerResume();
}

bool SyntheticCamera::IsStreaming(const std::string& id) const {
    auto d = m_impl->Find(id);
    return d && Impl::Streaming(d) != nullptr;
}

bool SyntheticCamera::ControlValue(const std::string& id, long property, long* value,
                                   long* flags) const {
    auto d = m_impl->Find(id);
    if (!d)
        return false;
    std::lock_guard lock(d->mutex);
    auto it = d->controls.find(property);
    if (it == d->controls.end())
        return false;
    *value = it->second.value;
    *flags = it->second.flags;
    return true;
}

} // namespace ms::capture
