#include "wifi_measure/StillMeasureView.h"

#include "measure/ViewScrolling.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"
#include "res/WavenorResource.h"

namespace {
constexpr COLORREF kBackground = 0x808080;
} // namespace

CStillMeasureView::CStillMeasureView(CWnd* parent) : CDialog(IDD_STILL_VIEW, parent) {}

CStillMeasureView::~CStillMeasureView() = default;

BEGIN_MESSAGE_MAP(CStillMeasureView, CDialog)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CStillMeasureView::OnInitDialog() {
    CDialog::OnInitDialog();
    if (const DWORD type = StillPictureType(m_imagePath)) {
        m_image = std::make_unique<CDibImage>(m_imagePath.GetString(), type);
        if (!m_image->IsValid() || m_image->GetWidth() == 0 || m_image->GetHeight() == 0)
            m_image.reset();
    }
    if (m_image) {
        m_imageWidth = static_cast<int>(m_image->GetWidth());
        m_imageHeight = static_cast<int>(m_image->GetHeight());
        const StillViewSpace space = Space();
        m_displayWidth = space.displayWidth;
        m_displayHeight = space.displayHeight;
        m_prevImage = std::make_unique<CDibImage>(*m_image);
        m_origImage = std::make_unique<CDibImage>(*m_image);
        if (m_viewMode == STILL_VIEW_ACTUAL) {
            m_scrollX = 0;
            m_scrollY = 0;
            SetScrollPos(SB_HORZ, 0, TRUE);
            SetScrollPos(SB_VERT, 0, TRUE);
            UpdateScrollBars();
        }
    }

    CClientDC client(this);
    m_memDC.CreateCompatibleDC(&client);
    m_bitmap = std::make_unique<CBitmap>();
    if (m_image) {
        const bool fitted = m_viewMode != STILL_VIEW_ACTUAL;
        m_bitmap->CreateCompatibleBitmap(&client, fitted ? m_displayWidth : m_imageWidth,
                                         fitted ? m_displayHeight : m_imageHeight);
        m_memDC.SelectObject(m_bitmap.get());
    }
    return TRUE;
}

StillViewSpace CStillMeasureView::Space() const {
    return StillViewSpaceOf(m_imageWidth, m_imageHeight, m_viewMode);
}

BOOL CStillMeasureView::PreTranslateMessage(MSG* msg) {
    // Only Esc as a key: a mouse message whose wParam happens to be 27 goes on.
    const bool key =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (key && msg->wParam == VK_ESCAPE)
        return TRUE;
    if (msg->message == WM_APP_REDRAW_STILL && msg->hwnd == m_hWnd)
        Invalidate(FALSE);
    return CDialog::PreTranslateMessage(msg);
}

void CStillMeasureView::UpdateScrollBars() {
    SetViewScrollRanges(*this, CanvasScrollRanges(m_imageWidth, m_imageHeight, m_pageWidth,
                                                  m_pageHeight, GetSystemMetrics(SM_CXVSCROLL),
                                                  GetSystemMetrics(SM_CYHSCROLL)));
}

void CStillMeasureView::Scroll(int bar, UINT code) {
    // A page is the client's height for both bars.
    CRect client;
    GetClientRect(&client);
    int& position = bar == SB_HORZ ? m_scrollX : m_scrollY;
    position = ScrollViewBar(*this, bar, code, client.Height());
    Invalidate(FALSE);
}

void CStillMeasureView::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    Scroll(SB_HORZ, code);
    CDialog::OnHScroll(code, pos, bar);
}

void CStillMeasureView::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    Scroll(SB_VERT, code);
    CDialog::OnVScroll(code, pos, bar);
}

BOOL CStillMeasureView::OnEraseBkgnd(CDC* dc) {
    FillViewBackground(*dc, kBackground);
    return TRUE;
}

void CStillMeasureView::OnPaint() {
    CPaintDC dc(this);
    if (!m_image || !m_memDC.GetSafeHdc() || !m_bitmap || !m_bitmap->GetSafeHandle())
        return;
    const bool fitted = m_viewMode != STILL_VIEW_ACTUAL;
    m_image->StretchToDC(m_memDC, -m_scrollX, -m_scrollY, fitted ? m_displayWidth : m_imageWidth,
                         fitted ? m_displayHeight : m_imageHeight, SRCCOPY);
    DrawMeasurements(&m_memDC, m_scrollX, m_scrollY, 1.0, 1.0);
    // The fitted view shows the top 640 x 480 of its display, also of a 640 x 512 one.
    dc.BitBlt(0, 0, fitted ? 640 : m_imageWidth, fitted ? 480 : m_imageHeight, &m_memDC, 0, 0,
              SRCCOPY);
}

void CStillMeasureView::DrawMeasurements(CDC*, int, int, double, double) {
    // The still view's shapes are drawn here once its measuring tools make them; the callers
    // already pass the mapping each target needs.
}

int CStillMeasureView::SaveWithMeasurements(const CString& path) {
    const DWORD type = StillPictureType(path);
    if (!m_image || type == 0)
        return 0;
    CClientDC client(this);
    CDC memory;
    memory.CreateCompatibleDC(&client);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&client, m_imageWidth, m_imageHeight))
        return 0;
    CBitmap* old = memory.SelectObject(&bitmap);
    m_image->StretchToDC(memory, 0, 0, m_imageWidth, m_imageHeight, SRCCOPY);
    // Stored points are display positions in the fitted view: the picture gets them scaled by
    // picture size / display size per axis (2.0 for a 1280 x 1024 frame).
    const StillViewSpace space = Space();
    DrawMeasurements(&memory, 0, 0, space.toPictureX, space.toPictureY);
    memory.SelectObject(old);
    CDibImage rendered(DIBIMAGE_TYPE_UNKNOWN);
    if (!rendered.CreateFromBitmap(static_cast<HBITMAP>(bitmap.GetSafeHandle())))
        return 0;
    return rendered.SaveToFile(path.GetString(), type) ? 1 : 0;
}

void CStillMeasureView::OnDestroy() {
    CDialog::OnDestroy();
    m_image.reset();
    m_prevImage.reset();
    m_origImage.reset();
    m_memDC.DeleteDC();
    m_bitmap.reset();
}
