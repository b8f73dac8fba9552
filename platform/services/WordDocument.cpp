#include "platform/services/WordDocument.h"

#include "platform/services/Zip.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace ms::word {

std::u16string Paragraph::Text() const {
    std::u16string s;
    for (const auto& r : runs)
        if (r.picture < 0)
            s += r.text;
    return s;
}

void PictureExtent(int w, int h, long& twipsX, long& twipsY) {
    constexpr long kTextWidth = 6 * 1440;
    twipsX = long(std::max(w, 1)) * 15;
    twipsY = long(std::max(h, 1)) * 15;
    if (twipsX > kTextWidth) {
        twipsY = std::max(1L, long(std::lround(double(twipsY) * kTextWidth / double(twipsX))));
        twipsX = kTextWidth;
    }
}

namespace {

// The highlight colour indexes 1..16 as RGB and as OOXML names (0: none).
struct Highlight {
    const char* name;
    unsigned rgb;
};
constexpr Highlight kHighlights[17] = {
    {nullptr, 0},
    {"black", 0x000000},
    {"blue", 0x0000FF},
    {"cyan", 0x00FFFF},
    {"green", 0x00FF00},
    {"magenta", 0xFF00FF},
    {"red", 0xFF0000},
    {"yellow", 0xFFFF00},
    {"white", 0xFFFFFF},
    {"darkBlue", 0x000080},
    {"darkCyan", 0x008080},
    {"darkGreen", 0x008000},
    {"darkMagenta", 0x800080},
    {"darkRed", 0x800000},
    {"darkYellow", 0x808000},
    {"darkGray", 0x808080},
    {"lightGray", 0xC0C0C0},
};

const Highlight* HighlightOf(LONG index) {
    return index >= 1 && index <= 16 ? &kHighlights[index] : nullptr;
}

bool HasColor(LONG color) {
    return color != kColorAutomatic && (color & 0xFF000000) == 0;
}
unsigned Rgb(LONG color) { // 0x00BBGGRR -> 0xRRGGBB
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// ---- OOXML ----

// Underline kinds as OOXML and RTF name them; any other kind is a single underline.
struct UnderlineNames {
    const char* ooxml;
    const char* rtf;
};
UnderlineNames Underline(LONG u) {
    switch (u) {
    case 2:
        return {"words", "\\ulw"};
    case 3:
        return {"double", "\\uldb"};
    case 4:
        return {"dotted", "\\uld"};
    case 6:
        return {"thick", "\\ulth"};
    case 7:
        return {"dash", "\\uldash"};
    case 9:
        return {"dotDash", "\\uldashd"};
    case 10:
        return {"dotDotDash", "\\uldashdd"};
    case 11:
        return {"wave", "\\ulwave"};
    default:
        return {"single", "\\ul"};
    }
}

const char* JcName(LONG a) {
    switch (a) {
    case AlignCenter:
        return "center";
    case AlignRight:
        return "right";
    case AlignJustify:
        return "both";
    default:
        return "left";
    }
}

// XML text: the five special characters escaped; characters XML 1.0 cannot hold dropped.
std::string Xml(std::u16string_view s) {
    std::u16string clean;
    for (char16_t c : s)
        if (c >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            if (c != 0xFFFE && c != 0xFFFF)
                clean += c;
    std::string utf8 = ToUtf8(clean), out;
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld", long(std::lround(v)));
    return buf;
}

std::string RunProperties(const CharFormat& f) {
    std::string face = Xml(f.face);
    std::string p = "<w:rPr><w:rFonts w:ascii=\"" + face + "\" w:hAnsi=\"" + face + "\" w:cs=\"" +
                    face + "\" w:eastAsia=\"" + face + "\"/>";
    if (f.bold)
        p += "<w:b/><w:bCs/>";
    if (f.italic)
        p += "<w:i/><w:iCs/>";
    if (HasColor(f.color)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%06X", Rgb(f.color));
        p += std::string("<w:color w:val=\"") + buf + "\"/>";
    }
    std::string halfPoints = Num(std::clamp(double(f.size), 1.0, 1638.0) * 2);
    p += "<w:sz w:val=\"" + halfPoints + "\"/><w:szCs w:val=\"" + halfPoints + "\"/>";
    if (const Highlight* h = HighlightOf(f.highlight))
        p += std::string("<w:highlight w:val=\"") + h->name + "\"/>";
    if (f.underline)
        p += std::string("<w:u w:val=\"") + Underline(f.underline).ooxml + "\"/>";
    return p + "</w:rPr>";
}

std::string Drawing(const Picture& pic, int index) {
    long tx, ty;
    PictureExtent(pic.width, pic.height, tx, ty);
    std::string cx = std::to_string(tx * 635), cy = std::to_string(ty * 635); // EMU per twip
    std::string id = std::to_string(index + 1);
    return "<w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">"
           "<wp:extent cx=\"" +
           cx + "\" cy=\"" + cy +
           "\"/>"
           "<wp:docPr id=\"" +
           id + "\" name=\"Picture " + id +
           "\"/>"
           "<wp:cNvGraphicFramePr><a:graphicFrameLocks "
           "noChangeAspect=\"1\"/></wp:cNvGraphicFramePr>"
           "<a:graphic><a:graphicData "
           "uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
           "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"" +
           id + "\" name=\"image" + id +
           ".png\"/>"
           "<pic:cNvPicPr/></pic:nvPicPr>"
           "<pic:blipFill><a:blip r:embed=\"rIdImage" +
           id +
           "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
           "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" +
           cx + "\" cy=\"" + cy +
           "\"/></a:xfrm>"
           "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic>"
           "</a:graphicData></a:graphic></wp:inline></w:drawing>";
}

std::string DocumentXml(const Document& doc) {
    std::string x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>";
    for (const auto& p : doc.paragraphs) {
        x += std::string("<w:p><w:pPr><w:jc w:val=\"") + JcName(p.alignment) + "\"/></w:pPr>";
        for (const auto& r : p.runs) {
            x += "<w:r>" + RunProperties(r.format);
            if (r.picture >= 0 && size_t(r.picture) < doc.pictures.size())
                x += Drawing(doc.pictures[size_t(r.picture)], r.picture);
            else
                x += "<w:t xml:space=\"preserve\">" + Xml(r.text) + "</w:t>";
            x += "</w:r>";
        }
        x += "</w:p>";
    }
    x += "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" "
         "w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"708\" w:footer=\"708\" "
         "w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
    return x;
}

// ---- RTF ----

std::string RtfText(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            continue;
        } else if (c < 0x80) {
            out += char(c);
        } else {
            out += "\\u" + std::to_string(int(int16_t(c))) + "?";
        }
    }
    return out;
}

const char* RtfAlign(LONG a) {
    switch (a) {
    case AlignCenter:
        return "\\qc";
    case AlignRight:
        return "\\qr";
    case AlignJustify:
        return "\\qj";
    default:
        return "\\ql";
    }
}

} // namespace

