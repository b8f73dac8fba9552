// IMediaEventEx: the event queue of a graph. Each queued event posts the notify window's
// message once (wParam 0, lParam = the instance data), so a window that takes one event per
// message drains the queue. GetEvent with time-out 0 answers E_ABORT at once when the queue is
// empty. Events carry no allocated parameters here, so FreeEventParams only returns S_OK.
// Unlike the original, the queue is bounded (oldest events are dropped past 256) so that a
// window that never drains it cannot make it grow without end.
#pragma once

#include "platform/capture/CaptureTypes.h"

#include <condition_variable>
#include <deque>
#include <mutex>

class IMediaEventEx {
public:
    HRESULT SetNotifyWindow(HWND hwnd, UINT msg, LONG_PTR instanceData);
    // timeoutMs: 0 = do not wait, negative = wait without end (INFINITE).
    HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeoutMs);
    HRESULT FreeEventParams(long, LONG_PTR, LONG_PTR) { return S_OK; }

    // Queues an event and posts the notify message; any thread.
    void Notify(long code, LONG_PTR param1, LONG_PTR param2);
    size_t Pending() const;

private:
    struct Event {
        long code;
        LONG_PTR p1;
        LONG_PTR p2;
    };
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Event> m_events;
    HWND m_hwnd = nullptr;
    UINT m_msg = 0;
    LONG_PTR m_instance = 0;
};
