#include "dialogs/SpecFileDlg.h"

#include "res/resource.h"
#include "framework/GdiPlus.h"

char g_pszSelectedPath[kPreviewPathChars];
wchar_t g_wszPreviewPath[kPreviewPathChars];
int g_nPreviewX = 0, g_nPreviewY = 0;
float g_fPreviewScale = 1.0f;

namespace {
const char kFilter[] =
    "All surported files (*.bmp;*.jpg;*.tiff;*.ico;*.png;*.gif;*.emf;*.wmf)|"
    "*.bmp;*.jpg;*.tiff;*.ico;*.png;*.gif;*.emf;*.wmf|"
    "Bitmap Files (*.bmp)|*.bmp|"
    "Jpeg Files (*.jpg)|*.jpg|"
    "Tiff Files (*.tiff)|*.tif|"
    "Giff Files (*.gif)|*.gif|"
    "Png Files (*.png)|*.png|"
    "ICO Files (*.ico)|*.ico|"
    "Emf Files (*.emf)|*.emf|"
    "Wmf Files (*.wmf)|*.wmf||";

const struct {
    const char* ext;
    const char* text;
} kFormats[] = {
    {"bmp", "Format: BITMAP"}, {"jpg", "Format: JPEG"}, {"ico", "Format: ICON"}, {"tif", "Format: TIFF"},
    {"gif", "Format: GIF"},    {"png", "Format: PNG"},  {"emf", "Format: EMF"},  {"wmf", "Format: WMF"},
};
}  // namespace

const char* PreviewFormatText(const CString& strPath) {
    CString ext = strPath.Right(3);
    for (const auto& f : kFormats) {
        if (ext.Compare(f.ext) == 0)
            return f.text;
    }
    return nullptr;
}

// The scale is kept in single precision; offsets and sizes are computed from that stored value.
void FitPreview(int w, int h, int bw, int bh) {
    if (w <= bw && h <= bh) {
        g_nPreviewX = (bw - w) / 2;
        g_nPreviewY = (bh - h) / 2;
        g_fPreviewScale = 1.0f;
    } else if (w > bw && h <= bh) {
        g_fPreviewScale = static_cast<float>(static_cast<double>(bw) / w);
        g_nPreviewX = 4;
        g_nPreviewY = static_cast<int>((bh - h * static_cast<double>(g_fPreviewScale)) / 2);
    } else if (w < bw && h > bh) {
        g_fPreviewScale = static_cast<float>(static_cast<double>(bh) / h);
        g_nPreviewY = 4;
        g_nPreviewX = static_cast<int>((bw - w * static_cast<double>(g_fPreviewScale)) / 2);
    } else {
        double sh = static_cast<double>(bh) / h;
        double sw = static_cast<double>(bw) / w;
        if (sh <= sw) {
            g_fPreviewScale = static_cast<float>(sh);
            g_nPreviewX = static_cast<int>((bw - w * static_cast<double>(g_fPreviewScale)) / 2);
            g_nPreviewY = 4;
        } else {
            g_fPreviewScale = static_cast<float>(sw);
            g_nPreviewX = 4;
            g_nPreviewY = static_cast<int>((bh - h * static_cast<double>(g_fPreviewScale)) / 2);
        }
    }
}

CSpecFileDlg::CSpecFileDlg(BOOL bOpenFileDialog,
                           const char* lpszDefExt,
                           const char* lpszFileName,
                           DWORD dwFlags,
                           const char*,
                           CWnd* pParentWnd)
    : CFileDialog(bOpenFileDialog, lpszDefExt, lpszFileName, dwFlags, nullptr, pParentWnd) {
    m_ofn.Flags |= OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY;
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SPECFILE);
    SetFilter(kFilter);
    m_ofn.nFilterIndex = 1;
}

void CSpecFileDlg::DoDataExchange(CDataExchange* pDX) {
    CFileDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1012, m_stWidth);
    DDX_Control(pDX, 1013, m_stHeight);
    DDX_Control(pDX, 1014, m_stFormat);
}

BOOL CSpecFileDlg::OnInitDialog() {
    BOOL bResult = CFileDialog::OnInitDialog();
    if (bResult) {
        m_stWidth.SetWindowText("");
        m_stHeight.SetWindowText("");
        m_stFormat.SetWindowText("");
    }
    return bResult;
}

BOOL CSpecFileDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    RefreshPreview();
    return CFileDialog::OnNotify(wParam, lParam, pResult);
}

void CSpecFileDlg::RefreshPreview() {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        HWND hFrame = GetDlgItem(1011);
        CRect rc;
        ::GetClientRect(hFrame, &rc);
        HDC hdc = ::GetDC(hFrame);
        {
            Gdiplus::Graphics graphics(hdc);

            // A path longer than the buffer is no path we can show.
            memset(g_pszSelectedPath, 0, sizeof g_pszSelectedPath);
            LRESULT n = ::SendMessageA(::GetParent(m_hWnd), CDM_GETFILEPATH, kPreviewPathChars,
                                       reinterpret_cast<LPARAM>(g_pszSelectedPath));
            g_pszSelectedPath[kPreviewPathChars - 1] = 0;
            if (n < 0 || n > kPreviewPathChars)
                g_pszSelectedPath[0] = 0;
            m_strPath = g_pszSelectedPath;

            AfxToWideBuffer(m_strPath, g_wszPreviewPath, kPreviewPathChars);
            Gdiplus::Image image(g_wszPreviewPath);
            int w = static_cast<int>(image.GetWidth());
            int h = static_cast<int>(image.GetHeight());

            CString s;
            s.Format("Width:  %d", w);
            m_stWidth.SetWindowText(s);
            s.Format("Height: %d", h);
            m_stHeight.SetWindowText(s);
            if (const char* format = PreviewFormatText(m_strPath))
                m_stFormat.SetWindowText(format);

            FitPreview(w, h, rc.Width() - 6, rc.Height() - 6);
            double scale = g_fPreviewScale;  // the stored single-precision scale, widened
            graphics.DrawImage(&image, g_nPreviewX, g_nPreviewY, static_cast<int>(w * scale),
                               static_cast<int>(h * scale));
        }
        ::ReleaseDC(hFrame, hdc);
    }
    Gdiplus::GdiplusShutdown(token);
}