std::string ToDocx(const Document& doc) {
    std::vector<ZipEntry> entries;
    entries.push_back(
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Default Extension=\"png\" ContentType=\"image/png\"/>"
         "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"});
    entries.push_back(
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"});
    std::string rels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (size_t i = 0; i < doc.pictures.size(); ++i) {
        std::string n = std::to_string(i + 1);
        rels += "<Relationship Id=\"rIdImage" + n +
                "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "image\" Target=\"media/image" +
                n + ".png\"/>";
    }
    rels += "</Relationships>";
    entries.push_back({"word/_rels/document.xml.rels", rels});
    entries.push_back({"word/document.xml", DocumentXml(doc)});
    for (size_t i = 0; i < doc.pictures.size(); ++i)
        entries.push_back(
            {"word/media/image" + std::to_string(i + 1) + ".png", doc.pictures[i].png});
    return BuildZip(entries).value_or(std::string());
}

std::string ToRtf(const Document& doc) {
    // Font and colour tables of what the runs use.
    std::vector<std::u16string> fonts;
    std::vector<unsigned> colors; // RGB; RTF index = position + 1 (0 is "auto")
    auto fontIndex = [&](const std::u16string& face) {
        auto it = std::find(fonts.begin(), fonts.end(), face);
        if (it != fonts.end())
            return int(it - fonts.begin());
        fonts.push_back(face);
        return int(fonts.size() - 1);
    };
    auto colorIndex = [&](unsigned rgb) {
        auto it = std::find(colors.begin(), colors.end(), rgb);
        if (it != colors.end())
            return int(it - colors.begin()) + 1;
        colors.push_back(rgb);
        return int(colors.size());
    };
    std::string body;
    for (size_t pi = 0; pi < doc.paragraphs.size(); ++pi) {
        const Paragraph& p = doc.paragraphs[pi];
        body += std::string("\\pard\\plain") + RtfAlign(p.alignment) + " ";
        for (const auto& r : p.runs) {
            const CharFormat& f = r.format;
            std::string props = "{\\plain\\f" + std::to_string(fontIndex(f.face)) + "\\fs" +
                                Num(std::clamp(double(f.size), 1.0, 1638.0) * 2);
            if (HasColor(f.color))
                props += "\\cf" + std::to_string(colorIndex(Rgb(f.color)));
            if (const Highlight* h = HighlightOf(f.highlight))
                props += "\\highlight" + std::to_string(colorIndex(h->rgb));
            if (f.bold)
                props += "\\b";
            if (f.italic)
                props += "\\i";
            if (f.underline)
                props += Underline(f.underline).rtf;
            body += props + " ";
            if (r.picture >= 0 && size_t(r.picture) < doc.pictures.size()) {
                const Picture& pic = doc.pictures[size_t(r.picture)];
                long tx, ty;
                PictureExtent(pic.width, pic.height, tx, ty);
                body += "{\\pict\\pngblip\\picw" + std::to_string(pic.width) + "\\pich" +
                        std::to_string(pic.height) + "\\picwgoal" + std::to_string(tx) +
                        "\\pichgoal" + std::to_string(ty) + "\n";
                static const char hex[] = "0123456789abcdef";
                for (size_t i = 0; i < pic.png.size(); ++i) {
                    unsigned char b = static_cast<unsigned char>(pic.png[i]);
                    body += hex[b >> 4];
                    body += hex[b & 15];
                    if (i % 64 == 63)
                        body += '\n';
                }
                body += "}";
            } else {
                body += RtfText(r.text);
            }
            body += "}";
        }
        body += pi + 1 < doc.paragraphs.size() ? "\\par\n" : "\n";
    }
    std::string head = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    if (fonts.empty())
        fonts.push_back(u"Times New Roman");
    for (size_t i = 0; i < fonts.size(); ++i)
        head += "{\\f" + std::to_string(i) + "\\fnil " + RtfText(fonts[i]) + ";}";
    head += "}\n{\\colortbl;";
    for (unsigned c : colors)
        head += "\\red" + std::to_string(c >> 16) + "\\green" + std::to_string((c >> 8) & 255) +
                "\\blue" + std::to_string(c & 255) + ";";
    head += "}\n";
    return head + body + "}\n";
}

} // namespace ms::word
