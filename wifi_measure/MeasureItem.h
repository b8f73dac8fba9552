// Wavenor's measurement item and the process-wide lists that hold them.
//
// An item is a measuring record (measure/MeasureRecords.h) with what Wavenor's views add: the
// still view's sequence number, the display name of the kind and one quantity name per label.
// Its kind is the still view's tool code in the still lists and the canvas numbering in the
// canvas list. It holds no measured number as a number: its values exist only as label texts.
//
// The lists are the shapes of two measuring stores: the still view's (finished items, and the
// items Undo took back as its undone list) and the canvas's. Both are used on the UI thread
// only; every read or change still goes through a MeasureStore::Lock, as for any store.
#pragma once

#include "measure/MeasureRecords.h"

#include <vector>

class CMeasureItem : public CMeasureRecord {
public:
    CMeasureItem() {
        m_kind = 0;
        m_penWidth = 2;
        m_lineColor = 0x0000FF;
        m_labelColor = 0x0000FF;
    }

    int m_number = 0;                  // the still view's running number; 0 on the canvas
    CString m_name;                    // "Line", "Polygon"... (still view only)
    std::vector<CString> m_quantities; // "length", "area"... one per label (still view only)
};

// The still view's store: Shapes() are g_stillItems, oldest first; Undone() g_stillRedoItems,
// the most recently taken back last.
MeasureStore& StillItemStore();
// The photo-measure canvas's store: Shapes() are g_canvasItems.
MeasureStore& CanvasItemStore();

// Undo, Redo and Delete All of the main window's Other menu on the still lists. A new item does
// not empty the redo list (the still view's session appends under the lock, not with Finish);
// closing the still view empties both lists (DeleteAllStillItems): a redo list belongs to one
// frozen frame.
bool UndoStillItem();     // the newest item to the redo list; false when there was none
bool RedoStillItem();     // the newest taken-back item back; false when there was none
bool DeleteAllStillItems(); // both lists emptied; false when both were empty
void DeleteStillItems();    // the finished items only
