#include "capture/TimedSnapshot.h"

#include "capture/GrabberCallbacks.h"
#include "measure/Units.h"

#include <mutex>

void RequestTimedSnapshot() {
    g_snapshotSource = 0; // the source first: the callback reads it once it sees the request
    g_snapshotRequest = 1;
}

TimedCaptureProfile TessaryTimedCapture() {
    TimedCaptureProfile profile;
    profile.intervalSeconds = 3;
    profile.frameCount = 8;
    profile.requestMessage = WM_APP_TIMED_SNAPSHOT;
    profile.estimateHundredths = [](int frameCount) {
        long long frameBytes;
        {
            std::lock_guard lock(g_frameLock);
            frameBytes = g_frameInfo.biSizeImage;
        }
        const long long unit = g_has1600x1200 ? 1920000 : 1310720;
        return static_cast<long long>(frameCount) * frameBytes * 100 / unit;
    };
    return profile;
}
