// libDxfIO.so: the DXF library behind DxfIO.h. Self-contained (the C++ library, POSIX and our
// UTF-16 text and temporary-file helpers compiled in), so that a program loads it without anything
// else of ours.
#include "platform/services/DxfIO.h"

#include "platform/win/core/TempFiles.h"
#include "platform/win/core/WString.h"

#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#define DXF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct TableEntry {
    DWORD handle = 0;
    std::u16string name;
    std::u16string description; // line types
    SHORT color = 7;            // layers
    DWORD lineType = 0;         // layers
};

struct Point {
    double x = 0, y = 0, z = 0;
};

struct Entity {
    DXF_ENTITYHEADER header{};
    std::vector<Point> points; // line: 2, circle: the centre, polyline: its vertices
    double radius = 0;
    bool closed = false;
};

struct Drawing {
    DWORD nextHandle = 1;
    std::vector<TableEntry> layers;
    std::vector<TableEntry> lineTypes;
    std::vector<Entity> entities;
};

std::mutex g_lock;
std::map<HDXF, std::unique_ptr<Drawing>> g_drawings;
HDXF g_nextDrawing = 1;

Drawing* Find(HDXF drawing) {
    auto it = g_drawings.find(drawing);
    return it == g_drawings.end() ? nullptr : it->second.get();
}

std::vector<TableEntry>* Table(Drawing& d, DWORD type) {
    if (type == DXF_TAB_LAYER)
        return &d.layers;
    if (type == DXF_TAB_LTYPE)
        return &d.lineTypes;
    return nullptr;
}

std::u16string Bounded(const WCHAR* s, size_t cap) {
    size_t n = 0;
    while (n < cap && s[n])
        ++n;
    return std::u16string(s, n);
}

// Table names of DXF: not empty, no control characters and none of <>/\":;?*|=`
bool ValidName(const std::u16string& name) {
    if (name.empty())
        return false;
    for (char16_t c : name)
        if (c < 0x20 || std::u16string_view(u"<>/\\\":;?*|=`").find(c) != std::u16string_view::npos)
            return false;
    return true;
}

TableEntry* FindByName(std::vector<TableEntry>& table, const std::u16string& name) {
    for (auto& e : table)
        if (ms::SameNoCase(e.name, name))
            return &e;
    return nullptr;
}

TableEntry* FindByHandle(std::vector<TableEntry>& table, DWORD handle) {
    for (auto& e : table)
        if (e.handle == handle)
            return &e;
    return nullptr;
}

void FillRecord(DWORD type, const TableEntry& e, void* record) {
    if (type == DXF_TAB_LAYER) {
        auto* r = static_cast<DXF_LAYER*>(record);
        r->handle = e.handle;
        e.name.copy(r->name, DXF_NAME_CHARS);
        r->name[std::min<size_t>(e.name.size(), DXF_NAME_CHARS)] = 0;
        r->color = e.color;
        r->lineType = e.lineType;
    } else {
        auto* r = static_cast<DXF_LTYPE*>(record);
        r->handle = e.handle;
        e.name.copy(r->name, DXF_NAME_CHARS);
        r->name[std::min<size_t>(e.name.size(), DXF_NAME_CHARS)] = 0;
        constexpr size_t cap = std::size(DXF_LTYPE{}.description) - 1;
        e.description.copy(r->description, cap);
        r->description[std::min(e.description.size(), cap)] = 0;
    }
}

