// The routes through the crossbars in front of an analog capture input: every complete path
// from the capture filter's analog video input back to a video connector, with the means to
// name the routes and to switch the crossbars to one of them.
//
// The capture window only builds the router and counts its routes; the device's crossbars
// keep the routing they have.
#pragma once

#include "platform/capture/Graph.h"

#include <memory>
#include <vector>

// One crossbar on a route.
struct CRouting {
    CRouting* left = nullptr;  // towards the connector; null at the connector end
    CRouting* right = nullptr; // towards the capture filter; null next to it
    LONG videoInputIndex = 0;
    LONG videoOutputIndex = 0;
    LONG audioInputIndex = -1; // related to the video input, -1 when none
    LONG audioOutputIndex = -1;
    std::shared_ptr<IAMCrossbar> crossbar; // held while the route is listed
    LONG inputPhysicalType = 0;
    LONG outputPhysicalType = 0;
    LONG depth = 0; // 0 next to the capture filter, counting up towards the connector
};

class CCrossbarRouter {
public:
    // Walks upstream from the analog video input pin (borrowed, not kept beyond the walk).
    explicit CCrossbarRouter(const std::shared_ptr<IPin>& startingPin);
    ~CCrossbarRouter() = default;
    CCrossbarRouter(const CCrossbarRouter&) = delete;
    CCrossbarRouter& operator=(const CCrossbarRouter&) = delete;

    HRESULT GetInputCount(LONG* count) const;
    HRESULT GetInputType(LONG index, LONG* physicalType) const;
    // The connector's name ("Video Composite", "Unknown" for a type without one), cut to the
    // buffer; E_FAIL for a bad index, a null buffer or a buffer of no characters.
    HRESULT GetInputName(LONG index, WCHAR* name, LONG size) const;
    // Switches every crossbar of the route; the result of the last switch.
    HRESULT SetInputIndex(LONG index);
    HRESULT GetInputIndex(LONG* index) const;

    // One route: its crossbars from the connector end (index 0) to the capture filter.
    const std::vector<CRouting>& Route(LONG index) const { return *m_routes[index]; }

    static const WCHAR* PhysicalTypeName(LONG type);

private:
    HRESULT BuildRoutingList(const std::shared_ptr<IPin>& input, LONG depth);
    void SaveRoute(LONG depth);

    // The records of the route being walked, by depth.
    std::vector<CRouting> m_walk;
    std::vector<std::unique_ptr<std::vector<CRouting>>> m_routes;
    LONG m_currentIndex = 0;
};
