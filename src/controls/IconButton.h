// The flat icon button of the dialogs: an owner-drawn push button with an icon beside or above
// its caption, a thin border that appears while the mouse is over it, a sunken look while it is
// pressed, a tooltip, and flicker-free painting through an off-screen bitmap.
#pragma once

#include "framework/Afx.h"

// Where DrawItem puts the icon and the caption.
struct IconButtonLayout {
    CRect rcIcon;     // the icon is drawn at its top-left; its size is what the drawing is given
    CRect rcCaption;  // the caption is centred in this rectangle
};

// The layout for an item rectangle: nAlign 0 puts the icon left of the caption (3 pixels in),
// 1 above it; without a caption the icon is centred. A pressed button moves both by (1, 1).
// Halvings truncate toward zero, so a tall icon on a low button starts above its top edge.
IconButtonLayout LayoutIconButton(const CRect& rcItem,
                                  bool bHasIcon,
                                  bool bHasCaption,
                                  int nAlign,
                                  int cxIcon,
                                  int cyIcon,
                                  bool bPressed);
// The measured caption (its size) moved to the centre of the caption rectangle.
CRect CentreCaption(const CRect& rcCaption, const CSize& sizeText);

class CIconButton : public CButton {
public:
    CIconButton();
    ~CIconButton() override;

    // Icons from the application's resources: nIconIn while the mouse is over the button or it
    // is pressed, nIconOut otherwise (0: the same icon); cx and cy are the size used for layout,
    // at 96 dpi: the button scales them by its DPI, and loads the icons again when that changes.
    void SetIcons(int nIconIn, int nIconOut, BYTE cx, BYTE cy);
    void SetToolTipText(CString strText);

    // Cursor resource shown over the button; -1 for the normal cursor.
    void SetButtonCursor(int nCursorId);
    void SetFlat(BOOL bState);
    BOOL IsFlat() const { return m_bFlat; }
    // 0: icon left of the caption; 1: icon above it. Other values are ignored.
    void SetIconAlign(int nAlign);
    int GetIconAlign() const { return m_nAlign; }
    void SetShowText(BOOL bShow);
    BOOL GetShowText() const { return m_bShowText; }
    void SetDrawBorder(BOOL bEnable) { m_bDrawBorder = bEnable; }
    void SetDrawFlatFocus(BOOL bDrawFlatFocus, BOOL bRepaint = FALSE);
    BOOL GetDrawFlatFocus() const { return m_bDrawFlatFocus; }

    void ResetInactiveBgColor(BOOL bRepaint = FALSE);
    void SetInactiveBgColor(COLORREF crNew, BOOL bRepaint = FALSE);
    COLORREF GetInactiveBgColor() const { return m_crInactiveBg; }
    void ResetInactiveFgColor(BOOL bRepaint = FALSE);
    void SetInactiveFgColor(COLORREF crNew, BOOL bRepaint = FALSE);
    COLORREF GetInactiveFgColor() const { return m_crInactiveFg; }
    void ResetActiveBgColor(BOOL bRepaint = FALSE);
    void SetActiveBgColor(COLORREF crNew, BOOL bRepaint = FALSE);
    COLORREF GetActiveBgColor() const { return m_crActiveBg; }
    void ResetActiveFgColor(BOOL bRepaint = FALSE);
    void SetActiveFgColor(COLORREF crNew, BOOL bRepaint = FALSE);
    COLORREF GetActiveFgColor() const { return m_crActiveFg; }

    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    // The window moved to another DPI (wParam: the new DPI; 0: the window's own).
    LRESULT OnDpiChangedAfterParent(WPARAM wParam, LPARAM lParam);
    void OnKillFocus(HWND hNewWnd);
    void OnCaptureChanged(HWND hNewCapture);
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    // Invalidates when bRepaint is set.
    void Repaint(BOOL bRepaint);
    void DestroyIcons();
    // The icons SetIcons named, at their size for nDpi.
    void LoadIcons(UINT nDpi);

    CString m_strToolText;
    CToolTipCtrl m_toolTip;
    int m_nAlign;
    BOOL m_bShowText;
    BOOL m_bDrawBorder;
    BOOL m_bFlat;
    BOOL m_bMouseOver;
    BOOL m_bDrawFlatFocus;
    CCursorHandle m_hCursor;  // loaded by SetButtonCursor, owned
    CIconHandle m_hIconIn;    // loaded by SetIcons, owned
    CIconHandle m_hIconOut;   // none when the one icon serves both states
    int m_nIconIn;            // the resources SetIcons named; 0: none
    int m_nIconOut;
    BYTE m_cxIcon96;  // and the size it gave, at 96 dpi
    BYTE m_cyIcon96;
    UINT m_nIconDpi;  // the DPI the icons are loaded for
    BYTE m_cyIcon;    // their size there
    BYTE m_cxIcon;
    COLORREF m_crInactiveBg;
    COLORREF m_crInactiveFg;
    COLORREF m_crActiveBg;
    COLORREF m_crActiveFg;

    DECLARE_MESSAGE_MAP()
};
