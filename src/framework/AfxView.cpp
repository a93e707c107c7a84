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

BOOL CView::DoPreparePrinting(CPrintInfo*) {
    // The print dialog comes with printing; until then there is nothing to prepare.
    return FALSE;
}

BOOL CView::OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe) {
    if (CWnd::OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe);
}
