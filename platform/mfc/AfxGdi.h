// The framework's drawing objects over the GDI calls: CDC (and CPaintDC, CClientDC,
// CWindowDC for windows), CPen, CBrush, CFont, CBitmap, CRgn. Thin: every call is the GDI
// call of the same name on the held handle.
// Kept: an object deletes the handle it created (or was given by Attach) when it dies;
// SelectObject returns the previous object as a temporary wrapper that does not own it;
// FromHandle wrappers are temporaries, valid for the current message.
#pragma once

#include "platform/mfc/AfxTypes.h"
#include "platform/win/core/CString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"

class CWnd;

class CGdiObject {
public:
    HGDIOBJ m_hObject = nullptr;
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    static CGdiObject* FromHandle(HGDIOBJ h);
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ h) {
        if (m_hObject || !h)
            return FALSE;
        m_hObject = h;
        return TRUE;
    }
    HGDIOBJ Detach() {
        HGDIOBJ h = m_hObject;
        m_hObject = nullptr;
        return h;
    }
    BOOL DeleteObject() {
        if (!m_hObject)
            return FALSE;
        return ::DeleteObject(Detach());
    }
    int GetObject(int size, LPVOID out) const { return ::GetObjectW(m_hObject, size, out); }
    BOOL CreateStockObject(int index) { return Attach(::GetStockObject(index)); }
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    static CPen* FromHandle(HPEN h);
    BOOL CreatePen(int style, int width, COLORREF color) {
        return Attach(::CreatePen(style, width, color));
    }
    BOOL CreatePenIndirect(const LOGPEN* lp) { return Attach(::CreatePenIndirect(lp)); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    static CBrush* FromHandle(HBRUSH h);
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreateBrushIndirect(const LOGBRUSH* lb) { return Attach(::CreateBrushIndirect(lb)); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    static CFont* FromHandle(HFONT h);
    BOOL CreateFontIndirect(const LOGFONTW* lf) { return Attach(::CreateFontIndirectW(lf)); }
    // Height in tenths of a point at 96 dpi, as the framework's CreatePointFont.
    BOOL CreatePointFont(int pointTenths, LPCWSTR face, class CDC* dc = nullptr);
    int GetLogFont(LOGFONTW* lf) const { return ::GetObjectW(m_hObject, sizeof(LOGFONTW), lf); }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    static CBitmap* FromHandle(HBITMAP h);
    BOOL LoadBitmap(UINT id);
    BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
        return Attach(::CreateBitmap(width, height, planes, bitCount, bits));
    }
    int GetBitmap(BITMAP* bm) const { return ::GetObjectW(m_hObject, sizeof(BITMAP), bm); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
public:
    static CRgn* FromHandle(HRGN h);
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRectRgnIndirect(LPCRECT r) { return Attach(::CreateRectRgnIndirect(r)); }
    BOOL CreatePolygonRgn(const POINT* pts, int count, int mode) {
        return Attach(::CreatePolygonRgn(pts, count, mode));
    }
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
        return ::CombineRgn(*this, a ? static_cast<HRGN>(a->m_hObject) : nullptr,
                            b ? static_cast<HRGN>(b->m_hObject) : nullptr, mode);
    }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
    BOOL PtInRegion(POINT p) const { return ::PtInRegion(*this, p.x, p.y); }
    int GetRgnBox(LPRECT r) const { return ::GetRgnBox(*this, r); }
    int OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CDC {
public:
    HDC m_hDC = nullptr;
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A temporary object for a handle; it does not own it.
    static CDC* FromHandle(HDC hdc);
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC hdc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* rgn) {
        return ::SelectClipRgn(m_hDC, rgn ? static_cast<HRGN>(rgn->m_hObject) : nullptr);
    }
    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    CGdiObject* SelectStockObject(int index);

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int SetROP2(int rop) { return ::SetROP2(m_hDC, rop); }
    int GetROP2() const { return ::GetROP2(m_hDC); }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    int SetArcDirection(int dir) { return ::SetArcDirection(m_hDC, dir); }
    int SetPolyFillMode(int mode) { return ::SetPolyFillMode(m_hDC, mode); }
    UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

    CPoint MoveTo(int x, int y) {
        POINT old{};
        ::MoveToEx(m_hDC, x, y, &old);
        return CPoint(old);
    }
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return ::LineTo(m_hDC, p.x, p.y); }
    CPoint GetCurrentPosition() const {
        POINT p{};
        ::GetCurrentPositionEx(m_hDC, &p);
        return CPoint(p);
    }
    BOOL Polyline(const POINT* pts, int n) { return ::Polyline(m_hDC, pts, n); }
    BOOL Polygon(const POINT* pts, int n) { return ::Polygon(m_hDC, pts, n); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
        return ::Arc(m_hDC, l, t, r, b, x1, y1, x2, y2);
    }
    BOOL Arc(LPCRECT r, POINT start, POINT end) {
        return ::Arc(m_hDC, r->left, r->top, r->right, r->bottom, start.x, start.y, end.x, end.y);
    }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF SetPixel(POINT p, COLORREF c) { return ::SetPixel(m_hDC, p.x, p.y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }
    void FillRect(LPCRECT r, CBrush* brush) {
        ::FillRect(m_hDC, r, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
    }
    void FillSolidRect(LPCRECT r, COLORREF c);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
        const RECT r{x, y, x + cx, y + cy};
        FillSolidRect(&r, c);
    }
    void FrameRect(LPCRECT r, CBrush* brush) {
        ::FrameRect(m_hDC, r, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
    }
    void InvertRect(LPCRECT r) { ::InvertRect(m_hDC, r); }
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    BOOL DrawEdge(LPRECT r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, xs, ys, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                    DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, xs, ys, ws, hs, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT p, HICON icon) { return ::DrawIcon(m_hDC, p.x, p.y, icon); }

    BOOL TextOut(int x, int y, LPCWSTR text, int count) {
        return ::TextOutW(m_hDC, x, y, text, count);
    }
    BOOL TextOut(int x, int y, const CString& s) {
        return ::TextOutW(m_hDC, x, y, s.GetString(), s.GetLength());
    }
    int DrawText(LPCWSTR text, int count, LPRECT r, UINT format) {
        return ::DrawTextW(m_hDC, text, count, r, format);
    }
    int DrawText(const CString& s, LPRECT r, UINT format) {
        return ::DrawTextW(m_hDC, s.GetString(), s.GetLength(), r, format);
    }
    CSize GetTextExtent(LPCWSTR text, int count) const {
        SIZE s{};
        ::GetTextExtentPoint32W(m_hDC, text, count, &s);
        return CSize(s);
    }
    CSize GetTextExtent(const CString& s) const {
        return GetTextExtent(s.GetString(), s.GetLength());
    }
    BOOL GetTextMetrics(TEXTMETRICW* tm) const { return ::GetTextMetricsW(m_hDC, tm); }

    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }
    int SelectClipRgn(CRgn* rgn) {
        return ::SelectClipRgn(m_hDC, rgn ? static_cast<HRGN>(rgn->m_hObject) : nullptr);
    }
    int IntersectClipRect(int l, int t, int r, int b) {
        return ::IntersectClipRect(m_hDC, l, t, r, b);
    }
    int IntersectClipRect(LPCRECT r) {
        return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom);
    }
    int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    int ExcludeClipRect(LPCRECT r) {
        return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom);
    }

protected:
    bool owned_ = false; // DeleteDC when the object dies
};

// BeginPaint/EndPaint for the lifetime of the object (inside WM_PAINT).
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd = nullptr;
};

// GetDC/ReleaseDC for the lifetime of the object: drawing outside WM_PAINT.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd = nullptr;
};

class CWindowDC : public CClientDC {
public:
    explicit CWindowDC(CWnd* wnd) : CClientDC(wnd) {}
};
