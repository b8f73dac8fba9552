// The video area of the main window (static 1000): the live stream's frames while a player
// delivers them, else the static's own text ("Connecting..., please wait.") in red on black,
// as the main window's colours give it. The frames are painted on the UI thread from the
// player's last handed-over frame; the player queues the repaint after each one.
#pragma once

#include "platform/mfc/AfxWin.h"

class StreamPlayer;

class CLiveVideoWnd : public CWnd {
public:
    // The player whose frames are shown (borrowed; null: none). UI thread; the player must
    // outlive its time here, so it is taken away before the player goes.
    void SetPlayer(const StreamPlayer* player);
    const StreamPlayer* Player() const { return m_player; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool ShowsFrame() const;
    const StreamPlayer* m_player = nullptr;
};
