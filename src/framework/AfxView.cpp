#include "framework/AfxView.h"

#include "framework/AfxDoc.h"
#include "framework/AfxFrame.h"

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
END_MESSAGE_MAP()

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    // A sunken edge instead of the flat border.
    if (cs.style & WS_BORDER) {
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
        cs.style &= ~WS_BORDER;
    }
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (pContext && pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::PostNcDestroy() {
    delete this;
}

CFrameWnd* CView::GetParentFrame() const {
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        if (CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(h)))
            return pFrame;
    }
    return nullptr;
}

void CView::OnPaint() {
    CPaintDC dc(m_hWnd);
    OnDraw(&dc);
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr);
}

void CView::OnUpdate(CView*) {
    Invalidate(TRUE);
}

BOOL CView::OnPreparePrinting(CPrintInfo*) {
    return FALSE;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    if (!pInfo)
        return FALSE;
    pInfo->m_pPD.reset(new CPrintDialog(FALSE));
    return pInfo->m_pPD->DoModal() == IDOK && pInfo->m_pPD->GetPrinterDC();
}

void CView::OnPrint(CDC* pDC, CPrintInfo*) {
    OnDraw(pDC);
}

void CView::OnFilePrint() {
    CPrintInfo info;
    if (!OnPreparePrinting(&info) || !info.m_pPD || !info.m_pPD->GetPrinterDC())
        return;
    CDC dc(info.m_pPD->GetPrinterDC());
    CString strTitle;
    strTitle.LoadString(AFX_IDS_APP_TITLE);
    DOCINFOA di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = strTitle;
    BOOL bStarted = ::StartDocA(dc, &di) > 0;
    info.m_rectDraw.SetRect(0, 0, ::GetDeviceCaps(dc, HORZRES), ::GetDeviceCaps(dc, VERTRES));
    OnBeginPrinting(&dc, &info);
    if (bStarted)
        ::StartPage(dc);
    OnPrint(&dc, &info);
    if (bStarted)
        ::EndPage(dc);
    OnEndPrinting(&dc, &info);
    if (bStarted)
        ::EndDoc(dc);
    else
        ::AbortDoc(dc);
    dc.Detach();
}

void CView::OnFilePrintPreview() {}

BOOL CView::OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe) {
    if (CWnd::OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe);
}
