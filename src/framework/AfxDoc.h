// Documents and the single-document template that creates document, frame and view.
#pragma once

#include <vector>

#include "framework/AfxWin.h"

class CView;
class CFrameWnd;
class CDocTemplate;

// What a document's serialisation sees: the direction only (documents here store nothing).
class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    CArchive(HANDLE hFile, Mode nMode) : m_hFile(hFile), m_nMode(nMode) {}
    BOOL IsStoring() const { return m_nMode == store; }
    BOOL IsLoading() const { return m_nMode == load; }
    HANDLE GetFile() const { return m_hFile; }

private:
    HANDLE m_hFile;
    Mode m_nMode;
};

class CDocument : public CCmdTarget {
public:
    ~CDocument() override;
    virtual BOOL OnNewDocument();
    // Opens the file for reading and lets Serialize read it; a file that cannot be opened is
    // reported with the framework's message.
    virtual BOOL OnOpenDocument(const char* lpszPathName);
    virtual void Serialize(CArchive& ar);
    virtual void DeleteContents() {}

    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(const char* lpszPathName, BOOL bAddToMRU = TRUE);
    void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    BOOL IsModified() const { return m_bModified; }

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_viewList; }
    void UpdateAllViews(CView* pSender);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

protected:
    friend class CDocTemplate;
    CString m_strPathName;
    BOOL m_bModified = FALSE;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;
};

// What a new frame needs to create its view.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
};

class CDocTemplate : public CCmdTarget {
public:
    CDocTemplate(UINT nIDResource,
                 const CRuntimeClass* pDocClass,
                 const CRuntimeClass* pFrameClass,
                 const CRuntimeClass* pViewClass);
    ~CDocTemplate() override;

    UINT GetResourceID() const { return m_nIDResource; }
    // Field n (0-based) of the template string: window title, document name, new-file name,
    // filter name, filter extension, registry type id, registry type name.
    CString GetDocString(int nIndex) const;

    virtual CDocument* OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual void CloseAllDocuments() = 0;
    virtual CDocument* GetOnlyDocument() const = 0;

protected:
    CDocument* CreateNewDocument();
    CFrameWnd* CreateNewFrame(CDocument* pDoc);
    void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible);

    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
};

class CSingleDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
    ~CSingleDocTemplate() override;
    CDocument* OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible = TRUE) override;
    void CloseAllDocuments() override;
    CDocument* GetOnlyDocument() const override { return m_pOnlyDoc; }

private:
    CDocument* m_pOnlyDoc = nullptr;
};
