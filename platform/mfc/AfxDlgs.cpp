// The framework's common dialogs.
#include "platform/mfc/AfxDlgs.h"

#include "platform/win/core/WString.h"

#include <algorithm>

HWND CCommonDialog::OwnerHandle() const {
    if (m_pParentWnd)
        return m_pParentWnd->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

// ---- CFileDialog ----

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defExt, LPCWSTR fileName, DWORD flags,
                         LPCWSTR filter, CWnd* parent, DWORD, BOOL)
    : CCommonDialog(parent), m_bOpenFileDialog(openFileDialog) {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    if (filter) {
        filter_ = ms::FilterFromFramework(filter);
        m_ofn.lpstrFilter = filter_.c_str();
    }
    if (defExt) {
        defExt_ = defExt;
        m_ofn.lpstrDefExt = defExt_.c_str();
    }
    if (fileName)
        ms::CopyBounded(file_, std::size(file_), fileName);
    m_ofn.lpstrFile = file_;
    m_ofn.nMaxFile = static_cast<DWORD>(std::size(file_));
    m_ofn.lpstrFileTitle = title_;
    m_ofn.nMaxFileTitle = static_cast<DWORD>(std::size(title_));
    m_ofn.nFilterIndex = 1;
}

INT_PTR CFileDialog::DoModal() {
    if (!m_ofn.hwndOwner)
        m_ofn.hwndOwner = OwnerHandle();
    const BOOL ok = m_bOpenFileDialog ? ::GetOpenFileName(&m_ofn) : ::GetSaveFileName(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const {
    const CString path = GetPathName();
    return path.Mid(path.ReverseFind(u'/') + 1);
}

CString CFileDialog::GetFileExt() const {
    const CString name = GetFileName();
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    const CString name = GetFileName();
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const {
    const CString path = GetPathName();
    const int slash = path.ReverseFind(u'/');
    return slash < 0 ? CString() : path.Left(slash);
}

// ---- CColorDialog ----

COLORREF* CColorDialog::GetSavedCustomColors() {
    static COLORREF custom[16] = {};
    static bool init = false;
    if (!init) {
        std::fill(std::begin(custom), std::end(custom), RGB(255, 255, 255));
        init = true;
    }
    return custom;
}

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : CCommonDialog(parent) {
    m_cc.lStructSize = sizeof m_cc;
    m_cc.lpCustColors = GetSavedCustomColors();
    m_cc.Flags = flags;
    m_cc.rgbResult = initial;
    if (initial != 0)
        m_cc.Flags |= CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal() {
    if (!m_cc.hwndOwner)
        m_cc.hwndOwner = OwnerHandle();
    return ::ChooseColor(&m_cc) ? IDOK : IDCANCEL;
}

// ---- CFontDialog ----

CFontDialog::CFontDialog(const LOGFONTW* initial, DWORD flags, CDC*, CWnd* parent)
    : CCommonDialog(parent) {
    m_cf.lStructSize = sizeof m_cf;
    m_cf.Flags = flags;
    m_cf.lpLogFont = &m_lf;
    if (initial) {
        m_lf = *initial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
}

INT_PTR CFontDialog::DoModal() {
    if (!m_cf.hwndOwner)
        m_cf.hwndOwner = OwnerHandle();
    if (!m_cf.lpLogFont)
        m_cf.lpLogFont = &m_lf;
    return ::ChooseFont(&m_cf) ? IDOK : IDCANCEL;
}

void CFontDialog::GetCurrentFont(LOGFONTW* out) const {
    if (out)
        *out = *m_cf.lpLogFont;
}

CString CFontDialog::GetFaceName() const {
    return CString(m_cf.lpLogFont->lfFaceName);
}

// ---- CPrintDialog ----

CPrintDialog::CPrintDialog(BOOL printSetupOnly, DWORD flags, CWnd* parent) : CCommonDialog(parent) {
    m_pd.lStructSize = sizeof m_pd;
    m_pd.Flags = flags | (printSetupOnly ? PD_PRINTSETUP : 0) | PD_RETURNDC;
    m_pd.nCopies = 1;
}

BOOL CPrintDialog::GetDefaults() {
    const DWORD saved = m_pd.Flags;
    m_pd.Flags |= PD_RETURNDEFAULT | PD_RETURNDC;
    const BOOL ok = ::PrintDlg(&m_pd);
    m_pd.Flags = saved;
    return ok;
}

INT_PTR CPrintDialog::DoModal() {
    // No print dialog is shown: the default printer is taken.
    return GetDefaults() ? IDOK : IDCANCEL;
}

HDC CPrintDialog::CreatePrinterDC() {
    if (!GetDefaults())
        return nullptr;
    return m_pd.hDC;
}
