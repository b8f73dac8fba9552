// CThumbnailView: the strip of thumbnails under the live picture of Tessary's main window. It
// lists the saved pictures or the recorded videos (g_listShowsPictures names "the current
// list") and shows six of them side by side, scrolled with its horizontal scroll bar. It is
// the list control 1002 of the main window, subclassed, over the thumbnail list window.
//
// Thumbnails are decoded at reduced size, only for the items on screen, and cached; a file
// removed behind the program's back is dropped from its list the next time the strip is
// drawn. Items that cannot be drawn leave no gap, and a click selects the item whose picture
// is in the slot clicked. UI thread only.
#pragma once

#include "media/ThumbnailListWnd.h"

#include <functional>
#include <string_view>

extern int g_listShowsPictures; // 1 when the strip shows pictures, 0 videos

class CThumbnailView : public CThumbnailListWnd {
public:
    // Lists both folders (g_paths.pictureDir, g_paths.videoDir), sorted by name; the last six items
    // of each list are the visible ones.
    CThumbnailView();

    // Appends a new snapshot to the picture list, shows it in slot 4 (slot 5 stays empty) and
    // makes it the current picture, also while the videos are shown.
    void AddLastSnapshot(LPCWSTR path);
    // Appends a recording by its first-frame picture ("x.avi.bmp") to the video list, selected
    // and current, and shows it.
    int AddVideo(LPCWSTR thumbnailPath);
    // A new file of either kind: the first-frame picture of a recording ("*.avi.bmp") goes to
    // the video list, anything else to the picture list.
    void AppendFile(LPCWSTR path);

    // Selects every item from the first visible one to the end, the last one current, and
    // frames the visible ones. Returns 1.
    int SelectAll();
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

    // For the main window's tests.
    const StripGeometry& Geometry() const { return m_geometry; }

protected:
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

    void MeasureSlots(const RECT& client) override;
    std::span<const RECT> SlotRects() const override { return m_geometry.slotRects; }
    int SlotCount() const override { return kThumbSlots; }
    SIZE SlotSize() const override { return {m_geometry.slotWidth, m_geometry.slotHeight}; }
    // The pictures' background artwork: the surface keeps it, every drawing starts from the
    // current list's.
    HBITMAP NewSurface(HDC paintDC, SIZE& extent) override;
    HBITMAP NewBackdrop() override;
    std::u16string RecordingOf(std::u16string_view item) const override;

private:
    // Fills both lists from g_paths.pictureDir and g_paths.videoDir.
    void ScanFolders();
    // Copies every file of `dir` matching `mask` to a folder the operator chooses.
    void SaveFolderAs(LPCWSTR dir, LPCWSTR mask, LPCWSTR filter);
    // Deletes the listed files of the current list that `wanted` accepts and redraws the rest.
    void DeleteAndRedraw(const std::function<bool(const ThumbnailItem&)>& wanted);

    StripGeometry m_geometry;
};

// The one strip of the main window; null before the skin set-up and after shut-down.
extern CThumbnailView* g_thumbnailView;
