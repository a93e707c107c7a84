// Device contexts and GDI objects. Ownership is part of the type: the GDI object classes
// delete what they hold, CDC borrows a DC, and CPaintDC/CClientDC/CWindowDC/CMemDC release
// or delete the DC they obtained. Every DC wrapper saves the DC's state when it attaches and
// restores it when it goes, so no pen, brush, font or bitmap stays selected on any path.
#pragma once

#include <windows.h>

#include "framework/AfxStr.h"

class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() { DeleteObject(); }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ hObject) {
        DeleteObject();
        m_hObject = hObject;
        return hObject != nullptr;
    }
    HGDIOBJ Detach() {
        HGDIOBJ h = m_hObject;
        m_hObject = nullptr;
        return h;
    }
    // Deletes the object. When the system refuses (an object still selected into a DC), the
    // handle stays held and FALSE comes back, so the caller can deselect it and try again.
    BOOL DeleteObject() {
        if (!m_hObject)
            return FALSE;
        if (!::DeleteObject(m_hObject))
            return FALSE;
        m_hObject = nullptr;
        return TRUE;
    }

protected:
    HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
        return Attach(::CreatePen(nPenStyle, nWidth, crColor));
    }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(::CreateFontIndirectA(lpLogFont)); }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    BOOL LoadBitmap(UINT nIDResource) {
        return Attach(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource)));
    }
    BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) {
        return Attach(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
    }
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
        return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
    }
    int GetBitmap(BITMAP* pBitMap) const { return ::GetObjectA(m_hObject, sizeof(BITMAP), pBitMap); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

// A borrowed device context.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hDC) { Attach(hDC); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() { Detach(); }

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    void Attach(HDC hDC) {
        Detach();
        m_hDC = hDC;
        m_nSavedDC = hDC ? ::SaveDC(hDC) : 0;
    }
    HDC Detach() {
        HDC h = m_hDC;
        if (m_hDC && m_nSavedDC)
            ::RestoreDC(m_hDC, m_nSavedDC);
        m_hDC = nullptr;
        m_nSavedDC = 0;
        return h;
    }

    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, HDC hSrcDC, int xSrc, int ySrc, DWORD dwRop) {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, hSrcDC, xSrc, ySrc, dwRop);
    }
    void FillSolidRect(const RECT& rc, COLORREF clr) {
        COLORREF old = ::SetBkColor(m_hDC, clr);
        ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        ::SetBkColor(m_hDC, old);
    }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

protected:
    HDC m_hDC = nullptr;
    int m_nSavedDC = 0;
};

// BeginPaint/EndPaint around a WM_PAINT handler.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { Attach(::BeginPaint(hWnd, &m_ps)); }
    ~CPaintDC() override {
        Detach();
        ::EndPaint(m_hWnd, &m_ps);
    }
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd) { Attach(::GetDC(hWnd)); }
    ~CClientDC() override {
        HDC h = Detach();
        if (h)
            ::ReleaseDC(m_hWnd, h);
    }

private:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd) { Attach(::GetWindowDC(hWnd)); }
    ~CWindowDC() override {
        HDC h = Detach();
        if (h)
            ::ReleaseDC(m_hWnd, h);
    }

private:
    HWND m_hWnd;
};

// A DC made for a device (CreateDC, "DISPLAY" for the whole screen), deleted at the end of its
// scope.
class CDeviceDC : public CDC {
public:
    explicit CDeviceDC(const char* pszDriver) { Attach(::CreateDCA(pszDriver, nullptr, nullptr, nullptr)); }
    ~CDeviceDC() override {
        HDC h = Detach();
        if (h)
            ::DeleteDC(h);
    }
};

// A memory DC, deleted at the end of its scope. Made from an HDC it is a plain memory DC
// compatible with it. Made from a target CDC it is off-screen drawing for one paint: a bitmap of
// the target's clip box, in the target's coordinates, copied onto the target at once when the
// CMemDC goes; a printer (or an empty clip box, or no memory for the bitmap) is drawn on
// directly.
class CMemDC : public CDC {
public:
    explicit CMemDC(HDC hCompatible) { Attach(::CreateCompatibleDC(hCompatible)); }
    explicit CMemDC(CDC* pTarget) : m_pTarget(pTarget) {
        pTarget->GetClipBox(&m_rcTarget);
        if (::GetDeviceCaps(*pTarget, TECHNOLOGY) != DT_RASPRINTER && !m_rcTarget.IsRectEmpty()) {
            HDC hMem = ::CreateCompatibleDC(*pTarget);
            if (hMem && m_bmpOffScreen.CreateCompatibleBitmap(*pTarget, m_rcTarget.Width(), m_rcTarget.Height())) {
                Attach(hMem);
                SelectObject(m_bmpOffScreen);
                ::SetWindowOrgEx(m_hDC, m_rcTarget.left, m_rcTarget.top, nullptr);
                m_bOffScreen = true;
                return;
            }
            if (hMem)
                ::DeleteDC(hMem);
        }
        Attach(*pTarget);  // borrowed
    }
    ~CMemDC() override {
        if (m_pTarget && !m_bOffScreen) {
            Detach();  // the target's own handle
            return;
        }
        if (m_bOffScreen)
            ::BitBlt(*m_pTarget, m_rcTarget.left, m_rcTarget.top, m_rcTarget.Width(), m_rcTarget.Height(), m_hDC,
                     m_rcTarget.left, m_rcTarget.top, SRCCOPY);
        HDC h = Detach();  // restores the state: the off-screen bitmap is no longer selected
        if (h)
            ::DeleteDC(h);
    }
    CMemDC* operator->() { return this; }

private:
    CDC* m_pTarget = nullptr;  // drawing for a target, or null for a plain memory DC
    CRect m_rcTarget;          // the target's clip box: the part drawn
    CBitmap m_bmpOffScreen;    // deleted after the DC (members go after the destructor body)
    bool m_bOffScreen = false;
};
