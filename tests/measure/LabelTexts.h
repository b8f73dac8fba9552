// The texts of a measurement's labels, for comparing with literals.
#pragma once

#include "platform/win/core/CString.h"

#include <string>
#include <vector>

namespace mstest {

inline std::vector<std::u16string> LabelTexts(const std::vector<CString>& labels) {
    std::vector<std::u16string> out;
    for (const CString& l : labels)
        out.emplace_back(l.GetString());
    return out;
}

} // namespace mstest
