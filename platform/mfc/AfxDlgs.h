// The framework's common dialogs over the Win32 ones (platform/win/dialogs): CFileDialog with
// the framework's "desc|pattern||" filters, CColorDialog, CFontDialog (LOGFONTW and colour in
// and out) and CPrintDialog for the default printer. DoModal returns IDOK or IDCANCEL; tests
// answer them through platform/win/dialogs/DialogSeams.h.
#pragma once

#include "platform/mfc/AfxWin.h"
#include "platform/win/dialogs/CommDlg.h"
#include "platform/win/dialogs/ShlObj.h"

#include <string>

class CCommonDialog : public CDialog {
public:
    explicit CCommonDialog(CWnd* parent) : CDialog() { m_pParentWnd = parent; }

protected:
    HWND OwnerHandle() const;
};

class CFileDialog : public CCommonDialog {
public:
    // `filter` is the framework's form: "Bitmap Files(*.bmp)|*.bmp|JPEG Files(*.jpg)|*.jpg||".
    explicit CFileDialog(BOOL openFileDialog, LPCWSTR defExt = nullptr, LPCWSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCWSTR filter = nullptr, CWnd* parent = nullptr, DWORD size = 0,
                         BOOL vistaStyle = TRUE);
    INT_PTR DoModal() override;

    CString GetPathName() const;
    CString GetFileName() const;  // name with extension
    CString GetFileExt() const;   // extension without the dot; empty when none
    CString GetFileTitle() const; // name without extension
    CString GetFolderPath() const;

    OPENFILENAME m_ofn{};
    BOOL m_bOpenFileDialog;

private:
    std::u16string filter_;
    std::u16string defExt_;
    WCHAR file_[4096]{};
    WCHAR title_[MAX_PATH]{};
};

class CColorDialog : public CCommonDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF c) { m_cc.rgbResult = c; }

    CHOOSECOLOR m_cc{};
    static COLORREF* GetSavedCustomColors();
};

class CFontDialog : public CCommonDialog {
public:
    // With an initial font, CF_INITTOLOGFONTSTRUCT is added. The caller may point m_cf.lpLogFont
    // at its own LOGFONTW, which is then written on OK.
    explicit CFontDialog(const LOGFONTW* initial = nullptr,
                         DWORD flags = CF_EFFECTS | CF_SCREENFONTS, CDC* printerDC = nullptr,
                         CWnd* parent = nullptr);
    INT_PTR DoModal() override;

    void GetCurrentFont(LOGFONTW* out) const;
    CString GetFaceName() const;
    int GetSize() const { return m_cf.iPointSize; } // tenths of a point
    COLORREF GetColor() const { return m_cf.rgbColors; }
    int GetWeight() const { return static_cast<int>(m_cf.lpLogFont->lfWeight); }
    BOOL IsBold() const { return m_cf.lpLogFont->lfWeight >= 600; }
    BOOL IsItalic() const { return m_cf.lpLogFont->lfItalic != 0; }
    BOOL IsUnderline() const { return m_cf.lpLogFont->lfUnderline != 0; }
    BOOL IsStrikeOut() const { return m_cf.lpLogFont->lfStrikeOut != 0; }

    CHOOSEFONT m_cf{};
    LOGFONTW m_lf{};
};

// The print set-up dialog, used for the default printer's settings without being shown.
class CPrintDialog : public CCommonDialog {
public:
    explicit CPrintDialog(BOOL printSetupOnly,
                          DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                        PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* parent = nullptr);
    // The default printer's settings and DC (PD_RETURNDEFAULT | PD_RETURNDC); FALSE when there
    // is no printer.
    BOOL GetDefaults();
    INT_PTR DoModal() override;
    HDC GetPrinterDC() const { return m_pd.hDC; }
    HDC CreatePrinterDC();
    CString GetDeviceName() const { return CString(m_pd.deviceName); }

    PRINTDLG m_pd{};
};
