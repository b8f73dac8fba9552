#include "measure/PhotoMeasureDlg.h"
#include "kit/ButtonTips.h"
#include "kit/WindowTitle.h"

#include "measure/IniTextFile.h"
#include "measure/Units.h"
#include "kit/LangText.h"

#include "imaging/DibImage.h"
#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kFrameTop = 60;
constexpr COLORREF kBackground = 0xC8C8C8;

struct ButtonPlace {
    int id;
    UINT normal;
    UINT pressed;
    int x;
    int y;
};

// The tooltip table, in the order of the window's tip slots.
struct TipText {
    int id;
    const WCHAR* key;
    const WCHAR* text;
};
constexpr TipText kTips[14] = {
    {IDC_PHOTO_SAVE_AS, u"TipSave", u"Save As"},
    {IDC_PHOTO_SELECT, u"TipSelect", u"Select"},
    {IDC_PHOTO_MEASURE, u"TipMeasure", u"Measurement"},
    {IDC_PHOTO_OPERATION, u"TipOperate", u"Image Process"},
    {IDC_PHOTO_PEN, u"TipSetPen", u"Pen Setting"},
    {IDC_PHOTO_PAINT, u"TipPaint", u"Paint"},
    {IDC_PHOTO_TEXT, u"TipText", u"Input Text"},
    {IDC_PHOTO_DELETE, u"TipDelete", u"Delete"},
    {IDC_PHOTO_MOVE, u"TipMove", u"Move"},
    {IDC_PHOTO_CALIBRATION, u"TipCalibration", u"Calibration"},
    {IDC_PHOTO_REVERT, u"TipRevert", u"Cancel"},
    {IDC_PHOTO_MAGNIFIER, u"TipMagnifier", u"Magnifier"},
    {IDC_PHOTO_EDGE, u"TipEdge", u"Check Edge"},
    {IDC_PHOTO_AUTO_MEASURE, u"TipAutoMeasure", u"Auto-Measurement"},
};

std::u16string CalibrationFile() {
    return ms::ProgramDataDir() + u"/CalibrationIni.ini";
}

CString ItemText(const CWnd* wnd, int id) {
    CString text;
    wnd->GetDlgItemText(id, text);
    return text;
}

} // namespace

CPhotoMeasureDlg::CPhotoMeasureDlg(CWnd* parent) : CDialog(IDD_PHOTO_MEASURE, parent) {}

CPhotoMeasureDlg::~CPhotoMeasureDlg() {
    DestroyCanvas();
}

CPhotoMeasureDlg* CPhotoMeasureDlg::Open(const CString& picturePath, CWnd* parent, HWND mainWnd) {
    auto* window = new CPhotoMeasureDlg(nullptr);
    window->m_picturePath = picturePath;
    window->SetMainWindow(mainWnd);
    if (!window->Create(IDD_PHOTO_MEASURE, parent)) {
        // A window that got as far as existing deletes itself when it goes.
        if (window->m_hWnd)
            window->DestroyWindow();
        else
            delete window;
        return nullptr;
    }
    window->ShowWindow(SW_SHOW);
    return window;
}

