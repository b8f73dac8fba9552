// The document model behind the word processor's automation stand-in, and its two files:
// an OOXML document (".docx", a ZIP package) and RTF (every other name: the "classic" format
// of FileFormat 0). Both open in the common office suites.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

namespace ms::word {

// Values as the word processor's object model gives them.
enum Alignment { AlignLeft = 0, AlignCenter = 1, AlignRight = 2, AlignJustify = 3 };
constexpr LONG kColorAutomatic = -16777216; // Font.Color: the automatic colour

struct CharFormat {
    std::u16string face = u"Times New Roman";
    float size = 12.0f;           // points
    LONG color = kColorAutomatic; // 0x00BBGGRR, or kColorAutomatic
    LONG highlight = 0;           // colour index: 0 none, 1 black, 2 blue, ... 16 light gray
    bool bold = false;
    bool italic = false;
    LONG underline = 0; // 0 none, 1 single, 2 words, 3 double, 4 dotted, ...
    bool operator==(const CharFormat&) const = default;
};

struct Picture {
    std::string png; // the picture, PNG-encoded
    int width = 0;   // pixels
    int height = 0;
};

struct Run {
    std::u16string text;
    CharFormat format;
    int picture = -1; // index into Document::pictures: an inline picture instead of text
};

struct Paragraph {
    LONG alignment = AlignLeft;
    std::vector<Run> runs;
    std::u16string Text() const; // the text runs joined
};

struct Document {
    std::vector<Paragraph> paragraphs{1}; // never empty: a document ends with a paragraph
    std::vector<Picture> pictures;
};

// The files' bytes.
std::string ToDocx(const Document& doc); // empty when the package cannot be built
std::string ToRtf(const Document& doc);

// The size a picture of w x h pixels takes on the page: 96 dots per inch, scaled down to the
// 6-inch text width when wider. In twips (1/1440 inch).
void PictureExtent(int w, int h, long& twipsX, long& twipsY);

} // namespace ms::word
