// The About box of Tessary (the texts come from the language file) and the addresses of the
// maker's web site and support page.
#pragma once

#include "kit/HyperlinkStatic.h"

#include "platform/mfc/AfxWin.h"

inline constexpr LPCWSTR kMakerWebAddress = u"https://www.dorvex.com";
inline constexpr LPCWSTR kSupportPageAddress = u"https://www.dorvex.com/support/tessary";

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void LoadLangTexts();

    CHyperlinkStatic m_link;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
