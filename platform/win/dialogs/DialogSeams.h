// Test seams of the common dialogs: a scripted answer per call, first in first out, and a
// record of each dialog asked for. Without a script a common dialog on the headless platform
// (offscreen) is cancelled, so that a test never hangs on one; on a real display Qt's dialog
// runs for the operator. ms::test::ResetSeams() forgets scripts and records.
#pragma once

#include "platform/win/dialogs/CommDlg.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace ms::test {

struct CommonDialog {
    enum Kind { OpenFile, SaveFile, Color, Font, Folder } kind = OpenFile;
    std::u16string title;
    DWORD flags = 0;
    // File dialogs: the filter pairs as given, the initial name, folder and default extension.
    std::vector<std::pair<std::u16string, std::u16string>> filters;
    DWORD filterIndex = 0;
    std::u16string initialName;
    std::u16string initialDir;
    std::u16string defaultExt;
    COLORREF color = 0;  // colour and font dialogs: the initial colour
    LOGFONTW font{};     // font dialogs: the initial font (with CF_INITTOLOGFONTSTRUCT)
    bool ok = false;     // what the call returned
    std::u16string path; // file and folder dialogs: the path returned
};

// What the operator does in the next common dialog. A cancel answers any kind; otherwise the
// fields of the dialog's kind are used.
struct CommonAnswer {
    bool ok = true;
    std::u16string path;   // file: the name as typed (folder part optional); folder: the folder
    DWORD filterIndex = 0; // file dialogs: 1-based filter chosen; 0 keeps the initial one
    COLORREF color = 0;
    std::optional<LOGFONTW> font; // font dialogs: the chosen font (none: keep the initial one)
    // File dialogs: when set, Qt's own dialog runs, also on the headless platform, and this is
    // called with it once it shows, to work it as the operator would.
    std::function<void(QWidget*)> operate;
};

void AnswerCommonDialog(CommonAnswer answer);
// Shorthands.
void AnswerFileDialog(std::u16string typed, DWORD filterIndex = 0);
void AnswerColorDialog(COLORREF color);
void AnswerFontDialog(const LOGFONTW& font, COLORREF color);
void AnswerFolderDialog(std::u16string folder);
void CancelCommonDialog();

const std::vector<CommonDialog>& ShownCommonDialogs();

} // namespace ms::test