BEGIN_MESSAGE_MAP(CPhotoMeasureDlg, CDialog)
ON_WM_CLOSE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SYSCOMMAND()
ON_WM_NCHITTEST()
ON_WM_NCLBUTTONDBLCLK()
ON_WM_DESTROY()
ON_EN_CHANGE(IDC_PHOTO_MAGNIFICATION, OnMagnificationChange)
ON_BN_CLICKED(IDC_PHOTO_SAVE_AS, OnSaveAs)
ON_BN_CLICKED(IDC_PHOTO_REVERT, OnRevert)
ON_BN_CLICKED(IDC_PHOTO_MIN, OnMinButton)
ON_BN_CLICKED(IDC_PHOTO_MAX, OnMaxButton)
ON_BN_CLICKED(IDC_PHOTO_CLOSE, OnCloseButton)
ON_BN_CLICKED(IDC_PHOTO_OPERATION, OnOperationMenu)
ON_BN_CLICKED(IDC_PHOTO_PAINT, OnPaintMenu)
ON_BN_CLICKED(IDC_PHOTO_EDGE, OnEdgeMenu)
ON_BN_CLICKED(IDC_PHOTO_MEASURE, OnMeasureMenu)
ON_BN_CLICKED(IDC_PHOTO_AUTO_MEASURE, OnAutoMeasureMenu)
ON_BN_CLICKED(IDC_PHOTO_CALIBRATION, OnCalibrationMenu)
ON_BN_CLICKED(IDC_PHOTO_SELECT, OnSelect)
ON_BN_CLICKED(IDC_PHOTO_DELETE, OnDelete)
ON_BN_CLICKED(IDC_PHOTO_MOVE, OnMove)
ON_BN_CLICKED(IDC_PHOTO_PEN, OnPenSetting)
ON_BN_CLICKED(IDC_PHOTO_TEXT, OnInputText)
ON_BN_CLICKED(IDC_PHOTO_MAGNIFIER, OnMagnifier)
END_MESSAGE_MAP()

void CPhotoMeasureDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_PHOTO_MAGNIFICATION, m_magnification);
    DDV_MaxChars(dx, m_magnification, 5);
}

BOOL CPhotoMeasureDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SendMessage(::GetDlgItem(m_hWnd, IDC_PHOTO_MAGNIFICATION), EM_LIMITTEXT, 5, 0);

    // The size decides the layout; the canvas loads the picture itself.
    if (const DWORD type = PictureTypeOfPath(m_picturePath)) {
        CDibImage image(m_picturePath.GetString(), type);
        if (!image.IsValid())
            return FALSE;
        m_pictureWidth = static_cast<int>(image.GetWidth());
        m_pictureHeight = static_cast<int>(image.GetHeight());
    }

    CreateButtons();
    CenterWindow();

    const int frameHeight = IsLargePicture() ? 512 : 480;
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_FRAME), nullptr, 0, kFrameTop, 640, frameHeight,
                   SWP_NOZORDER | SWP_FRAMECHANGED);
    if (!m_canvas) {
        m_viewMode = CANVAS_VIEW_FIXED;
        CreateCanvas(CRect(0, kFrameTop, 640, kFrameTop + frameHeight));
        // The magnification found in the file name, and its calibration when one is stored.
        SetDlgItemText(IDC_PHOTO_MAGNIFICATION, g_fileMagnificationText);
        OnMagnificationChange();
    }
    RegisterButtonTips();
    if (!m_waitCursor)
        m_waitCursor = LoadCursorFromFile((ms::ProgramDir() + u"/hourglas.ani").c_str());
    if (!m_waitCursor)
        m_waitCursor = ::LoadCursor(nullptr, IDC_WAIT);
    return TRUE;
}

