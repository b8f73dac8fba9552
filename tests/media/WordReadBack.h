// Reads back what the word-processor stand-in writes: the .docx package's document.xml and
// the RTF's paragraphs, with the pictures counted and the first one decoded.
#pragma once

#include "platform/services/Zip.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>
#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace mstest {

struct ReadBack {
    std::vector<std::u16string> paragraphs; // text of every paragraph
    int pictures = 0;
    QImage picture;                   // the first embedded picture
    std::vector<std::string> formats; // one description per text run: "face size u<kind>"
};

inline ReadBack ReadDocx(const QString& path) {
    ReadBack r;
    auto xml = ms::ReadZipEntry(path.toStdString(), "word/document.xml");
    EXPECT_TRUE(xml.has_value());
    if (!xml)
        return r;
    QXmlStreamReader x(QByteArray::fromStdString(*xml));
    std::string format;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        auto name = x.qualifiedName();
        if (name == u"w:p")
            r.paragraphs.emplace_back();
        else if (name == u"w:rPr")
            format.clear();
        else if (name == u"w:rFonts")
            format += x.attributes().value("w:ascii").toString().toStdString();
        else if (name == u"w:sz")
            format += " " + x.attributes().value("w:val").toString().toStdString();
        else if (name == u"w:u")
            format += " u" + x.attributes().value("w:val").toString().toStdString();
        else if (name == u"w:t") {
            r.paragraphs.back() += x.readElementText().toStdU16String();
            r.formats.push_back(format);
        } else if (name == u"w:drawing")
            ++r.pictures;
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    if (auto png = ms::ReadZipEntry(path.toStdString(), "word/media/image1.png"))
        r.picture.loadFromData(QByteArray::fromStdString(*png), "PNG");
    return r;
}

// A reader of the RTF that the stand-in writes: groups of the font and colour tables skipped,
// pictures counted (and the first decoded), control words dropped, \par ending paragraphs,
// \uN taken as the character N.
inline ReadBack ReadRtf(const QString& path) {
    ReadBack r;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray s = f.readAll();
    EXPECT_TRUE(s.startsWith("{\\rtf1"));
    r.paragraphs.emplace_back();
    int depth = 0, skipFrom = -1;
    bool inPict = false;
    QByteArray hex;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '{') {
            ++depth;
            for (const char* group : {"{\\fonttbl", "{\\colortbl", "{\\pict"})
                if (skipFrom < 0 && s.mid(i).startsWith(group)) {
                    skipFrom = depth;
                    inPict = std::string(group) == "{\\pict";
                    if (inPict)
                        ++r.pictures;
                }
            continue;
        }
        if (c == '}') {
            if (depth == skipFrom) {
                skipFrom = -1;
                if (inPict && r.picture.isNull())
                    r.picture.loadFromData(QByteArray::fromHex(hex), "PNG");
                inPict = false;
            }
            --depth;
            continue;
        }
        if (c == '\\') {
            char next = i + 1 < s.size() ? s[i + 1] : 0;
            if (next == '\\' || next == '{' || next == '}') {
                if (skipFrom < 0)
                    r.paragraphs.back() += char16_t(next);
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j])))
                ++j;
            QByteArray word = s.mid(i + 1, j - i - 1);
            qsizetype k = j;
            if (k < s.size() && (s[k] == '-' || std::isdigit(static_cast<unsigned char>(s[k]))))
                ++k;
            while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
                ++k;
            int number = s.mid(j, k - j).toInt();
            if (k < s.size() && s[k] == ' ')
                ++k;
            if (skipFrom < 0) {
                if (word == "par")
                    r.paragraphs.emplace_back();
                else if (word == "u") {
                    r.paragraphs.back() += char16_t(number);
                    if (k < s.size() && s[k] == '?')
                        ++k; // the fallback character
                } else if (word == "ul")
                    r.formats.push_back("ul");
            } else if (inPict) {
                // control words of the picture header
            }
            i = k - 1;
            continue;
        }
        if (c == '\n' || c == '\r')
            continue;
        if (inPict)
            hex += c;
        else if (skipFrom < 0)
            r.paragraphs.back() += char16_t(static_cast<unsigned char>(c));
    }
    return r;
}

} // namespace mstest
