#include "measure/MeasureCanvas.h"

#include "measure/MeasureSettings.h"
#include "measure/PictureSave.h"
#include "measure/ShapeDrawing.h"
#include "measure/TextDlg.h"
#include "kit/LangText.h"
#include "measure/ViewScrolling.h"

#include "imaging/DibImage.h"
#include "media/DxfDrawing.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

WCHAR g_fileMagnificationText[32] = {};

namespace {
constexpr COLORREF kBackground = 0x808080;
} // namespace

CMeasureCanvas::CMeasureCanvas(CWnd* parent)
    : CDialog(IDD_MEASURE_CANVAS, parent), m_dxf(std::make_unique<CDxfDrawing>()) {
    ReadFontSize();
    ReadMeasureFont();
    m_measureFont = g_measureFont;
}

CMeasureCanvas::~CMeasureCanvas() = default;

BEGIN_MESSAGE_MAP(CMeasureCanvas, CDialog)
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_ERASEBKGND()
ON_WM_SETCURSOR()
ON_WM_PAINT()
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

BOOL CMeasureCanvas::OnInitDialog() {
    CDialog::OnInitDialog();
    WCHAR failure[128];
    GetLangText(u"OpenFileFail", failure, 128, u"Can not Open file");

    if (!m_image) {
        if (const DWORD type = PictureTypeOfPath(m_path)) {
            m_image = std::make_unique<CDibImage>(m_path.GetString(), type);
            if (!m_image->IsValid()) {
                m_image.reset();
                AfxMessageBox(failure, MB_OK);
                return FALSE;
            }
        }
    }
    if (m_image && m_viewMode == CANVAS_VIEW_FULL_SIZE) {
        m_scrollX = 0;
        m_scrollY = 0;
        SetScrollPos(SB_HORZ, 0, TRUE);
        SetScrollPos(SB_VERT, 0, TRUE);
        SetScrollRanges();
    }

    const PictureName name = ParsePictureName(m_path);
    m_fileTitle = name.title;
    m_titleToX = name.stamp;
    std::fill(std::begin(g_fileMagnificationText), std::end(g_fileMagnificationText), 0);
    ms::CopyBounded(g_fileMagnificationText, 32, name.magnification.GetString());

    const bool fixed = m_viewMode == CANVAS_VIEW_FIXED;
    if (m_image) {
        m_imageWidth = static_cast<int>(m_image->GetWidth());
        m_imageHeight = static_cast<int>(m_image->GetHeight());
        const FixedView view = FixedViewOf(m_imageWidth, m_imageHeight);
        m_viewWidth = view.width;
        m_viewHeight = view.height;
        const double scale = fixed ? view.scale : 1.0;
        m_scaleX = scale;
        m_scaleY = scale;
    }
    m_surface.Create(*this, m_image != nullptr, fixed ? m_viewWidth : m_imageWidth,
                     fixed ? m_viewHeight : m_imageHeight);

    ReadUnitSettings();
    ReadMeasureTextColor();
    m_labelColor = g_measureTextColor & 0x00FFFFFF;
    ReadLineColor();
    m_lineColor = g_lineColor & 0x00FFFFFF;
    ReadLineWidth();
    ReadLineType();
    m_unitScale = UnitScale();

    if (!m_waitCursor)
        m_waitCursor = LoadCursorFromFile((ms::ProgramDir() + u"/hourglas.ani").c_str());
    return TRUE;
}

BOOL CMeasureCanvas::PreTranslateMessage(MSG* msg) {
    // Only Esc as a key: a mouse message whose wParam happens to be 27 goes on.
    const bool key =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (key && msg->wParam == VK_ESCAPE)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CMeasureCanvas::SetToolFlag(int flag) {
    m_toolFlag = flag;
    DeselectAll();
}

void CMeasureCanvas::AddText(const CString& text) {
    m_text = text;
    DeselectAll();
    if (!TextGiven(m_text))
        return;
    auto record = std::make_unique<CMeasureRecord>();
    record->m_kind = CANVAS_KIND_TEXT;
    record->m_selected = 0;
    record->m_labels.push_back(m_text);
    record->m_textColor = m_textColor;
    record->m_textFont = m_textFont;
    // Where the text is drawn, and the scroll position it was added at.
    record->m_points.push_back(POINT{m_textPos.x + m_scrollX, m_textPos.y + m_scrollY});
    record->m_points.push_back(POINT{m_scrollX, m_scrollY});
    m_currentRecord = record.get();
    m_shapes.Add(std::move(record));
}

void CMeasureCanvas::DeselectAll() {
    for (const auto& shape : m_shapes)
        shape->m_selected = 0;
    m_selectedFirst = -1;
    m_selectedSecond = -1;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CMeasureCanvas::DeleteSelected() {
    WCHAR question[128];
    GetLangText(u"SureDelete", question, 128, u"Are you sure to delete?");
    bool anySelected = false;
    for (int i = m_shapes.GetSize() - 1; i >= 0; --i) {
        CMeasureRecord* shape = m_shapes.GetAt(i);
        if (!shape->m_selected)
            continue;
        anySelected = true;
        if (AfxMessageBox(question, MB_YESNO) == IDYES) {
            if (m_currentRecord == shape)
                m_currentRecord = nullptr;
            m_shapes.RemoveAt(i);
        }
    }
    if (!anySelected) {
        WCHAR message[128];
        GetLangText(u"SelectImage", message, 128, u"Please select a metafile");
        AfxMessageBox(message, MB_OK);
    }
    m_selectedFirst = -1;
    m_selectedSecond = -1;
    Invalidate(FALSE);
}

void CMeasureCanvas::SetScrollRanges() {
    // The whole client, the bars shown now given back: the ranges are for the client that
    // remains once the bars they need are placed.
    CRect client;
    GetClientRect(&client);
    const DWORD style = GetStyle();
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const ScrollRanges both = CanvasScrollRanges(
        m_imageWidth, m_imageHeight, client.Width() + ((style & WS_VSCROLL) ? barWidth : 0),
        client.Height() + ((style & WS_HSCROLL) ? barHeight : 0), barWidth, barHeight);
    SetViewScrollRanges(*this, both);
}

void CMeasureCanvas::Scroll(int bar, UINT code) {
    CRect client;
    GetClientRect(&client);
    int& position = bar == SB_HORZ ? m_scrollX : m_scrollY;
    position = ScrollViewBar(*this, bar, code, bar == SB_HORZ ? client.Width() : client.Height());
    Invalidate(FALSE);
}

void CMeasureCanvas::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    Scroll(SB_HORZ, code);
    CDialog::OnHScroll(code, pos, bar);
}

void CMeasureCanvas::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    Scroll(SB_VERT, code);
    CDialog::OnVScroll(code, pos, bar);
}

