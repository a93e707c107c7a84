#include "framework/AfxDoc.h"

#include <algorithm>

#include "framework/AfxApp.h"
#include "framework/AfxFrame.h"
#include "framework/AfxView.h"

// ---- CDocument --------------------------------------------------------------------------------

CDocument::~CDocument() {
    for (CView* pView : m_viewList)
        pView->m_pDocument = nullptr;
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* lpszPathName) {
    HANDLE hFile = ::CreateFileA(lpszPathName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        CString msg;
        msg.Format("%s\nFailed to open document.", lpszPathName);
        AfxMessageBox(msg, MB_ICONEXCLAMATION);
        return FALSE;
    }
    DeleteContents();
    CArchive ar(hFile, CArchive::load);
    Serialize(ar);
    ::CloseHandle(hFile);
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::Serialize(CArchive&) {}

void CDocument::SetPathName(const char* lpszPathName, BOOL bAddToMRU) {
    char full[AFX_MAX_PATH_BYTES];
    DWORD n = ::GetFullPathNameA(lpszPathName, sizeof full, full, nullptr);
    m_strPathName = (n > 0 && n < sizeof full) ? full : lpszPathName;
    if (bAddToMRU) {
        if (CWinApp* pApp = AfxGetApp())
            pApp->AddToRecentFileList(m_strPathName);
    }
}

void CDocument::AddView(CView* pView) {
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    m_viewList.erase(std::remove(m_viewList.begin(), m_viewList.end(), pView), m_viewList.end());
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender) {
    for (CView* pView : m_viewList) {
        if (pView != pSender)
            pView->OnUpdate(pSender);
    }
}

// ---- CDocTemplate ------------------------------------------------------------------------------

CDocTemplate::CDocTemplate(UINT nIDResource,
                           const CRuntimeClass* pDocClass,
                           const CRuntimeClass* pFrameClass,
                           const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
    m_strDocStrings.LoadString(nIDResource);
}

CDocTemplate::~CDocTemplate() = default;

CString CDocTemplate::GetDocString(int nIndex) const {
    int start = 0;
    for (int i = 0; i < nIndex; ++i) {
        int nl = m_strDocStrings.Find('\n', start);
        if (nl < 0)
            return CString();
        start = nl + 1;
    }
    int end = m_strDocStrings.Find('\n', start);
    return m_strDocStrings.Mid(start, (end < 0 ? m_strDocStrings.GetLength() : end) - start);
}

CDocument* CDocTemplate::CreateNewDocument() {
    CDocument* pDoc = static_cast<CDocument*>(m_pDocClass->CreateObject());
    if (pDoc)
        pDoc->m_pDocTemplate = this;
    return pDoc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc) {
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CFrameWnd* pFrame = static_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
    if (!pFrame)
        return nullptr;
    // On failure the frame object has deleted itself.
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
        TRACE("Warning: could not create a frame\n");
        return nullptr;
    }
    return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

// ---- CSingleDocTemplate ------------------------------------------------------------------------

CSingleDocTemplate::~CSingleDocTemplate() {
    CloseAllDocuments();
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible) {
    CDocument* pDocument = m_pOnlyDoc;
    CFrameWnd* pFrame = nullptr;
    bool bCreated = false;
    if (pDocument) {
        if (!pDocument->GetViews().empty())
            pFrame = pDocument->GetViews().front()->GetParentFrame();
    } else {
        pDocument = CreateNewDocument();
        if (!pDocument)
            return nullptr;
        bCreated = true;
    }
    if (!pFrame) {
        pFrame = CreateNewFrame(pDocument);
        if (!pFrame) {
            if (bCreated)
                delete pDocument;
            return nullptr;
        }
    }
    m_pOnlyDoc = pDocument;

    BOOL ok = lpszPathName ? pDocument->OnOpenDocument(lpszPathName) : pDocument->OnNewDocument();
    if (!ok) {
        if (bCreated) {
            m_pOnlyDoc = nullptr;
            pFrame->DestroyWindow();  // also destroys the view, which leaves the document
            delete pDocument;
        }
        return nullptr;
    }
    if (lpszPathName)
        pDocument->SetPathName(lpszPathName);

    CWinApp* pApp = AfxGetApp();
    if (bCreated && pApp && !pApp->m_pMainWnd)
        pApp->m_pMainWnd = pFrame;
    InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
    return pDocument;
}

void CSingleDocTemplate::CloseAllDocuments() {
    if (!m_pOnlyDoc)
        return;
    // Destroy the frames first: their views leave the document as they go.
    std::vector<CFrameWnd*> frames;
    for (CView* pView : m_pOnlyDoc->GetViews()) {
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame && std::find(frames.begin(), frames.end(), pFrame) == frames.end())
            frames.push_back(pFrame);
    }
    for (CFrameWnd* pFrame : frames)
        pFrame->DestroyWindow();
    delete m_pOnlyDoc;
    m_pOnlyDoc = nullptr;
}
