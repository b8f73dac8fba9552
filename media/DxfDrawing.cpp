#include "media/DxfDrawing.h"

#include "platform/win/core/WString.h"

namespace {
template <typename Fn> bool Resolve(HMODULE library, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(GetProcAddress(library, name));
    return out != nullptr;
}
} // namespace

CDxfDrawing::CDxfDrawing() {
    m_drawing = 0;
    m_library = LoadLibraryW(u"DxfIO.dll");
    if (!m_library)
        return;
    bool all = true;
    all &= Resolve(m_library, "drwCreate", m_drwCreate);
    all &= Resolve(m_library, "drwDestroy", m_drwDestroy);
    all &= Resolve(m_library, "drwAddTableType", m_drwAddTableType);
    all &= Resolve(m_library, "drwDeleteTableType", m_drwDeleteTableType);
    all &= Resolve(m_library, "drwFindTableType", m_drwFindTableType);
    all &= Resolve(m_library, "drwAddBlock", m_drwAddBlock);
    all &= Resolve(m_library, "drwDeleteBlock", m_drwDeleteBlock);
    all &= Resolve(m_library, "drwFindBlock", m_drwFindBlock);
    all &= Resolve(m_library, "drwAddEntity", m_drwAddEntity);
    all &= Resolve(m_library, "drwDeleteEntity", m_drwDeleteEntity);
    all &= Resolve(m_library, "drwChangeEntity", m_drwChangeEntity);
    all &= Resolve(m_library, "drwFindEntity", m_drwFindEntity);
    all &= Resolve(m_library, "drwSaveDataToFile", m_drwSaveDataToFile);
    all &= Resolve(m_library, "drwLoadDataFromFile", m_drwLoadDataFromFile);
    m_usable = all;
}

CDxfDrawing::~CDxfDrawing() {
    if (m_drawing)
        Destroy();
    // A library that lacked an entry point is unloaded too: it was loaded all the same.
    if (m_library)
        FreeLibrary(m_library);
    m_usable = false;
}

int CDxfDrawing::Create() {
    if (!m_usable || m_drawing)
        return 0;
    m_drawing = m_drwCreate();
    if (!m_drawing)
        return 0;
    m_layer = 0;
    m_lineType = 0;
    m_block = 0;
    m_color = DXF_COLOR_BYLAYER;
    m_thickness = 0.0;
    m_entity = DXF_ENTITYHEADER{};
    m_entity.color = m_color;
    m_entity.thickness = m_thickness;
    m_entity.lineTypeScale = 1.0;
    return 1;
}

int CDxfDrawing::Destroy() {
    if (!m_usable)
        return 0;
    int result = m_drwDestroy(m_drawing);
    if (result)
        m_drawing = 0;
    return result;
}

template <typename Record> DWORD CDxfDrawing::FindByName(DWORD type, LPCWSTR name) {
    if (!m_usable || !name)
        return 0;
    Record record{};
    ms::CopyBounded(record.name, DXF_NAME_CHARS + 1, name);
    return m_drwFindTableType(m_drawing, type, DXF_FIND_BY_NAME, &record) ? record.handle : 0;
}

int CDxfDrawing::SetLayer(LPCWSTR name) {
    DWORD handle = FindByName<DXF_LAYER>(DXF_TAB_LAYER, name);
    if (!handle)
        return 0;
    m_layer = handle;
    m_entity.layer = m_layer;
    SetLineType(nullptr);
    return 1;
}

int CDxfDrawing::SetLineType(LPCWSTR name) {
    DWORD handle = name ? FindByName<DXF_LTYPE>(DXF_TAB_LTYPE, name) : 0;
    if (name && !handle)
        return 0;
    m_lineType = handle;
    m_entity.lineType = m_lineType;
    return 1;
}

DWORD CDxfDrawing::AddTableEntry(DWORD type, void* record) {
    if (!m_usable)
        return 0;
    return m_drwAddTableType(m_drawing, type, record);
}

DWORD CDxfDrawing::AddEntity(DWORD block, DXF_ENTITYHEADER* header, const void* data) {
    if (!m_usable)
        return 0;
    return m_drwAddEntity(m_drawing, block, header, data);
}

DWORD CDxfDrawing::AddLine(double x1, double y1, double x2, double y2) {
    m_entity.kind = DXF_ENT_LINE;
    DXF_LINE line{x1, y1, 0.0, x2, y2, 0.0};
    return AddEntity(m_block, &m_entity, &line);
}

DWORD CDxfDrawing::AddCircle(double cx, double cy, double radius) {
    m_entity.kind = DXF_ENT_CIRCLE;
    DXF_CIRCLE circle{cx, cy, 0.0, radius};
    return AddEntity(m_block, &m_entity, &circle);
}

DWORD CDxfDrawing::AddPolyline(DXF_VERTEX* vertices, DWORD count, WORD closed) {
    m_entity.kind = DXF_ENT_POLYLINE;
    DXF_POLYLINE polyline{vertices, count, closed, 0};
    return AddEntity(m_block, &m_entity, &polyline);
}

int CDxfDrawing::SaveToFile(LPCWSTR path, DWORD reserved) {
    if (!m_usable)
        return 0;
    return m_drwSaveDataToFile(m_drawing, 0, path, reserved);
}
