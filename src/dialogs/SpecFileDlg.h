// The open dialog with a preview panel: the system's file dialog plus a framed, scaled preview
// of the selected picture and its width, height and format.
#pragma once

#include <string>

#include "dialogs/PreviewFrame.h"
#include "framework/Afx.h"

class CSpecFileDlg : public CFileDialog {
public:
    CSpecFileDlg(BOOL bOpenFileDialog,
                 const char* lpszDefExt = nullptr,
                 const char* lpszFileName = nullptr,
                 DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                 const char* lpszFilter = nullptr,
                 CWnd* pParentWnd = nullptr);

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    CString m_strPath;  // path reported at the last refresh of the preview
    CStatic m_stWidth;
    CStatic m_stHeight;
    CStatic m_stFormat;
    CPreviewFrame m_wndPreview;  // control 1011, painting the preview itself

private:
    // Reads the dialog's current path, its picture's size and format into the texts, and gives
    // the scaled picture to the preview frame.
    void RefreshPreview();
    // Moves the panel's controls right of and below the placeholder clear of the system's
    // controls where those came out larger than the placeholder, and grows the dialog to match.
    void FitPanelToStandardControls();
};

// Offset and scale of a w x h picture in a bw x bh box (see the preview panel).
void FitPreview(int w, int h, int bw, int bh);

// Preview state of the one open dialog.
const int kPreviewPathChars = 1024;
extern char g_pszSelectedPath[kPreviewPathChars];
extern wchar_t g_wszPreviewPath[kPreviewPathChars];
extern int g_nPreviewX, g_nPreviewY;
extern float g_fPreviewScale;

// The dialog's filter in the framework's form ("description|pattern|...||"): the nine pairs of
// the formats GDI+ reads, then one pair of every other format this program reads.
std::string OpenDialogFilter();

// The format line for a path's last three characters (case-sensitive), or null for none.
const char* PreviewFormatText(const CString& strPath);
