// CDialog (modal and modeless, from templates) and CFrameWnd.
#include "platform/mfc/AfxWin.h"

#include "platform/win/window/Framework.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/TestSeams.h"

namespace {

void SubclassOnCreate(CWnd* wnd) {
    ms::SetCreateHook([wnd](HWND h) {
        // The dialog's messages reach the object from the first one on.
        wnd->SubclassWindow(h);
    });
}

} // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return; // the exchange told the operator and put the focus on the field
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result) {
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (CWnd::PreTranslateMessage(msg))
        return TRUE;
    const UINT m = msg->message;
    const bool input =
        (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST);
    if (!input || !m_hWnd)
        return FALSE;
    // The dialog manager handles Enter, Esc and Tab and dispatches the rest itself.
    return ::IsDialogMessage(m_hWnd, msg);
}

INT_PTR CDialog::DoModal() {
    const ms::res::DialogTemplate* tpl = ms::res::FindDialog(m_nIDHelp);
    if (!tpl || m_hWnd)
        return -1;
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!parent) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this)
            parent = main->m_hWnd;
    }
    if (!parent)
        parent = ms::CurrentModalWindow();
    HWND owner = parent ? ::GetAncestor(parent, GA_ROOT) : nullptr;
    const bool disable = owner && ::IsWindowEnabled(owner);
    if (disable)
        ::EnableWindow(owner, FALSE);
    ms::res::DialogTemplate modal = *tpl;
    modal.style &= ~WS_VISIBLE;
    if (modal.style & WS_CHILD) {
        modal.style &= ~WS_CHILD;
        modal.style |= WS_POPUP;
    }
    m_nModalResult = -1;
    SubclassOnCreate(this);
    HWND h = ms::CreateDialogFromTemplate(modal, owner, nullptr, 0);
    ms::SetCreateHook(nullptr);
    INT_PTR result = -1;
    if (h && ::IsWindow(h)) {
        if (!ms::ModalEndPending(h))
            ::ShowWindow(h, SW_SHOWNORMAL);
        result = ms::RunModalDialog(h, m_nIDHelp);
    }
    if (disable && ::IsWindow(owner)) {
        // The owner comes back before the dialog goes, so that it is the one activated.
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_nModalResult = result;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd)
        return FALSE;
    m_nIDHelp = templateId;
    m_pParentWnd = parent;
    const ms::res::DialogTemplate* tpl = ms::res::FindDialog(templateId);
    if (!tpl)
        return FALSE;
    HWND p = parent ? parent->m_hWnd : nullptr;
    if (!p && !(tpl->style & WS_CHILD)) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this)
            p = main->m_hWnd;
    }
    SubclassOnCreate(this);
    HWND h = ms::CreateDialogFromTemplate(*tpl, p, nullptr, 0);
    ms::SetCreateHook(nullptr);
    return h && m_hWnd == h;
}

void CDialog::NextDlgCtrl() const {
    if (HWND next = ::GetNextDlgTabItem(m_hWnd, ::GetFocus(), FALSE))
        ::SetFocus(next);
}

void CDialog::PrevDlgCtrl() const {
    if (HWND prev = ::GetNextDlgTabItem(m_hWnd, ::GetFocus(), TRUE))
        ::SetFocus(prev);
}

void CDialog::GotoDlgCtrl(CWnd* ctl) {
    if (ctl && ctl->m_hWnd)
        ::SetFocus(ctl->m_hWnd);
}

// ---- CFrameWnd ----

const RECT CFrameWnd::rectDefault = {static_cast<LONG>(CW_USEDEFAULT),
                                     static_cast<LONG>(CW_USEDEFAULT), 0, 0};

CFrameWnd::CFrameWnd() = default;

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect,
                       CWnd* parent, LPCWSTR menuName, DWORD exStyle) {
    HMENU menu = menuName ? ::LoadMenu(AfxGetInstanceHandle(), menuName) : nullptr;
    const bool useDefault = rect.left == CW_USEDEFAULT;
    return CWnd::CreateEx(exStyle, className, title, style, rect.left, rect.top,
                          useDefault ? CW_USEDEFAULT : rect.right - rect.left,
                          useDefault ? 0 : rect.bottom - rect.top,
                          parent ? parent->m_hWnd : nullptr, menu);
}

void CFrameWnd::PostNcDestroy() {
    delete this;
}
