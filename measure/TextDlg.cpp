#include "measure/TextDlg.h"

#include "measure/MeasureSettings.h"
#include "kit/LangText.h"

#include "platform/mfc/AfxDlgs.h"
#include "res/TessaryResource.h"

#include <vector>

namespace {

constexpr int kMaxTextChars = 254;

// Wavenor's template 246: its own control ids.
constexpr int kWifiEdit = 1164;
constexpr int kWifiFontButton = 1163;
constexpr int kWifiPrompt = 1166;
constexpr int kWifiPreview = 1139;

} // namespace

const TextDlgVariant& TessaryTextDlg() {
    static const TextDlgVariant variant{IDD_TEXT,
                                        IDC_TEXT_EDIT,
                                        IDC_TEXT_FONT,
                                        IDC_TEXT_PROMPT,
                                        IDC_TEXT_PREVIEW,
                                        29,
                                        u"Input Text",
                                        u"Text Font",
                                        [] { ReadTextColor(); },
                                        [] {
                                            WriteTextColor();
                                            WriteTextFont();
                                        }};
    return variant;
}

TextDlgVariant WavenorTextDlg(std::function<void()> loadSettings,
                              std::function<void()> saveSettings) {
    return TextDlgVariant{IDD_TEXT,
                          kWifiEdit,
                          kWifiFontButton,
                          kWifiPrompt,
                          kWifiPreview,
                          63,
                          u"Text",
                          u"Font",
                          std::move(loadSettings),
                          [save = std::move(saveSettings)] {
                              WriteTextFont();
                              if (save)
                                  save();
                          }};
}

CTextDlg::CTextDlg(CWnd* parent) : CTextDlg(TessaryTextDlg(), parent) {}

CTextDlg::CTextDlg(const TextDlgVariant& variant, CWnd* parent)
    : CDialog(variant.templateId, parent), m_variant(variant) {}

BEGIN_MESSAGE_MAP(CTextDlg, CDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

void CTextDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, m_variant.editId, m_text);
    DDV_MaxChars(dx, m_text, kMaxTextChars);
}

BOOL CTextDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    struct Caption {
        int id; // 0: the window title
        const WCHAR* key;
        const WCHAR* english;
    };
    const Caption captions[] = {
        {0, u"TextSetting", m_variant.titleDefault},
        {m_variant.fontButtonId, u"Font", m_variant.fontDefault},
        {IDOK, u"OK", u"OK"},
        {IDCANCEL, u"Cancel", u"Cancel"},
        {m_variant.promptId, u"EnterText", u"Please enter text:"},
        {m_variant.previewId, u"Preview", u"Preview"},
    };
    std::vector<WCHAR> text(static_cast<size_t>(m_variant.textCut) + 1);
    for (const Caption& c : captions) {
        GetLangText(c.key, text.data(), static_cast<int>(text.size()), c.english);
        if (c.id == 0)
            SetWindowText(text.data());
        else
            SetDlgItemText(c.id, text.data());
    }
    if (m_variant.loadColor)
        m_variant.loadColor();
    m_color = g_textColor;
    // g_textFont was read from its file by the caller.
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&g_textFont);
    return TRUE;
}

BOOL CTextDlg::OnCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    const UINT code = HIWORD(wp);
    if (id == m_variant.fontButtonId && code == BN_CLICKED) {
        OnFont();
        return TRUE;
    }
    if (id == m_variant.editId && code == EN_CHANGE) {
        OnTextChange();
        return TRUE;
    }
    return CDialog::OnCommand(wp, lp);
}

void CTextDlg::OnFont() {
    CFontDialog dlg(nullptr, CF_SCREENFONTS | CF_EFFECTS, nullptr, this);
    dlg.m_cf.lpLogFont = &dlg.m_lf;
    dlg.m_lf = g_textFont;
    dlg.m_cf.rgbColors = m_color;
    dlg.m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    if (dlg.DoModal() != IDOK)
        return;
    LOGFONTW chosen{};
    dlg.GetCurrentFont(&chosen);
    chosen.lfFaceName[LF_FACESIZE - 1] = 0;
    m_font.DeleteObject();
    g_textFont = chosen;
    m_font.CreateFontIndirect(&g_textFont);
    m_color = dlg.GetColor();
    g_textColor = m_color;
    // The settings of every later text annotation change now, even if this dialog is
    // cancelled afterwards.
    if (m_variant.storeFontAndColor)
        m_variant.storeFontAndColor();
    Invalidate();
}

void CTextDlg::OnTextChange() {
    Invalidate(TRUE);
}

void CTextDlg::OnPaint() {
    CPaintDC dc(this);
    // The edit limits itself to 254 characters, so reading it needs no validation.
    GetDlgItemText(m_variant.editId, m_text);
    CFont* old = dc.SelectObject(&m_font);
    dc.SetTextColor(m_color);
    dc.SetBkMode(TRANSPARENT);
    CRect box;
    if (CWnd* preview = GetDlgItem(m_variant.previewId)) {
        preview->GetWindowRect(&box);
        ScreenToClient(&box);
    }
    TEXTMETRICW tm{};
    dc.GetTextMetrics(&tm);
    // One line, not clipped to the box: a long text runs past its right edge.
    dc.TextOut(box.left + 2, box.top + (box.bottom - box.top) / 2 - tm.tmHeight / 2, m_text);
    dc.SelectObject(old);
}

BOOL CTextDlg::DestroyWindow() {
    m_font.DeleteObject();
    return CDialog::DestroyWindow();
}

bool TextGiven(const CString& text) {
    if (!text.IsEmpty())
        return true;
    WCHAR message[64];
    GetLangText(u"InputText", message, 64, u"Please input text!");
    AfxMessageBox(message, MB_OK);
    return false;
}
