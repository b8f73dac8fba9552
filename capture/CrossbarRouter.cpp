#include "capture/CrossbarRouter.h"

#include "capture/Pins.h"

#include "platform/win/core/WString.h"

#include <algorithm>

namespace {
// Crossbar chains of real devices are one or two deep; the bound keeps a chain that loops
// back on itself from recursing without end.
constexpr LONG kMaxDepth = 16;

// The index of a pin among its filter's pins of the same direction, or -1.
LONG IndexAmongDirection(const IBaseFilter& filter, const std::shared_ptr<IPin>& pin) {
    LONG index = 0;
    for (const auto& p : filter.EnumPins()) {
        if (p == pin)
            return index;
        if (p->Direction() == pin->Direction())
            ++index;
    }
    return -1;
}
} // namespace

CCrossbarRouter::CCrossbarRouter(const std::shared_ptr<IPin>& startingPin) {
    if (startingPin)
        BuildRoutingList(startingPin, 0);
    m_walk.clear();
}

HRESULT CCrossbarRouter::BuildRoutingList(const std::shared_ptr<IPin>& input, LONG depth) {
    const HRESULT endOfWalk = depth == 0 ? E_FAIL : S_FALSE;
    std::shared_ptr<IPin> output;
    if (FAILED(input->ConnectedTo(&output)))
        return endOfWalk;
    std::shared_ptr<IBaseFilter> filter = output->Filter();
    std::shared_ptr<IAMCrossbar> crossbar = filter ? filter->QueryCrossbar() : nullptr;
    if (!crossbar || depth >= kMaxDepth)
        return endOfWalk;

    long outputs = 0, inputs = 0;
    if (FAILED(crossbar->get_PinCounts(&outputs, &inputs)))
        return endOfWalk;
    const LONG outputIndex = IndexAmongDirection(*filter, output);
    long outputRelated = -1, outputType = 0;
    if (FAILED(crossbar->get_CrossbarPinInfo(FALSE, outputIndex, &outputRelated, &outputType)))
        return endOfWalk;

    if (static_cast<LONG>(m_walk.size()) <= depth)
        m_walk.resize(static_cast<size_t>(depth) + 1);
    for (long in = 0; in < inputs; ++in) {
        long inputRelated = -1, inputType = 0;
        if (FAILED(crossbar->get_CrossbarPinInfo(TRUE, in, &inputRelated, &inputType)))
            continue;
        if (inputType >= PhysConn_Audio_Tuner || crossbar->CanRoute(outputIndex, in) != S_OK)
            continue;
        CRouting& r = m_walk[static_cast<size_t>(depth)];
        r = CRouting{};
        r.crossbar = crossbar;
        r.videoInputIndex = in;
        r.videoOutputIndex = outputIndex;
        r.audioInputIndex = inputRelated;
        r.audioOutputIndex = outputRelated;
        r.inputPhysicalType = inputType;
        r.outputPhysicalType = outputType;
        r.depth = depth;
        std::shared_ptr<IPin> next = GetInPin(filter, static_cast<int>(in));
        if (!next || BuildRoutingList(next, depth + 1) == S_FALSE)
            SaveRoute(depth); // this input is a connector: the route ends here
    }
    return S_OK;
}

void CCrossbarRouter::SaveRoute(LONG depth) {
    auto route = std::make_unique<std::vector<CRouting>>();
    route->reserve(static_cast<size_t>(depth) + 1);
    for (LONG d = depth; d >= 0; --d)
        route->push_back(m_walk[static_cast<size_t>(d)]);
    for (size_t i = 0; i < route->size(); ++i) {
        (*route)[i].left = i > 0 ? &(*route)[i - 1] : nullptr;
        (*route)[i].right = i + 1 < route->size() ? &(*route)[i + 1] : nullptr;
    }
    m_routes.push_back(std::move(route));
}

HRESULT CCrossbarRouter::GetInputCount(LONG* count) const {
    if (!count)
        return E_POINTER;
    *count = static_cast<LONG>(m_routes.size());
    return S_OK;
}

HRESULT CCrossbarRouter::GetInputType(LONG index, LONG* physicalType) const {
    if (!physicalType || index < 0 || index >= static_cast<LONG>(m_routes.size()))
        return E_FAIL;
    *physicalType = Route(index).front().inputPhysicalType;
    return S_OK;
}

HRESULT CCrossbarRouter::GetInputName(LONG index, WCHAR* name, LONG size) const {
    if (!name || size <= 0 || index < 0 || index >= static_cast<LONG>(m_routes.size()))
        return E_FAIL;
    ms::CopyBounded(name, static_cast<size_t>(size),
                    PhysicalTypeName(Route(index).front().inputPhysicalType));
    return name[0] ? S_OK : E_FAIL;
}

HRESULT CCrossbarRouter::SetInputIndex(LONG index) {
    if (index < 0 || index >= static_cast<LONG>(m_routes.size()))
        return E_FAIL;
    HRESULT hr = S_OK;
    for (const CRouting& r : Route(index)) {
        hr = r.crossbar->Route(r.videoOutputIndex, r.videoInputIndex);
        if (r.audioOutputIndex != -1 && r.audioInputIndex != -1)
            hr = r.crossbar->Route(r.audioOutputIndex, r.audioInputIndex);
    }
    m_currentIndex = index;
    return hr;
}

HRESULT CCrossbarRouter::GetInputIndex(LONG* index) const {
    if (!index)
        return E_POINTER;
    *index = m_currentIndex;
    return S_OK;
}

const WCHAR* CCrossbarRouter::PhysicalTypeName(LONG type) {
    switch (type) {
    case PhysConn_Video_Tuner:
        return u"Video Tuner";
    case PhysConn_Video_Composite:
        return u"Video Composite";
    case PhysConn_Video_SVideo:
        return u"Video SVideo";
    case PhysConn_Video_RGB:
        return u"Video RGB";
    case PhysConn_Video_YRYBY:
        return u"Video YRYBY";
    case PhysConn_Video_SerialDigital:
        return u"Video SerialDigital";
    case PhysConn_Video_ParallelDigital:
        return u"Video ParallelDigital";
    case PhysConn_Video_SCSI:
        return u"Video SCSI";
    case PhysConn_Video_AUX:
        return u"Video AUX";
    case PhysConn_Video_1394:
        return u"Video 1394";
    case PhysConn_Video_USB:
        return u"Video USB";
    case PhysConn_Video_VideoDecoder:
        return u"Video Decoder";
    case PhysConn_Video_VideoEncoder:
        return u"Video Encoder";
    case PhysConn_Audio_Tuner:
        return u"Audio Tuner";
    case PhysConn_Audio_Line:
        return u"Audio Line";
    case PhysConn_Audio_Mic:
        return u"Audio Mic";
    case PhysConn_Audio_AESDigital:
        return u"Audio AESDigital";
    case PhysConn_Audio_SPDIFDigital:
        return u"Audio SPDIFDigital";
    case PhysConn_Audio_SCSI:
        return u"Audio SCSI";
    case PhysConn_Audio_AUX:
        return u"Audio AUX";
    case PhysConn_Audio_1394:
        return u"Audio 1394";
    case PhysConn_Audio_USB:
        return u"Audio USB";
    case PhysConn_Audio_AudioDecoder:
        return u"Audio Decoder";
    default:
        return u"Unknown";
    }
}
