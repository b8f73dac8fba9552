#include "platform/services/Workbook.h"

#include "platform/services/Zip.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/TempFiles.h"
#include "platform/win/core/WString.h"

#include <expat.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace ms::xlsx {

int Sheet::UsedRows() const {
    for (int r = int(rows.size()); r > 0; --r)
        for (const auto& v : rows[size_t(r - 1)])
            if (!v.empty())
                return r;
    return 0;
}

int Sheet::UsedColumns() const {
    int used = 0;
    for (const auto& row : rows)
        for (int c = int(row.size()); c > used; --c)
            if (!row[size_t(c - 1)].empty()) {
                used = c;
                break;
            }
    return used;
}

const std::u16string& Sheet::Cell(int row, int column) const {
    static const std::u16string empty;
    if (row < 0 || size_t(row) >= rows.size() || column < 0 ||
        size_t(column) >= rows[size_t(row)].size())
        return empty;
    return rows[size_t(row)][size_t(column)];
}

void Sheet::SetCell(int row, int column, std::u16string value) {
    if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
        return;
    if (size_t(row) >= rows.size())
        rows.resize(size_t(row) + 1);
    auto& r = rows[size_t(row)];
    if (size_t(column) >= r.size())
        r.resize(size_t(column) + 1);
    r[size_t(column)] = std::move(value);
}

Sheet* Workbook::Find(std::u16string_view name) {
    for (auto& s : sheets)
        if (SameNoCase(s.name, name))
            return &s;
    return nullptr;
}

// ---- Reading ----

namespace {

// An expat parse with namespaces resolved: handlers see local names (the part after the
// namespace) and attributes as "namespace|local" pairs.
class XmlParse {
public:
    using Start = std::function<void(std::string_view local, const char** attrs)>;
    using End = std::function<void(std::string_view local)>;
    using Text = std::function<void(std::string_view text)>;

