// Not a test: the UI kit on a real display, for a look. Opens the language popup with the
// mouse over an entry, then a popup with a checked, a grey and a default entry, a separator and
// a submenu, then the slide-up notifier; each stays a few seconds, then the program ends.
#include "kit/HyperlinkStatic.h"
#include "kit/LanguagePopup.h"
#include "kit/PopupNotifier.h"
#include "kit/ToggleBitmapButton.h"

#include "platform/win/window/TestSeams.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

namespace {

class CDemoWnd : public CWnd {
protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        CRect r;
        GetClientRect(&r);
        dc->FillSolidRect(&r, ::GetSysColor(COLOR_3DFACE));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDemoWnd, CWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void HoverAfter(int ms, QPoint at) {
    QTimer::singleShot(ms, [at] { QCursor::setPos(at); });
}

} // namespace

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    ms::EnsureApplication();
    auto* owner = new CDemoWnd;
    owner->CreateEx(0, nullptr, u"UI kit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 560, 420,
                    nullptr, nullptr);
    CButton button;
    button.Create(u"Language", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(20, 330, 120, 360),
                  owner, 1293);
    CLanguageChoice choice;

    // Two tool buttons, the second one down; a link underlined for good.
    for (int i = 0; i < 2; ++i)
        CreateWindowEx(0, u"Button", u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 20 + 50 * i, 20, 40,
                       40, owner->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(1005 + i)),
                       nullptr, nullptr);
    CToggleBitmapButton camera, record;
    camera.Attach(1005, owner, 150, 350, 0);
    record.Attach(1006, owner, 151, 351, 0);
    record.SetPressed();
    CreateWindowEx(0, u"Static", u"www.dorvex.example", WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 80,
                   200, 16, owner->m_hWnd, reinterpret_cast<HMENU>(394), nullptr, nullptr);
    CHyperlinkStatic link;
    link.SubclassWindow(::GetDlgItem(owner->m_hWnd, 394));
    link.SetUrl(u"https://www.dorvex.example");
    link.SetUnderline(1);
    owner->Invalidate();

    QTimer::singleShot(500, [&] {
        CRect r;
        button.GetWindowRect(&r);
        HoverAfter(800, QPoint(r.left + 60, r.bottom - 4 + 3 * 20 + 12));
        QTimer::singleShot(3500, [] { EndMenu(); });
        ShowLanguagePopup(owner, &button, choice);

        CSkinMenu* menu = new CSkinMenu;
        menu->CreatePopupMenu();
        menu->m_backColor = kPopupBackColor;
        menu->m_selectColor = kPopupSelectColor;
        menu->AddItem(0, new CSkinMenuTextItem(1, u"&Open picture", LoadMenuIcon(338)));
        menu->AddItem(MF_CHECKED,
                      new CSkinMenuTextItem(2, u"Checked with icon", LoadMenuIcon(231)));
        menu->AddItem(MF_CHECKED, new CSkinMenuTextItem(3, u"Checked, no icon", nullptr));
        menu->AddSeparator();
        menu->AddItem(MF_GRAYED, new CSkinMenuTextItem(4, u"Grey entry", LoadMenuIcon(341)));
        const ACCEL accel{FVIRTKEY | FCONTROL, 'S', 5};
        menu->AddItem(MF_DEFAULT, new CSkinMenuTextItem(5, u"&Save as", LoadMenuIcon(339)), &accel);
        auto* sub = new CSkinMenu;
        sub->CreatePopupMenu();
        sub->m_backColor = kPopupBackColor;
        sub->m_selectColor = kPopupSelectColor;
        sub->AddItem(0, new CSkinMenuTextItem(6, u"E-mail", LoadMenuIcon(344)));
        menu->AddPopup(0, sub, new CSkinMenuTextItem(0, u"Send", nullptr));
        HoverAfter(800, QPoint(340, 160 + 20 * 5 + 6 + 10));
        QTimer::singleShot(3500, [] { EndMenu(); });
        menu->TrackPopupMenu(TPM_LEFTALIGN, 300, 160, owner);
        delete menu;

        CPopupNotifier::CreateNotifier(u"Picture saved to Documents/Tessary files/Picture", 220, 90,
                                       4000, 5, RECT{10, 20, 200, 80}, nullptr)
            ->Show();
        QTimer::singleShot(7000, [] { QApplication::quit(); });
    });
    return QApplication::exec();
}
