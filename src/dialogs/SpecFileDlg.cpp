#include "dialogs/SpecFileDlg.h"

#include <limits.h>

#include <algorithm>
#include <memory>

#include "picture/Picture.h"
#include "picture/PictureCache.h"
#include "picture/SystemCodecs.h"
#include "framework/GdiPlus.h"
#include "res/resource.h"

char g_pszSelectedPath[kPreviewPathChars];
wchar_t g_wszPreviewPath[kPreviewPathChars];
int g_nPreviewX = 0, g_nPreviewY = 0;
float g_fPreviewScale = 1.0f;

namespace {
// Files larger than this are not read whole for the system's codecs (256 MB).
const unsigned long long kPreviewMaxFileBytes = 256ull << 20;

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
    "Wmf Files (*.wmf)|*.wmf|";

const struct {
    const char* ext;
    const char* text;
} kFormats[] = {
    {"bmp", "Format: BITMAP"}, {"jpg", "Format: JPEG"}, {"ico", "Format: ICON"}, {"tif", "Format: TIFF"},
    {"gif", "Format: GIF"},    {"png", "Format: PNG"},  {"emf", "Format: EMF"},  {"wmf", "Format: WMF"},
    {"ebp", "Format: WEBP"},   {"vif", "Format: AVIF"}, {"ifs", "Format: AVIF"},
};
}  // namespace

std::string OpenDialogFilter() {
    std::string strPatterns;
    for (const std::string& p : ExtraPicturePatterns())
        strPatterns += (strPatterns.empty() ? "" : ";") + p;
    return std::string(kFilter) + "Other Picture Files (" + strPatterns + ")|" + strPatterns + "||";
}

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
    } else if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0) {
        // A box with no room (a frame smaller than its margins, or none): nothing is drawn.
        g_nPreviewX = 0;
        g_nPreviewY = 0;
        g_fPreviewScale = 0.0f;
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
    SetFilter(OpenDialogFilter().c_str());
    m_ofn.nFilterIndex = 1;
}

void CSpecFileDlg::DoDataExchange(CDataExchange* pDX) {
    CFileDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1012, m_stWidth);
    DDX_Control(pDX, 1013, m_stHeight);
    DDX_Control(pDX, 1014, m_stFormat);
    DDX_Control(pDX, 1011, m_wndPreview);
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
    const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
    if (pNMHDR && pNMHDR->code == static_cast<UINT>(CDN_INITDONE))
        FitPanelToStandardControls();
    RefreshPreview();
    return CFileDialog::OnNotify(wParam, lParam, pResult);
}

