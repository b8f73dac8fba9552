// The "Setting" dialog of the measurements: a pen page (line colour, width and style, label
// font and colour, edge detection range) and a unit page (unit and decimals) on one tab.
//
// Unit, decimals, line colour and label colour are stored the moment the operator changes
// them; width, style and a newly chosen label font ("Measurefont.ini") only when OK closes the
// dialog. The caller sets the four pen members before DoModal and reads them after OK; the
// label font is g_measureFont.
#pragma once

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"

class CPenSettingDlg : public CDialog {
public:
    explicit CPenSettingDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Checks the width (1 to 3, the framework's range message otherwise, and the dialog stays
    // open with nothing written); then stores width, style and a chosen font and closes.
    void OnOK() override;
    // Closes without storing width, style or font; g_measureFont goes back to what it was at
    // opening, since the font file still holds that one.
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;

    CTabCtrl m_tab;
    int m_widthEdit = 2; // bound to the width edit, 1 to 3
    COLORREF m_lineColor = 0x0000FF;
    COLORREF m_labelColor = 0x0000FF;
    CFont m_labelFontObject; // made from the chosen label font
    LOGFONTW m_chosenFont{}; // the font last chosen with the Font button
    int m_penWidth = 2;
    int m_penStyle = 0; // 0 solid, 1 dash, 2 dot
    int m_penPageShown = 1;

protected:
    afx_msg void OnTabChange(NMHDR* nm, LRESULT* result);
    afx_msg void OnStyle(UINT id);
    afx_msg void OnWidthChange();
    afx_msg void OnColor();
    afx_msg void OnFont();
    afx_msg void OnUnit(UINT id);
    afx_msg void OnDecimals(UINT id);
    afx_msg void OnRangeChange();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // The line of the preview. Drawn in a child window over the inside of the preview frame:
    // the tab control's page would hide anything drawn on the dialog itself.
    class CPreview : public CWnd {
    public:
        CPenSettingDlg* m_owner = nullptr;

    protected:
        afx_msg void OnPaint();
        DECLARE_MESSAGE_MAP()
    };

    void ShowPage(int page);
    void CreatePreview();
    void RepaintPreview();

    CPreview m_preview;

    CSpinButtonCtrl m_widthSpin;
    CComboBox m_rangeCombo;
    LOGFONTW m_fontAtOpening{};
    bool m_fontChosen = false;
};

// The font protocol of the dialog's two callers (the main window and the photo-measure
// window), around one run of the dialog. The caller has reset its tool already.
struct PenSettingCaller {
    COLORREF lineColor;  // the caller's colour of new lines
    COLORREF labelColor; // the caller's colour of labels
    LOGFONTW labelFont;  // the caller's label font
};
// Reads "Measurefont.ini"; when it is there, the dialog opens on the caller's colours and the
// current width and style, else on its own defaults with the default label font. After OK the
// caller's colours and font and g_lineWidth / g_lineType take the dialog's values, and, when
// the font file was read, g_fontSize the font's height (stored). Returns DoModal's result.
INT_PTR RunPenSettingDialog(CWnd* parent, PenSettingCaller& caller);

// The detection range for an index of the range combo: 10, 12, 14, 16, 18, else 20.
int DetectRangeForIndex(int index);
