#include "kit/ButtonTips.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/window/WinUser.h"

#include <cstddef>

namespace ms::ui {

namespace {
// The size of the structure without its trailing reserved field, which every caller leaves out.
constexpr UINT kToolInfoSize = offsetof(TOOLINFOW, lParam);
} // namespace

HWND CreateButtonTips(HWND owner) {
    HWND tips = ::CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, owner,
                                 nullptr, nullptr, nullptr);
    if (!tips)
        return nullptr;
    ::SetWindowPos(tips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SendMessage(tips, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 100);
    return tips;
}

void AddButtonTip(HWND tips, HWND button, int id, LPCWSTR text) {
    if (!::IsWindow(tips))
        return;
    TOOLINFOW ti{};
    ti.cbSize = kToolInfoSize;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = button;
    ti.uId = static_cast<UINT_PTR>(id);
    ::GetClientRect(button, &ti.rect);
    ti.lpszText = const_cast<LPWSTR>(text);
    ::SendMessage(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void RemoveButtonTip(HWND tips, HWND button, int id) {
    if (!::IsWindow(tips))
        return;
    TOOLINFOW ti{};
    ti.cbSize = kToolInfoSize;
    ti.hwnd = button;
    ti.uId = static_cast<UINT_PTR>(id);
    ::SendMessage(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

} // namespace ms::ui
