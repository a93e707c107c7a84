// The view's output commands: Save, Save As, the clipboard, Rename and the external launches.
#include "view/NorvelView.h"

#include <shellapi.h>

#include "dialogs/RenameDlg.h"
#include "res/resource.h"
#include "view/ImageExport.h"

namespace {
// The two filters as the commands have always shown them, misspellings included.
const char kSaveFilter[] =
    "Bitmap Files (*.bmp)|*.bmp|Jpeg Files (*.jpg)|*.jpg|Tiff Files (*.tiff)|*.tif|Giff Files (*.gif)|*.gif|"
    "Png Files (*.png)|*.png|ICO Files (*.ico)|*.ico|";
const char kSaveAsFilter[] =
    "Bitmap Files (*.bmp)|*.bmp|Jpeg Files (*.jpg)|*.jpg|Tiff Files (*.tiff)|*.tif|Giff Fiels (*.gif)|*.gif|"
    "Png Fiels (*.png)|*.png|ICO Fiels (*.ico)|*.ico|";
// Explorer style, path must exist, read-only box hidden; and the question before replacing a
// file, so that no picture is lost by a slip in the dialog.
const DWORD kSaveFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
}  // namespace

const char kHomePageAddress[] = "http://morvane.zentaro.example/";
const char kImageEditProgram[] = "mspaint.exe";

// ---- Save and Save As ----

void CNorvelView::OnSave() {
    SaveThroughDialog(kSaveFilter, CaptureFilePath());
}

void CNorvelView::OnSaveAs() {
    SaveThroughDialog(kSaveAsFilter, g_strFilePath);
}

void CNorvelView::SaveThroughDialog(const char* pszFilter, const char* pszSource) {
    // The source is copied first: nothing that runs while the dialog is open may change it.
    CString strSource(pszSource);
    CFileDialog dlg(FALSE, "bmp", nullptr, kSaveFlags, pszFilter, GetParentFrame());
    if (dlg.DoModal() != IDOK)
        return;
    SaveChosenFile(strSource, dlg.GetPathName());
}

void CNorvelView::SaveChosenFile(const char* pszSource, const char* pszChosen) {
    // The format follows the name as the system will store it: "a.jpg." becomes "a.jpg".
    CString strTarget = StoredName(pszChosen);
    ExportResult result = ExportPicture(pszSource, strTarget, MimeTypeForExtension(PathExtension(strTarget)));
    if (result != kExportOk)
        AfxMessageBox(ExportFailureText(result, strTarget), MB_OK | MB_ICONSTOP);
}

BOOL CNorvelView::IsPictureShown() const {
    const CAppFlags& app = AppFlags();
    if (app.m_bRegionCaptured || app.m_bObjectCaptured || app.m_bScreenCaptured)
        return TRUE;
    return app.m_bImageLoaded && !g_strFilePath.IsEmpty();
}

ExportResult CNorvelView::ExportShownPicture() {
    const CAppFlags& app = AppFlags();
    if (app.m_bRegionCaptured || app.m_bObjectCaptured || app.m_bScreenCaptured)
        return kExportOk;  // the capture file is the picture shown
    if (!IsPictureShown())
        return kExportNoSource;
    return ExportPicture(g_strFilePath, CaptureFilePath(), L"image/bmp");
}

BOOL CNorvelView::ExportToTempBitmap() {
    return ExportShownPicture() == kExportOk;
}

// ---- clipboard ----

int CNorvelView::PutBitmapFileOnClipboard(const char* pszPath, HWND hOwner) {
    CopyBitmapFileToClipboard(pszPath, hOwner);
    return 0;
}

void CNorvelView::OnCopyToClipboard() {
    // A failed export leaves an older picture in the file: nothing is copied then. A picture
    // that cannot be read and a clipboard held elsewhere change nothing, silently; only a copy
    // that would leave the clipboard emptied without a bitmap is told.
    if (ExportShownPicture() != kExportOk)
        return;
    if (CopyBitmapFileToClipboard(CaptureFilePath(), m_hWnd) == kClipboardNoBitmap)
        AfxMessageBox("The picture could not be put on the clipboard (not enough memory for it): nothing was copied.",
                      MB_OK | MB_ICONSTOP);
}

void CNorvelView::OnClearClipboard() {
    EmptyClipboardOf(m_hWnd);
}

// ---- Rename ----

void CNorvelView::OnRename() {
    CAppFlags& app = AppFlags();
    // The file is the one shown now: a slide show goes on stepping behind the dialog.
    CString strPath = g_strFilePath, strFolder = g_strFolder;
    int nIndex = g_nFileIndex;
    PictureState::RenameTextSet(app, strPath.Right(strPath.GetLength() - strFolder.GetLength()));
    CRenameDlg dlg;
    dlg.m_strFolder = strFolder;
    dlg.m_strOldName = app.m_strRenameTo;
    if (dlg.DoModal() != IDOK)
        return;
    PictureState::RenameTextSet(app, dlg.m_strNewBase);
    RenamePictureFile(strPath, strFolder, nIndex, app.m_strRenameTo);
}

BOOL CNorvelView::RenamePictureFile(const CString& strPath,
                                    const CString& strFolder,
                                    int nIndex,
                                    const CString& strNewBase) {
    CString strOldName = strPath.Right(strPath.GetLength() - strFolder.GetLength());
    CString strNewPath;
    if (JudgeRenameText(strFolder, strOldName, strNewBase, &strNewPath) != kRenameAccepted)
        return FALSE;  // the dialog applies the same rule: it let no such name through
    CFileException error;
    if (!CFile::Rename(strPath, strNewPath, &error)) {
        error.ReportError();
        return FALSE;
    }
    Present(PictureState::Renamed(nIndex, strPath, strNewPath));
    return TRUE;
}

// ---- external programs ----

void CNorvelView::OnImageEdit() {
    CString strParameters = "\"" + g_strFilePath + "\"";
    HINSTANCE hResult = ::ShellExecuteA(nullptr, "open", kImageEditProgram, strParameters, nullptr, SW_SHOWMAXIMIZED);
    if (reinterpret_cast<INT_PTR>(hResult) <= 32)
        AfxMessageBox("The paint program (mspaint.exe) could not be started.", MB_OK | MB_ICONSTOP);
}

void CNorvelView::OnHomePage() {
    HINSTANCE hResult = ::ShellExecuteA(nullptr, nullptr, kHomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(hResult) <= 32) {
        CString s;
        s.Format("No web browser could be started for %s", kHomePageAddress);
        AfxMessageBox(s, MB_OK | MB_ICONSTOP);
    }
}