void CPhotoMeasureDlg::CreateButtons() {
    GetLangText(u"PhotoMeasure", m_title, 30, u"Image Process");
    SetWindowText(m_title);
    if (IsLargePicture())
        SetWindowPos(nullptr, 0, 0, 647, 578, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
    else
        SetWindowPos(nullptr, 0, 0, 646, 546, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);

    const struct {
        CBitmapButton* button;
        ButtonPlace place;
    } plain[] = {
        {&m_saveAsButton, {IDC_PHOTO_SAVE_AS, 188, 189, 6, 30}},
        {&m_operationButton, {IDC_PHOTO_OPERATION, 199, 200, 38, 30}},
        {&m_revertButton, {IDC_PHOTO_REVERT, 353, 357, 70, 30}},
        {&m_penButton, {IDC_PHOTO_PEN, 201, 202, 230, 30}},
        {&m_textButton, {IDC_PHOTO_TEXT, 205, 206, 262, 30}},
        {&m_deleteButton, {IDC_PHOTO_DELETE, 207, 208, 326, 30}},
        {&m_moveButton, {IDC_PHOTO_MOVE, 209, 210, 358, 30}},
        {&m_calibrationButton, {IDC_PHOTO_CALIBRATION, 245, 244, 390, 30}},
        {&m_minButton, {IDC_PHOTO_MIN, 265, 260, 544, 2}},
        {&m_maxButton, {IDC_PHOTO_MAX, 263, 264, 574, 2}},
        {&m_closeButton, {IDC_PHOTO_CLOSE, 261, 262, 606, 2}},
    };
    for (const auto& b : plain) {
        if (!b.button->SubclassDlgItem(static_cast<UINT>(b.place.id), this))
            continue;
        b.button->LoadBitmaps(b.place.normal, b.place.pressed);
        b.button->SizeToContent();
        b.button->SetWindowPos(nullptr, b.place.x, b.place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    const struct {
        CToggleBitmapButton* button;
        ButtonPlace place;
    } toggles[] = {
        {&m_magnifierToggle, {IDC_PHOTO_MAGNIFIER, 365, 369, 6, 1}},
        {&m_paintToggle, {IDC_PHOTO_PAINT, 203, 204, 102, 30}},
        {&m_edgeToggle, {IDC_PHOTO_EDGE, 1324, 1325, 134, 30}},
        {&m_measureToggle, {IDC_PHOTO_MEASURE, 195, 196, 166, 30}},
        {&m_autoMeasureToggle, {IDC_PHOTO_AUTO_MEASURE, 1327, 1323, 198, 30}},
        {&m_selectToggle, {IDC_PHOTO_SELECT, 197, 198, 294, 30}},
    };
    for (const auto& t : toggles) {
        if (!t.button->Attach(static_cast<UINT>(t.place.id), this, t.place.normal, t.place.pressed,
                              0))
            continue;
        t.button->SetWindowPos(nullptr, t.place.x, t.place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }

    const UINT noRedraw = SWP_NOZORDER | SWP_NOREDRAW;
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_CALIBRATED), nullptr, 495, 30, 50, 23, noRedraw);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_TOOL_NAME), nullptr, 422, 30, 70, 23, noRedraw);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_MAGNIFICATION), nullptr, 595, 30, 40, 23,
                   noRedraw);

    for (int i = 0; i < 14; ++i) {
        ButtonTip& tip = m_tipButtons[i];
        tip.id = kTips[i].id;
        GetLangText(kTips[i].key, tip.text, 64, kTips[i].text);
        tip.hwnd = ::GetDlgItem(m_hWnd, tip.id);
    }
    CreateToolTip();
}

void CPhotoMeasureDlg::CreateToolTip() {
    m_toolTipWnd = ms::ui::CreateButtonTips(m_hWnd);
}

void CPhotoMeasureDlg::RegisterButtonTips() {
    for (const ButtonTip& tip : m_tipButtons)
        RemoveButtonTip(tip.hwnd, tip.id);
    for (ButtonTip& tip : m_tipButtons)
        AddButtonTip(tip.hwnd, tip.id, tip.text);
}

void CPhotoMeasureDlg::AddButtonTip(HWND button, int id, LPCWSTR text) {
    ms::ui::AddButtonTip(m_toolTipWnd, button, id, text);
}

void CPhotoMeasureDlg::RemoveButtonTip(HWND button, int id) {
    ms::ui::RemoveButtonTip(m_toolTipWnd, button, id);
}

// ---- The canvas ----

void CPhotoMeasureDlg::CreateCanvas(const CRect& frame) {
    auto canvas = std::make_unique<CMeasureCanvas>(nullptr);
    canvas->m_tool = m_initialTool;
    canvas->m_path = m_picturePath;
    canvas->m_viewMode = m_viewMode;
    if (!canvas->Create(IDD_MEASURE_CANVAS, this)) {
        if (canvas->m_hWnd)
            canvas->DestroyWindow();
        return;
    }
    m_canvas = std::move(canvas);
    m_canvas->MoveWindow(frame.left, frame.top, frame.Width(), frame.Height(), FALSE);
    if (m_viewMode == CANVAS_VIEW_FULL_SIZE)
        m_canvas->SetScrollRanges();
    m_canvas->ShowWindow(SW_SHOW);
}

