// Menus on a real display, to look at them:
//   DISPLAY=:99 [MENU_DEMO=bar] build/tests/menu_demo
// A window with a menu bar and an owner-drawn popup with a submenu open; with MENU_DEMO=bar
// the bar's File menu is open instead, as a click opens it; MENU_DEMO=font and MENU_DEMO=file
// show the font and the save dialog. It ends by itself after 5 s.
#include "platform/mfc/AfxDlgs.h"
#include "platform/mfc/AfxWin.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace {

struct Entry {
    UINT id;
    const WCHAR* text;
    COLORREF icon; // the colour of the square standing for the icon
};

// An owner-drawn popup in the programs' flat style: light background, coloured selection bar,
// a square at the left of each entry, etched separators.
class FlatMenu : public CMenu {
public:
    COLORREF background = RGB(236, 233, 216);
    COLORREF selection = RGB(49, 106, 197);

    void Add(const Entry& e, UINT flags = 0) {
        entries_.push_back(e);
        AppendMenu(flags | MF_OWNERDRAW, e.id, reinterpret_cast<LPCWSTR>(&entries_.back()));
    }
    void AddSeparator() { AppendMenu(MF_OWNERDRAW | MF_SEPARATOR, 0, nullptr); }
    void AddPopup(FlatMenu& sub, const Entry& e) {
        entries_.push_back(e);
        AppendMenu(MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.m_hMenu),
                   reinterpret_cast<LPCWSTR>(&entries_.back()));
    }
    FlatMenu() { entries_.reserve(32); }

    void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
        if (!mis->itemData) {
            mis->itemHeight = GetSystemMetrics(SM_CYMENUCHECK) / 2;
            mis->itemWidth = 0;
            return;
        }
        const auto* e = reinterpret_cast<const Entry*>(mis->itemData);
        HDC dc = ::GetDC(nullptr);
        HFONT font = MenuFont();
        HGDIOBJ old = ::SelectObject(dc, font);
        SIZE s{};
        ::GetTextExtentPoint32W(dc, e->text, static_cast<int>(wcslen(e->text)), &s);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        ::ReleaseDC(nullptr, dc);
        mis->itemHeight = static_cast<UINT>(std::max<LONG>(s.cy, 20));
        mis->itemWidth = static_cast<UINT>(s.cx + 44) + 1 - GetSystemMetrics(SM_CXMENUCHECK);
    }

    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        HDC dc = dis->hDC;
        RECT r = dis->rcItem;
        const bool selected = dis->itemState & ODS_SELECTED;
        HBRUSH bg = ::CreateSolidBrush(selected && dis->itemData ? selection : background);
        ::FillRect(dc, &r, bg);
        ::DeleteObject(bg);
        if (!dis->itemData) {
            RECT line{r.left, (r.top + r.bottom) / 2, r.right, r.bottom};
            ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            return;
        }
        const auto* e = reinterpret_cast<const Entry*>(dis->itemData);
        const int h = r.bottom - r.top;
        RECT square{r.left + 2, r.top + 2, r.left + h - 2, r.bottom - 2};
        HBRUSH icon = ::CreateSolidBrush(e->icon);
        ::FillRect(dc, &square, icon);
        ::DeleteObject(icon);
        if (dis->itemState & ODS_CHECKED) {
            RECT frame{r.left, r.top, r.left + h, r.bottom};
            ::DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
        }
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, (dis->itemState & ODS_GRAYED) ? RGB(128, 128, 128)
                           : selected                    ? RGB(255, 255, 255)
                                                         : RGB(0, 0, 0));
        RECT text{r.left + h + 2, r.top, r.right - 16, r.bottom};
        HFONT font = MenuFont();
        HGDIOBJ old = ::SelectObject(dc, font);
        ::DrawTextW(dc, e->text, -1, &text, DT_SINGLELINE | DT_VCENTER);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
    }

private:
    static HFONT MenuFont() {
        NONCLIENTMETRICS m{};
        m.cbSize = sizeof m;
        ::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
        return ::CreateFontIndirectW(&m.lfMenuFont);
    }
    std::vector<Entry> entries_;
};

