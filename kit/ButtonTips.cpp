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

void RefreshButtonTips(HWND tips, ButtonTipEntry* entries, int count) {
    for (int i = 0; i < count; ++i) {
        ButtonTipEntry& tip = entries[i];
        if (!tip.hwnd)
            continue;
        RemoveButtonTip(tips, tip.hwnd, tip.id);
        AddButtonTip(tips, tip.hwnd, tip.id, tip.text);
    }
}

void TrackButtonTips(HWND tips, const ButtonTipEntry* entries, int count, const MSG& msg) {
    if (!tips || (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONDOWN &&
                  msg.message != WM_LBUTTONUP))
        return;
    for (int i = 0; i < count; ++i) {
        const RECT& r = entries[i].rect;
        if (entries[i].hwnd && msg.pt.x >= r.left && msg.pt.x < r.right && msg.pt.y >= r.top &&
            msg.pt.y < r.bottom) {
            ::SendMessage(tips, TTM_TRACKPOSITION, 0, MAKELPARAM(msg.pt.x, msg.pt.y));
            return;
        }
    }
}

} // namespace ms::ui
