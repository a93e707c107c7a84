// Common controls as window objects: the push button (which draws itself when owner-drawn)
// and the tooltip control.
#pragma once

#include "framework/AfxWin.h"

class CButton : public CWnd {
public:
    BOOL Create(const char* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }

    // An owner-drawn button draws itself: its parent reflects WM_DRAWITEM here.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CToolTipCtrl : public CWnd {
public:
    // A tooltip window owned by pParentWnd.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // Registers a rectangle of pWnd's client area as tool nIDTool; a null text asks the parent
    // for the text when the tip shows.
    BOOL AddTool(CWnd* pWnd, const char* lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool);
    void UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool);
    // The text of a tool, empty for an unknown tool.
    CString GetText(CWnd* pWnd, UINT_PTR nIDTool) const;
    // Hands a mouse message to the tooltip so that it knows where the mouse is.
    void RelayEvent(LPMSG lpMsg);
    void Activate(BOOL bActivate);
};