void CPhotoMeasureDlg::DestroyCanvas() {
    if (!m_canvas)
        return;
    if (m_canvas->m_hWnd)
        m_canvas->DestroyWindow();
    m_canvas.reset();
}

void CPhotoMeasureDlg::RebuildCanvas(CanvasViewMode mode) {
    DestroyCanvas();
    m_viewMode = mode;
    CRect frame;
    if (HWND f = ::GetDlgItem(m_hWnd, IDC_PHOTO_FRAME)) {
        ::GetWindowRect(f, &frame);
        ScreenToClient(&frame);
    }
    CreateCanvas(frame);
}

// ---- The magnification ----

BOOL CPhotoMeasureDlg::ReadZoomScale() {
    WCHAR message[128];
    GetLangText(u"EnterRate", message, 128, u"Please input the zoomIn scale!");
    // The field shows a calibration rounded; while it does, the calibration counts in full.
    const CString calibratedText = ItemText(this, IDC_PHOTO_CALIBRATED);
    double calibrated = 0.0;
    if (!m_calibratedField.Read(calibratedText, calibrated))
        calibrated = wcstod(calibratedText.GetString(), nullptr);
    // A calibration is measured at the typed magnification; otherwise a calibrated value
    // takes precedence. Only a value above 0 divides lengths.
    const bool useTyped = m_calibrating == 1 || !(calibrated > 0.0 && std::isfinite(calibrated));
    const double zoom = useTyped
                            ? wcstod(ItemText(this, IDC_PHOTO_MAGNIFICATION).GetString(), nullptr)
                            : calibrated;
    m_lastZoom = zoom;
    if (!(zoom > 0.0 && std::isfinite(zoom))) {
        MessageBox(message, u"", MB_ICONEXCLAMATION);
        return FALSE;
    }
    g_zoomScale = zoom;
    if (m_canvas)
        m_canvas->m_zoom = m_lastZoom;
    return TRUE;
}

void CPhotoMeasureDlg::OnMagnificationChange() {
    // Looking a calibration up never rewrites the file.
    const CString magnification = ItemText(this, IDC_PHOTO_MAGNIFICATION);
    CString value;
    if (magnification.IsEmpty() ||
        !ReadCalibration(CalibrationFile().c_str(), magnification.GetString(), value))
        value.Empty();
    const double stored = wcstod(value.GetString(), nullptr);
    if (stored > 0.0 && std::isfinite(stored))
        value = m_calibratedField.Show(stored);
    if (ItemText(this, IDC_PHOTO_CALIBRATED) != value)
        SetDlgItemText(IDC_PHOTO_CALIBRATED, value);
}

void CPhotoMeasureDlg::OnPictureCalibrated() {
    SetDlgItemText(IDC_PHOTO_CALIBRATED, m_calibratedField.Show(g_calibratedZoom));
    ReadZoomScale();
    if (m_mainWnd)
        ::PostMessage(m_mainWnd, WM_APP_SYNC_CALIBRATION, 0, 0);
    // Stored under the magnification the calibration was confirmed at, which the canvas noted;
    // a text that names no magnification stores nothing.
    const WCHAR* begin = g_calibMagnificationText;
    const std::u16string magnification(begin, std::find(begin, begin + 48, u'\0'));
    // A calibration the file did not take would be gone at the next start: the operator is
    // told while it is still in use.
    const std::u16string file = CalibrationFile();
    if (!magnification.empty() &&
        !StoreCalibration(file.c_str(), magnification.c_str(), g_calibratedZoom)) {
        WCHAR message[128];
        GetLangText(u"CalibrationNotSaved", message, 128, u"The calibration could not be saved in");
        MessageBox(CString(message) + u"\n" + CString(file.c_str()), u"",
                   MB_OK | MB_ICONEXCLAMATION);
    }
}

