#include "platform/capture/Backend.h"

#include "platform/capture/SyntheticCamera.h"
#include "platform/capture/V4l2Camera.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace ms::capture {
namespace {
// -1: not decided yet; 0: V4L2; 1: synthetic.
std::atomic<int> g_synthetic{-1};

bool Synthetic() {
    int v = g_synthetic.load();
    if (v < 0) {
        const char* env = std::getenv("MS_SYNTHETIC_CAMERA");
        int want = env && std::strcmp(env, "1") == 0 ? 1 : 0;
        g_synthetic.compare_exchange_strong(v, want);
        v = g_synthetic.load();
    }
    return v == 1;
}
} // namespace

Backend& ActiveBackend() { return Synthetic() ? SyntheticBackend() : V4l2Source(); }

void UseSyntheticCamera(bool on) { g_synthetic = on ? 1 : 0; }

bool SyntheticCameraInUse() { return Synthetic(); }

} // namespace ms::capture