BOOL CMeasureCanvas::OnEraseBkgnd(CDC* dc) {
    FillViewBackground(*dc, kBackground);
    return TRUE;
}

BOOL CMeasureCanvas::OnSetCursor(CWnd*, UINT, UINT) {
    ::SetCursor(::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(IDC_PREVIEW_CURSOR)));
    return TRUE;
}

void CMeasureCanvas::OnPaint() {
    CPaintDC dc(this);
    if (!m_image || !m_surface.Ready())
        return;
    CDC& memory = m_surface.Dc();
    // Composed off screen and copied in one transfer.
    const bool fixed = m_viewMode == CANVAS_VIEW_FIXED;
    const int width = fixed ? m_viewWidth : m_imageWidth;
    const int height = fixed ? m_viewHeight : m_imageHeight;
    m_image->StretchToDC(memory, -m_scrollX, -m_scrollY, width, height, SRCCOPY);
    const ShapeMapping screen{false, m_scrollX, m_scrollY, 1.0, 1.0};
    for (const auto& shape : m_shapes)
        DrawMeasureRecord(memory, *shape, screen, g_decimalPlaces, g_unitName);
    DrawShapeInProgress(memory);

    CRect client;
    GetClientRect(&client);
    LOGFONTW stampFont = DefaultLabelFont();
    stampFont.lfCharSet = 1;
    CFont font;
    font.CreateFontIndirect(&stampFont);
    CFont* oldFont = memory.SelectObject(&font);
    memory.SetTextColor(0xFFFFFF);
    memory.SetBkMode(TRANSPARENT);
    memory.TextOut(2, client.Height() - 14, m_titleToX);
    memory.SelectObject(oldFont);

    dc.BitBlt(0, 0, width, height, &memory, 0, 0, SRCCOPY);
    // A repaint of the whole view wipes what was drawn inverted into the window.
    CRect painted(dc.m_ps.rcPaint);
    CRect covered;
    covered.IntersectRect(&client, &painted);
    if (covered == static_cast<const RECT&>(client)) {
        m_bandShown = false;
        m_outlineShown = false;
    }
}

int CMeasureCanvas::SaveWithShapes(const CString& path) {
    const DWORD type = PictureTypeOfPath(path);
    if (!m_image || type == 0 || m_imageWidth <= 0 || m_imageHeight <= 0)
        return 0;
    const ShapeMapping file{true, 0, 0, m_scaleX, m_scaleY};
    return SavePictureWithShapes(
        *this, *m_image, m_imageWidth, m_imageHeight, path, type, [&](CDC& memory) {
            for (const auto& shape : m_shapes)
                DrawMeasureRecord(memory, *shape, file, g_decimalPlaces, g_unitName);
        });
}

void CMeasureCanvas::CopyClientToBitmap() {
    CClientDC dc(this);
    CRect parent;
    if (CWnd* p = GetParent())
        p->GetClientRect(&parent);
    m_lensBitmap.DeleteObject();
    m_lensBitmap.CreateCompatibleBitmap(&dc, parent.Width(), parent.Height());
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    CBitmap* old = memory.SelectObject(&m_lensBitmap);
    memory.BitBlt(0, 0, parent.Width(), parent.Height(), &dc, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}

void CMeasureCanvas::Redraw(BOOL erase) {
    Invalidate(erase);
    UpdateWindow();
}

void CMeasureCanvas::OnDestroy() {
    if (m_lens)
        CloseLens();
    EndShape(false);
    m_moving = 0;
    m_movingRecord = nullptr;
    CDialog::OnDestroy();
    m_currentRecord = nullptr;
    m_shapes.DeleteAll();
    m_image.reset();
    m_surface.Release();
}
