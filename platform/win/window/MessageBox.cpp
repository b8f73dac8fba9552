// Message boxes over QMessageBox, MessageBeep, and the test seams for message boxes and
// modal dialogs.
#include "platform/win/window/Framework.h"
#include "platform/win/window/TestSeams.h"
#include "window/SystemIcons.h"
#include "window/WindowInternal.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <memory>

namespace ms::test {

namespace {

struct DialogScript {
    UINT templateId;
    std::function<void(HWND)> script;
};

std::deque<int>& BoxAnswers() {
    static std::deque<int> q;
    return q;
}

std::deque<DialogScript>& DialogScripts() {
    static std::deque<DialogScript> q;
    return q;
}

std::vector<Shown>& Log() {
    static std::vector<Shown> log;
    return log;
}

} // namespace

void AnswerMessageBox(int answer) {
    BoxAnswers().push_back(answer);
}

void AnswerDialog(UINT templateId, std::function<void(HWND)> script) {
    DialogScripts().push_back(DialogScript{templateId, std::move(script)});
}

void PressInDialog(UINT templateId, int buttonId) {
    AnswerDialog(templateId, [buttonId](HWND dlg) {
        SendMessage(dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(buttonId), BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dlg, buttonId)));
    });
}

const std::vector<Shown>& ShownLog() {
    return Log();
}

namespace {
std::vector<std::function<void()>>& SeamResets() {
    static std::vector<std::function<void()>> v;
    return v;
}
} // namespace

void AddSeamReset(std::function<void()> reset) {
    SeamResets().push_back(std::move(reset));
}

void ResetSeams() {
    wnd::ClearQuit();
    BoxAnswers().clear();
    DialogScripts().clear();
    Log().clear();
    for (const auto& reset : SeamResets())
        reset();
}

} // namespace ms::test

namespace ms {

INT_PTR RunModalDialog(HWND dialog, UINT templateId) {
    using namespace test;
    Shown rec{Shown::Dialog, {}, {}, 0, templateId, 0, false};
    WCHAR caption[256];
    GetWindowText(dialog, caption, 256);
    rec.caption = caption;
    auto& scripts = DialogScripts();
    auto it = std::find_if(scripts.begin(), scripts.end(), [templateId](const DialogScript& s) {
        return s.templateId == 0 || s.templateId == templateId;
    });
    bool scripted = it != scripts.end();
    auto leftOpen = std::make_shared<bool>(false);
    if (scripted) {
        auto script = std::move(it->script);
        scripts.erase(it);
        // The script runs once the loop runs, as an operator would act on the shown dialog.
        QTimer::singleShot(0, QCoreApplication::instance(), [dialog, script, leftOpen] {
            if (!IsWindow(dialog) || !InModalLoop(dialog))
                return;
            if (script)
                script(dialog);
            if (IsWindow(dialog) && InModalLoop(dialog)) {
                *leftOpen = true;
                EndModalLoop(dialog, IDCANCEL);
            }
        });
    }
    const std::size_t index = Log().size();
    Log().push_back(rec);
    const INT_PTR result = RunModalLoop(dialog);
    Log()[index].result = result;
    Log()[index].leftOpen = *leftOpen;
    return result;
}

} // namespace ms

using namespace ms;

namespace {

int DefaultAnswer(UINT type) {
    const UINT defButton = (type >> 8) & 3;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return defButton == 1 ? IDCANCEL : IDOK;
    case MB_ABORTRETRYIGNORE:
        return defButton == 1 ? IDRETRY : defButton == 2 ? IDIGNORE : IDABORT;
    case MB_YESNOCANCEL:
        return defButton == 1 ? IDNO : defButton == 2 ? IDCANCEL : IDYES;
    case MB_YESNO:
        return defButton == 1 ? IDNO : IDYES;
    case MB_RETRYCANCEL:
        return defButton == 1 ? IDCANCEL : IDRETRY;
    default:
        return IDOK;
    }
}

int ShowQtBox(HWND owner, const QString& text, const QString& caption, UINT type) {
    QMessageBox box(QApplication::activeWindow());
    if (QWidget* ow = WidgetOf(owner ? GetAncestor(owner, GA_ROOT) : nullptr))
        box.setParent(ow, box.windowFlags());
    box.setWindowTitle(caption);
    box.setText(text);
    SetMessageBoxIcon(box, type);
    struct B {
        QMessageBox::StandardButton qt;
        int id;
    };
    std::vector<B> buttons;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT},
                   {QMessageBox::Retry, IDRETRY},
                   {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    default:
        buttons = {{QMessageBox::Ok, IDOK}};
        break;
    }
    QMessageBox::StandardButtons set;
    for (const B& b : buttons)
        set |= b.qt;
    box.setStandardButtons(set);
    const std::size_t def = std::min<std::size_t>((type >> 8) & 3, buttons.size() - 1);
    box.setDefaultButton(buttons[def].qt);
    if (set & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    const int r = box.exec();
    for (const B& b : buttons)
        if (b.qt == r)
            return b.id;
    // Closed by the window manager: Cancel where there is one, else the only button.
    return (set & QMessageBox::Cancel) ? IDCANCEL : buttons.front().id;
}

} // namespace

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    EnsureApplication();
    test::Shown rec{test::Shown::MessageBox,
                    caption ? caption : u"Error",
                    text ? text : u"",
                    type,
                    0,
                    0,
                    false};
    int answer;
    auto& answers = test::BoxAnswers();
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    } else if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        answer = DefaultAnswer(type);
    } else {
        // The owner is disabled while the box is up, and clipping is released, as with any
        // modal dialog.
        HWND top = owner ? GetAncestor(owner, GA_ROOT) : CurrentModalWindow();
        const bool disable = top && IsWindowEnabled(top);
        if (disable)
            EnableWindow(top, FALSE);
        RECT clip;
        const bool clipped =
            GetClipCursor(&clip) &&
            !(clip.left == 0 && clip.top == 0 && clip.right == GetSystemMetrics(SM_CXSCREEN) &&
              clip.bottom == GetSystemMetrics(SM_CYSCREEN));
        if (clipped)
            ClipCursor(nullptr);
        answer = ShowQtBox(owner, QString::fromUtf16(rec.text.c_str()),
                           QString::fromUtf16(rec.caption.c_str()), type);
        if (clipped)
            ClipCursor(&clip);
        if (disable && IsWindow(top))
            EnableWindow(top, TRUE);
    }
    rec.result = answer;
    test::Log().push_back(rec);
    return answer;
}

BOOL MessageBeep(UINT) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen") &&
        QCoreApplication::instance())
        QApplication::beep();
    return TRUE;
}
