// The test dialog as a real program, to look at it on a real display:
//   DISPLAY=:99 build/tests/mfc_dialog_demo
// It ends with the dialog (OK, Cancel, Enter, Esc or the close button).
#include "tests/platform/win/window/TestResource.h"

#include "platform/mfc/AfxWin.h"
#include "platform/win/gdi/Gdi.h"

namespace {

class CDemoCanvas : public CWnd {
protected:
    afx_msg void OnPaint() {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        CRect r;
        GetClientRect(&r);
        HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
        ::FillRect(dc, &r, white);
        ::DeleteObject(white);
        HPEN pen = ::CreatePen(PS_SOLID, 2, RGB(200, 0, 0));
        HGDIOBJ oldPen = ::SelectObject(dc, pen);
        HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        ::Ellipse(dc, 10, 10, r.Width() / 2, r.Height() - 10);
        ::MoveToEx(dc, r.Width() / 2 + 10, 10, nullptr);
        ::LineTo(dc, r.Width() - 10, r.Height() - 10);
        ::SelectObject(dc, oldBrush);
        ::SelectObject(dc, oldPen);
        ::DeleteObject(pen);
        ::SetBkMode(dc, TRANSPARENT);
        ::TextOutW(dc, 12, r.Height() / 2 - 6, u"Canvas", 6);
        ::EndPaint(m_hWnd, &ps);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDemoCanvas, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

class CDemoDlg : public CDialog {
public:
    CDemoDlg() : CDialog(IDD_TEST) {}
    int m_value = 42;
    int m_enabled = 1;
    CDemoCanvas m_canvas;
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_CANVAS, m_canvas);
        DDX_Text(dx, IDC_VALUE, m_value);
        DDV_MinMaxInt(dx, m_value, 1, 100);
        DDX_Check(dx, IDC_ENABLED, m_enabled);
    }
};

class CDemoApp : public CWinApp {
public:
    CDemoApp() : CWinApp(u"Dialog demo") {}
    BOOL InitInstance() override {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = ::DefWindowProc;
            wc.lpszClassName = u"TestCanvas";
            return ::RegisterClass(&wc) != 0;
        }();
        (void)registered;
        CDemoDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace
