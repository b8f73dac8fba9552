#include "wifi_measure/MeasureItem.h"

MeasureStore& StillItemStore() {
    static MeasureStore store;
    return store;
}

MeasureStore& CanvasItemStore() {
    static MeasureStore store;
    return store;
}

bool UndoStillItem() {
    MeasureStore::Lock lock(StillItemStore());
    if (lock.Shapes().IsEmpty())
        return false;
    lock.Undone().Add(lock.Shapes().RemoveLast());
    return true;
}

bool RedoStillItem() {
    MeasureStore::Lock lock(StillItemStore());
    if (lock.Undone().IsEmpty())
        return false;
    lock.Shapes().Add(lock.Undone().RemoveLast());
    return true;
}

bool DeleteAllStillItems() {
    // Destroyed after the lock is released.
    std::vector<std::unique_ptr<CMeasureRecord>> dropped;
    {
        MeasureStore::Lock lock(StillItemStore());
        if (lock.Shapes().IsEmpty() && lock.Undone().IsEmpty())
            return false;
        while (!lock.Shapes().IsEmpty())
            dropped.push_back(lock.Shapes().RemoveAt(0));
        while (!lock.Undone().IsEmpty())
            dropped.push_back(lock.Undone().RemoveAt(0));
    }
    return true;
}

void DeleteStillItems() {
    std::vector<std::unique_ptr<CMeasureRecord>> dropped;
    MeasureStore::Lock lock(StillItemStore());
    while (!lock.Shapes().IsEmpty())
        dropped.push_back(lock.Shapes().RemoveAt(0));
}
