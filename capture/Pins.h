// Pin lookup on filters: the index-th pin of a direction, counted from 0 in the filter's
// enumeration order, or null when there is none.
#pragma once

#include "platform/capture/Graph.h"

#include <memory>

inline std::shared_ptr<IPin> GetPin(const std::shared_ptr<IBaseFilter>& filter, PIN_DIRECTION dir,
                                    int index) {
    if (!filter)
        return nullptr;
    int n = 0;
    for (const auto& p : filter->EnumPins())
        if (p->Direction() == dir && n++ == index)
            return p;
    return nullptr;
}

inline std::shared_ptr<IPin> GetInPin(const std::shared_ptr<IBaseFilter>& filter, int index) {
    return GetPin(filter, PINDIR_INPUT, index);
}

inline std::shared_ptr<IPin> GetOutPin(const std::shared_ptr<IBaseFilter>& filter, int index) {
    return GetPin(filter, PINDIR_OUTPUT, index);
}
