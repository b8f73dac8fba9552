// The maximise, restore and minimise states of a photo-measure window. Both programs' windows
// build a new canvas when they are maximised and again when they come back to their normal
// size, so the canvas's shapes go with each change: before a maximise, and before a restore of
// a window that was maximised, the window is asked whether its unsaved shapes may go.
//
// Window code: the window passes its WM_SYSCOMMAND and WM_SIZE on, and lays itself out as
// Resized() says.
#pragma once

#include "platform/mfc/AfxWin.h"

#include <functional>

class PhotoWindowSizing {
public:
    enum State {
        kNormal = 1,
        kMaximised = 2, // after a maximise command
        kMinimised = 3,
        kRestoredFromMinimised = 4,
    };

    // A system command to `window` before its default handling: SC_MAXIMIZE, SC_RESTORE and
    // SC_MINIMIZE move the state (a minimised window loses its maximise box until it is
    // restored). False when the command must stop here: `mayDiscard` said no to a maximise or
    // to the restore of a maximised window.
    bool Command(CWnd& window, UINT command, const std::function<bool()>& mayDiscard);

    // What a WM_SIZE of `type` asks of the window.
    enum class Layout {
        None,
        Maximised, // maximised after a maximise command
        Normal,    // restored, other than from a minimise of a window that was not maximised
    };
    Layout Resized(UINT type) const;

    // The normal layout is built again: a later restore no longer follows a maximise.
    void NormalLaidOut() { m_maximiseCommanded = false; }
    // The window stands at its normal size again, unless it is minimised.
    void BackToNormal() {
        if (m_state != kMinimised)
            m_state = kNormal;
    }

    int State() const { return m_state; }
    // A maximise command came, and no normal layout was built since.
    bool MaximiseCommanded() const { return m_maximiseCommanded; }

private:
    int m_state = kNormal;
    bool m_maximiseCommanded = false;
};
