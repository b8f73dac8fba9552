// The interface of the DXF library "DxfIO" (libDxfIO.so beside the program): records
// exchanged with its fourteen entry points and the entry points' types. The program loads the
// library at run time (LoadLibraryW(u"DxfIO.dll")) and looks each entry point up by name.
//
// A drawing, its table entries, blocks and entities are 32-bit handles, 0 meaning none or
// failure. Strings in records are UTF-16, terminated within their field. Every byte that a
// record does not use is zero. The library copies what it keeps: a caller may free a record,
// and a polyline's vertices, as soon as the call returns.
//
// What the library does: line types and layers as named table entries (names unique without
// regard to case); line, circle and polyline entities; the whole drawing
// saved as an ASCII DXF file of release 12, written to a temporary file and renamed over the
// target. Line types are written as continuous lines. An entity with layer handle 0 lies on
// layer "0", with line-type handle 0 it takes the layer's line type; layer "0" and line type
// "CONTINUOUS" are written when the drawing has none of that name. Blocks and loading a drawing
// from a file, text styles and dimension styles are not offered: those calls fail.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

// Table types
#define DXF_TAB_DIMSTYLE 4
#define DXF_TAB_LAYER 8
#define DXF_TAB_LTYPE 16
#define DXF_TAB_STYLE 32
// Find modes
#define DXF_FIND_BY_NAME 512
#define DXF_FIND_BY_HANDLE 1024
// Entity kinds
#define DXF_ENT_LINE 1
#define DXF_ENT_CIRCLE 3
#define DXF_ENT_POLYLINE 19
// Colour numbers
#define DXF_COLOR_BYBLOCK 0
#define DXF_COLOR_BYLAYER 256

using HDXF = DWORD;

struct DXF_ENTITYHEADER {
    WORD kind; // DXF_ENT_...
    WORD reserved0;
    DWORD handle;   // filled in by drwFindEntity; names the entity for drwChangeEntity
    DWORD layer;    // layer handle, 0: layer "0"
    DWORD lineType; // line-type handle, 0: by layer
    DWORD reserved1;
    SHORT color; // 256: by layer
    SHORT reserved2;
    double thickness;
    double lineTypeScale;
    BYTE reserved3[40];
};
static_assert(sizeof(DXF_ENTITYHEADER) == 80);
static_assert(offsetof(DXF_ENTITYHEADER, layer) == 8 && offsetof(DXF_ENTITYHEADER, color) == 20);
static_assert(offsetof(DXF_ENTITYHEADER, thickness) == 24);
static_assert(offsetof(DXF_ENTITYHEADER, lineTypeScale) == 32);

#define DXF_NAME_CHARS 512

struct DXF_LAYER {
    DWORD handle;
    WCHAR name[DXF_NAME_CHARS + 1];
    SHORT color;    // 1..255; anything else is written as 7
    DWORD lineType; // line-type handle, 0: "CONTINUOUS"
    BYTE reserved[12];
};
static_assert(sizeof(DXF_LAYER) == 1048);
static_assert(offsetof(DXF_LAYER, color) == 1030 && offsetof(DXF_LAYER, lineType) == 1032);

struct DXF_LTYPE {
    DWORD handle;
    WCHAR name[DXF_NAME_CHARS + 1];
    WCHAR description[637];
};
static_assert(sizeof(DXF_LTYPE) == 2304);
static_assert(offsetof(DXF_LTYPE, description) == 1030);

struct DXF_LINE {
    double x1, y1, z1, x2, y2, z2;
};
static_assert(sizeof(DXF_LINE) == 48);

struct DXF_CIRCLE {
    double x, y, z, radius;
};
static_assert(sizeof(DXF_CIRCLE) == 32);

struct DXF_VERTEX {
    double x, y;
    BYTE reserved[48];
};
static_assert(sizeof(DXF_VERTEX) == 64);

struct DXF_POLYLINE {
    DXF_VERTEX* vertices; // the caller's array of `count` vertices
    DWORD count;
    WORD flags; // 1: closed
    WORD reserved;
};

#define DXF_POLYLINE_CLOSED 1

extern "C" {
using PFN_drwCreate = HDXF (*)();
using PFN_drwDestroy = BOOL (*)(HDXF drawing);
// The new entry's handle, or 0 (no drawing, unknown type, an empty or invalid name, a name
// the table already has).
using PFN_drwAddTableType = DWORD (*)(HDXF drawing, DWORD type, void* record);
using PFN_drwDeleteTableType = BOOL (*)(HDXF drawing, DWORD type, DWORD handle);
// DXF_FIND_BY_NAME: the entry named in the record; DXF_FIND_BY_HANDLE: the entry whose handle
// is in the record's first four bytes. Fills the record and returns the handle, or 0.
using PFN_drwFindTableType = DWORD (*)(HDXF drawing, DWORD type, DWORD mode, void* record);
using PFN_drwAddBlock = DWORD (*)(HDXF drawing, void* block);
using PFN_drwDeleteBlock = BOOL (*)(HDXF drawing, DWORD block);
using PFN_drwFindBlock = DWORD (*)(HDXF drawing, DWORD mode, void* block);
// `block` 0: the drawing's own entities. Returns the entity's handle, or 0 (an unknown kind,
// layer or line type, a coordinate that is not finite, a negative radius, a polyline with
// fewer than two vertices).
using PFN_drwAddEntity = DWORD (*)(HDXF drawing, DWORD block, const DXF_ENTITYHEADER* header,
                                   const void* data);
using PFN_drwDeleteEntity = BOOL (*)(HDXF drawing, DWORD block, DWORD entity);
// Replaces the entity named by header->handle with the header and data given (same rules as
// drwAddEntity).
using PFN_drwChangeEntity = BOOL (*)(HDXF drawing, DWORD block, const DXF_ENTITYHEADER* header,
                                     const void* data);
// Fills the header of the entity named by header->handle (the data is not returned).
using PFN_drwFindEntity = DWORD (*)(HDXF drawing, DWORD block, DXF_ENTITYHEADER* header);
// Writes the drawing to `path` (UTF-16). TRUE when the whole file was written.
using PFN_drwSaveDataToFile = BOOL (*)(HDXF drawing, DWORD reserved, LPCWSTR path, DWORD progress);
using PFN_drwLoadDataFromFile = BOOL (*)(HDXF drawing, DWORD block, DWORD reserved, LPCWSTR path);
}
