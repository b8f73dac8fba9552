// Resources compiled into the program by the resource compiler (tools/rc) and found by
// numeric id, as the Win32 loaders find them. The compiler turns a script into one generated
// source file whose static initialiser registers a ResourceModule; programs and tests add it
// with the CMake function ms_resources(<target> <script.rc>).
// Dialog templates keep dialog units; CreateDialogParam converts them with fixed base units per
// dialog font (DialogBaseUnits), so a layout is the same on every machine.
#pragma once

#include "platform/win/window/WinUser.h"

#include <QImage>
#include <cstddef>
#include <span>
#include <string>

namespace ms::res {

struct StringEntry {
    UINT id;
    const char16_t* text;
};

struct DialogItem {
    const char16_t* className; // "Button", "Static", "Edit", "ComboBox", ... or a custom class
    const char16_t* text;      // a title, or "#<id>" naming an image resource
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy; // dialog units
};

struct DialogTemplate {
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char16_t* caption;
    const char16_t* className; // null: the dialog class
    UINT menu;                 // 0: none
    WORD pointSize;            // 0: no DS_SETFONT
    WORD weight;
    BYTE italic;
    const char16_t* face;
    const DialogItem* items;
    std::size_t itemCount;
};

struct AccelEntry {
    UINT table;
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

// A menu as a flat list in template order: MF_POPUP opens a level, MF_END closes the level it
// is in after this item.
struct MenuItem {
    UINT menu;
    DWORD flags; // MF_POPUP, MF_END, MF_SEPARATOR, MF_CHECKED, MF_GRAYED, MF_HELP...
    UINT id;
    const char16_t* text;
};

// A file resource (BITMAP, ICON, CURSOR, WAVE or any named type) embedded byte for byte.
struct FileResource {
    const char16_t* type; // "BITMAP", "ICON", "CURSOR", "WAVE", ...
    UINT id;              // numeric id, or 0 when the resource has a name
    const char16_t* name; // the name of a named resource, else null
    const unsigned char* data;
    std::size_t size;
};

struct ResourceModule {
    const StringEntry* strings;
    std::size_t stringCount;
    const DialogTemplate* dialogs;
    std::size_t dialogCount;
    const AccelEntry* accels;
    std::size_t accelCount;
    const MenuItem* menus;
    std::size_t menuCount;
    const FileResource* files;
    std::size_t fileCount;
};

// Adds a module; later modules win for the same type and id. Returns true (for use in a
// static initialiser).
bool RegisterModule(const ResourceModule* module);

// Lets CString::LoadString find the strings (EnsureApplication does it).
void InstallStringLoader();

const DialogTemplate* FindDialog(UINT id);
const char16_t* FindString(UINT id);
// The bytes of a file resource; empty when there is none.
std::span<const unsigned char> FindFile(std::u16string_view type, UINT id);
std::span<const unsigned char> FindFile(std::u16string_view type, std::u16string_view name);

// Base units of a dialog font (average character width and height in pixels), the fixed
// numbers of a 96-dpi desktop.
SIZE DialogBaseUnits(std::u16string_view face, int pointSize);

} // namespace ms::res

namespace ms {

// Creates a dialog from a template, as CreateDialogIndirectParam: the dialog window, its
// controls in template order, WM_SETFONT, WM_INITDIALOG. `proc` may be null when a creation
// hook (Framework.h) subclasses the dialog.
HWND CreateDialogFromTemplate(const res::DialogTemplate& tpl, HWND parent, DLGPROC proc,
                              LPARAM init);
// A copy of a resource picture; null image when there is none.
QImage LoadResourceImage(std::u16string_view type, UINT id);

} // namespace ms