BOOL CPhotoMeasureDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_APP_PICTURE_CALIBRATED && msg->hwnd == m_hWnd)
        OnPictureCalibrated();
    // Esc and Enter as keys never close the window.
    const bool key =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (key && msg->wParam == VK_ESCAPE)
        return TRUE;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// ---- Save As and Revert ----

void CPhotoMeasureDlg::OnSaveAs() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    ReleaseToggles();
    if (m_canvas)
        m_canvas->SetTool(TOOL_NONE, TOOL_MODE_IDLE);
    SetDlgItemText(IDC_PHOTO_TOOL_NAME, u"");
    if (!m_canvas)
        return;

    WCHAR folder[MAX_PATH] = {};
    ::GetCurrentDirectory(MAX_PATH, folder);
    CFileDialog dialog(FALSE, u"bmp", m_canvas->m_fileTitle.GetString(),
                       OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       u"bmp Files(*.bmp)|*.bmp|jpg Files(*.jpg)|*.jpg||", nullptr);
    dialog.m_ofn.lpstrTitle = u"Save Name Format: _[1~600]X";
    if (dialog.DoModal() != IDOK)
        return;
    WCHAR message[64];
    if (m_canvas && m_canvas->SaveWithShapes(dialog.GetPathName())) {
        m_saved = 1;
        GetLangText(u"SaveSuccessfull", message, 64, u"Save successfully!");
    } else {
        GetLangText(u"SaveFail", message, 64, u"Save fail");
    }
    MessageBox(message, m_title, MB_OK);
    if (folder[0])
        ::SetCurrentDirectory(folder);
}

void CPhotoMeasureDlg::OnRevert() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    if (m_canvas)
        m_canvas->SetTool(TOOL_NONE, TOOL_MODE_IDLE);
    ReleaseToggles();
    if (!m_canvas)
        return;
    CRect client;
    GetClientRect(&client);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_FRAME), nullptr, 0, kFrameTop, client.Width(),
                   client.Height() - kFrameTop, SWP_NOZORDER | SWP_FRAMECHANGED);
    RebuildCanvas(m_viewMode);
}

// ---- Window commands and layouts ----

