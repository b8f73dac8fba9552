// Dialog data exchange and validation with the framework's messages: a value that does not
// parse or lies out of range is reported, the field gets the focus with its text selected,
// and the exchange fails (so OnOK keeps the dialog open).
#include "platform/mfc/AfxWin.h"

#include <cerrno>
#include <cfloat>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool IsSpace(WCHAR c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::string Trimmed(const CString& s) {
    std::string t = s.ToUtf8();
    std::size_t a = 0, b = t.size();
    while (a < b && IsSpace(static_cast<WCHAR>(t[a])))
        ++a;
    while (b > a && IsSpace(static_cast<WCHAR>(t[b - 1])))
        --b;
    return t.substr(a, b - a);
}

bool ParseLong(const CString& s, long long& out) {
    const std::string t = Trimmed(s);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtoll(t.c_str(), &end, 10);
    return errno == 0 && end && *end == 0;
}

bool ParseDouble(const CString& s, double& out) {
    const std::string t = Trimmed(s);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end); // the numeric locale is "C"
    return errno == 0 && end && *end == 0;
}

[[noreturn]] void FailWith(CDataExchange* dx, const CString& prompt) {
    AfxMessageBox(prompt.GetString(), MB_ICONEXCLAMATION);
    dx->Fail();
}

CString Replace12(const WCHAR* pattern, const CString& a, const CString& b) {
    CString s(pattern);
    s.Replace(u"%1", a.GetString());
    s.Replace(u"%2", b.GetString());
    return s;
}

CString Num(long long v) {
    CString s;
    s.Format(u"%lld", v);
    return s;
}

CString Num(double v) {
    CString s;
    s.Format(u"%.*g", DBL_DIG, v);
    return s;
}

CString ControlText(CDataExchange* dx, int id) {
    HWND h = dx->PrepareEditCtrl(id);
    CString text;
    CWnd::FromHandle(h)->GetWindowText(text);
    return text;
}

template <class T> void IntegerText(CDataExchange* dx, int id, T& value, bool isUnsigned) {
    HWND h = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        long long v = 0;
        CString text;
        CWnd::FromHandle(h)->GetWindowText(text);
        if (!ParseLong(text, v) || (isUnsigned && v < 0) ||
            v < static_cast<long long>(std::numeric_limits<T>::min()) ||
            v > static_cast<long long>(std::numeric_limits<T>::max()))
            FailWith(dx, isUnsigned ? u"Please enter a positive integer."
                                    : u"Please enter an integer.");
        value = static_cast<T>(v);
    } else {
        ::SetWindowText(h, Num(static_cast<long long>(value)).GetString());
    }
}

} // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_idLastControl = id;
    m_bEditLastControl = FALSE;
    return h;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND h = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail() {
    if (!m_bSaveAndValidate)
        AfxThrowUserException();
    if (HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, m_idLastControl)) {
        ::SetFocus(h);
        if (m_bEditLastControl)
            ::SendMessage(h, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND h = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        CWnd::FromHandle(h)->GetWindowText(value);
    else
        ::SetWindowText(h, value.GetString());
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    IntegerText(dx, id, value, false);
}
void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    IntegerText(dx, id, value, true);
}
void DDX_Text(CDataExchange* dx, int id, long& value) {
    IntegerText(dx, id, value, false);
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
    HWND h = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        double v = 0;
        if (!ParseDouble(ControlText(dx, id), v))
            FailWith(dx, u"Please enter a number.");
        value = v;
    } else {
        ::SetWindowText(h, Num(value).GetString());
    }
}

void DDX_Text(CDataExchange* dx, int id, float& value) {
    double d = value;
    if (!dx->m_bSaveAndValidate) {
        HWND h = dx->PrepareEditCtrl(id);
        CString s;
        s.Format(u"%.*g", FLT_DIG, d);
        ::SetWindowText(h, s.GetString());
        return;
    }
    DDX_Text(dx, id, d);
    value = static_cast<float>(d);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND h = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessage(h, BM_GETCHECK, 0, 0));
    else
        ::SendMessage(h, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    // The group starts at `id` and runs over the following radio buttons.
    HWND first = dx->PrepareCtrl(id);
    if (!first)
        return;
    HWND parent = ::GetParent(first);
    int index = 0;
    if (dx->m_bSaveAndValidate)
        value = -1;
    for (int cid = id; HWND h = ::GetDlgItem(parent, cid); ++cid, ++index) {
        const DWORD type = static_cast<DWORD>(::GetWindowLong(h, GWL_STYLE)) & BS_TYPEMASK;
        if (type != BS_RADIOBUTTON && type != BS_AUTORADIOBUTTON)
            break;
        if (cid != id && (::GetWindowLong(h, GWL_STYLE) & WS_GROUP))
            break;
        if (dx->m_bSaveAndValidate) {
            if (::SendMessage(h, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessage(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd)
        return;
    HWND h = dx->PrepareCtrl(id);
    if (!h || !control.SubclassWindow(h))
        AfxThrowUserException(); // a template without the control is a programming error
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal) {
    if (!dx->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    FailWith(dx,
             Replace12(u"Please enter an integer between %1 and %2.",
                       Num(static_cast<long long>(minVal)), Num(static_cast<long long>(maxVal))));
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal) {
    if (!dx->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    FailWith(dx,
             Replace12(u"Please enter an integer between %1 and %2.",
                       Num(static_cast<long long>(minVal)), Num(static_cast<long long>(maxVal))));
}

void DDV_MinMaxDouble(CDataExchange* dx, double const& value, double minVal, double maxVal) {
    if (!dx->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    FailWith(dx, Replace12(u"Please enter a number between %1 and %2.", Num(minVal), Num(maxVal)));
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (!dx->m_bSaveAndValidate) {
        // Loading limits the edit control itself.
        if (HWND h = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, dx->m_idLastControl))
            ::SendMessage(h, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        return;
    }
    if (value.GetLength() > maxChars)
        FailWith(dx, Replace12(u"Please enter no more than %1 characters.",
                               Num(static_cast<long long>(maxChars)), CString()));
}
