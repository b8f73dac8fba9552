#include "measure/MagnifierDlg.h"

#include "kit/LangText.h"

#include "res/TessaryResource.h"

namespace {
constexpr int kTextBuffer = 32; // texts are cut to 31 characters
} // namespace

LensSquare LensSourceSquare(int size, int zoom) {
    if (zoom <= 0)
        return {size, 0};
    const int side = (size / zoom) * 10;
    return {side, size / 2 - side / 2};
}

// ---- CMagnifierDlg ----

CMagnifierDlg::CMagnifierDlg(CWnd* parent) : CDialog(IDD_MAGNIFIER, parent) {}

BEGIN_MESSAGE_MAP(CMagnifierDlg, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_MAG_2X, IDC_MAG_4X, OnZoom)
ON_CONTROL_RANGE(BN_CLICKED, IDC_MAG_150, IDC_MAG_200, OnLensSize)
ON_CONTROL_RANGE(BN_CLICKED, IDC_MAG_100, IDC_MAG_100, OnLensSize)
END_MESSAGE_MAP()

BOOL CMagnifierDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    WCHAR text[kTextBuffer];
    GetLangText(u"TipMagnifier", text, kTextBuffer, u"Magnifier");
    SetWindowText(text);
    GetLangText(u"Zoom", text, kTextBuffer, u"Zoom");
    SetDlgItemText(IDC_MAG_ZOOM_FRAME, text);
    GetLangText(u"magnifierSize", text, kTextBuffer, u"magnifier Size");
    SetDlgItemText(IDC_MAG_SIZE_FRAME, text);
    for (int id : {IDC_MAG_2X, IDC_MAG_100})
        SendDlgItemMessage(id, BM_SETCHECK, BST_CHECKED);
    for (int id : {IDC_MAG_3X, IDC_MAG_4X, IDC_MAG_150, IDC_MAG_200})
        SendDlgItemMessage(id, BM_SETCHECK, BST_UNCHECKED);
    return TRUE;
}

void CMagnifierDlg::OnZoom(UINT id) {
    m_zoom = 20 + 10 * static_cast<int>(id - IDC_MAG_2X);
}

void CMagnifierDlg::OnLensSize(UINT id) {
    switch (id) {
    case IDC_MAG_100:
        m_lensSize = 100;
        break;
    case IDC_MAG_150:
        m_lensSize = 150;
        break;
    case IDC_MAG_200:
        m_lensSize = 200;
        break;
    default:
        break;
    }
}

// ---- CMagnifierLens ----

BEGIN_MESSAGE_MAP(CMagnifierLens, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

void CMagnifierLens::OnPaint() {
    CPaintDC dc(this);
    DrawSquareLens(&dc);
}

void CMagnifierLens::DrawSquareLens(CDC* dc) {
    if (!m_source || !m_source->LensBitmap() || !m_source->LensBitmap()->GetSafeHandle())
        return;
    const int size = m_source->LensSize();
    const POINT at = m_source->LensPoint();
    const LensSquare square = LensSourceSquare(size, m_source->LensZoom());

    CDC memory;
    memory.CreateCompatibleDC(dc);
    CBitmap* old = memory.SelectObject(m_source->LensBitmap());
    dc->StretchBlt(0, 0, size, size, &memory, at.x + square.offset, at.y + square.offset,
                   square.side, square.side, SRCCOPY);
    const POINT outer[] = {{0, 0}, {size - 1, 0}, {size - 1, size - 1}, {0, size - 1}, {0, 0}};
    const POINT inner[] = {{2, 2}, {size - 3, 2}, {size - 3, size - 3}, {2, size - 3}, {2, 2}};
    dc->Polyline(outer, 5);
    dc->Polyline(inner, 5);
    memory.SelectObject(old);
    memory.DeleteDC();
}
