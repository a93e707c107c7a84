// The link label: a static text control that draws its text in its own colour and font and can
// act as a link. A click on a link label opens its text in the web browser when it is the maker's
// home-page address, and otherwise starts a mail message to it. Dialogs bind it to an existing
// static control and set it up with setters that chain.
#pragma once

#include "framework/Afx.h"

class CLabel : public CStatic {
public:
    CLabel();
    ~CLabel() override;

    // The address a click opens in the browser rather than as a mail address.
    static const char s_szHomePage[];

    // Setters; those that change the look redraw at once.
    CLabel& SetText(const CString& strText);
    CLabel& SetTextColor(COLORREF crText);
    CLabel& SetFontBold(BOOL bBold);
    CLabel& SetFontUnderline(BOOL bSet);
    CLabel& SetFontItalic(BOOL bSet);
    // Character height in pixels.
    CLabel& SetFontSize(int nSize);
    // At most 31 characters are kept.
    CLabel& SetFontName(const CString& strFont);
    // The background brush; shows at the next paint.
    CLabel& SetBkColor(COLORREF crBkgnd);
    CLabel& SetSunken(BOOL bSet);
    CLabel& SetBorder(BOOL bSet);
    // A link receives clicks (SS_NOTIFY); a label that is not one lets them through.
    CLabel& SetLink(BOOL bLink);
    // Shown over the label; null for the normal cursor. The label does not own it.
    CLabel& SetLinkCursor(HCURSOR hCursor);
    // Text and background flashing, every half second until switched off.
    CLabel& FlashText(BOOL bActivate);
    CLabel& FlashBackground(BOOL bActivate);

    COLORREF GetTextColor() const { return m_crText; }
    const LOGFONTA& GetLogFont() const { return m_lf; }
    HFONT GetLabelFont() const { return m_font; }

    void PreSubclassWindow() override;

protected:
    // The reflected colour request: font, text colour, transparent text, the background brush.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, CPoint point);
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);

    void ReconstructFont();
    void RedrawNow();

    COLORREF m_crText;
    CBrush m_hBackBrush;  // owned: deleted with the label or when replaced
    CBrush m_hFaceBrush;
    LOGFONTA m_lf;
    CFont m_font;
    CString m_strSaved;
    BOOL m_bFlashState;
    BOOL m_bTimerOn;
    int m_nFlashType;  // 0 none, 1 text, 2 background
    HCURSOR m_hCursor;

    DECLARE_MESSAGE_MAP()
};
