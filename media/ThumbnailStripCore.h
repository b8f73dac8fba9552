// What the thumbnail strip knows without a window: its two lists of files, the scan of the
// picture and video folders, the slot geometry and hit test, the scroll arithmetic, and the
// thumbnails themselves, decoded at reduced size and kept in a small cache.
//
// Tessary's strip lists the BMP and JPEG files of its picture folder and a video through the
// first-frame picture written beside its recording ("x.avi" -> "x.avi.bmp"); Wavenor's file
// list lists PNG (and JPEG) pictures and a video through its companion picture
// ("x.mp4" -> "x.mp4.png"). Either way the recording is the item's path without its last four
// characters. Built once over each program's image library: PNG pictures are drawn only over
// Wavenor's.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <initializer_list>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// One listed file. flags: 3 listed; the value 4 is the selected bit (7 listed and selected).
struct ThumbnailItem {
    WCHAR path[MAX_PATH]{};
    DWORD flags = 0;
};

inline constexpr DWORD kThumbListed = 3;
inline constexpr DWORD kThumbSelectedBit = 4;
inline constexpr DWORD kThumbSelected = 5; // the mask of a selected item
inline constexpr int kThumbSlots = 6;

// The items of one list in order, the item in slot 0 and the current item (-1: none).
struct ThumbnailList {
    std::vector<std::unique_ptr<ThumbnailItem>> items;
    int firstVisible = 0;
    int current = -1;

    int Count() const { return static_cast<int>(items.size()); }
    // Appends a copy of `path` (cut to MAX_PATH - 1 characters) with `flags`.
    ThumbnailItem& Append(std::u16string_view path, DWORD flags);
    // The first item whose flags hold every bit of `mask`, or null.
    ThumbnailItem* Find(DWORD mask) const;
    // Index of the item with exactly this path, or -1.
    int IndexOf(std::u16string_view path) const;
    // Clears every selected bit and the current index.
    void ClearSelection();
    // Removes the item at `index`; the current index is cleared first, nothing else moves.
    void RemoveAt(int index);
    void Clear();
};

// Sorted by name. Pictures: "*.bmp" and "*.jpg" (any case) that can be opened and hold more
// than 40 bytes; videos: "*.bmp" (any case). Folders never count. A folder that cannot be read
// gives an empty list.
std::vector<std::u16string> ScanPictureFolder(std::u16string_view dir);
std::vector<std::u16string> ScanVideoFolder(std::u16string_view dir);
// The same scan for any list, sorted by name: the files of `dir` whose extension is one of
// `extensions` (lower case with the dot, matched in any case); with `pictureChecks`, only
// those that can be read and hold more than 40 bytes.
std::vector<std::u16string> ScanFolderFiles(std::u16string_view dir,
                                            std::initializer_list<std::u16string_view> extensions,
                                            bool pictureChecks);
// The first visible index that shows the last six items of `count`.
inline int LastPageStart(int count) {
    return count > kThumbSlots ? count - kThumbSlots : 0;
}

// The six slots of a client area: width (client width - 100) / 6, height client height - 18,
// 14 pixels apart from x = 16, y = 9.
struct StripGeometry {
    int slotWidth = 0, slotHeight = 0;
    RECT slotRects[kThumbSlots]{};

    static StripGeometry FromClient(int clientWidth, int clientHeight);
    // The first of the first `n` slots (at most six) that holds the point, left and top edges
    // inside, right and bottom edges outside; -1 when none.
    int HitTest(POINT client, int n) const;
};

// The top of a scroll range of `steps` positions with a page of `page`: the last position,
// or page - 1 while they fit in one page.
inline int ScrollRangeMax(int steps, int page) {
    return steps > page ? steps - 1 : page - 1;
}
// The horizontal scroll bar of a list of `count` items: range 0..max with a page of six.
inline int ScrollMax(int count) {
    return ScrollRangeMax(count, kThumbSlots);
}
// The first visible index after a scroll code (SB_*, the same numbers for either bar),
// clamped to 0..rangeMax; a page moves by `page`; SB_THUMBPOSITION and SB_THUMBTRACK take
// `thumb`. Returns -1 for SB_ENDSCROLL, which changes nothing.
int ScrollTarget(int code, int first, int thumb, int rangeMax, int page = kThumbSlots);

// A thumbnail: a 24-bit bottom-up picture (rows padded to four bytes), small enough to draw
// into a slot without holding the whole picture.
struct ThumbPicture {
    BITMAPINFO info{};
    std::vector<BYTE> bits;
    int Width() const { return info.bmiHeader.biWidth; }
    int Height() const { return info.bmiHeader.biHeight; }
};

enum class ThumbStatus { Drawable, NotDrawable, Missing };

// Decodes the picture of `path` ("bmp" or "jpg", over Wavenor's image library also "png", as
// its last three characters, any case) at a
// size that still covers a slot of minWidth x minHeight: JPEGs through the decoder's own
// scaling, BMPs averaged down. A BMP whose header asks for more pixel data than the file holds
// is not drawn; nothing is read beyond a file's end.
ThumbStatus DecodeThumbnail(std::u16string_view path, int minWidth, int minHeight,
                            ThumbPicture& out);

// Thumbnails by path, checked against the file's size and time of change on every use, so a
// picture replaced on disk is decoded again and one removed is reported missing. Holds the
// most recently used `capacity` pictures (pictures that could not be drawn are remembered too).
class ThumbnailCache {
public:
    explicit ThumbnailCache(size_t capacity = 64) : capacity_(capacity) {}
    // The thumbnail, or null with the status why not. The pointer lives until the next Get.
    const ThumbPicture* Get(std::u16string_view path, int minWidth, int minHeight,
                            ThumbStatus* status = nullptr);
    void Forget(std::u16string_view path);
    void Clear();
    size_t Size() const { return entries_.size(); }
    // How many pictures were decoded since construction (for tests and the benchmark).
    long Decodes() const { return decodes_; }

private:
    struct Entry {
        long long size = -1, mtime = 0;
        int minWidth = 0, minHeight = 0;
        bool drawable = false;
        ThumbPicture picture;
        std::list<std::u16string>::iterator use;
    };
    size_t capacity_;
    long decodes_ = 0;
    std::list<std::u16string> order_; // most recently used first
    std::unordered_map<std::u16string, Entry> entries_;
};

// Whether two folder names name one folder: equal without regard to case, or the same folder
// on disk by another spelling. A save into a list's own folder is refused with this.
bool SameFolder(std::u16string_view a, std::u16string_view b);
