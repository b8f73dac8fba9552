// The "Text" dialog of text annotations, shared by both programs: the text, and through its
// Font button the font (g_textFont, "logfont.ini") and colour (g_textColor) of every later
// text annotation. A chosen font and colour are stored at once, whether or not the dialog then
// ends with OK. Cancel is the template's default button, so Enter in the text field cancels.
#pragma once

#include "platform/mfc/AfxWin.h"

#include <functional>

// What differs between the two programs' copies of the dialog.
struct TextDlgVariant {
    UINT templateId;
    int editId;
    int fontButtonId;
    int promptId;
    int previewId;
    int textCut; // UI texts are cut to this many characters
    const WCHAR* titleDefault;
    const WCHAR* fontDefault;
    // Refreshes g_textColor from where the program keeps it.
    std::function<void()> loadColor;
    // Stores g_textFont and g_textColor after the Font button's dialog ended with OK.
    std::function<void()> storeFontAndColor;
};

// Whether the operator typed a text for an annotation; if not, says so ("Please input text!").
bool TextGiven(const CString& text);

// Tessary: colour in "fontcolor" of the registry, font in "logfont.ini".
const TextDlgVariant& TessaryTextDlg();
// Wavenor: its own template ids; the colour is one of the program's registry settings, read
// and written as a whole by the two functions given.
TextDlgVariant WavenorTextDlg(std::function<void()> loadSettings,
                              std::function<void()> saveSettings);

class CTextDlg : public CDialog {
public:
    explicit CTextDlg(CWnd* parent = nullptr);
    CTextDlg(const TextDlgVariant& variant, CWnd* parent);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL DestroyWindow() override;
    // The Font button and the edit's changes, by the variant's control ids.
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    CString m_text;              // at most 254 characters
    COLORREF m_color = 0x0000FF; // the text colour, g_textColor at opening
    CFont m_font;                // the preview's font, made from g_textFont

protected:
    afx_msg void OnFont();
    afx_msg void OnTextChange();
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    TextDlgVariant m_variant;
};
