// CDxfDrawing: one DXF drawing at a time in the DXF library "DxfIO.dll", loaded at run time for
// the owner's whole life. An export runs Create, AddLineType, AddLayer (SetLayer), the adds,
// SaveToFile and Destroy on the UI thread. Without the library, or with one lacking an entry
// point, the wrapper is unusable: every call returns 0 and nothing reaches a library.
#pragma once

#include "platform/services/DxfIO.h"
#include "platform/win/core/Module.h"

class CDxfDrawing {
public:
    CDxfDrawing();
    ~CDxfDrawing();
    CDxfDrawing(const CDxfDrawing&) = delete;
    CDxfDrawing& operator=(const CDxfDrawing&) = delete;

    // 1 when a new drawing is open; 0 when unusable, a drawing is already open or the library
    // refused.
    int Create();
    // The library's result; the drawing counts as closed only when it is non-zero.
    int Destroy();

    // Makes the layer of that name current (and clears the current line type): 1, or 0 when
    // the drawing has no such layer (nothing changes).
    int SetLayer(LPCWSTR name);
    // Null clears the current line type; otherwise as SetLayer, for line types.
    int SetLineType(LPCWSTR name);

    // The new table entry's handle, 0 on failure.
    DWORD AddTableEntry(DWORD type, void* record);
    DWORD AddLayer(DXF_LAYER* record) { return AddTableEntry(DXF_TAB_LAYER, record); }
    DWORD AddLineType(DXF_LTYPE* record) { return AddTableEntry(DXF_TAB_LTYPE, record); }

    // Entities carry the current layer, line type, colour, thickness and line-type scale.
    // Each returns the entity's handle, 0 on failure.
    DWORD AddEntity(DWORD block, DXF_ENTITYHEADER* header, const void* data);
    DWORD AddLine(double x1, double y1, double x2, double y2);
    DWORD AddCircle(double cx, double cy, double radius);
    // The vertices are copied; the caller keeps its array.
    DWORD AddPolyline(DXF_VERTEX* vertices, DWORD count, WORD closed);

    // Non-zero when the library wrote the whole drawing to `path`.
    int SaveToFile(LPCWSTR path, DWORD reserved);

    // What the adds hand to the library (tests look at it).
    const DXF_ENTITYHEADER& EntityHeader() const { return m_entity; }

private:
    // The handle of the table entry of that name, 0 when there is none.
    template <typename Record> DWORD FindByName(DWORD type, LPCWSTR name);

    HMODULE m_library = nullptr;
    HDXF m_drawing = 0;
    bool m_usable = false;
    DWORD m_layer = 0;
    DWORD m_lineType = 0;
    SHORT m_color = DXF_COLOR_BYLAYER;
    double m_thickness = 0.0;
    DWORD m_block = 0;
    DXF_ENTITYHEADER m_entity{};

    PFN_drwCreate m_drwCreate = nullptr;
    PFN_drwDestroy m_drwDestroy = nullptr;
    PFN_drwAddTableType m_drwAddTableType = nullptr;
    PFN_drwDeleteTableType m_drwDeleteTableType = nullptr;
    PFN_drwFindTableType m_drwFindTableType = nullptr;
    PFN_drwAddBlock m_drwAddBlock = nullptr;
    PFN_drwDeleteBlock m_drwDeleteBlock = nullptr;
    PFN_drwFindBlock m_drwFindBlock = nullptr;
    PFN_drwAddEntity m_drwAddEntity = nullptr;
    PFN_drwDeleteEntity m_drwDeleteEntity = nullptr;
    PFN_drwChangeEntity m_drwChangeEntity = nullptr;
    PFN_drwFindEntity m_drwFindEntity = nullptr;
    PFN_drwSaveDataToFile m_drwSaveDataToFile = nullptr;
    PFN_drwLoadDataFromFile m_drwLoadDataFromFile = nullptr;
};
