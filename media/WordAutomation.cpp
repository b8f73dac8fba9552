#include "media/WordAutomation.h"

#include "platform/mfc/AfxWin.h"

namespace {
void Warn(const char16_t* text) {
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}
} // namespace

CWordAutomation::~CWordAutomation() {
    m_inlineShape.reset();
    m_inlineShapes.reset();
    m_selection.reset();
    m_font.reset();
    m_document.reset();
    m_documents.reset();
    m_app.reset();
}

int CWordAutomation::Start() {
    return CreateApp() == 1 ? NewDocument() : 0;
}

int CWordAutomation::CreateApp() {
    m_app = ms::word::Application::Create();
    if (!m_app) {
        Warn(u"Application Create fail!");
        return 0;
    }
    return 1;
}

int CWordAutomation::NewDocument() {
    if (!m_app) {
        Warn(u"Application为空,Documents创建失败!");
        return 0;
    }
    m_documents = m_app->GetDocuments();
    if (!m_documents) {
        Warn(u"Documents创建失败!");
        return 0;
    }
    m_documents->Add(u"", false, 0);
    m_document = m_app->GetActiveDocument();
    if (!m_document) {
        Warn(u"Document获取失败!");
        return 0;
    }
    m_selection = m_app->GetSelection();
    if (!m_selection) {
        Warn(u"Select获取失败!");
        return 0;
    }
    return 1;
}

void CWordAutomation::TypeText(CString text) {
    m_selection->TypeText(text.Str());
}

bool CWordAutomation::TakePlaceholderFont() {
    if (!m_selection) {
        Warn(u"Select为空，字体设置失败!");
        return false;
    }
    m_selection->SetText(u"F");
    m_font = m_selection->GetFont();
    return true;
}

void CWordAutomation::SetFont(CString face, float size, LONG color, LONG highlight) {
    if (!TakePlaceholderFont())
        return;
    m_font->SetSize(size);
    m_font->SetName(face.Str());
    m_font->SetColor(color);
    m_selection->SetFont(*m_font);
    m_selection->GetRange()->SetHighlightColorIndex(highlight);
}

void CWordAutomation::SetFontStyle(LONG bold, LONG italic, LONG underline) {
    if (!TakePlaceholderFont())
        return;
    m_font->SetBold(bold);
    m_font->SetItalic(italic);
    m_font->SetUnderline(underline);
    m_selection->SetFont(*m_font);
}

void CWordAutomation::SetAlignment(LONG alignment) {
    auto format = m_selection->GetParagraphFormat();
    format->SetAlignment(alignment);
    m_selection->SetParagraphFormat(*format);
}

void CWordAutomation::InsertPicture(CString path) {
    m_inlineShapes = m_selection->GetInlineShapes();
    m_inlineShape = m_inlineShapes->AddPicture(path.GetString(), 0, 1);
}

void CWordAutomation::SaveAs(CString path) {
    m_document = m_app->GetActiveDocument();
    m_document->SaveAs(path.GetString(), 0);
}

void CWordAutomation::Quit() {
    m_selection.reset();
    m_documents.reset();
    if (m_app)
        m_app->Quit(false);
    m_app.reset();
}
