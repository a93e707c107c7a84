// The view's Open command and its stepping through the pictures of the opened folder.
#include "view/NorvelView.h"

#include <algorithm>
#include <vector>

#include "app/Norvel.h"
#include "dialogs/SpecFileDlg.h"
#include "framework/GdiPlus.h"
#include "view/PictureCache.h"
#include "view/PicturePreload.h"

namespace {
// The picture patterns, searched in this order.
const char* const kPatterns[] = {"*.bmp", "*.jpg", "*.gif", "*.ico", "*.tiff", "*.png", "*.emf", "*.wmf"};
}  // namespace

// ---- opening and stepping through the folder ----

void CNorvelView::OnFileOpen() {
    CSpecFileDlg dlg(TRUE, nullptr, "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr);
    if (dlg.DoModal() == IDOK)
        OpenChosenFile(dlg.GetPathName(), dlg.GetFileName());
    ApplyEnableRule();
}

void CNorvelView::OpenChosenFile(const CString& strPath, const CString& strName) {
    CNorvelApp* pApp = GetNorvelApp();
    g_nFileIndex = 0;
    g_strFilePath = strPath;
    g_strFileName = strName;
    g_strFolder = g_strFilePath.Left(g_strFilePath.GetLength() - g_strFileName.GetLength());
    SetStatusText(2, FileSizeText(g_strFilePath));

    // Decoded once here and kept for the paint that follows.
    MeasureShownPicture();
    m_pPicture->Release();
    FitToWindow();
    SetStatusText(1, g_strFileName);

    pApp->m_bRegionCaptured = 0;
    pApp->m_bObjectCaptured = 0;
    pApp->m_bScreenCaptured = 0;
    pApp->m_bImageLoaded = 1;
    m_bEnableSave = 0;
    g_bManualZoom = 0;

    CString s;
    s.Format(" [%d,%d] ", g_nImageWidth, g_nImageHeight);
    SetStatusText(3, s);
    SetStatusText(4, ZoomText());
    Invalidate(TRUE);

    BuildFileList();
    s.Format("%d in %d", g_nFileIndex + 1, g_fileList.GetSize());
    SetStatusText(5, s);

    m_bEnableZoomOut = 1;
    m_bEnableZoomIn = 1;
    g_bEnableZoomDialog = 1;
    m_bEnableSaveAs = 1;
    m_bEnableCopy = 1;
    m_bEnablePrint = 1;
    m_bEnableRename = 1;
    g_bEnableImageEdit = 1;
    m_bEnableSlideShow = g_fileList.GetSize() >= 2 ? 1 : 0;
    pApp->m_bPanX = 0;
    pApp->m_bPanY = 0;
    ApplyEnableRule();
    RequestNeighbours();
}

void CNorvelView::BuildFileList() {
    g_fileList.RemoveAll();
    for (const char* pattern : kPatterns)
        AddPatternMatches(pattern);
    std::sort(g_fileList.GetData(), g_fileList.GetData() + g_fileList.GetSize(),
              [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    for (int i = 0; i < g_fileList.GetSize(); ++i) {
        if (g_fileList[i] == g_strFilePath)
            g_nFileIndex = i;  // the last equal entry wins
    }
}

void CNorvelView::AddPatternMatches(CString strPattern) {
    CString strPrefix = g_strFilePath.Left(g_strFilePath.GetLength() - g_strFileName.GetLength() - 1) + "\\";
    if (AfxIsUtf8CodePage()) {
        // The 8-bit record holds MAX_PATH bytes: a name of 255 characters can take three times
        // that in UTF-8. The names are read in UTF-16 and converted.
        std::vector<wchar_t> wide(AFX_MAX_PATH_BYTES);
        WIN32_FIND_DATAW fdw;
        HANDLE hFind = ::FindFirstFileW(AfxToWideBuffer(strPrefix + strPattern, wide.data(), AFX_MAX_PATH_BYTES), &fdw);
        if (hFind == INVALID_HANDLE_VALUE)
            return;
        char name[AFX_MAX_PATH_BYTES];
        do {
            if (::WideCharToMultiByte(CP_ACP, 0, fdw.cFileName, -1, name, sizeof name, nullptr, nullptr) > 0)
                g_fileList.Add(strPrefix + name);
        } while (::FindNextFileW(hFind, &fdw));
        ::FindClose(hFind);
        return;
    }
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(strPrefix + strPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        g_fileList.Add(strPrefix + fd.cFileName);
    } while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
}

void CNorvelView::ApplyEnableRule() {
    m_bEnablePrevious = g_nFileIndex > 0 ? 1 : 0;
    m_bEnableNext = g_nFileIndex < g_fileList.GetSize() - 1 ? 1 : 0;
}

void CNorvelView::StepInList(int nStep) {
    int nNew = g_nFileIndex + nStep;
    if (nNew < 0 || nNew >= g_fileList.GetSize())
        return;  // the enable rule keeps the commands away from here; never read outside the list
    CNorvelApp* pApp = GetNorvelApp();
    pApp->m_bRegionCaptured = 0;
    pApp->m_bObjectCaptured = 0;
    pApp->m_bScreenCaptured = 0;
    g_bManualZoom = 0;

    g_strFilePath = g_fileList[nNew];
    MeasureShownPicture();  // kept for the paint that follows
    m_pPicture->Release();
    g_nFileIndex = nNew;
    ApplyEnableRule();

    CString s;
    s.Format("%d in %d", g_nFileIndex + 1, g_fileList.GetSize());
    SetStatusText(5, s);
    SetStatusText(1, g_strFilePath.Mid(g_strFolder.GetLength()));
    SetStatusText(2, FileSizeText(g_strFilePath));
    s.Format(" [%d,%d] ", g_nImageWidth, g_nImageHeight);
    SetStatusText(3, s);
    SetStatusText(4, ZoomText());
    Invalidate(TRUE);
    RequestNeighbours();
}

void CNorvelView::RequestNeighbours() {
    std::vector<std::string> paths;
    const int n = static_cast<int>(g_fileList.GetSize());
    if (CPictureCache::s_bEnabled && n > 1 && g_nFileIndex >= 0 && g_nFileIndex < n) {
        int nNext = g_nFileIndex + 1;
        if (nNext >= n && !g_bSlideStopped)
            nNext = 0;
        if (nNext < n)
            paths.push_back(static_cast<const char*>(g_fileList[nNext]));
        if (g_nFileIndex > 0)
            paths.push_back(static_cast<const char*>(g_fileList[g_nFileIndex - 1]));
    }
    // Together with the shown picture, no more than one kept picture may take.
    const ULONGLONG nCeiling = CPictureCache::kDefaultCeiling, nShown = m_pPicture->DecodedBytes();
    const CPicturePreload::Window window = {g_nClientWidth, g_nClientHeight, kViewBackground};
    m_pPreload->Request(paths, nShown < nCeiling ? nCeiling - nShown : 0, window);
}

void CNorvelView::OnPrevious() {
    StepInList(-1);
}

void CNorvelView::OnNext() {
    StepInList(+1);
}
