// CThumbnailListWnd: the window side that both programs' thumbnail lists share (Tessary's strip
// under the live picture, Wavenor's file list beside it). It is a list control subclassed to
// paint everything itself over an off-screen surface: it never inserts list-view items.
//
// It holds the two lists (pictures and videos; the program's "shows pictures" flag names the
// current one) and the thumbnail cache, lays the visible items into the slots, draws them with
// the dotted frame around the current one, scrolls by its own scroll bar, selects by a click
// and drops items whose file has gone. The wheel never scrolls it. What differs between the
// programs is left to the derived window: the slot layout, the surface and what each drawing
// starts from, the recording behind a video item, the scroll handler's message map entry.
// UI thread only.
#pragma once

#include "media/ThumbnailStripCore.h"

#include "platform/mfc/AfxCmn.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CThumbnailListWnd : public CListView {
public:
    ~CThumbnailListWnd() override;

    // Lays the visible items of the current list into the slots, composes them into the
    // surface and invalidates the window.
    void DrawThumbnails();
    // Sets the scroll bar from the current list: a position per step of items, a page of
    // SlotCount() items, the range 0..page-1 while the list fits in a page, position the first
    // visible step. A list that fits is scrolled back to its start.
    void UpdateScrollBar();

    // Selects the visible item under the screen point; 1 on a hit, else 0. The selection of
    // the current list is cleared first in either case.
    int SelectAt(UINT screenX, UINT screenY);
    // Copies the path of the first selected item of the current list and returns its flags;
    // 0 (the buffer unchanged) when none is selected.
    DWORD GetSelectedPath(WCHAR out[MAX_PATH]) const;
    ThumbnailItem* FindItem(DWORD mask) const;
    // Clears every selected bit of that list (1 pictures, 0 videos) and its current index.
    void ClearSelection(int pictures);
    // Removes the item of the current list with this path; indices are not adjusted.
    void RemoveItem(LPCWSTR path);
    // When the file no longer exists: removes its item, updates the scroll bar, draws and
    // returns TRUE.
    BOOL RemoveMissingFile(LPCWSTR path);
    void ClearList(int pictures);
    // Frees the drawing surfaces; the next paint lays the slots out anew.
    void FreeGdi();

    // For the main windows' tests and the benchmarks.
    const ThumbnailList& List(int pictures) const { return pictures ? m_pictures : m_videos; }
    ThumbnailList& CurrentList() { return *m_showsPictures ? m_pictures : m_videos; }
    const ThumbnailList& CurrentList() const { return *m_showsPictures ? m_pictures : m_videos; }
    // The item index drawn in each slot by the last drawing, from the first slot on.
    const std::vector<int>& DrawnItems() const { return m_drawn; }
    const ThumbnailCache& Cache() const { return m_cache; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // `showsPictures` is the program's flag of the list on screen (nonzero: pictures), read at
    // every use; `bar` the scroll bar (SB_HORZ or SB_VERT) that moves by `itemsPerStep` items.
    CThumbnailListWnd(const int& showsPictures, int bar, int itemsPerStep);

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    // What the derived window's handler of its scroll bar calls.
    void Scroll(UINT code, UINT pos);
    DECLARE_MESSAGE_MAP()

    // The slots for the client area `client`, measured at the first drawing after a paint
    // created the surface.
    virtual void MeasureSlots(const RECT& client) = 0;
    // The slot rectangles, left to right and row by row; read anew at every use.
    virtual std::span<const RECT> SlotRects() const = 0;
    // How many items a page shows.
    virtual int SlotCount() const = 0;
    // The size a thumbnail must cover to fill a slot.
    virtual SIZE SlotSize() const = 0;
    // The bitmap under the surface, made at the first paint for the paint's DC; `extent` is
    // how much of it every drawing replaces.
    virtual HBITMAP NewSurface(HDC paintDC, SIZE& extent) = 0;
    // What each drawing starts from, deleted when it is done.
    virtual HBITMAP NewBackdrop() = 0;
    // Paints over the surface or the backdrop once it is selected into `dc`; nothing by
    // default.
    virtual void FillBackdrop(HDC dc);
    // The recording a video item stands for, deleted with it; empty when there is none.
    virtual std::u16string RecordingOf(std::u16string_view item) const = 0;

    // Drops the vanished files of the visible range and decides which items fill the slots.
    void LayOut();
    // Draws the items chosen by LayOut into the surface and frames the current one, or every
    // one drawn with `frameAllDrawn`; before the first paint only invalidates.
    void Compose(bool frameAllDrawn);
    // Deletes an item's file and, in the video list, its recording; true when the file is
    // gone (also when it was gone before).
    bool DeleteItemFile(LPCWSTR path);
    // Deletes the files of the current list's items that `wanted` accepts, as DeleteItemFile;
    // the items whose file went leave the list and the cache, the others stay in order. The
    // selection is cleared; the first visible step, the scroll bar and the drawing are the
    // caller's.
    void DeleteListed(const std::function<bool(const ThumbnailItem&)>& wanted);

    ThumbnailList m_pictures, m_videos;
    ThumbnailCache m_cache;
    RECT m_client{};

private:
    void EnsureGeometry();
    void DrawSelectionFrame(int slot);

    const int* m_showsPictures;
    const int m_bar, m_itemsPerStep;
    std::vector<int> m_drawn;
    bool m_haveGeometry = false;
    SIZE m_extent{};
    HDC m_surfaceDC = nullptr;
    HDC m_scratchDC = nullptr;
    HBITMAP m_surface = nullptr;
    HGDIOBJ m_surfaceOldBitmap = nullptr;
    HPEN m_framePen = nullptr;
    HBRUSH m_hollowBrush = nullptr;
};
