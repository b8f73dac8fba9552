// The main window's measuring commands on the frozen frame: the tool buttons and the
// Calibration button (which only choose the still view's tool), the Other popup with Undo,
// Redo and Delete All of the still lists, and the measurement Setting dialog.
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillMeasureView.h"
#include "wifi_measure/WifiPenSettingDlg.h"

#include "imaging/DibImage.h"
#include "kit/LangText.h"
#include "kit/SkinMenu.h"

#include "res/WavenorResource.h"

#include <utility>

namespace {

struct ToolButton {
    int id;
    int tool;
};

constexpr ToolButton kToolCodes[] = {
    {IDC_TOOL_LINE, STILL_LINE},
    {IDC_TOOL_CONTINUOUS, STILL_FOLD_LINE},
    {IDC_TOOL_POINT_LINE, STILL_DOT_LINE},
    {IDC_TOOL_POLYGON, STILL_POLYGON},
    {IDC_TOOL_RADIUS_CIRCLE, STILL_RADIUS_CIRCLE},
    {IDC_TOOL_DIAMETER_CIRCLE, STILL_DIAMETER_CIRCLE},
    {IDC_TOOL_THREE_POINT_CIRCLE, STILL_THREE_POINT_CIRCLE},
    {IDC_TOOL_ARC, STILL_ARC},
    {IDC_TOOL_ANGLE, STILL_THREE_POINT_ANGLE},
    {IDC_TOOL_FOUR_POINT_ANGLE, STILL_FOUR_POINT_ANGLE},
};

struct OtherEntry {
    UINT id; // 0: separator
    const char16_t* key;
    const char16_t* defaultText;
};

constexpr OtherEntry kOtherEntries[] = {
    {ID_UNDO, u"Undo", u"Undo"},
    {ID_REDO, u"Redo", u"Redo"},
    {ID_DELETE_MEASUREMENTS, u"DeleteAll", u"Delete All"},
    {0, nullptr, nullptr},
    {ID_MEASURE_SETTING, u"Setting", u"Settings"},
};

constexpr COLORREF kOtherBackColor = 0xF7F3EE;
constexpr COLORREF kOtherSelectColor = 0xC56A31;

void TellNoMagnification() {
    AfxMessageBox(u"Please enter magnification!", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

void CWifiMicroscopeDlg::OnMeasureSetting() {
    CWifiPenSettingDlg dlg({LoadWifiSettings, SaveWifiSettings}, this);
    dlg.DoModal();
}

void CWifiMicroscopeDlg::OnToolButton(int buttonId) {
    int tool = STILL_NONE;
    for (const ToolButton& t : kToolCodes)
        if (t.id == buttonId)
            tool = t.tool;
    if (!ReadZoomScale()) {
        TellNoMagnification();
        return;
    }
    FreezeWhenLive();
    CToggleBitmapButton* button = ToggleButton(buttonId);
    const bool wasDown = button && button->IsPressed();
    ResetToolButtons();
    if (wasDown) {
        g_stillTool = STILL_NONE;
        return;
    }
    if (button)
        button->SetPressed();
    g_stillTool = tool;
}

void CWifiMicroscopeDlg::OnToolLine() {
    OnToolButton(IDC_TOOL_LINE);
}
void CWifiMicroscopeDlg::OnToolFoldLine() {
    OnToolButton(IDC_TOOL_CONTINUOUS);
}
void CWifiMicroscopeDlg::OnToolDotLine() {
    OnToolButton(IDC_TOOL_POINT_LINE);
}
void CWifiMicroscopeDlg::OnToolPolygon() {
    OnToolButton(IDC_TOOL_POLYGON);
}
void CWifiMicroscopeDlg::OnToolRadiusCircle() {
    OnToolButton(IDC_TOOL_RADIUS_CIRCLE);
}
void CWifiMicroscopeDlg::OnToolDiameterCircle() {
    OnToolButton(IDC_TOOL_DIAMETER_CIRCLE);
}
void CWifiMicroscopeDlg::OnToolThreePointCircle() {
    OnToolButton(IDC_TOOL_THREE_POINT_CIRCLE);
}
void CWifiMicroscopeDlg::OnToolArc() {
    OnToolButton(IDC_TOOL_ARC);
}
void CWifiMicroscopeDlg::OnToolAngle() {
    OnToolButton(IDC_TOOL_ANGLE);
}
void CWifiMicroscopeDlg::OnToolFourPointAngle() {
    OnToolButton(IDC_TOOL_FOUR_POINT_ANGLE);
}

void CWifiMicroscopeDlg::OnCalibrate() {
    // Set first: the magnification edit, not the calibration, is what the line is measured
    // under. A refused press leaves it set until a calibration line is finished.
    g_stillCalibrating = 1;
    if (!ReadZoomScale()) {
        TellNoMagnification();
        return;
    }
    FreezeWhenLive();
    ResetToolButtons();
    g_stillTool = STILL_LINE;
}

void CWifiMicroscopeDlg::OnOtherMenu() {
    FreezeWhenLive();
    ResetEffectButtons();
    ResetToolButtons(); // the tool itself stays chosen
    RECT button{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_OTHER), &button);
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = kOtherBackColor;
    menu->m_selectColor = kOtherSelectColor;
    for (const OtherEntry& e : kOtherEntries) {
        if (e.id == 0) {
            menu->AddSeparator();
            continue;
        }
        WCHAR text[64];
        GetLangText(e.key, text, 64, e.defaultText);
        menu->AddItem(0, new CSkinMenuTextItem(e.id, text, LoadMenuIcon(IDI_MENU_ITEM)));
    }
    menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, button.left, button.bottom - 4, this);
    delete menu;
}

void CWifiMicroscopeDlg::OnUndo() {
    if (!UndoStillItem() && m_stillView && m_stillView->HasPicture())
        std::swap(m_stillView->m_image, m_stillView->m_prevImage);
    if (m_stillView)
        m_stillView->PostMessage(WM_APP_REDRAW_STILL, 0, 0);
}

void CWifiMicroscopeDlg::OnRedo() {
    if (!RedoStillItem() && m_stillView && m_stillView->HasPicture())
        std::swap(m_stillView->m_image, m_stillView->m_prevImage);
    if (m_stillView)
        m_stillView->PostMessage(WM_APP_REDRAW_STILL, 0, 0);
}

void CWifiMicroscopeDlg::OnDeleteAllMeasurements() {
    if (!DeleteAllStillItems() && m_stillView && m_stillView->HasPicture())
        *m_stillView->m_image = *m_stillView->m_origImage;
    if (m_stillView)
        m_stillView->PostMessage(WM_APP_REDRAW_STILL, 0, 0);
}