namespace {

// The placeholder 1119 of template 205 (left, top, right, bottom in dialog units).
const int kPlaceholderDlu[4] = {7, 7, 7 + 234, 7 + 145};

CRect ChildRect(HWND hChild, HWND hTo) {
    CRect rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, hTo, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
}  // namespace

void CSpecFileDlg::FitPanelToStandardControls() {
    HWND hParent = ::GetParent(m_hWnd);
    HWND hPlace = GetDlgItem(1119);
    if (!hParent)
        return;
    // The placeholder where the template put it: the system resizes the control itself to the
    // standard controls' area, and moves only what lay wholly beyond the old one.
    CRect rcPlace(kPlaceholderDlu[0], kPlaceholderDlu[1], kPlaceholderDlu[2], kPlaceholderDlu[3]);
    ::MapDialogRect(m_hWnd, &rcPlace);
    // Where the system's controls really are, in this panel's coordinates.
    CRect rcStd;
    for (HWND h = ::GetWindow(hParent, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        // The dialog itself is not shown yet: the controls' own style says whether they will be.
        if (h == m_hWnd || !(::GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE))
            continue;
        CRect rc = ChildRect(h, m_hWnd);
        ::UnionRect(&rcStd, &rcStd, &rc);
    }
    if (rcStd.IsRectEmpty())
        return;
    // The panel's own controls right of the placeholder move right, those below it move down,
    // each by as much as the system's controls reach into them (keeping a small gap).
    const int kGap = 4;
    int nRight = INT_MAX, nBelow = INT_MAX;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h == hPlace)
            continue;
        CRect rc = ChildRect(h, m_hWnd);
        if (rc.CenterPoint().x > rcPlace.right)
            nRight = std::min(nRight, static_cast<int>(rc.left));
        if (rc.CenterPoint().y > rcPlace.bottom)
            nBelow = std::min(nBelow, static_cast<int>(rc.top));
    }
    int dx = nRight == INT_MAX ? 0 : std::max(0, static_cast<int>(rcStd.right) + kGap - nRight);
    int dy = nBelow == INT_MAX ? 0 : std::max(0, static_cast<int>(rcStd.bottom) + kGap - nBelow);
    if (dx == 0 && dy == 0)
        return;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h == hPlace)
            continue;
        CRect rc = ChildRect(h, m_hWnd);
        int x = rc.left + (rc.CenterPoint().x > rcPlace.right ? dx : 0);
        int y = rc.top + (rc.CenterPoint().y > rcPlace.bottom ? dy : 0);
        ::SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The panel and the dialog grow by the same amount.
    for (HWND h : {m_hWnd, hParent}) {
        CRect rc;
        ::GetWindowRect(h, &rc);
        ::SetWindowPos(h, nullptr, 0, 0, rc.Width() + dx, rc.Height() + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CSpecFileDlg::RefreshPreview() {
    // A path longer than the buffer is no path we can show.
    memset(g_pszSelectedPath, 0, sizeof g_pszSelectedPath);
    LRESULT n = ::SendMessageA(::GetParent(m_hWnd), CDM_GETFILEPATH, kPreviewPathChars,
                               reinterpret_cast<LPARAM>(g_pszSelectedPath));
    g_pszSelectedPath[kPreviewPathChars - 1] = 0;
    if (n < 0 || n > kPreviewPathChars)
        g_pszSelectedPath[0] = 0;
    m_strPath = g_pszSelectedPath;
    AfxToWideBuffer(m_strPath, g_wszPreviewPath, kPreviewPathChars);

    // GDI+ runs for the program's whole life (the application object starts it); without it
    // every picture reads as unreadable.
    // A folder, a missing file, one no decoder reads or one announced too large to decode (which
    // no decoder sees): no picture, sizes 0.
    // A JPEG whose pixels would pass the view's ceiling is shown reduced, with its true size.
    CPicture picture;
    PictureOptions options;
    options.nCeiling = CPictureCache::kDefaultCeiling;
    if (m_strPath.GetLength() > 0)
        picture = OpenPicture(m_strPath, options);
    const int w = static_cast<int>(picture.Width()), h = static_cast<int>(picture.Height());

    CString s;
    s.Format("Width:  %d", w);
    m_stWidth.SetWindowText(s);
    s.Format("Height: %d", h);
    m_stHeight.SetWindowText(s);
    // A picture of our own decoders or the system's codecs gives its format's name.
    if (!picture.FormatName().empty())
        m_stFormat.SetWindowText(("Format: " + picture.FormatName()).c_str());
    else if (const char* format = PreviewFormatText(m_strPath))
        m_stFormat.SetWindowText(format);

    // Without its frame the panel shows the texts only.
    if (!m_wndPreview.m_hWnd)
        return;
    CRect rc;
    m_wndPreview.GetClientRect(&rc);
    FitPreview(w, h, rc.Width() - 6, rc.Height() - 6);
    double scale = g_fPreviewScale;  // the stored single-precision scale, widened
    if (picture)
        m_wndPreview.SetPicture(picture.Image(), g_nPreviewX, g_nPreviewY, static_cast<int>(w * scale),
                                static_cast<int>(h * scale));
    else
        m_wndPreview.Clear();
}
