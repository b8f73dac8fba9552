// The 46 skinned buttons of Tessary's main window and their tooltips: the button objects
// attached to the dialog's controls in the table order of SkinButtons.h, their pressed states
// at start, their enabled states with and without a device, their showing in the two layouts,
// and one tooltip control that holds a tip per button (none in the full-screen layout).
//
// UI thread only.
#pragma once

#include "shell/SkinButtons.h"

#include "kit/ToggleBitmapButton.h"

#include "platform/mfc/AfxWin.h"

class SkinButtonBar {
public:
    // One entry per button, in table order; the tooltip keeps a pointer to `tip`.
    struct Entry {
        HWND hwnd = nullptr;
        int id = 0;
        RECT rect{}; // window rectangle in screen coordinates, taken by the skin layout
        WCHAR tip[128]{};
    };

    SkinButtonBar();
    SkinButtonBar(const SkinButtonBar&) = delete;
    SkinButtonBar& operator=(const SkinButtonBar&) = delete;

    // Attaches each button object to its control of `window`, with its bitmaps and at its
    // place, and gives the buttons their pressed states at start.
    void Attach(CWnd& window);
    // Takes each button's window and screen rectangle and repaints its face; then the tooltip
    // control of `owner`.
    void TakeWindows(HWND owner);
    // The toggle button of a control id; null for another control.
    CToggleBitmapButton* Toggle(int id);

    // The tips in the current language; the snapshot switch's by its state.
    void LoadTips();
    // Each tip removed and, except in the full-screen layout, added again.
    void RefreshTips(bool fullScreen);
    // Moves the tooltip to a mouse message's screen point over a button.
    void TrackTip(POINT pt) const;

    // A device runs: Preview pressed and every button enabled as the table says (Close stays).
    void EnableAfterStart();
    // No device: every button of `window` but Close disabled.
    void DisableAll(HWND window) const;
    // The normal layout shows the buttons the template shows; the full screen none.
    void ShowForNormalLayout() const;
    void HideAll() const;
    // Each button's screen rectangle, after the window moved.
    void UpdateRects();

    const Entry* Entries() const { return m_entries; }
    HWND TipWindow() const { return m_tips; }

private:
    CToggleBitmapButton m_toggleButtons[19];
    CBitmapButton m_bitmapButtons[27];
    CWnd* m_objects[kSkinButtonCount] = {}; // in table order, into the two arrays above
    Entry m_entries[kSkinButtonCount];
    HWND m_tips = nullptr;
};
