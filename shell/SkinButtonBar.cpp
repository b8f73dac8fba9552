#include "shell/SkinButtonBar.h"

#include "kit/ButtonTips.h"
#include "kit/LangText.h"
#include "kit/RegistrySettings.h"

#include "platform/win/controls/CommCtrl.h"
#include "res/TessaryResource.h"

namespace {

// The measuring toggles, released at start.
constexpr int kToolToggles[] = {IDC_BTN_LINE,
                                IDC_BTN_DOT_LINE,
                                IDC_BTN_PARALLEL_LINE,
                                IDC_BTN_CONTINUAL_LINE,
                                IDC_BTN_RECTANGLE,
                                IDC_BTN_POLYGON,
                                IDC_BTN_ELLIPSE,
                                IDC_BTN_RADIUS_CIRCLE,
                                IDC_BTN_DIAMETER_CIRCLE,
                                IDC_BTN_THREE_POINT_CIRCLE,
                                IDC_BTN_TWO_CIRCLES,
                                IDC_BTN_ANGLE,
                                IDC_BTN_FOUR_POINT_ANGLE,
                                IDC_BTN_ARC};

// Buttons that never show in the normal layout.
bool NeverShown(int id) {
    const int i = SkinButtonIndex(id);
    return i >= 0 && !kSkinButtons[i].shown;
}

} // namespace

SkinButtonBar::SkinButtonBar() {
    int toggle = 0, bitmap = 0;
    for (int i = 0; i < kSkinButtonCount; ++i) {
        m_objects[i] = kSkinButtons[i].kind == SkinButtonKind::Toggle
                           ? static_cast<CWnd*>(&m_toggleButtons[toggle++])
                           : static_cast<CWnd*>(&m_bitmapButtons[bitmap++]);
        m_entries[i].id = kSkinButtons[i].id;
    }
}

void SkinButtonBar::Attach(CWnd& window) {
    for (int i = 0; i < kSkinButtonCount; ++i) {
        const SkinButtonRow& entry = kSkinButtons[i];
        if (entry.kind == SkinButtonKind::Toggle) {
            static_cast<CToggleBitmapButton*>(m_objects[i])
                ->Attach(static_cast<UINT>(entry.id), &window, entry.normalBitmap,
                         entry.pressedBitmap, 0);
        } else {
            auto* button = static_cast<CBitmapButton*>(m_objects[i]);
            if (button->SubclassDlgItem(static_cast<UINT>(entry.id), &window)) {
                button->LoadBitmaps(entry.normalBitmap, entry.pressedBitmap);
                button->SizeToContent();
            }
        }
        if (m_objects[i]->m_hWnd)
            ::SetWindowPos(m_objects[i]->m_hWnd, nullptr, entry.x, entry.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A pressed snapshot switch means that the device's snapshot button is off.
    if (CToggleBitmapButton* b = Toggle(IDC_BTN_RECORD))
        b->ClearPressed();
    if (CToggleBitmapButton* b = Toggle(IDC_BTN_SNAPSHOT_SWITCH))
        g_snapEnable != 1 ? b->SetPressed() : b->ClearPressed();
    // The strip shows pictures: its pictures tab released, its videos tab pressed.
    if (CToggleBitmapButton* b = Toggle(IDC_BTN_SHOW_PICTURES))
        b->ClearPressed();
    if (CToggleBitmapButton* b = Toggle(IDC_BTN_SHOW_VIDEOS))
        b->SetPressed();
    for (int id : kToolToggles)
        if (CToggleBitmapButton* b = Toggle(id))
            b->ClearPressed();
}

void SkinButtonBar::TakeWindows(HWND owner) {
    for (Entry& entry : m_entries) {
        entry.hwnd = ::GetDlgItem(owner, entry.id);
        ::GetWindowRect(entry.hwnd, &entry.rect);
        // The faces are known only now: paint them anew.
        ::InvalidateRect(entry.hwnd, nullptr, FALSE);
    }
    m_tips = ms::ui::CreateButtonTips(owner);
}

CToggleBitmapButton* SkinButtonBar::Toggle(int id) {
    const int i = SkinButtonIndex(id);
    if (i < 0 || kSkinButtons[i].kind != SkinButtonKind::Toggle)
        return nullptr;
    return static_cast<CToggleBitmapButton*>(m_objects[i]);
}

void SkinButtonBar::LoadTips() {
    for (int i = 0; i < kSkinButtonCount; ++i) {
        const SkinButtonRow& entry = kSkinButtons[i];
        CToggleBitmapButton* sw = entry.id == IDC_BTN_SNAPSHOT_SWITCH ? Toggle(entry.id) : nullptr;
        if (sw && sw->IsPressed())
            GetLangText(kSwitchDisableKey, m_entries[i].tip, 128, kSwitchDisableDefault);
        else
            GetLangText(entry.tipKey, m_entries[i].tip, 128, entry.tipDefault);
    }
}

void SkinButtonBar::RefreshTips(bool fullScreen) {
    for (const Entry& entry : m_entries)
        ms::ui::RemoveButtonTip(m_tips, entry.hwnd, entry.id);
    if (fullScreen || !::IsWindow(m_tips))
        return;
    for (Entry& entry : m_entries)
        ms::ui::AddButtonTip(m_tips, entry.hwnd, entry.id, entry.tip);
}

void SkinButtonBar::TrackTip(POINT pt) const {
    for (const Entry& entry : m_entries) {
        if (CRect(entry.rect).PtInRect(pt)) {
            if (m_tips)
                ::SendMessage(m_tips, TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x, pt.y));
            return;
        }
    }
}

void SkinButtonBar::EnableAfterStart() {
    if (CToggleBitmapButton* preview = Toggle(IDC_BTN_PREVIEW)) {
        preview->EnableWindow(TRUE);
        preview->SetPressed();
    }
    for (int i = 0; i < kSkinButtonCount; ++i) {
        const int id = kSkinButtons[i].id;
        if (id == IDC_BTN_PREVIEW || id == IDC_BTN_CLOSE || !m_objects[i]->m_hWnd)
            continue;
        m_objects[i]->EnableWindow(kSkinButtons[i].enabledAfterStart);
    }
}

void SkinButtonBar::DisableAll(HWND window) const {
    for (int i = 0; i < kSkinButtonCount; ++i)
        if (kSkinButtons[i].id != IDC_BTN_CLOSE)
            ::EnableWindow(::GetDlgItem(window, kSkinButtons[i].id), FALSE);
}

void SkinButtonBar::ShowForNormalLayout() const {
    for (const Entry& entry : m_entries)
        ::ShowWindow(entry.hwnd, NeverShown(entry.id) ? SW_HIDE : SW_SHOW);
}

void SkinButtonBar::HideAll() const {
    for (const Entry& entry : m_entries)
        ::ShowWindow(entry.hwnd, SW_HIDE);
}

void SkinButtonBar::UpdateRects() {
    for (Entry& entry : m_entries)
        ::GetWindowRect(entry.hwnd, &entry.rect);
}
