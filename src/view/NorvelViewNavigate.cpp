// The view's Open command and its stepping through the pictures of the opened folder.
#include "view/NorvelView.h"

#include <algorithm>
#include <vector>

#include "dialogs/SpecFileDlg.h"
#include "framework/GdiPlus.h"
#include "picture/PictureCache.h"
#include "picture/PicturePreload.h"
#include "picture/SystemCodecs.h"
#include "state/Fit.h"

namespace {
// The picture patterns, searched in this order.
const char* const kPatterns[] = {"*.bmp", "*.jpg", "*.gif", "*.ico", "*.tiff", "*.png", "*.emf", "*.wmf"};
}  // namespace

// ---- opening and stepping through the folder ----

namespace {
// Where the view's paint puts a picture it fits into the client.
CPicturePreload::Placement PlaceFitted(int W, int H, int cw, int ch) {
    const FitResult fit = FitPicture(W, H, cw, ch);
    return {fit.nDrawX, fit.nDrawY, static_cast<int>(W * fit.dZoom), static_cast<int>(H * fit.dZoom)};
}
}  // namespace

void CNorvelView::OnFileOpen() {
    StopAnimation();
    CSpecFileDlg dlg(TRUE, nullptr, "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr);
    if (dlg.DoModal() == IDOK)
        OpenChosenFile(dlg.GetPathName(), dlg.GetFileName());
    else
        Present(PictureState::OpenCanceled(*this));
}

void CNorvelView::OpenChosenFile(const CString& strPath, const CString& strName) {
    // Decoded once here and kept for the paint that follows.
    const PictureState::Size picture = MeasurePicture(strPath);
    m_pPicture->Release();
    CStringArray listing;
    ListFolder(strPath, strName, listing);
    Present(PictureState::Opened(AppFlags(), *this, strPath, strName, picture, listing));
    m_nTravel = +1;
    RequestNeighbours();
    StartAnimation();
}

void CNorvelView::ListFolder(const CString& strPath, const CString& strName, CStringArray& list) {
    const CString strPrefix = strPath.Left(strPath.GetLength() - strName.GetLength() - 1) + "\\";
    for (const char* pattern : kPatterns)
        AddPatternMatches(strPrefix, pattern, list);
    // Then the formats our own decoders and the system's codecs read.
    for (const std::string& pattern : ExtraPicturePatterns())
        AddPatternMatches(strPrefix, pattern.c_str(), list);
}

void CNorvelView::AddPatternMatches(const CString& strPrefix, const CString& strPattern, CStringArray& list) {
    if (AfxIsUtf8CodePage() || AfxNeedsSystemForm(strPrefix + strPattern)) {
        // The 8-bit record holds MAX_PATH bytes: a name of 255 characters can take three times
        // that in UTF-8. The names are read in UTF-16 and converted.
        WIN32_FIND_DATAW fdw;
        HANDLE hFind = ::FindFirstFileW(AfxSystemPath(strPrefix + strPattern).c_str(), &fdw);
        if (hFind == INVALID_HANDLE_VALUE)
            return;
        char name[AFX_MAX_PATH_BYTES];
        do {
            if (::WideCharToMultiByte(CP_ACP, 0, fdw.cFileName, -1, name, sizeof name, nullptr, nullptr) > 0)
                list.Add(strPrefix + name);
        } while (::FindNextFileW(hFind, &fdw));
        ::FindClose(hFind);
        return;
    }
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(strPrefix + strPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        list.Add(strPrefix + fd.cFileName);
    } while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
}

void CNorvelView::StepInList(int nStep) {
    m_nTravel = nStep < 0 ? -1 : +1;
    ShowEntry(g_nFileIndex + nStep);
}

void CNorvelView::ShowEntry(int nIndex) {
    // The enable rule keeps the commands away from an index outside the list; never read there.
    if (!PictureState::IsEntry(nIndex))
        return;
    const PictureState::Size picture = MeasurePicture(g_fileList[nIndex]);  // kept for the paint
    m_pPicture->Release();
    Present(PictureState::Stepped(AppFlags(), *this, nIndex, picture));
    RequestNeighbours();
    StartAnimation();
}

std::vector<int> NeighboursToDecode(int nIndex, int nCount, int nTravel, bool bWraps) {
    std::vector<int> entries;
    if (nCount < 2 || nIndex < 0 || nIndex >= nCount)
        return entries;
    // One ahead, not two: under this platform a second decode ahead, side by side with what the
    // view does with a malformed picture, has taken the process down inside the platform's
    // codecs (the malformed corpus stepped through with Next).
    const int d = nTravel < 0 ? -1 : +1;
    for (int nOffset : {d, -d}) {
        int nEntry = nIndex + nOffset;
        // Only a running show goes on from the last picture to the first.
        if (nEntry >= nCount && bWraps)
            nEntry -= nCount;
        if (nEntry < 0 || nEntry >= nCount || nEntry == nIndex ||
            std::find(entries.begin(), entries.end(), nEntry) != entries.end())
            continue;
        entries.push_back(nEntry);
    }
    return entries;
}

void CNorvelView::RequestNeighbours() {
    std::vector<std::string> paths;
    if (m_pPicture->KeepsPictures()) {
        for (int nEntry :
             NeighboursToDecode(g_nFileIndex, static_cast<int>(g_fileList.GetSize()), m_nTravel, !g_bSlideStopped))
            paths.push_back(static_cast<const char*>(g_fileList[nEntry]));
    }
    // Together with the shown picture, no more than one kept picture may take.
    const ULONGLONG nCeiling = CPictureCache::kDefaultCeiling, nShown = m_pPicture->DecodedBytes();
    const CPicturePreload::Window window = {g_nClientWidth, g_nClientHeight, kViewBackground, PlaceFitted};
    m_pPreload->Request(paths, nShown < nCeiling ? nCeiling - nShown : 0, window);
}

void CNorvelView::OnPrevious() {
    StepInList(-1);
}

void CNorvelView::OnNext() {
    StepInList(+1);
}
