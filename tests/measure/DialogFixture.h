// A fixture for the measurement dialogs: a first start in a fresh program folder and registry,
// English texts, the test seams reset, and helpers that act in a dialog as the operator does.
#pragma once

#include "measure/MeasureSettings.h"
#include "kit/LangText.h"

#include "platform/mfc/AfxWin.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "platform/win/dialogs/DialogSeams.h"
#include "platform/win/window/TestSeams.h"

#include "tests/support/Pump.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace mstest {

inline constexpr const WCHAR* kFontKey = u"SOFTWARE\\varazizuziVe\\font";
inline constexpr const WCHAR* kUnitsKey = u"SOFTWARE\\varazizuziVe\\Units";

using ms::test::Pump;
inline void Type(HWND dlg, int id, const char16_t* text) {
    SetDlgItemText(dlg, id, text);
}
inline void Press(HWND dlg, int id) {
    SendMessage(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
    Pump();
}
inline std::u16string Text(HWND dlg, int id) {
    WCHAR buf[300]{};
    GetDlgItemText(dlg, id, buf, 300);
    return buf;
}
inline bool Checked(HWND dlg, int id) {
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

// The message boxes shown since the seams were reset.
inline std::vector<std::u16string> MessageBoxes() {
    std::vector<std::u16string> out;
    for (const ms::test::Shown& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::MessageBox)
            out.push_back(s.text);
    return out;
}
// The dialog's last record: its result, and whether the script left it open.
inline const ms::test::Shown* LastDialog() {
    const ms::test::Shown* last = nullptr;
    for (const ms::test::Shown& s : ms::test::ShownLog())
        if (s.kind == ms::test::Shown::Dialog)
            last = &s;
    return last;
}

// The stored bytes and type of a registry value; empty when it is missing.
inline std::vector<BYTE> Raw(const WCHAR* path, const WCHAR* name, DWORD* type = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    std::vector<BYTE> bytes(64);
    DWORD size = static_cast<DWORD>(bytes.size()), t = 0;
    const LONG r = RegQueryValueEx(key, name, nullptr, &t, bytes.data(), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS)
        return {};
    bytes.resize(size);
    if (type)
        *type = t;
    return bytes;
}
inline LOGFONTW Font(int height, const char16_t* face) {
    LOGFONTW f{};
    f.lfHeight = height;
    f.lfWeight = 400;
    ms::CopyBounded(f.lfFaceName, LF_FACESIZE, face);
    return f;
}
inline std::vector<BYTE> Dword(DWORD v) {
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

class MeasureDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        program_ = mstest::NewProgramDir(mstest::ProgramFiles::None);
        for (const WCHAR* key : {kFontKey, kUnitsKey})
            RegDeleteKey(HKEY_CURRENT_USER, key);
        // The keys exist after the first start; the settings' writers never create them.
        for (const WCHAR* key : {kFontKey, kUnitsKey}) {
            HKEY h = nullptr;
            RegCreateKeyEx(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                           nullptr);
            RegCloseKey(h);
        }
        g_langFilePath[0] = 0;
        ms::CopyBounded(g_unitName, 12, u"mm");
        g_decimalPlaces = 3;
        g_lineWidth = 2;
        g_lineType = 0;
        g_detectRange = 20;
        g_actualDistance = 0.0;
        g_measureFont = LOGFONTW{};
        g_textFont = LOGFONTW{};
        g_textColor = 0x0000FF;
    }
    void TearDown() override {
        Pump();
        ms::test::ResetSeams();
        g_langFilePath[0] = 0;
    }

    void UseLanguage(const char* file) {
        ms::CopyBounded(g_langFilePath, MAX_PATH,
                        ms::FromUtf8(std::string(MS_LANG_DIR) + "/" + file));
    }

    std::filesystem::path program_;
};

} // namespace mstest
