// The common dialogs over Qt's QFileDialog, QColorDialog and QFontDialog, with the checks the
// system's dialogs make (file must exist, replace an existing file?) and the results written
// back into the callers' structures, always within the sizes they gave.
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/dialogs/ShlObj.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/window/TestSeams.h"
#include "window/WindowObject.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>

struct ITEMIDLIST {
    std::size_t length;
    char16_t path[1]; // `length` characters and a terminator
};

namespace ms {

namespace {

DWORD g_lastError = 0;
PrinterProvider g_printer;

std::deque<test::CommonAnswer>& Answers() {
    static std::deque<test::CommonAnswer> q;
    return q;
}
std::vector<test::CommonDialog>& Log() {
    static std::vector<test::CommonDialog> log;
    return log;
}
void RegisterReset() {
    static bool once = false;
    if (once)
        return;
    once = true;
    test::AddSeamReset([] {
        Answers().clear();
        Log().clear();
    });
}

bool Headless() {
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

// The next scripted answer; a cancel when there is none on the headless platform; nothing when
// the operator is to answer.
std::optional<test::CommonAnswer> NextAnswer() {
    RegisterReset();
    if (!Answers().empty()) {
        test::CommonAnswer a = std::move(Answers().front());
        Answers().pop_front();
        return a;
    }
    if (Headless()) {
        test::CommonAnswer cancel;
        cancel.ok = false;
        return cancel;
    }
    return std::nullopt;
}

void Record(test::CommonDialog rec) {
    RegisterReset();
    Log().push_back(std::move(rec));
}

QString Q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

QWidget* OwnerWidget(HWND owner) {
    return owner ? WidgetOf(owner) : nullptr;
}

// A string of at most `max` characters at `p` (stops at the first terminator).
std::u16string Bounded(const WCHAR* p, std::size_t max) {
    std::u16string s;
    if (!p)
        return s;
    for (std::size_t i = 0; i < max && p[i]; ++i)
        s.push_back(p[i]);
    return s;
}

std::vector<std::pair<std::u16string, std::u16string>> ParseFilter(const WCHAR* f) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    if (!f)
        return out;
    while (*f) {
        std::u16string desc(f);
        f += desc.size() + 1;
        std::u16string pattern(f);
        f += pattern.size() + 1;
        out.emplace_back(std::move(desc), std::move(pattern));
    }
    return out;
}

bool FileExists(const std::u16string& p) {
    const DWORD a = GetFileAttributes(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool DirExists(const std::u16string& p) {
    const DWORD a = GetFileAttributes(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::size_t NameStart(const std::u16string& path) {
    const std::size_t slash = path.find_last_of(u"/\\");
    return slash == std::u16string::npos ? 0 : slash + 1;
}

// The extension a concrete pattern names ("*.jpg" -> "jpg"; "*.*" or "*" -> none).
std::u16string PatternExtension(const std::u16string& patterns) {
    const std::u16string first = patterns.substr(0, patterns.find(u';'));
    if (first.size() < 3 || first.compare(0, 2, u"*.") != 0)
        return {};
    std::u16string ext = first.substr(2);
    if (ext.find_first_of(u"*?") != std::u16string::npos)
        return {};
    return ext;
}

bool HasWildcard(const std::u16string& s) {
    return s.find_first_of(u"*?") != std::u16string::npos;
}

// The typed name made a full path with an extension: relative names are taken in the initial
// folder (or the current one); a name without extension gets the chosen filter's extension
// when the caller asked for a default extension, else the default extension itself.
std::u16string ResolveTyped(std::u16string typed, const std::u16string& initialDir,
                            const WCHAR* defExt, const std::u16string& chosenPatterns) {
    for (auto& c : typed)
        if (c == u'\\')
            c = u'/';
    if (typed.empty() || typed[0] != u'/') {
        std::u16string dir = initialDir;
        if (dir.empty()) {
            WCHAR cwd[4096];
            const DWORD n = GetCurrentDirectory(4096, cwd);
            if (n > 0 && n < 4096)
                dir.assign(cwd, n);
        }
        if (!dir.empty() && dir.back() != u'/')
            dir += u'/';
        typed = dir + typed;
    }
    if (!defExt)
        return typed;
    const std::u16string name = typed.substr(NameStart(typed));
    if (name.empty() || name.find(u'.') != std::u16string::npos)
        return typed;
    std::u16string ext = PatternExtension(chosenPatterns);
    if (ext.empty()) {
        ext = defExt;
        // ".bmp" and "bmp" both mean the extension bmp.
        while (!ext.empty() && ext[0] == u'.')
            ext.erase(0, 1);
    }
    return ext.empty() ? typed : typed + u"." + ext;
}

QStringList QtFilters(const std::vector<std::pair<std::u16string, std::u16string>>& filters) {
    QStringList out;
    for (const auto& [desc, patterns] : filters) {
        QString p = Q(patterns);
        p.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << Q(desc) + QStringLiteral(" (") + p + QLatin1Char(')');
    }
    return out;
}

BOOL RunFileDialog(LPOPENFILENAME ofn, bool save) {
    g_lastError = 0;
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) {
        g_lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    EnsureApplication();
    test::CommonDialog rec;
    rec.kind = save ? test::CommonDialog::SaveFile : test::CommonDialog::OpenFile;
    rec.title = ofn->lpstrTitle ? ofn->lpstrTitle : (save ? u"Save As" : u"Open");
    rec.flags = ofn->Flags;
    rec.filters = ParseFilter(ofn->lpstrFilter);
    DWORD index = ofn->nFilterIndex;
    if (index == 0 || index > rec.filters.size())
        index = rec.filters.empty() ? 0 : 1;
    rec.filterIndex = index;
    rec.initialName = Bounded(ofn->lpstrFile, ofn->nMaxFile);
    rec.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : u"";
    rec.defaultExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : u"";

    for (;;) {
        std::u16string typed;
        DWORD chosen = index;
        std::optional<test::CommonAnswer> a = NextAnswer();
        if (a && !a->operate) {
            if (!a->ok)
                break;
            typed = a->path;
            if (a->filterIndex >= 1 && a->filterIndex <= rec.filters.size())
                chosen = a->filterIndex;
        } else {
            QFileDialog dlg(OwnerWidget(ofn->hwndOwner), Q(rec.title));
            dlg.setOption(QFileDialog::DontUseNativeDialog);
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
            dlg.setOption(QFileDialog::HideNameFilterDetails);
            dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            const QStringList filters = QtFilters(rec.filters);
            if (!filters.isEmpty()) {
                dlg.setNameFilters(filters);
                dlg.selectNameFilter(filters[static_cast<qsizetype>(index - 1)]);
            }
            if (!rec.initialDir.empty())
                dlg.setDirectory(Q(rec.initialDir));
            if (!rec.initialName.empty() && !HasWildcard(rec.initialName))
                dlg.selectFile(Q(rec.initialName));
            if (a)
                QTimer::singleShot(0, &dlg, [&dlg, operate = a->operate] { operate(&dlg); });
            if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
                break;
            typed = U(dlg.selectedFiles().first());
            // With the details hidden Qt answers the filter's description alone.
            const QString selected = dlg.selectedNameFilter();
            for (std::size_t f = 0; f < rec.filters.size(); ++f)
                if (selected == filters[static_cast<qsizetype>(f)] ||
                    selected == Q(rec.filters[f].first).trimmed()) {
                    chosen = static_cast<DWORD>(f + 1);
                    break;
                }
        }
        if (typed.empty())
            continue;
        const std::u16string patterns =
            chosen >= 1 && chosen <= rec.filters.size() ? rec.filters[chosen - 1].second : u"";
        const std::u16string path = ResolveTyped(typed, rec.initialDir, ofn->lpstrDefExt, patterns);
        const std::u16string dir = path.substr(0, NameStart(path));
        const std::u16string name = path.substr(NameStart(path));
        if (name.empty() || HasWildcard(name))
            continue;
        if ((ofn->Flags & OFN_PATHMUSTEXIST || ofn->Flags & OFN_FILEMUSTEXIST || save) &&
            !DirExists(dir)) {
            MessageBox(ofn->hwndOwner,
                       (path + u"\nPath does not exist.\nCheck the path and try again.").c_str(),
                       rec.title.c_str(), MB_OK | MB_ICONWARNING);
            continue;
        }
        if (!save && (ofn->Flags & OFN_FILEMUSTEXIST) && !FileExists(path)) {
            MessageBox(ofn->hwndOwner,
                       (name + u"\nFile not found.\nCheck the file name and try again.").c_str(),
                       rec.title.c_str(), MB_OK | MB_ICONWARNING);
            continue;
        }
        if (save && (ofn->Flags & OFN_OVERWRITEPROMPT) && FileExists(path) &&
            MessageBox(ofn->hwndOwner,
                       (name + u" already exists.\nDo you want to replace it?").c_str(),
                       u"Confirm Save As", MB_YESNO | MB_ICONWARNING) != IDYES)
            continue;
        // The path goes back only when it fits, terminated.
        if (path.size() + 1 > ofn->nMaxFile) {
            g_lastError = FNERR_BUFFERTOOSMALL;
            if (ofn->nMaxFile >= 1)
                ofn->lpstrFile[0] =
                    static_cast<WCHAR>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
            rec.ok = false;
            Record(std::move(rec));
            return FALSE;
        }
        std::copy(path.begin(), path.end(), ofn->lpstrFile);
        ofn->lpstrFile[path.size()] = 0;
        ofn->nFileOffset = static_cast<WORD>(NameStart(path));
        const std::size_t dot = name.rfind(u'.');
        ofn->nFileExtension =
            dot == std::u16string::npos ? 0 : static_cast<WORD>(ofn->nFileOffset + dot + 1);
        if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0)
            CopyBounded(ofn->lpstrFileTitle, ofn->nMaxFileTitle, name.c_str());
        ofn->nFilterIndex = chosen;
        if (!(ofn->Flags & OFN_NOCHANGEDIR) && !dir.empty())
            SetCurrentDirectory(dir.c_str());
        rec.ok = true;
        rec.path = path;
        Record(std::move(rec));
        return TRUE;
    }
    Record(std::move(rec));
    return FALSE;
}

// LOGFONTW of a Qt font, keeping the fields Qt does not know from `base`.
LOGFONTW LogFontOf(const QFont& f, const LOGFONTW& base) {
    LOGFONTW lf = base;
    int px = f.pixelSize();
    if (px <= 0)
        px = static_cast<int>(std::lround(f.pointSizeF() * 96.0 / 72.0));
    lf.lfHeight = -px;
    lf.lfWidth = 0;
    lf.lfWeight = static_cast<LONG>(f.weight());
    lf.lfItalic = f.italic() ? 1 : 0;
    lf.lfUnderline = f.underline() ? 1 : 0;
    lf.lfStrikeOut = f.strikeOut() ? 1 : 0;
    // The face the caller named stays when the operator kept its stand-in ("Arial" is shown
    // as "Liberation Sans"), so stored settings keep their names.
    if (MapFontFace(base.lfFaceName) == f.family())
        return lf;
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    CopyBounded(lf.lfFaceName, std::size(lf.lfFaceName), U(f.family()).c_str());
    return lf;
}

LOGFONTW DefaultLogFont() {
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfWeight = 400;
    CopyBounded(lf.lfFaceName, std::size(lf.lfFaceName), u"Tahoma");
    return lf;
}

// Qt's font dialog has no colour: the effects colour sits under it in the same window.
bool RunQtFontDialog(QWidget* parent, const LOGFONTW& initial, bool effects, COLORREF& color,
                     LOGFONTW& out) {
    QDialog dlg(parent);
    dlg.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dlg);
    auto* fonts = new QFontDialog(QFontFromLogFont(initial), &dlg);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOption(QFontDialog::NoButtons);
    layout->addWidget(fonts);
    QColor chosen(GetRValue(color), GetGValue(color), GetBValue(color));
    QPushButton* colorButton = nullptr;
    if (effects) {
        colorButton = new QPushButton(QStringLiteral("Colour..."), &dlg);
        auto paint = [colorButton, &chosen] {
            QPixmap swatch(16, 16);
            swatch.fill(chosen);
            colorButton->setIcon(QIcon(swatch));
        };
        paint();
        QObject::connect(colorButton, &QPushButton::clicked, &dlg, [&dlg, &chosen, paint] {
            const QColor c = QColorDialog::getColor(chosen, &dlg);
            if (c.isValid()) {
                chosen = c;
                paint();
            }
        });
        layout->addWidget(colorButton);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    out = LogFontOf(fonts->currentFont(), initial);
    color = RGB(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

} // namespace

void SetPrinterProvider(PrinterProvider provider) {
    g_printer = std::move(provider);
}

std::u16string FilterFromFramework(std::u16string_view bar) {
    std::u16string out(bar);
    for (auto& c : out)
        if (c == u'|')
            c = 0;
    // Pairs end with "||": make sure the result ends with two terminators.
    while (out.size() >= 2 && out[out.size() - 1] == 0 && out[out.size() - 2] == 0)
        out.pop_back();
    if (!out.empty() && out.back() != 0)
        out.push_back(0);
    out.push_back(0);
    return out;
}

} // namespace ms

using namespace ms;

BOOL GetOpenFileName(LPOPENFILENAME ofn) {
    return RunFileDialog(ofn, false);
}

BOOL GetSaveFileName(LPOPENFILENAME ofn) {
    return RunFileDialog(ofn, true);
}

DWORD CommDlgExtendedError() {
    return g_lastError;
}

BOOL ChooseColor(LPCHOOSECOLOR cc) {
    g_lastError = 0;
    if (!cc)
        return FALSE;
    EnsureApplication();
    const COLORREF initial = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
    test::CommonDialog rec;
    rec.kind = test::CommonDialog::Color;
    rec.title = u"Color";
    rec.flags = cc->Flags;
    rec.color = initial;
    COLORREF result = initial;
    bool ok = false;
    if (auto a = NextAnswer()) {
        ok = a->ok;
        result = a->color;
    } else {
        QColorDialog dlg(QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)),
                         OwnerWidget(cc->hwndOwner));
        dlg.setOption(QColorDialog::DontUseNativeDialog);
        if (cc->lpCustColors)
            for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
                const COLORREF c = cc->lpCustColors[i];
                QColorDialog::setCustomColor(i, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
            }
        ok = dlg.exec() == QDialog::Accepted;
        const QColor c = dlg.selectedColor();
        result = RGB(c.red(), c.green(), c.blue());
        if (ok && cc->lpCustColors)
            for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
                const QColor k = QColorDialog::customColor(i);
                cc->lpCustColors[i] = RGB(k.red(), k.green(), k.blue());
            }
    }
    if (ok)
        cc->rgbResult = result & 0x00FFFFFF;
    rec.ok = ok;
    Record(std::move(rec));
    return ok ? TRUE : FALSE;
}

BOOL ChooseFont(LPCHOOSEFONT cf) {
    g_lastError = 0;
    if (!cf || !cf->lpLogFont) {
        g_lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    EnsureApplication();
    const bool effects = (cf->Flags & CF_EFFECTS) != 0;
    const LOGFONTW initial =
        (cf->Flags & CF_INITTOLOGFONTSTRUCT) ? *cf->lpLogFont : DefaultLogFont();
    test::CommonDialog rec;
    rec.kind = test::CommonDialog::Font;
    rec.title = u"Font";
    rec.flags = cf->Flags;
    rec.color = cf->rgbColors;
    rec.font = initial;
    LOGFONTW chosen = initial;
    COLORREF color = cf->rgbColors;
    bool ok = false;
    if (auto a = NextAnswer()) {
        ok = a->ok;
        if (a->font)
            chosen = *a->font;
        color = a->color;
    } else {
        ok = RunQtFontDialog(OwnerWidget(cf->hwndOwner), initial, effects, color, chosen);
    }
    if (ok) {
        chosen.lfFaceName[std::size(chosen.lfFaceName) - 1] = 0;
        if (!effects) {
            // Without effects the dialog offers neither lines nor colour.
            chosen.lfUnderline = initial.lfUnderline;
            chosen.lfStrikeOut = initial.lfStrikeOut;
        }
        *cf->lpLogFont = chosen;
        if (effects)
            cf->rgbColors = color & 0x00FFFFFF;
        const LONG h = chosen.lfHeight < 0 ? -chosen.lfHeight : chosen.lfHeight;
        cf->iPointSize = static_cast<INT>((h * 720 + 48) / 96);
        cf->nFontType = static_cast<WORD>(
            SCREEN_FONTTYPE | (chosen.lfWeight >= 700 ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
            (chosen.lfItalic ? ITALIC_FONTTYPE : 0));
    }
    rec.ok = ok;
    Record(std::move(rec));
    return ok ? TRUE : FALSE;
}

BOOL PrintDlg(LPPRINTDLG pd) {
    g_lastError = 0;
    if (!pd)
        return FALSE;
    pd->hDC = nullptr;
    std::u16string name;
    HDC dc = nullptr;
    const bool wantDc = (pd->Flags & (PD_RETURNDC | PD_RETURNIC)) != 0;
    if (!g_printer || !g_printer(name, wantDc ? &dc : nullptr)) {
        g_lastError = PDERR_NODEFAULTPRN;
        return FALSE;
    }
    CopyBounded(pd->deviceName, std::size(pd->deviceName), name.c_str());
    pd->hDC = dc;
    if (pd->nCopies == 0)
        pd->nCopies = 1;
    return TRUE;
}

BOOL GetDefaultPrinter(LPWSTR buffer, LPDWORD size) {
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string name;
    if (!g_printer || !g_printer(name, nullptr)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *size = needed;
    return TRUE;
}

BOOL SetDefaultPrinter(LPCWSTR name) {
    std::u16string current;
    if (name && *name && g_printer && g_printer(current, nullptr) && current == name)
        return TRUE;
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
}

PIDLIST_ABSOLUTE SHBrowseForFolder(LPBROWSEINFO bi) {
    if (!bi)
        return nullptr;
    EnsureApplication();
    test::CommonDialog rec;
    rec.kind = test::CommonDialog::Folder;
    rec.title = bi->lpszTitle ? bi->lpszTitle : u"";
    rec.flags = bi->ulFlags;
    std::u16string root;
    if (bi->pidlRoot)
        root.assign(bi->pidlRoot->path, bi->pidlRoot->length);
    rec.initialDir = root;
    std::u16string folder;
    if (auto a = NextAnswer()) {
        if (a->ok)
            folder = a->path;
    } else {
        QString start = root.empty() ? QDir::homePath() : Q(root);
        folder = U(QFileDialog::getExistingDirectory(
            OwnerWidget(bi->hwndOwner), Q(rec.title), start,
            QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly));
    }
    while (folder.size() > 1 && folder.back() == u'/')
        folder.pop_back();
    // Only folders of the file system can be chosen.
    if (folder.empty() || !DirExists(folder)) {
        Record(std::move(rec));
        return nullptr;
    }
    if (bi->pszDisplayName) {
        const std::u16string name = folder.size() > 1 ? folder.substr(NameStart(folder)) : folder;
        CopyBounded(bi->pszDisplayName, MAX_PATH, name.c_str());
    }
    auto* pidl = static_cast<ITEMIDLIST*>(
        std::malloc(sizeof(ITEMIDLIST) + folder.size() * sizeof(char16_t)));
    if (!pidl)
        return nullptr;
    pidl->length = folder.size();
    std::copy(folder.begin(), folder.end(), pidl->path);
    pidl->path[folder.size()] = 0;
    rec.ok = true;
    rec.path = folder;
    Record(std::move(rec));
    return pidl;
}

BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPWSTR path) {
    if (!pidl || !path)
        return FALSE;
    if (pidl->length + 1 > MAX_PATH) {
        path[0] = 0;
        return FALSE;
    }
    std::copy(pidl->path, pidl->path + pidl->length, path);
    path[pidl->length] = 0;
    return TRUE;
}

void ILFree(PIDLIST_ABSOLUTE pidl) {
    std::free(pidl);
}

LPVOID CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size);
}

void CoTaskMemFree(LPVOID p) {
    std::free(p);
}

namespace ms::test {

void AnswerCommonDialog(CommonAnswer answer) {
    RegisterReset();
    Answers().push_back(std::move(answer));
}

void AnswerFileDialog(std::u16string typed, DWORD filterIndex) {
    CommonAnswer a;
    a.path = std::move(typed);
    a.filterIndex = filterIndex;
    AnswerCommonDialog(std::move(a));
}

void AnswerColorDialog(COLORREF color) {
    CommonAnswer a;
    a.color = color;
    AnswerCommonDialog(std::move(a));
}

void AnswerFontDialog(const LOGFONTW& font, COLORREF color) {
    CommonAnswer a;
    a.font = font;
    a.color = color;
    AnswerCommonDialog(std::move(a));
}

void AnswerFolderDialog(std::u16string folder) {
    CommonAnswer a;
    a.path = std::move(folder);
    AnswerCommonDialog(std::move(a));
}

void CancelCommonDialog() {
    CommonAnswer a;
    a.ok = false;
    AnswerCommonDialog(std::move(a));
}

const std::vector<CommonDialog>& ShownCommonDialogs() {
    return Log();
}

} // namespace ms::test