bool CPhotoMeasureDlg::MaySizeWithoutSaving() {
    if (!m_canvas || !m_canvas->HasShapes() || m_saved)
        return true;
    WCHAR question[64];
    GetLangText(u"SureOpen", question, 64, u"Save changes to...");
    if (MessageBox(question, m_title, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return true;
    OnSaveAs();
    return false;
}

void CPhotoMeasureDlg::OnSysCommand(UINT id, LPARAM lp) {
    if (m_sizing.Command(*this, id, [this] { return MaySizeWithoutSaving(); }))
        CDialog::OnSysCommand(id, lp);
}

void CPhotoMeasureDlg::OnMinButton() {
    PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

// The button follows the window's real state, so it stays right whichever way the window was
// restored (the title corner, the button or the window manager).
void CPhotoMeasureDlg::OnMaxButton() {
    PostMessage(WM_SYSCOMMAND, IsZoomed() ? SC_RESTORE : SC_MAXIMIZE, 0);
    Invalidate(FALSE);
}

void CPhotoMeasureDlg::OnCloseButton() {
    PostMessage(WM_CLOSE, 0, 0);
}

void CPhotoMeasureDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    switch (m_sizing.Resized(type)) {
    case PhotoWindowSizing::Layout::Maximised:
        if (m_canvas)
            MaximisedLayout(cx, cy);
        break;
    case PhotoWindowSizing::Layout::Normal:
        if (m_canvas && m_sizing.MaximiseCommanded())
            NormalLayout();
        // Back in the normal window: the title corner and the buttons see it as such.
        m_sizing.BackToNormal();
        break;
    case PhotoWindowSizing::Layout::None:
        break;
    }
    Invalidate(FALSE);
}

void CPhotoMeasureDlg::MaximisedLayout(int w, int h) {
    DestroyCanvas();
    const UINT place = SWP_NOZORDER | SWP_NOREDRAW;
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_TOOL_NAME), nullptr, w - 246, 30, 80, 23, place);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_MAGNIFICATION), nullptr, w - 51, 30, 40, 23,
                   place);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_FRAME), nullptr, 0, kFrameTop, w, h - kFrameTop,
                   SWP_NOZORDER | SWP_FRAMECHANGED);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_CALIBRATED), nullptr, w - 155, 30, 50, 23, place);
    m_minButton.SetWindowPos(nullptr, w - 96, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_maxButton.SetWindowPos(nullptr, w - 66, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_closeButton.SetWindowPos(nullptr, w - 36, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RebuildCanvas(CANVAS_VIEW_FULL_SIZE);
    m_saved = 0;
}

void CPhotoMeasureDlg::NormalLayout() {
    DestroyCanvas();
    const UINT place = SWP_NOZORDER | SWP_NOREDRAW;
    // The fields stand where they stood on opening, clear of the calibration button.
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_MAGNIFICATION), nullptr, 595, 30, 40, 23, place);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_CALIBRATED), nullptr, 495, 30, 50, 23, place);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_TOOL_NAME), nullptr, 422, 30, 70, 23, place);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PHOTO_FRAME), nullptr, 0, kFrameTop, 640,
                   IsLargePicture() ? 512 : 480, SWP_NOZORDER | SWP_FRAMECHANGED);
    m_minButton.SetWindowPos(nullptr, 544, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_maxButton.SetWindowPos(nullptr, 574, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_closeButton.SetWindowPos(nullptr, 606, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RebuildCanvas(CANVAS_VIEW_FIXED);
    m_saved = 0;
    m_sizing.NormalLaidOut();
}

LRESULT CPhotoMeasureDlg::OnNcHitTest(CPoint pt) {
    CRect strip(0, 0, 540, 25);
    CRect corner(0, 0, 30, 25);
    ClientToScreen(&strip);
    ClientToScreen(&corner);
    if (!strip.PtInRect(pt)) {
        m_cornerRestorePosted = false;
        return CDialog::OnNcHitTest(pt);
    }
    // The top-left corner restores a maximised window, once each time the mouse comes to it.
    if (corner.PtInRect(pt)) {
        if (!m_cornerRestorePosted && IsZoomed())
            PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        m_cornerRestorePosted = true;
    } else {
        m_cornerRestorePosted = false;
    }
    const LRESULT hit = CDialog::OnNcHitTest(pt);
    return hit == HTCLIENT ? HTCAPTION : hit;
}

void CPhotoMeasureDlg::OnNcLButtonDblClk(UINT, CPoint) {}

// ---- Painting ----

BOOL CPhotoMeasureDlg::OnEraseBkgnd(CDC* dc) {
    CRect box;
    dc->GetClipBox(&box);
    CBrush grey(kBackground);
    CBrush* old = dc->SelectObject(&grey);
    dc->PatBlt(box.left, box.top, box.Width(), box.Height(), PATCOPY);
    dc->SelectObject(old);
    return TRUE;
}

void CPhotoMeasureDlg::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    ms::ui::DrawWindowTitle(dc.GetSafeHdc(), client, m_title, client.top + 2);
}

// ---- Closing ----

void CPhotoMeasureDlg::OnClose() {
    WCHAR question[64];
    GetLangText(u"SureClose", question, 64, u"Are you sure to close?");
    if (MessageBox(question, m_title, MB_YESNO) != IDYES)
        return;
    DestroyCanvas();
    DestroyWindow();
}

void CPhotoMeasureDlg::OnDestroy() {
    // The owner may take the window down without a close; the canvas goes first either way.
    DestroyCanvas();
    if (::IsWindow(m_toolTipWnd))
        ::DestroyWindow(m_toolTipWnd);
    m_toolTipWnd = nullptr;
    CDialog::OnDestroy();
}

void CPhotoMeasureDlg::PostNcDestroy() {
    delete this;
}