bool Finite(const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The entity as the drawing keeps it; false when the header or the data cannot be drawn.
bool MakeEntity(Drawing& d, const DXF_ENTITYHEADER* header, const void* data, Entity& out) {
    if (!header || !data)
        return false;
    if (header->layer && !FindByHandle(d.layers, header->layer))
        return false;
    if (header->lineType && !FindByHandle(d.lineTypes, header->lineType))
        return false;
    if (!std::isfinite(header->thickness) || !std::isfinite(header->lineTypeScale))
        return false;
    out = Entity{};
    out.header = *header;
    switch (header->kind) {
    case DXF_ENT_LINE: {
        auto* l = static_cast<const DXF_LINE*>(data);
        out.points = {{l->x1, l->y1, l->z1}, {l->x2, l->y2, l->z2}};
        break;
    }
    case DXF_ENT_CIRCLE: {
        auto* c = static_cast<const DXF_CIRCLE*>(data);
        out.points = {{c->x, c->y, c->z}};
        out.radius = c->radius;
        if (!std::isfinite(c->radius) || c->radius < 0)
            return false;
        break;
    }
    case DXF_ENT_POLYLINE: {
        auto* p = static_cast<const DXF_POLYLINE*>(data);
        if (!p->vertices || p->count < 2 || p->count > (1u << 20))
            return false;
        for (DWORD i = 0; i < p->count; ++i)
            out.points.push_back({p->vertices[i].x, p->vertices[i].y, 0.0});
        out.closed = (p->flags & DXF_POLYLINE_CLOSED) != 0;
        break;
    }
    default:
        return false;
    }
    for (const auto& pt : out.points)
        if (!Finite(pt))
            return false;
    return true;
}

// ---- Writing ----

class DxfWriter {
public:
    void Pair(int code, std::string_view value) {
        out_ += std::to_string(code);
        out_ += '\n';
        out_ += value;
        out_ += '\n';
    }
    void Pair(int code, int value) { Pair(code, std::to_string(value)); }
    void Real(int code, double value) {
        char buf[64];
        auto [end, ec] =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
        std::string text(buf, ec == std::errc() ? end : buf);
        if (text.find_first_of(".e") == std::string::npos)
            text += ".0";
        Pair(code, text);
    }
    void Text(int code, const std::u16string& value) { Pair(code, Encode(value)); }
    void PointAt(int code, const Point& p) {
        Real(code, p.x);
        Real(code + 10, p.y);
        Real(code + 20, p.z);
    }
    const std::string& Result() const { return out_; }

    // DXF R12 text is 8-bit, in the code page the header names (ANSI_1252): the Latin-1
    // characters are written as they are, anything beyond them as '_'.
    static std::string Encode(const std::u16string& s) {
        std::string r;
        for (char16_t c : s) {
            if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF))
                r += char(c);
            else
                r += '_';
        }
        return r;
    }

private:
    std::string out_;
};

const char16_t kContinuous[] = u"CONTINUOUS";

std::u16string LineTypeName(Drawing& d, DWORD handle) {
    if (auto* lt = FindByHandle(d.lineTypes, handle))
        return lt->name;
    if (auto* lt = FindByName(d.lineTypes, kContinuous))
        return lt->name;
    return kContinuous;
}