    static bool Run(const std::string& xml, Start start, End end, Text text) {
        XmlParse p{std::move(start), std::move(end), std::move(text)};
        XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
        if (!parser)
            return false;
        XML_SetUserData(parser, &p);
        XML_SetElementHandler(parser, &XmlParse::OnStart, &XmlParse::OnEnd);
        XML_SetCharacterDataHandler(parser, &XmlParse::OnText);
        bool ok = XML_Parse(parser, xml.data(), int(xml.size()), 1) == XML_STATUS_OK;
        XML_ParserFree(parser);
        return ok;
    }
    static std::string_view Local(const char* name) {
        const char* bar = std::strrchr(name, '|');
        return bar ? bar + 1 : name;
    }
    // The attribute whose local name is `local` and whose namespace ends with `nsSuffix`
    // ("" for an attribute without namespace).
    static const char* Attr(const char** attrs, std::string_view local,
                            std::string_view nsSuffix = {}) {
        for (int i = 0; attrs[i]; i += 2) {
            std::string_view full = attrs[i];
            size_t bar = full.rfind('|');
            std::string_view ns = bar == std::string_view::npos ? "" : full.substr(0, bar);
            std::string_view name = bar == std::string_view::npos ? full : full.substr(bar + 1);
            if (name != local)
                continue;
            if (nsSuffix.empty() ? ns.empty()
                                 : ns.size() >= nsSuffix.size() &&
                                       ns.substr(ns.size() - nsSuffix.size()) == nsSuffix)
                return attrs[i + 1];
        }
        return nullptr;
    }

private:
    XmlParse(Start s, End e, Text t)
        : start_(std::move(s)), end_(std::move(e)), text_(std::move(t)) {}
    static void OnStart(void* self, const char* name, const char** attrs) {
        static_cast<XmlParse*>(self)->start_(Local(name), attrs);
    }
    static void OnEnd(void* self, const char* name) {
        static_cast<XmlParse*>(self)->end_(Local(name));
    }
    static void OnText(void* self, const char* s, int len) {
        static_cast<XmlParse*>(self)->text_(std::string_view(s, size_t(len)));
    }
    Start start_;
    End end_;
    Text text_;
};

// A cell text with OOXML's escapes decoded: "_xHHHH_" is the UTF-16 unit HHHH (so that
// characters XML cannot carry, a carriage return among them, survive), "_x005F_" a literal
// '_' before what would otherwise read as an escape.
std::u16string Unescaped(std::u16string text) {
    if (text.find(u"_x") == std::u16string::npos)
        return text;
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            int unit = 0;
            for (size_t k = i + 2; k < i + 6 && unit >= 0; ++k)
                unit = ms::HexDigit(text[k]) < 0 ? -1 : unit * 16 + ms::HexDigit(text[k]);
            if (unit >= 0) {
                out.push_back(char16_t(unit));
                i += 6;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

bool LooksLikeEscape(const std::u16string& text, size_t at) {
    if (at + 6 >= text.size() || text[at] != u'_' || text[at + 1] != u'x' || text[at + 6] != u'_')
        return false;
    for (size_t k = at + 2; k < at + 6; ++k)
        if (ms::HexDigit(text[k]) < 0)
            return false;
    return true;
}

// The cell text as OOXML stores it: what XML cannot carry as "_xHHHH_" and the '_' of a
// literal "_xHHHH_" as "_x005F_". libxlsxwriter escapes the control characters itself (after
// its length check, which therefore sees them as one character each); the rest is done here:
// lone surrogates, U+FFFE, U+FFFF and the literal escapes.
std::u16string Escaped(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    auto escape = [&](char16_t unit) {
        static const char16_t kHex[] = u"0123456789ABCDEF";
        out += u"_x";
        for (int shift = 12; shift >= 0; shift -= 4)
            out.push_back(kHex[(unit >> shift) & 0xF]);
        out.push_back(u'_');
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out.push_back(c);
            out.push_back(text[++i]);
        } else if (high || low || c >= 0xFFFE || (c == u'_' && LooksLikeEscape(text, i))) {
            escape(c);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// "AB12" -> column 27 (0-based) and row 11 (0-based); false when it is no cell reference.
bool ParseReference(const char* ref, int& row, int& column) {
    long col = 0, r = 0;
    const char* p = ref;
    for (; *p >= 'A' && *p <= 'Z'; ++p) {
        col = col * 26 + (*p - 'A' + 1);
        if (col > 16384)
            return false;
    }
    if (p == ref)
        return false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        r = r * 10 + (*p - '0');
        if (r > 1048576)
            return false;
    }
    if (*p || r == 0)
        return false;
    row = int(r - 1);
    column = int(col - 1);
    return true;
}

// A relationship's target, relative to the folder of the part that names it, as a path inside
// the package ("xl/worksheets" + "../drawings/drawing1.xml" -> "xl/drawings/drawing1.xml").
std::string Resolve(const std::string& folder, const std::string& target) {
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    std::vector<std::string> parts;
    auto push = [&](const std::string& path) {
        size_t start = 0;
        while (start <= path.size()) {
            size_t slash = path.find('/', start);
            std::string part =
                path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
    };
    push(folder);
    push(target);
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::string Folder(const std::string& part) {
    size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash);
}

std::string RelsOf(const std::string& part) {
    return Folder(part) + "/_rels/" + part.substr(part.rfind('/') + 1) + ".rels";
}

// Id -> Target of a part's relationships, and the ids whose type ends with `typeSuffix`.
std::map<std::string, std::string> Relationships(const std::string& file, const std::string& part,
                                                 std::vector<std::string>* ofType = nullptr,
                                                 std::string_view typeSuffix = {}) {
    std::map<std::string, std::string> targets;
    if (auto rels = ReadZipEntry(file, RelsOf(part))) {
        XmlParse::Run(
            *rels,
            [&](std::string_view local, const char** attrs) {
                const char* id = XmlParse::Attr(attrs, "Id");
                const char* target = XmlParse::Attr(attrs, "Target");
                const char* type = XmlParse::Attr(attrs, "Type");
                if (local != "Relationship" || !id || !target)
                    return;
                targets[id] = target;
                std::string_view t = type ? type : "";
                if (ofType && t.size() >= typeSuffix.size() &&
                    t.substr(t.size() - typeSuffix.size()) == typeSuffix)
                    ofType->push_back(id);
            },
            [](std::string_view) {}, [](std::string_view) {});
    }
    return targets;
}

// The pictures of a sheet's drawings, at the cells of their top-left anchors.
void ReadPictures(const std::string& file, const std::string& sheetPart, Sheet& sheet) {
    std::vector<std::string> drawingIds;
    auto sheetRels = Relationships(file, sheetPart, &drawingIds, "/drawing");
    for (const auto& id : drawingIds) {
        std::string drawingPart = Resolve(Folder(sheetPart), sheetRels[id]);
        auto xml = ReadZipEntry(file, drawingPart);
        if (!xml)
            continue;
        auto media = Relationships(file, drawingPart);
        int row = 0, column = 0;
        bool inFrom = false;
        std::string* field = nullptr;
        std::string colText, rowText;
        XmlParse::Run(
            *xml,
            [&](std::string_view local, const char** attrs) {
                if (local == "from") {
                    inFrom = true;
                    colText.clear();
                    rowText.clear();
                } else if (inFrom && local == "col") {
                    field = &colText;
                } else if (inFrom && local == "row") {
                    field = &rowText;
                } else if (local == "blip") {
                    const char* embed = XmlParse::Attr(attrs, "embed", "relationships");
                    auto target = embed ? media.find(embed) : media.end();
                    if (target == media.end())
                        return;
                    auto data = ReadZipEntry(file, Resolve(Folder(drawingPart), target->second));
                    if (data)
                        sheet.pictures.push_back({row, column, std::move(*data)});
                }
            },
            [&](std::string_view local) {
                if (local == "from") {
                    inFrom = false;
                    column = int(std::clamp(std::strtol(colText.c_str(), nullptr, 10), 0L,
                                            long(kMaxColumns - 1)));
                    row = int(std::clamp(std::strtol(rowText.c_str(), nullptr, 10), 0L,
                                         long(kMaxRows - 1)));
                }
                field = nullptr;
            },
            [&](std::string_view s) {
                if (field)
                    field->append(s);
            });
    }
}

bool ReadSheet(const std::string& xml, const std::vector<std::u16string>& shared, Sheet& sheet) {
    int row = -1, column = -1;
    std::string type, value, inlineText;
    bool inValue = false, inInline = false, inCell = false;
    return XmlParse::Run(
        xml,
        [&](std::string_view local, const char** attrs) {
            if (local == "row") {
                const char* r = XmlParse::Attr(attrs, "r");
                long number = r ? std::strtol(r, nullptr, 10) : row + 2;
                row = int(std::clamp(number, 0L, 1048577L)) - 1; // out of range: ignored
                column = -1;
            } else if (local == "c") {
                inCell = true;
                const char* ref = XmlParse::Attr(attrs, "r");
                int refRow = row, refColumn = column + 1;
                if (ref && !ParseReference(ref, refRow, refColumn))
                    refColumn = column + 1;
                row = refRow;
                column = refColumn;
                const char* t = XmlParse::Attr(attrs, "t");
                type = t ? t : "n";
                value.clear();
                inlineText.clear();
            } else if (inCell && local == "v") {
                inValue = true;
            } else if (inCell && local == "is") {
                inInline = true;
            }
        },
        [&](std::string_view local) {
            if (local == "v") {
                inValue = false;
            } else if (local == "is") {
                inInline = false;
            } else if (local == "c") {
                inCell = false;
                std::u16string text;
                if (type == "s") {
                    char* end = nullptr;
                    unsigned long index = std::strtoul(value.c_str(), &end, 10);
                    if (end != value.c_str() && index < shared.size())
                        text = shared[index];
                } else if (type == "inlineStr") {
                    text = Unescaped(FromUtf8(inlineText));
                } else if (type == "str") {
                    text = Unescaped(FromUtf8(value));
                } else if (type == "b") {
                    text = value == "1" ? u"TRUE" : u"FALSE";
                } else {
                    text = FromUtf8(value);
                }
                if (!text.empty())
                    sheet.SetCell(row, column, std::move(text));
            }
        },
        [&](std::string_view s) {
            if (inValue)
                value.append(s);
            else if (inInline)
                inlineText.append(s);
        });
}

} // namespace

std::optional<Workbook> Read(const std::u16string& path, std::u16string& error) {
    std::string file = NativePath(path);
    auto fail = [&](const char16_t* why) -> std::optional<Workbook> {
        error = why;
        return std::nullopt;
    };
    auto workbookXml = ReadZipEntry(file, "xl/workbook.xml");
    if (!workbookXml)
        return fail(u"The file is not a workbook that can be read.");

    struct SheetRef {
        std::u16string name;
        std::string id;
    };
    std::vector<SheetRef> refs;
    bool ok = XmlParse::Run(
        *workbookXml,
        [&](std::string_view local, const char** attrs) {
            if (local != "sheet")
                return;
            const char* name = XmlParse::Attr(attrs, "name");
            const char* id = XmlParse::Attr(attrs, "id", "relationships");
            if (name && id)
                refs.push_back({FromUtf8(name), id});
        },
        [](std::string_view) {}, [](std::string_view) {});
    if (!ok)
        return fail(u"The workbook is damaged.");

    std::map<std::string, std::string> targets = Relationships(file, "xl/workbook.xml");

    std::vector<std::u16string> shared;
    if (auto sst = ReadZipEntry(file, "xl/sharedStrings.xml")) {
        std::string current;
        bool inItem = false, inText = false;
        int phonetic = 0;
        ok = XmlParse::Run(
            *sst,
            [&](std::string_view local, const char**) {
                if (local == "si") {
                    inItem = true;
                    current.clear();
                } else if (local == "rPh") {
                    ++phonetic;
                } else if (local == "t" && inItem && !phonetic) {
                    inText = true;
                }
            },
            [&](std::string_view local) {
                if (local == "si") {
                    inItem = false;
                    shared.push_back(Unescaped(FromUtf8(current)));
                } else if (local == "rPh") {
                    --phonetic;
                } else if (local == "t") {
                    inText = false;
                }
            },
            [&](std::string_view s) {
                if (inText)
                    current.append(s);
            });
        if (!ok)
            return fail(u"The workbook is damaged.");
    }

    Workbook book;
    for (const auto& ref : refs) {
        auto target = targets.find(ref.id);
        if (target == targets.end())
            return fail(u"The workbook is damaged.");
        std::string part = Resolve("xl", target->second);
        auto xml = ReadZipEntry(file, part);
        Sheet sheet;
        sheet.name = ref.name;
        if (!xml || !ReadSheet(*xml, shared, sheet))
            return fail(u"The workbook is damaged.");
        ReadPictures(file, part, sheet);
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

// ---- Writing ----

namespace {

// The writer anchors a picture at two cells, the second one found from the widths and heights
// it assumes for the cells. A reader whose default column width differs (another default font)
// sizes the picture by those cells and stretches it. Anchored at one cell with its size given,
// the picture keeps its own size and shape in every reader.
std::string OneCellAnchors(std::string xml) {
    static const std::string kOpen = "<xdr:twoCellAnchor editAs=\"oneCell\">";
    static const std::string kClose = "</xdr:twoCellAnchor>";
    size_t at = 0;
    while ((at = xml.find(kOpen, at)) != std::string::npos) {
        const size_t close = xml.find(kClose, at);
        const size_t to = xml.find("<xdr:to>", at);
        const size_t toEnd = xml.find("</xdr:to>", at);
        const size_t ext = xml.find("<a:ext ", at);
        if (close == std::string::npos || to > close || toEnd > close || ext > close) {
            at += kOpen.size();
            continue;
        }
        const size_t extEnd = xml.find("/>", ext);
        if (extEnd > close) {
            at += kOpen.size();
            continue;
        }
        // <a:ext cx=".." cy=".."/> of the picture's frame gives the anchor's extent.
        const std::string extent = "<xdr:ext " + xml.substr(ext + 7, extEnd - (ext + 7)) + "/>";
        xml.replace(close, kClose.size(), "</xdr:oneCellAnchor>");
        xml.replace(to, toEnd + 9 - to, extent);
        xml.replace(at, kOpen.size(), "<xdr:oneCellAnchor>");
        at += 1;
    }
    return xml;
}

// Rewrites the pictures' anchors of the package at `file` in place; false when it could not.
bool AnchorPicturesAtOneCell(const std::string& file) {
    std::vector<ZipEntry> entries;
    bool changed = false;
    for (const std::string& name : ListZip(file)) {
        auto bytes = ReadZipEntry(file, name);
        if (!bytes)
            return false;
        const bool drawing = name.rfind("xl/drawings/drawing", 0) == 0 && name.size() > 4 &&
                             name.compare(name.size() - 4, 4, ".xml") == 0;
        if (drawing) {
            std::string rewritten = OneCellAnchors(*bytes);
            changed = changed || rewritten != *bytes;
            *bytes = std::move(rewritten);
        }
        entries.push_back({name, std::move(*bytes)});
    }
    if (!changed)
        return true;
    auto package = BuildZip(entries);
    if (!package)
        return false;
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(package->data(), 1, package->size(), out) == package->size();
    return std::fclose(out) == 0 && written;
}

} // namespace

bool Write(const Workbook& book, const std::u16string& path, std::u16string& error) {
    // A workbook cell holds at most 32,767 characters; a longer one (read from a file another
    // program wrote) is refused with its place before anything is written.
    for (const auto& sheet : book.sheets) {
        for (size_t r = 0; r < sheet.rows.size(); ++r) {
            for (const auto& v : sheet.rows[r]) {
                if (v.size() > kMaxCellLength) {
                    error = u"Row " + FromUtf8(std::to_string(r + 1)) + u" of the sheet \"" +
                            sheet.name + u"\" holds a cell longer than 32,767 characters, " +
                            u"which a workbook cannot hold.";
                    return false;
                }
            }
        }
    }
    std::string target = NativePath(path);
    std::string temp;
    int fd = CreateTempBeside(target, temp, 0644);
    if (fd < 0) {
        error = u"The workbook cannot be written: " + FromUtf8(std::strerror(errno));
        return false;
    }
    fchmod(fd, 0644);
    close(fd);
    auto fail = [&](std::u16string why) {
        unlink(temp.c_str());
        error = std::move(why);
        return false;
    };

    lxw_workbook* wb = workbook_new(temp.c_str());
    if (!wb)
        return fail(u"The workbook cannot be written.");
    for (const auto& sheet : book.sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, ToUtf8(sheet.name).c_str());
        if (!ws) {
            workbook_close(wb);
            return fail(u"The sheet name \"" + sheet.name + u"\" cannot be used.");
        }
        for (size_t r = 0; r < sheet.rows.size(); ++r) {
            for (size_t c = 0; c < sheet.rows[r].size(); ++c) {
                const auto& v = sheet.rows[r][c];
                if (v.empty())
                    continue;
                lxw_error e = worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c),
                                                     ToUtf8(Escaped(v)).c_str(), nullptr);
                if (e != LXW_NO_ERROR) {
                    workbook_close(wb);
                    return fail(u"The workbook cannot be written: " + FromUtf8(lxw_strerror(e)));
                }
            }
        }
        for (const auto& pic : sheet.pictures) {
            lxw_error e = worksheet_insert_image_buffer(
                ws, lxw_row_t(pic.row), lxw_col_t(pic.column),
                reinterpret_cast<const unsigned char*>(pic.data.data()), pic.data.size());
            if (e != LXW_NO_ERROR) {
                workbook_close(wb);
                return fail(u"The picture cannot be written: " + FromUtf8(lxw_strerror(e)));
            }
        }
    }
    lxw_error closed = workbook_close(wb);
    if (closed != LXW_NO_ERROR)
        return fail(u"The workbook cannot be written: " + FromUtf8(lxw_strerror(closed)));
    if (!AnchorPicturesAtOneCell(temp))
        return fail(u"The workbook cannot be written.");
    if (std::rename(temp.c_str(), target.c_str()) != 0)
        return fail(u"The workbook cannot be written: " + FromUtf8(std::strerror(errno)));
    RemoveStaleTemps(target);
    return true;
}

} // namespace ms::xlsx
