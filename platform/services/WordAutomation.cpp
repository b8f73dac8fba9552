#include "platform/services/WordAutomation.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

namespace ms::word {

namespace {
void Require(bool condition, const char* message) {
    if (!condition)
        throw AutomationError(message);
}
} // namespace

// ---- Selection ----

Document& Selection::Model() {
    Require(doc_ && !doc_->closed_, "The document is closed.");
    return doc_->model_;
}

void Selection::DropSelection() {
    if (!selected_)
        return;
    auto& runs = Model().paragraphs.back().runs;
    if (*selected_ < runs.size())
        runs.erase(runs.begin() + std::ptrdiff_t(*selected_));
    selected_.reset();
}

void Selection::SetText(const std::u16string& text) {
    Document& m = Model();
    DropSelection();
    if (text.empty())
        return;
    auto& runs = m.paragraphs.back().runs;
    runs.push_back(Run{text, format_, -1});
    selected_ = runs.size() - 1;
}

std::shared_ptr<Font> Selection::GetFont() {
    Model();
    return std::make_shared<Font>(format_);
}

void Selection::SetFont(const Font& font) {
    Document& m = Model();
    LONG highlight = format_.highlight; // the font object does not carry the highlight
    format_ = font.format;
    format_.highlight = highlight;
    if (selected_)
        m.paragraphs.back().runs[*selected_].format = format_;
}

void Range::SetHighlightColorIndex(LONG index) {
    Document& m = selection_->Model();
    selection_->format_.highlight = index;
    if (selection_->selected_)
        m.paragraphs.back().runs[*selection_->selected_].format.highlight = index;
}

std::shared_ptr<ParagraphFormat> Selection::GetParagraphFormat() {
    return std::make_shared<ParagraphFormat>(Model().paragraphs.back().alignment);
}

void Selection::SetParagraphFormat(const ParagraphFormat& format) {
    Model().paragraphs.back().alignment = format.alignment;
}

void Selection::TypeText(const std::u16string& text) {
    Document& m = Model();
    auto& runs = m.paragraphs.back().runs;
    if (selected_) {
        // Typing replaces the selection and takes its format.
        format_ = runs[*selected_].format;
        runs[*selected_].text = text;
        if (text.empty())
            runs.erase(runs.begin() + std::ptrdiff_t(*selected_));
        selected_.reset();
        return;
    }
    if (text.empty())
        return;
    if (!runs.empty() && runs.back().picture < 0 && runs.back().format == format_)
        runs.back().text += text;
    else
        runs.push_back(Run{text, format_, -1});
}

void Selection::TypeParagraph() {
    Document& m = Model();
    DropSelection();
    Paragraph next;
    next.alignment = m.paragraphs.back().alignment;
    m.paragraphs.push_back(std::move(next));
}

std::shared_ptr<InlineShape> InlineShapes::AddPicture(const std::u16string& fileName,
                                                      SHORT linkToFile, SHORT saveWithDocument) {
    Document& m = selection_->Model();
    Require(linkToFile == 0 && saveWithDocument != 0, "Linked pictures are not supported.");
    EmbeddedPicture loaded = LoadPictureFile(fileName);
    Picture pic{std::move(loaded.png), loaded.width, loaded.height};
    selection_->DropSelection();
    m.pictures.push_back(std::move(pic));
    int index = int(m.pictures.size() - 1);
    m.paragraphs.back().runs.push_back(Run{{}, selection_->format_, index});
    return std::make_shared<InlineShape>(index);
}

// ---- Document, collection, application ----

void DocumentObject::SaveAs(const std::u16string& fileName, LONG fileFormat) {
    Require(!closed_, "The document is closed.");
    Require(fileFormat == 0, "Only the document format (0) is supported.");
    Require(!fileName.empty(), "No file name.");
    bool docx = fileName.size() >= 5 && SameNoCase(fileName.substr(fileName.size() - 5), u".docx");
    std::string bytes = docx ? ToDocx(model_) : ToRtf(model_);
    Require(!bytes.empty(), "The document cannot be written.");
    Require(WriteFileAtomic(fileName, bytes), "The file cannot be written.");
}

std::shared_ptr<DocumentObject> Documents::Add(const std::u16string&, bool, LONG) {
    auto app = app_.lock();
    Require(app && !app->quit_, "The application has quit.");
    app->active_ = std::make_shared<DocumentObject>();
    app->selection_.reset();
    return app->active_;
}

std::shared_ptr<Application> Application::Create() {
    if (!AutomationCreateAllowed(u"Word.Application"))
        return nullptr;
    return std::make_shared<Application>();
}

std::shared_ptr<Documents> Application::GetDocuments() {
    Require(!quit_, "The application has quit.");
    return std::make_shared<Documents>(weak_from_this());
}

std::shared_ptr<Selection> Application::GetSelection() {
    Require(!quit_, "The application has quit.");
    if (!active_)
        return nullptr;
    if (!selection_)
        selection_ = std::make_shared<Selection>(active_);
    return selection_;
}

void Application::Quit(bool) {
    // Documents close unsaved: a report is saved explicitly before the quit.
    if (active_)
        active_->closed_ = true;
    selection_.reset();
    quit_ = true;
}

} // namespace ms::word
