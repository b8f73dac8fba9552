// The skinned button of every tool bar of both programs: an owner-drawn push button showing one
// of four bitmaps. Its pressed look follows a flag that the owning window sets and clears from
// its command handlers, not the mouse, so a tool button stays down while its tool is active and
// radio-like sets of buttons show which one is on. A click shows no pushed look of its own.
#pragma once

#include "platform/mfc/AfxCmn.h"

class CToggleBitmapButton : public CBitmapButton {
public:
    CToggleBitmapButton() = default;

    // Takes over the parent's owner-drawn push button `id` and loads the bitmaps of the
    // program's resources given by their ids (0: none) as the normal, selected and focus
    // bitmaps, then sizes the button to the normal bitmap (which every caller passes). 1, or 0
    // when the parent has no such control (then nothing is loaded). The disabled bitmap is
    // never loaded here.
    int Attach(UINT id, CWnd* parent, UINT normalId, UINT pressedId, UINT focusId);

    int IsPressed() const { return m_pressed; }
    // Each changes the flag and redraws the whole button without erasing.
    void SetPressed();
    void ClearPressed();
    void TogglePressed();

    // Paints the disabled bitmap when disabled and loaded, else the focus bitmap when focused
    // and loaded, else the selected bitmap when the flag is set, else the normal one; copied
    // unstretched to the item rectangle's corner. An empty bitmap paints nothing.
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

private:
    int m_pressed = 0;
};
