// The framework's drawing objects: temporaries for handles (TempObjects.h), and the calls that
// need more than one GDI call.
#include "platform/mfc/AfxWin.h"
#include "platform/mfc/TempObjects.h"

namespace {

struct AttachObject {
    void operator()(CGdiObject& o, HGDIOBJ h) const { o.m_hObject = h; }
};

template <class Obj> Obj* TempObject(HGDIOBJ h) {
    if (!h)
        return nullptr;
    return ms::mfc::Temporary<Obj>(h, AttachObject{});
}

struct AttachDc {
    void operator()(CDC& o, HDC h) const { o.m_hDC = h; }
};

} // namespace

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) {
    return TempObject<CGdiObject>(h);
}
CPen* CPen::FromHandle(HPEN h) {
    return TempObject<CPen>(h);
}
CBrush* CBrush::FromHandle(HBRUSH h) {
    return TempObject<CBrush>(h);
}
CFont* CFont::FromHandle(HFONT h) {
    return TempObject<CFont>(h);
}
CBitmap* CBitmap::FromHandle(HBITMAP h) {
    return TempObject<CBitmap>(h);
}
CRgn* CRgn::FromHandle(HRGN h) {
    return TempObject<CRgn>(h);
}

BOOL CFont::CreatePointFont(int pointTenths, LPCWSTR face, CDC*) {
    LOGFONTW lf{};
    lf.lfHeight = -((pointTenths * 96 + 360) / 720);
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    if (face)
        ms::CopyBounded(lf.lfFaceName, LF_FACESIZE, face);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT id) {
    return Attach(::LoadBitmap(::GetModuleHandle(nullptr), MAKEINTRESOURCE(id)));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

// ---- CDC ----

CDC::~CDC() {
    if (owned_ && m_hDC)
        ::DeleteDC(m_hDC);
}

CDC* CDC::FromHandle(HDC hdc) {
    if (!hdc)
        return nullptr;
    return ms::mfc::Temporary<CDC>(hdc, AttachDc{});
}

BOOL CDC::Attach(HDC hdc) {
    if (m_hDC || !hdc)
        return FALSE;
    m_hDC = hdc;
    owned_ = true;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    m_hDC = nullptr;
    owned_ = false;
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

CPen* CDC::SelectObject(CPen* pen) {
    return CPen::FromHandle(
        static_cast<HPEN>(::SelectObject(m_hDC, pen ? pen->m_hObject : nullptr)));
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return CBrush::FromHandle(
        static_cast<HBRUSH>(::SelectObject(m_hDC, brush ? brush->m_hObject : nullptr)));
}
CFont* CDC::SelectObject(CFont* font) {
    return CFont::FromHandle(
        static_cast<HFONT>(::SelectObject(m_hDC, font ? font->m_hObject : nullptr)));
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return CBitmap::FromHandle(
        static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap ? bitmap->m_hObject : nullptr)));
}

CGdiObject* CDC::SelectStockObject(int index) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
}

void CDC::FillSolidRect(LPCRECT r, COLORREF c) {
    HBRUSH b = ::CreateSolidBrush(c);
    ::FillRect(m_hDC, r, b);
    ::DeleteObject(b);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}
