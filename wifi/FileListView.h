// CFileListView: the list of pictures and videos at the left of Wavenor's main window, in two
// columns of thumbnails scrolled vertically by rows of two. It lists the pictures of
// g_paths.pictureDir or the recordings of g_paths.videoDir (g_listShowsPictures names "the current list"),
// a recording through its companion picture "<name>.mp4.png". It is the list control 1002 of
// the main window, subclassed, and paints everything itself.
//
// It shares Tessary's strip core: thumbnails are decoded at reduced size, only for the items
// on screen, and cached; a file removed behind the program's back is dropped from its list the
// next time the list is drawn; an item that cannot be drawn leaves no gap. The slot rectangles
// are the main window's g_listSlotRects, filled at the first paint for g_listSlotCount slots.
// UI thread only.
#pragma once

#include "media/ThumbnailStripCore.h"
#include "wifi/WifiGlobals.h"

#include "platform/mfc/AfxCmn.h"

#include <string>
#include <string_view>
#include <vector>

// The number of slots of a list whose client area is `height` pixels high: one per 30 pixels,
// made even by dropping one.
int ListSlotCount(int height);

// The slots of a client area of width x height for `count` slots (an even number): two
// columns, slot width (width - 20) / 2 and slot height (height - 50) / (count / 2), 7 pixels
// apart from (8, 4), filled row by row. Fewer than two slots give none.
std::vector<RECT> ListSlotRects(int width, int height, int count);

// Rows of two for `count` items with a page of `slotCount` / 2 rows: the scroll bar's maximum
// (rows - 1 when they exceed the page, else page - 1).
int ListScrollMax(int count, int slotCount);

// The first visible row that shows the newest of `count` items in the last visible row.
int ListLastRow(int count, int slotCount);

class CFileListView : public CListView {
public:
    // Lists both folders, sorted by name.
    CFileListView();
    ~CFileListView() override;

    // Composes the current list into the window and invalidates it.
    void DrawThumbnails();
    // Sets the vertical scroll bar from the current list (rows of two, a page of
    // g_listSlotCount / 2 rows, position the first visible row).
    void UpdateScrollBar();
    // A new snapshot: appended to the picture list, current and in the last visible row.
    void AddSnapshot(LPCWSTR path);
    // A new recording by its companion picture: appended to the video list, selected and
    // current, in the last visible row.
    void AddVideo(LPCWSTR companionPath);

    // Selects the visible item under the screen point; 1 on a hit, else 0. The selection of
    // the current list is cleared first in either case.
    int SelectAt(UINT screenX, UINT screenY);
    // Copies the path of the first selected item of the current list and returns its flags;
    // 0 (the buffer unchanged) when none is selected.
    DWORD GetSelectedPath(WCHAR out[MAX_PATH]) const;
    ThumbnailItem* FindItem(DWORD mask) const;
    void ClearSelection(int pictures);
    void RemoveItem(LPCWSTR path);
    // When the file no longer exists: removes its item, updates the scroll bar, draws and
    // returns TRUE.
    BOOL RemoveMissingFile(LPCWSTR path);
    void ClearList(int pictures);
    // Frees the drawing surfaces; the next paint lays the slots out anew for g_listSlotCount.
    void FreeGdi();

    // File actions on the first selected item of the current list. The deletions ask first
    // and delete only listed files: the selected item (Delete) or every item of the current
    // list (Delete All), for a recording also its MP4 file. A file that could not be deleted
    // stays listed.
    void DeleteSelected();
    void DeleteAll();
    // Saves the selected item under `target`: a recording's MP4 is copied; a picture is copied
    // or converted between PNG and JPEG by the target's ending. A failure is shown; FALSE when
    // nothing was written.
    BOOL SaveSelectedAs(LPCWSTR target);

    // For the main window's tests and the benchmark.
    const ThumbnailList& List(int pictures) const { return pictures ? m_pictures : m_videos; }
    ThumbnailList& CurrentList() { return g_listShowsPictures ? m_pictures : m_videos; }
    const ThumbnailList& CurrentList() const { return g_listShowsPictures ? m_pictures : m_videos; }
    // The item index drawn in each slot by the last drawing, from the first slot on.
    const std::vector<int>& DrawnItems() const { return m_drawn; }
    const ThumbnailCache& Cache() const { return m_cache; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

private:
    // The visible range of the current list: vanished files dropped, the drawable items chosen
    // for the slots.
    void LayOut();
    void Compose();
    void DrawSelectionFrame(int slot);
    // The slot rectangles for the client area and g_listSlotCount, into g_listSlotRects.
    void EnsureGeometry();
    void Append(ThumbnailList& list, LPCWSTR path, DWORD flags);
    int SlotCount() const;

    ThumbnailList m_pictures, m_videos;
    ThumbnailCache m_cache;
    std::vector<int> m_drawn;
    int m_slotWidth = 0, m_slotHeight = 0;
    bool m_haveGeometry = false;
    RECT m_client{};
    HDC m_surfaceDC = nullptr;
    HDC m_scratchDC = nullptr;
    HBITMAP m_surface = nullptr;
    HGDIOBJ m_surfaceOldBitmap = nullptr;
    HPEN m_framePen = nullptr;
    HBRUSH m_hollowBrush = nullptr;
};

// A recording's path from its companion picture's ("x.mp4.png" -> "x.mp4"); empty when the
// item is no companion picture of an MP4 file.
std::u16string RecordingOfCompanion(std::u16string_view companion);
