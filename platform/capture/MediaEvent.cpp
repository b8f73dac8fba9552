#include "platform/capture/MediaEvent.h"

#include "platform/capture/Poster.h"

#include <chrono>

HRESULT IMediaEventEx::SetNotifyWindow(HWND hwnd, UINT msg, LONG_PTR instanceData) {
    std::lock_guard lock(m_mutex);
    m_hwnd = hwnd;
    m_msg = msg;
    m_instance = instanceData;
    return S_OK;
}

HRESULT IMediaEventEx::GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeoutMs) {
    if (!code || !param1 || !param2)
        return E_POINTER;
    std::unique_lock lock(m_mutex);
    auto ready = [this] { return !m_events.empty(); };
    if (timeoutMs < 0)
        m_cv.wait(lock, ready);
    else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return E_ABORT;
    Event e = m_events.front();
    m_events.pop_front();
    *code = e.code;
    *param1 = e.p1;
    *param2 = e.p2;
    return S_OK;
}

void IMediaEventEx::Notify(long code, LONG_PTR param1, LONG_PTR param2) {
    HWND hwnd;
    UINT msg;
    LONG_PTR instance;
    {
        std::lock_guard lock(m_mutex);
        if (m_events.size() >= 256)
            m_events.pop_front();
        m_events.push_back({code, param1, param2});
        hwnd = m_hwnd;
        msg = m_msg;
        instance = m_instance;
    }
    m_cv.notify_all();
    if (hwnd)
        ms::capture::PostToWindow(hwnd, msg, 0, static_cast<LPARAM>(instance));
}

size_t IMediaEventEx::Pending() const {
    std::lock_guard lock(m_mutex);
    return m_events.size();
}
