// CThumbnailView: the strip of thumbnails under the live picture of Tessary's main window. It
// lists the saved pictures or the recorded videos (g_listShowsPictures names "the current
// list") and shows six of them side by side, scrolled with its horizontal scroll bar. It is
// the list control 1002 of the main window, subclassed, and paints everything itself: it never
// inserts list-view items.
//
// Thumbnails are decoded at reduced size, only for the items on screen, and cached; a file
// removed behind the program's back is dropped from its list the next time the strip is
// drawn. Items that cannot be drawn leave no gap, and a click selects the item whose picture
// is in the slot clicked. UI thread only.
#pragma once

#include "media/ThumbnailStripCore.h"

#include "platform/mfc/AfxCmn.h"

#include <functional>
#include <string_view>

extern int g_listShowsPictures; // 1 when the strip shows pictures, 0 videos

class CThumbnailView : public CListView {
public:
    // Lists both folders (g_paths.pictureDir, g_paths.videoDir), sorted by name; the last six items of
    // each list are the visible ones.
    CThumbnailView();
    ~CThumbnailView() override;

    // Composes the current list into the strip and invalidates the window.
    void DrawThumbnails();
    // Sets the scroll bar from the current list: range 0..5 for up to six items, else
    // 0..count-1, page 6, position the first visible index.
    void UpdateScrollBar();
    // Appends a new snapshot to the picture list, shows it in slot 4 (slot 5 stays empty) and
    // makes it the current picture, also while the videos are shown.
    void AddLastSnapshot(LPCWSTR path);
    // Appends a recording by its first-frame picture ("x.avi.bmp") to the video list, selected
    // and current, and shows it.
    int AddVideo(LPCWSTR thumbnailPath);
    // A new file of either kind: the first-frame picture of a recording ("*.avi.bmp") goes to
    // the video list, anything else to the picture list.
    void AppendFile(LPCWSTR path);

    // Selects the visible item under the screen point; 1 on a hit, else 0. The selection of
    // the current list is cleared first in either case.
    int SelectAt(UINT screenX, UINT screenY);
    // Copies the path of the first selected item of the current list and returns its flags;
    // 0 (the buffer unchanged) when none is selected.
    DWORD GetSelectedPath(WCHAR out[MAX_PATH]) const;
    ThumbnailItem* FindItem(DWORD mask) const;
    // Clears every selected bit of that list (1 pictures, 0 videos) and its current index.
    void ClearSelection(int pictures);
    // Selects every item from the first visible one to the end, the last one current, and
    // frames the visible ones. Returns 1.
    int SelectAll();
    // Removes the item of the current list with this path; indices are not adjusted.
    void RemoveItem(LPCWSTR path);
    // When the file no longer exists: removes its item, updates the scroll bar, draws and
    // returns TRUE.
    BOOL RemoveMissingFile(LPCWSTR path);
    void ClearList(int pictures);
    // Lists both save folders anew (after they changed): nothing selected, the last six items
    // of each list visible, the strip redrawn.
    void ListFolders();

    // File actions on the first selected item of the current list. The deletions ask first.
    void DeleteSelected();
    // Deletes the listed files of the current list (for a video also its recording) and
    // empties the list; files that are not listed stay.
    void DeleteAll();
    // Saves the selected item under `target`, converting between BMP and JPEG by the target's
    // extension; FALSE when nothing was written.
    BOOL SaveCopyAs(LPCWSTR target);
    // Copy every recording / picture of the folder to a folder the operator chooses, then
    // offer to delete the listed files whose copy is there.
    void SaveVideosAs();
    void SavePicturesAs();

    // For the main window's tests and the benchmark.
    const ThumbnailList& List(int pictures) const { return pictures ? m_pictures : m_videos; }
    ThumbnailList& CurrentList() { return g_listShowsPictures ? m_pictures : m_videos; }
    const ThumbnailList& CurrentList() const { return g_listShowsPictures ? m_pictures : m_videos; }
    // The item index drawn in each slot by the last drawing, left to right.
    const std::vector<int>& DrawnItems() const { return m_drawn; }
    const StripGeometry& Geometry() const { return m_geometry; }
    const ThumbnailCache& Cache() const { return m_cache; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

private:
    // Drops the vanished files of the visible range and decides which items fill the slots.
    void LayOut();
    void Compose(bool frameAllSelected);
    void DrawSelectionFrame(int slot);
    void EnsureGeometry();
    // Fills both lists from g_paths.pictureDir and g_paths.videoDir.
    void ScanFolders();
    void FreeGdi();
    // Copies every file of `dir` matching `mask` to a folder the operator chooses.
    void SaveFolderAs(LPCWSTR dir, LPCWSTR mask, LPCWSTR filter);
    // Deletes the listed files of the current list that `wanted` accepts (by item path), and
    // for videos their recordings; the items whose file went are removed.
    void DeleteListed(const std::function<bool(const ThumbnailItem&)>& wanted);

    ThumbnailList m_pictures, m_videos;
    ThumbnailCache m_cache;
    std::vector<int> m_drawn;
    StripGeometry m_geometry;
    bool m_haveGeometry = false;
    HDC m_surfaceDC = nullptr;
    HDC m_scratchDC = nullptr;
    HBITMAP m_background = nullptr;
    HGDIOBJ m_surfaceOldBitmap = nullptr;
    HPEN m_framePen = nullptr;
    HBRUSH m_hollowBrush = nullptr;
};

// The one strip of the main window; null before the skin set-up and after shut-down.
extern CThumbnailView* g_thumbnailView;
