// The magnifier of the photo-measure window: the dialog that picks its enlargement and lens
// size, and the lens window that shows, enlarged, the square of the canvas under it.
#pragma once

#include "platform/mfc/AfxWin.h"

// The square of the canvas copy that a lens of `size` pixels shows at `zoom` tenths (20, 30,
// 40): its side s = (size / zoom) x 10 and its offset o = size / 2 - s / 2 from the lens's
// corner, all in integers, so the enlargement is size / s (3 X on 100 pixels shows 30 pixels,
// 3.33 times). A zoom of 0 or below shows the square unenlarged.
struct LensSquare {
    int side;
    int offset;
};
LensSquare LensSourceSquare(int size, int zoom);

// Picks the enlargement (2 X, 3 X, 4 X) and the lens side (100, 150, 200). Every click stores
// its value at once, and the caller reads both whatever DoModal returns; every opening starts
// at 2 X and 100.
class CMagnifierDlg : public CDialog {
public:
    explicit CMagnifierDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    int m_zoom = 20;      // tenths: 20, 30 or 40
    int m_lensSize = 100; // pixels: 100, 150 or 200

protected:
    afx_msg void OnZoom(UINT id);
    afx_msg void OnLensSize(UINT id);
    DECLARE_MESSAGE_MAP()
};

// What the lens paints from; the canvas that holds the lens provides it.
class CMagnifierSource {
public:
    virtual ~CMagnifierSource() = default;
    virtual int LensSize() const = 0;
    virtual int LensZoom() const = 0;
    // The lens window's top-left corner in the canvas's client coordinates.
    virtual POINT LensPoint() const = 0;
    // The copy of the canvas's client area taken before the lens showed; none paints nothing.
    virtual CBitmap* LensBitmap() = 0;
};

// The lens: a child window of the canvas that paints the enlarged square from the source on
// WM_PAINT, framed twice with the context's pen.
class CMagnifierLens : public CWnd {
public:
    // `source` is borrowed from the canvas, which outlives its lens window.
    explicit CMagnifierLens(CMagnifierSource* source = nullptr) : m_source(source) {}
    void SetSource(CMagnifierSource* source) { m_source = source; }
    void DrawSquareLens(CDC* dc);

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    CMagnifierSource* m_source;
};
