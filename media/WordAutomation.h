// CWordAutomation: a report written through the word processor's automation. A command
// calls Start, SetFont, SetFontStyle and SetAlignment once, then per report line TypeText
// (once or twice) and m_selection->TypeParagraph(), then InsertPicture, SaveAs and Quit, all on
// the UI thread. Start shows its own message and returns 0 when the word processor or its
// document is not available; a call the word processor rejects throws ms::AutomationError,
// which this class lets through to the command.
#pragma once

#include "platform/services/WordAutomation.h"
#include "platform/win/core/CString.h"

#include <memory>

class CWordAutomation {
public:
    CWordAutomation() = default;
    virtual ~CWordAutomation();
    CWordAutomation(const CWordAutomation&) = delete;
    CWordAutomation& operator=(const CWordAutomation&) = delete;

    // Non-zero when the application, its documents, a new active document and its selection
    // are all held.
    int Start();
    int CreateApp();
    int NewDocument();

    void TypeText(CString text);
    // The font of what is typed next, set on a placeholder "F" that the next TypeText
    // replaces. Without a selection: a message, nothing else.
    void SetFont(CString face, float size, LONG color, LONG highlight);
    void SetFontStyle(LONG bold, LONG italic, LONG underline);
    void SetAlignment(LONG alignment); // 0 left, 1 centre, 2 right, 3 justified
    // The picture file embedded at the insertion point.
    void InsertPicture(CString path);
    // ".docx": an OOXML document; any other name: RTF.
    void SaveAs(CString path);
    // Ends the word processor without saving; the document stays held until destruction.
    void Quit();

    // The insertion point; the users type paragraph breaks through it.
    std::shared_ptr<ms::word::Selection> m_selection;

private:
    // Sets the selection's text to the placeholder "F" and takes its font into m_font; false
    // (with the message) without a selection.
    bool TakePlaceholderFont();

    std::shared_ptr<ms::word::Application> m_app;
    std::shared_ptr<ms::word::Documents> m_documents;
    std::shared_ptr<ms::word::DocumentObject> m_document;
    std::shared_ptr<ms::word::Font> m_font;
    std::shared_ptr<ms::word::InlineShapes> m_inlineShapes;
    std::shared_ptr<ms::word::InlineShape> m_inlineShape;
};
