// The DXF export's inputs: shapes whose points may lie anywhere in the range of LONG, any kind
// code, any radius, and any space (factors, height, scale, magnification as raw doubles),
// through ExportToDxf and the real DXF library. Nothing may overflow, and no coordinate that
// is not a finite number may reach the file.
//
// Input: byte 0 the source (even: live, odd: canvas), then four doubles of the space, then
// records: a kind byte, a count byte (points, at most 15), a radius double and the points as
// pairs of little-endian int32.
#include "media/DxfDrawing.h"
#include "media/MeasureExport.h"

#include "platform/win/core/WString.h"
#include "tests/support/FuzzScratch.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Has(size_t n) const { return size_ - pos_ >= n; }
    template <class T> T Get() {
        T v{};
        if (Has(sizeof v)) {
            std::memcpy(&v, data_ + pos_, sizeof v);
            pos_ += sizeof v;
        }
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_, pos_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("MS_PROGRAM_DIR", MS_FUZZ_PROGRAM_DIR, 1); // where libDxfIO.so lies
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = mstest::FuzzScratch("dxf", ".dxf");
    static CDxfDrawing dxf;
    Reader in(data, size);
    const ShapeSource source = in.Get<uint8_t>() % 2 ? ShapeSource::Canvas : ShapeSource::Live;
    DxfSpace space;
    space.pointFactor = in.Get<double>();
    space.height = in.Get<double>();
    space.unitScale = in.Get<double>();
    space.magnification = in.Get<double>();
    std::vector<CMeasureRecord> records;
    while (in.Has(2) && records.size() < 64) {
        CMeasureRecord r;
        r.m_kind = in.Get<uint8_t>();
        const int count = in.Get<uint8_t>() % 16;
        r.m_radius = in.Get<double>();
        for (int i = 0; i < count && in.Has(8); ++i) {
            const int32_t x = in.Get<int32_t>();
            r.m_points.push_back(POINT{x, in.Get<int32_t>()});
        }
        records.push_back(std::move(r));
    }
    if (ExportToDxf(dxf, CString(ms::FromUtf8(file)), records, source, space) == DxfResult::Saved) {
        // Every real (group codes 10 to 59) is a finite number a DXF reader takes.
        std::ifstream text(file);
        std::string code, value;
        while (std::getline(text, code) && std::getline(text, value)) {
            const int group = std::atoi(code.c_str());
            if (group >= 10 && group <= 59 && !std::isfinite(std::strtod(value.c_str(), nullptr)))
                std::abort();
        }
    }
    return 0;
}
