// The scroll bars and the background of the picture views (the photo-measure canvas and
// Wavenor's still view): window code over the scroll arithmetic of CanvasView.h.
#pragma once

#include "measure/CanvasView.h"

#include "platform/mfc/AfxWin.h"

// Sets range and page of both bars of `wnd`, redrawn.
void SetViewScrollRanges(CWnd& wnd, const ScrollRanges& ranges);

// Moves bar SB_HORZ or SB_VERT of `wnd` by a scroll code (CanvasScrollPosition: a line is a
// scroll arrow's size, a page `pageSize`), sets the bar and returns the new position.
int ScrollViewBar(CWnd& wnd, int bar, UINT code, int pageSize);

// Fills the clip box of `dc` with `color`: the background beside a picture.
void FillViewBackground(CDC& dc, COLORREF color);
