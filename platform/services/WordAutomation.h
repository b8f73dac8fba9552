// The word processor's automation ("Word.Application") as typed objects over a document model
// (WordDocument.h). What the reports use of the object model: the application with its
// document collection, active document and selection; the selection's text, font, paragraph
// format, range and inline shapes; typing text and paragraph breaks; inserting a picture;
// saving; quitting. Objects are shared handles: releasing one is resetting the pointer.
//
// The selection stands at the end of the document. Setting its text selects that text; typing
// replaces a selection (keeping its format), so a placeholder character formatted before the
// first line leaves no trace. A rejected call throws ms::AutomationError.
#pragma once

#include "platform/services/Automation.h"
#include "platform/services/WordDocument.h"

#include <memory>
#include <optional>
#include <string>

namespace ms::word {

class Application;
class DocumentObject;

class Font {
public:
    explicit Font(CharFormat f) : format(std::move(f)) {}
    void SetSize(float points) { format.size = points; }
    void SetName(const std::u16string& face) { format.face = face; }
    void SetColor(LONG color) { format.color = color; }
    void SetBold(LONG on) { format.bold = on != 0; }
    void SetItalic(LONG on) { format.italic = on != 0; }
    void SetUnderline(LONG kind) { format.underline = kind; }
    CharFormat format;
};

class ParagraphFormat {
public:
    explicit ParagraphFormat(LONG a) : alignment(a) {}
    void SetAlignment(LONG a) { alignment = a; }
    LONG alignment;
};

class Selection;

// The selection's range: what the report sets on it is the highlight.
class Range {
public:
    explicit Range(std::shared_ptr<Selection> s) : selection_(std::move(s)) {}
    void SetHighlightColorIndex(LONG index);

private:
    std::shared_ptr<Selection> selection_;
};

class InlineShape {
public:
    explicit InlineShape(int picture) : picture(picture) {}
    int picture; // index in the document's pictures
};

class InlineShapes {
public:
    explicit InlineShapes(std::shared_ptr<Selection> s) : selection_(std::move(s)) {}
    // The picture file embedded at the selection (linkToFile must be 0: linking is not
    // offered). Throws when the file is no readable picture.
    std::shared_ptr<InlineShape> AddPicture(const std::u16string& fileName, SHORT linkToFile,
                                            SHORT saveWithDocument);

private:
    std::shared_ptr<Selection> selection_;
};

class Selection : public std::enable_shared_from_this<Selection> {
public:
    explicit Selection(std::shared_ptr<DocumentObject> doc) : doc_(std::move(doc)) {}
    void SetText(const std::u16string& text);
    std::shared_ptr<Font> GetFont();
    void SetFont(const Font& font);
    std::shared_ptr<ParagraphFormat> GetParagraphFormat();
    void SetParagraphFormat(const ParagraphFormat& format);
    std::shared_ptr<Range> GetRange() { return std::make_shared<Range>(shared_from_this()); }
    std::shared_ptr<InlineShapes> GetInlineShapes() {
        return std::make_shared<InlineShapes>(shared_from_this());
    }
    void TypeText(const std::u16string& text);
    void TypeParagraph();

private:
    friend class Range;
    friend class InlineShapes;
    Document& Model();
    void DropSelection(); // removes the selected run (typing replaces it)
    std::shared_ptr<DocumentObject> doc_;
    CharFormat format_;              // format of the selection, and of what is typed next
    std::optional<size_t> selected_; // the selected run of the last paragraph
};

// One open document.
class DocumentObject {
public:
    // FileFormat 0, the classic format: RTF, or OOXML for a name ending in ".docx". The file
    // is written to a temporary name and renamed over `fileName` when complete. Throws when
    // it cannot be written.
    void SaveAs(const std::u16string& fileName, LONG fileFormat);
    const Document& Content() const { return model_; }

private:
    friend class Selection;
    friend class Application;
    Document model_;
    bool closed_ = false;
};

class Documents {
public:
    explicit Documents(std::weak_ptr<Application> app) : app_(std::move(app)) {}
    // A new blank document, which becomes the active one.
    std::shared_ptr<DocumentObject> Add(const std::u16string& templateName, bool newTemplate,
                                        LONG documentType);

private:
    std::weak_ptr<Application> app_;
};

class Application : public std::enable_shared_from_this<Application> {
public:
    // "Word.Application"; null when it cannot be created (see ms::test::FailNextAutomationCreate).
    static std::shared_ptr<Application> Create();
    std::shared_ptr<Documents> GetDocuments();
    std::shared_ptr<DocumentObject> GetActiveDocument() { return active_; }
    // The selection in the active document; null without one.
    std::shared_ptr<Selection> GetSelection();
    // Ends the instance; documents are closed without saving when saveChanges is false.
    void Quit(bool saveChanges);
    bool HasQuit() const { return quit_; }

private:
    friend class Documents;
    std::shared_ptr<DocumentObject> active_;
    std::shared_ptr<Selection> selection_;
    bool quit_ = false;
};

} // namespace ms::word
