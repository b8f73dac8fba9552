// A DXF library that lacks most entry points: the wrapper must refuse it and call nothing.
#include <cstdint>

extern "C" {
__attribute__((visibility("default"))) int partialDxfCalls = 0;
}

extern "C" __attribute__((visibility("default"))) std::uint32_t drwCreate() {
    ++partialDxfCalls;
    return 1;
}
extern "C" __attribute__((visibility("default"))) int drwDestroy(std::uint32_t) {
    ++partialDxfCalls;
    return 1;
}
