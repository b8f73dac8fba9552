// Not a test: the UI kit on a real display, for a look. Opens the language popup with the
// mouse over an entry, then a popup with a checked, a grey and a default entry, a separator and
// a submenu, then the slide-up notifier; each stays a few seconds, then the program ends.
#include "shell/LanguagePopup.h"
#include "shell/PopupNotifier.h"

#include "platform/win/window/WindowObject.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

namespace {

class CDemoWnd : public CWnd {};

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
    CWnd button;
    button.Create(nullptr, u"", WS_CHILD | WS_VISIBLE, CRect(20, 330, 120, 360), owner, 1293);
    CLanguageChoice choice;

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