class DemoFrame : public CFrameWnd {
public:
    afx_msg void OnCommandRange(UINT) {}
    afx_msg void OnPaint() {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        RECT r;
        ::GetClientRect(m_hWnd, &r);
        HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
        ::FillRect(dc, &r, white);
        ::DeleteObject(white);
        ::EndPaint(m_hWnd, &ps);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DemoFrame, CFrameWnd)
ON_COMMAND_RANGE(1, 0xFFFF, OnCommandRange)
ON_WM_PAINT()
END_MESSAGE_MAP()

class DemoApp : public CWinApp {
public:
    BOOL InitInstance() override {
        auto* frame = new DemoFrame;
        frame->Create(nullptr, u"Menus", WS_OVERLAPPEDWINDOW, CRect(40, 40, 520, 380));
        m_pMainWnd = frame;

        HMENU bar = ::CreateMenu();
        HMENU file = ::CreatePopupMenu();
        ::AppendMenu(file, MF_STRING, 32776, u"&Open...\tCtrl+O");
        ::AppendMenu(file, MF_SEPARATOR, 0, nullptr);
        ::AppendMenu(file, MF_STRING | MF_CHECKED, 32777, u"&Save as");
        ::AppendMenu(file, MF_STRING | MF_GRAYED, 32778, u"&Delete...");
        ::AppendMenu(file, MF_STRING, 32828, u"Favorite");
        HMENU setting = ::CreatePopupMenu();
        ::AppendMenu(setting, MF_STRING, 32811, u"640 x 480");
        ::AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
        ::AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(setting), u"&Setting");
        ::AppendMenu(bar, MF_STRING, 32785, u"&Help");
        brush_ = ::CreateSolidBrush(RGB(0xDC, 0xDC, 0xDC));
        MENUINFO mi{sizeof mi, MIM_BACKGROUND, 0, 0, brush_, 0, 0};
        ::SetMenuInfo(bar, &mi);
        ::SetMenu(frame->m_hWnd, bar);
        frame->ShowWindow(SW_SHOW);

        const QString mode = qEnvironmentVariable("MENU_DEMO", QStringLiteral("popup"));
        const bool barMode = mode == QLatin1String("bar");
        const int seconds = 5;
        HWND hwnd = frame->m_hWnd;
        QTimer::singleShot(300, [hwnd, barMode, mode] {
            if (mode == QLatin1String("font")) {
                LOGFONTW lf{};
                lf.lfHeight = -14;
                lf.lfWeight = 400;
                ms::CopyBounded(lf.lfFaceName, 32, u"Arial");
                CFontDialog font(&lf, CF_SCREENFONTS | CF_EFFECTS, nullptr, CWnd::FromHandle(hwnd));
                font.m_cf.rgbColors = RGB(255, 0, 0);
                font.DoModal();
                return;
            }
            if (mode == QLatin1String("file")) {
                CFileDialog save(FALSE, u"bmp", u"photo", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                 u"bmp Files(*.bmp)|*.bmp|jpg Files(*.jpg)|*.jpg||",
                                 CWnd::FromHandle(hwnd));
                save.DoModal();
                return;
            }
            if (barMode) {
                QWidget* top = ms::WidgetOf(hwnd);
                QWidget* strip = top ? top->childAt(12, 6) : nullptr;
                if (strip) {
                    const QPoint local = strip->mapFrom(top, QPoint(12, 6));
                    QMouseEvent press(QEvent::MouseButtonPress, local, strip->mapToGlobal(local),
                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(strip, &press);
                }
                return;
            }
            FlatMenu popup;
            popup.CreatePopupMenu();
            FlatMenu format;
            format.CreatePopupMenu();
            format.Add({1314, u"BMP", RGB(0, 120, 215)});
            format.Add({1315, u"JPG", RGB(0, 120, 215)}, MF_CHECKED);
            popup.Add({1273, u"Cancel", RGB(200, 60, 60)});
            popup.AddSeparator();
            popup.Add({1243, u"Cross Line", RGB(60, 160, 60)});
            popup.Add({1244, u"Scale", RGB(60, 160, 60)});
            popup.Add({1245, u"Circle", RGB(60, 160, 60)}, MF_GRAYED);
            popup.Add({395, u"Time", RGB(60, 160, 60)});
            popup.AddSeparator();
            popup.AddPopup(format, {0, u"Format", RGB(160, 100, 40)});
            RECT wr;
            ::GetWindowRect(hwnd, &wr);
            // Into the submenu, as an operator would with the keys.
            for (int k : {Qt::Key_Up, Qt::Key_Right}) {
                QTimer::singleShot(400, [k] {
                    if (QWidget* p = QApplication::activePopupWidget()) {
                        QKeyEvent key(QEvent::KeyPress, k, Qt::NoModifier);
                        QApplication::sendEvent(p, &key);
                    }
                });
            }
            popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, wr.left + 140, wr.top + 110,
                                 CWnd::FromHandle(hwnd));
            format.Detach();
        });
        QTimer::singleShot(seconds * 1000, [hwnd] {
            ::EndMenu();
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            ::PostMessage(hwnd, WM_CLOSE, 0, 0);
        });
        return TRUE;
    }
    int ExitInstance() override {
        ::DeleteObject(brush_);
        return 0;
    }

private:
    HBRUSH brush_ = nullptr;
};

DemoApp theApp;

} // namespace