std::string Serialise(Drawing& d) {
    DxfWriter w;
    w.Pair(0, "SECTION");
    w.Pair(2, "HEADER");
    w.Pair(9, "$ACADVER");
    w.Pair(1, "AC1009");
    w.Pair(9, "$DWGCODEPAGE");
    w.Pair(3, "ANSI_1252");
    w.Pair(9, "$INSBASE");
    w.PointAt(10, {});
    w.Pair(0, "ENDSEC");

    std::vector<TableEntry> lineTypes = d.lineTypes;
    if (!FindByName(lineTypes, kContinuous))
        lineTypes.insert(lineTypes.begin(), TableEntry{0, kContinuous, u"Solid line", 7, 0});
    std::vector<TableEntry> layers = d.layers;
    if (!FindByName(layers, u"0"))
        layers.insert(layers.begin(), TableEntry{0, u"0", {}, 7, 0});

    w.Pair(0, "SECTION");
    w.Pair(2, "TABLES");
    // A table: its entries with their names and flags, then what each kind adds.
    auto table = [&](const char* type, const std::vector<TableEntry>& entries, auto&& each) {
        w.Pair(0, "TABLE");
        w.Pair(2, type);
        w.Pair(70, int(entries.size()));
        for (const auto& e : entries) {
            w.Pair(0, type);
            w.Text(2, e.name);
            w.Pair(70, 0);
            each(e);
        }
        w.Pair(0, "ENDTAB");
    };
    table("LTYPE", lineTypes, [&](const TableEntry& lt) {
        w.Text(3, lt.description);
        w.Pair(72, 65);
        w.Pair(73, 0);
        w.Real(40, 0.0);
    });
    table("LAYER", layers, [&](const TableEntry& layer) {
        w.Pair(62, layer.color >= 1 && layer.color <= 255 ? layer.color : 7);
        w.Text(6, LineTypeName(d, layer.lineType));
    });
    w.Pair(0, "ENDSEC");

    w.Pair(0, "SECTION");
    w.Pair(2, "BLOCKS");
    w.Pair(0, "ENDSEC");

    w.Pair(0, "SECTION");
    w.Pair(2, "ENTITIES");
    for (const auto& e : d.entities) {
        const DXF_ENTITYHEADER& h = e.header;
        std::u16string layer = u"0";
        if (auto* l = FindByHandle(d.layers, h.layer))
            layer = l->name;
        auto common = [&](const char* type) {
            w.Pair(0, type);
            w.Text(8, layer);
            if (auto* lt = FindByHandle(d.lineTypes, h.lineType))
                w.Text(6, lt->name);
            if (h.color != DXF_COLOR_BYLAYER)
                w.Pair(62, h.color);
            if (h.thickness != 0.0)
                w.Real(39, h.thickness);
        };
        switch (h.kind) {
        case DXF_ENT_LINE:
            common("LINE");
            w.PointAt(10, e.points[0]);
            w.PointAt(11, e.points[1]);
            break;
        case DXF_ENT_CIRCLE:
            common("CIRCLE");
            w.PointAt(10, e.points[0]);
            w.Real(40, e.radius);
            break;
        case DXF_ENT_POLYLINE:
            common("POLYLINE");
            w.Pair(66, 1);
            w.PointAt(10, {});
            w.Pair(70, e.closed ? 1 : 0);
            for (const auto& p : e.points) {
                w.Pair(0, "VERTEX");
                w.Text(8, layer);
                w.PointAt(10, p);
            }
            w.Pair(0, "SEQEND");
            w.Text(8, layer);
            break;
        }
    }
    w.Pair(0, "ENDSEC");
    w.Pair(0, "EOF");
    return w.Result();
}

// A temporary file beside the target, renamed over it once complete: a failed save leaves an
// older drawing of that name as it was.
bool WriteAtomic(const std::string& path, const std::string& bytes) {
    std::string temp;
    int fd = ms::CreateTempBeside(path, temp, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    bool ok = done == bytes.size() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && fchmodat(AT_FDCWD, temp.c_str(), 0644, 0) == 0;
    if (ok && rename(temp.c_str(), path.c_str()) == 0) {
        ms::RemoveStaleTemps(path);
        return true;
    }
    unlink(temp.c_str());
    return false;
}

} // namespace

DXF_EXPORT HDXF drwCreate() {
    std::lock_guard lock(g_lock);
    HDXF handle = g_nextDrawing++;
    if (handle == 0)
        handle = g_nextDrawing++;
    g_drawings[handle] = std::make_unique<Drawing>();
    return handle;
}

DXF_EXPORT BOOL drwDestroy(HDXF drawing) {
    std::lock_guard lock(g_lock);
    return g_drawings.erase(drawing) ? TRUE : FALSE;
}

DXF_EXPORT DWORD drwAddTableType(HDXF drawing, DWORD type, void* record) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    auto* table = d ? Table(*d, type) : nullptr;
    if (!table || !record)
        return 0;
    TableEntry e;
    if (type == DXF_TAB_LAYER) {
        auto* r = static_cast<const DXF_LAYER*>(record);
        e.name = Bounded(r->name, DXF_NAME_CHARS);
        e.color = r->color;
        e.lineType = r->lineType;
        if (e.lineType && !FindByHandle(d->lineTypes, e.lineType))
            return 0;
    } else {
        auto* r = static_cast<const DXF_LTYPE*>(record);
        e.name = Bounded(r->name, DXF_NAME_CHARS);
        e.description = Bounded(r->description, std::size(r->description) - 1);
    }
    if (!ValidName(e.name) || FindByName(*table, e.name))
        return 0;
    e.handle = d->nextHandle++;
    table->push_back(e);
    return e.handle;
}

DXF_EXPORT BOOL drwDeleteTableType(HDXF drawing, DWORD type, DWORD handle) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    auto* table = d ? Table(*d, type) : nullptr;
    if (!table)
        return FALSE;
    for (auto it = table->begin(); it != table->end(); ++it) {
        if (it->handle == handle) {
            table->erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

DXF_EXPORT DWORD drwFindTableType(HDXF drawing, DWORD type, DWORD mode, void* record) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    auto* table = d ? Table(*d, type) : nullptr;
    if (!table || !record)
        return 0;
    TableEntry* e = nullptr;
    if (mode == DXF_FIND_BY_NAME) {
        // The name lies at the same place in both records.
        e = FindByName(*table,
                       Bounded(static_cast<const DXF_LAYER*>(record)->name, DXF_NAME_CHARS));
    } else if (mode == DXF_FIND_BY_HANDLE) {
        e = FindByHandle(*table, *static_cast<const DWORD*>(record));
    }
    if (!e)
        return 0;
    FillRecord(type, *e, record);
    return e->handle;
}

DXF_EXPORT DWORD drwAddBlock(HDXF, void*) {
    return 0;
}
DXF_EXPORT BOOL drwDeleteBlock(HDXF, DWORD) {
    return FALSE;
}
DXF_EXPORT DWORD drwFindBlock(HDXF, DWORD, void*) {
    return 0;
}

DXF_EXPORT DWORD drwAddEntity(HDXF drawing, DWORD block, const DXF_ENTITYHEADER* header,
                              const void* data) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    Entity e;
    if (!d || block != 0 || !MakeEntity(*d, header, data, e))
        return 0;
    e.header.handle = d->nextHandle++;
    d->entities.push_back(std::move(e));
    return d->entities.back().header.handle;
}

DXF_EXPORT BOOL drwDeleteEntity(HDXF drawing, DWORD block, DWORD entity) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    if (!d || block != 0)
        return FALSE;
    for (auto it = d->entities.begin(); it != d->entities.end(); ++it) {
        if (it->header.handle == entity) {
            d->entities.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

DXF_EXPORT BOOL drwChangeEntity(HDXF drawing, DWORD block, const DXF_ENTITYHEADER* header,
                                const void* data) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    Entity e;
    if (!d || block != 0 || !MakeEntity(*d, header, data, e))
        return FALSE;
    for (auto& old : d->entities) {
        if (old.header.handle == header->handle) {
            old = std::move(e);
            return TRUE;
        }
    }
    return FALSE;
}

DXF_EXPORT DWORD drwFindEntity(HDXF drawing, DWORD block, DXF_ENTITYHEADER* header) {
    std::lock_guard lock(g_lock);
    Drawing* d = Find(drawing);
    if (!d || block != 0 || !header)
        return 0;
    for (const auto& e : d->entities) {
        if (e.header.handle == header->handle) {
            *header = e.header;
            return e.header.handle;
        }
    }
    return 0;
}

DXF_EXPORT BOOL drwSaveDataToFile(HDXF drawing, DWORD, LPCWSTR path, DWORD) {
    std::string bytes;
    {
        std::lock_guard lock(g_lock);
        Drawing* d = Find(drawing);
        if (!d || !path || !*path)
            return FALSE;
        bytes = Serialise(*d);
    }
    return WriteAtomic(ms::ToUtf8(path), bytes) ? TRUE : FALSE;
}

DXF_EXPORT BOOL drwLoadDataFromFile(HDXF, DWORD, DWORD, LPCWSTR) {
    return FALSE;
}
