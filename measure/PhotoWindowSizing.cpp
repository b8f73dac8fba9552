#include "measure/PhotoWindowSizing.h"

bool PhotoWindowSizing::Command(CWnd& window, UINT command,
                                const std::function<bool()>& mayDiscard) {
    // The command is in the upper bits; the lowest four are the system's own.
    switch (command & 0xFFF0) {
    case SC_MAXIMIZE:
        if (!mayDiscard())
            return false;
        m_state = kMaximised;
        m_maximiseCommanded = true;
        break;
    case SC_RESTORE:
        if (m_state == kMinimised) {
            window.ModifyStyle(0, WS_MAXIMIZEBOX);
            m_state = kRestoredFromMinimised;
        } else if ((m_state == kMaximised || m_maximiseCommanded) && !mayDiscard()) {
            return false;
        }
        break;
    case SC_MINIMIZE:
        m_state = kMinimised;
        window.ModifyStyle(WS_MAXIMIZEBOX, 0);
        break;
    default:
        break;
    }
    return true;
}

PhotoWindowSizing::Layout PhotoWindowSizing::Resized(UINT type) const {
    if (type == SIZE_MAXIMIZED)
        return m_state == kMaximised ? Layout::Maximised : Layout::None;
    const bool backFromMinimisedNormal = m_state == kRestoredFromMinimised && !m_maximiseCommanded;
    if (type == SIZE_RESTORED && !backFromMinimisedNormal)
        return Layout::Normal;
    return Layout::None;
}
