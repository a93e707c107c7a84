// The view: a child window of the frame that draws its document.
#pragma once

#include "framework/AfxPrint.h"
#include "framework/AfxWin.h"

#include <memory>

class CDocument;
class CFrameWnd;

// Printing state handed to the view's printing hooks.
struct CPrintInfo {
    BOOL m_bPreview = FALSE;
    UINT m_nCurPage = 1;
    CRect m_rectDraw;
    // The print dialog DoPreparePrinting ran; it owns the printer's device context.
    std::unique_ptr<CPrintDialog> m_pPD;
};

class CView : public CWnd {
public:
    ~CView() override;
    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender);
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    // One page: the view's drawing on the printer's device context.
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // The view first, then its document.
    BOOL OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe = FALSE) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnPaint();
    void PostNcDestroy() override;
    // The standard print command: OnPreparePrinting (which runs the print dialog through
    // DoPreparePrinting), then one document of one page drawn by OnPrint.
    void OnFilePrint();
    // The framework has no preview window: the command is accepted and shows nothing.
    void OnFilePrintPreview();

    friend class CDocument;
    CDocument* m_pDocument = nullptr;
    DECLARE_MESSAGE_MAP()
};
