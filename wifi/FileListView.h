// CFileListView: the list of pictures and videos at the left of Wavenor's main window, in two
// columns of thumbnails scrolled vertically by rows of two. It lists the pictures of
// g_paths.pictureDir or the recordings of g_paths.videoDir (g_listShowsPictures names "the current
// list"), a recording through its companion picture "<name>.mp4.png". It is the list control 1002
// of the main window, subclassed, over the thumbnail list window.
//
// It shares Tessary's strip core: thumbnails are decoded at reduced size, only for the items
// on screen, and cached; a file removed behind the program's back is dropped from its list the
// next time the list is drawn; an item that cannot be drawn leaves no gap. The slot rectangles
// are the main window's g_listSlotRects, filled at the first paint for g_listSlotCount slots.
// UI thread only.
#pragma once

#include "media/ThumbnailListWnd.h"
#include "wifi/WifiGlobals.h"

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

class CFileListView : public CThumbnailListWnd {
public:
    // Lists both folders, sorted by name.
    CFileListView();

    // A new snapshot: appended to the picture list, current and in the last visible row.
    void AddSnapshot(LPCWSTR path);
    // A new recording by its companion picture: appended to the video list, selected and
    // current, in the last visible row.
    void AddVideo(LPCWSTR companionPath);

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

protected:
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

    // The slot rectangles for the client area and g_listSlotCount, into g_listSlotRects.
    void MeasureSlots(const RECT& client) override;
    std::span<const RECT> SlotRects() const override { return g_listSlotRects; }
    int SlotCount() const override;
    SIZE SlotSize() const override { return {m_slotWidth, m_slotHeight}; }
    // A grey surface of the client area's size; every drawing starts from grey.
    HBITMAP NewSurface(HDC paintDC, SIZE& extent) override;
    HBITMAP NewBackdrop() override;
    void FillBackdrop(HDC dc) override;
    std::u16string RecordingOf(std::u16string_view item) const override;

private:
    void Append(ThumbnailList& list, LPCWSTR path, DWORD flags);

    int m_slotWidth = 0, m_slotHeight = 0;
};

// A recording's path from its companion picture's ("x.mp4.png" -> "x.mp4"); empty when the
// item is no companion picture of an MP4 file.
std::u16string RecordingOfCompanion(std::u16string_view companion);
