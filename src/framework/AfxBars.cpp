#include "framework/AfxBars.h"

#include "framework/AfxCmdUI.h"
#include "framework/AfxDpi.h"

namespace {
// Layout of a toolbar resource (type 241): version, button size, count, then the command ids
// (0 for a separator).
struct ToolBarData {
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    WORD items[1];
};
const int kGripperWidth = 8;
const int kButtonMargin = 7;
const int kSeparatorWidth = 6;
const int kBarBorder = 2;
}  // namespace

// ---- CToolBar ------------------------------------------------------------------------------

CToolBar::~CToolBar() {
    if (m_hWnd) {
        HWND h = m_hWnd;
        UnsubclassWindow();
        ::DestroyWindow(h);
    }
    if (m_hbmImageWell)
        ::DeleteObject(m_hbmImageWell);
    if (m_hImageList)
        ImageList_Destroy(m_hImageList);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID) {
    (void)rcBorders;
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD style = WS_CHILD | (dwStyle & WS_VISIBLE) | dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER |
                  CCS_NORESIZE;
    if (m_dwStyle & CBRS_TOOLTIPS)
        style |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, pParentWnd->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    if (m_dwStyle & CBRS_GRIPPER)
        SendMessage(TB_SETINDENT, AfxScaleByDpi(kGripperWidth, AfxGetWindowDpi(m_hWnd)));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    return LoadToolBar(nIDResource, nIDResource, CSize(0, 0), kButtonMargin);
}

BOOL CToolBar::LoadToolBar(UINT nIDResource, UINT nIDBitmap, CSize sizeImage, int nMargin) {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(RT_TOOLBAR_ID));
    if (!hRsrc)
        return FALSE;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const ToolBarData* pData = hGlobal ? static_cast<const ToolBarData*>(::LockResource(hGlobal)) : nullptr;
    if (!pData || pData->wVersion != 1)
        return FALSE;

    // Light grey, dark grey, black and white of the picture follow the system's button colours.
    HBITMAP hbm = ::CreateMappedBitmap(hInst, nIDBitmap, 0, nullptr, 0);
    if (!hbm)
        return FALSE;
    const bool bReload = m_hbmImageWell != nullptr;
    if (m_hbmImageWell)
        ::DeleteObject(m_hbmImageWell);
    m_hbmImageWell = hbm;
    // No size given: the one the layout was drawn for.
    m_sizeImage.cx = sizeImage.cx > 0 ? sizeImage.cx : pData->wWidth;
    m_sizeImage.cy = sizeImage.cy > 0 ? sizeImage.cy : pData->wHeight;

    const int cxSeparator = AfxScaleByDpi(kSeparatorWidth, AfxGetWindowDpi(m_hWnd));
    int nImages = 0;
    std::vector<TBBUTTON> buttons;
    for (int i = 0; i < pData->wItemCount; ++i) {
        TBBUTTON b = {};
        b.idCommand = pData->items[i];
        if (b.idCommand == 0) {
            b.fsStyle = TBSTYLE_SEP;
            b.iBitmap = cxSeparator;
        } else {
            b.fsStyle = TBSTYLE_BUTTON;
            b.fsState = TBSTATE_ENABLED;
            b.iBitmap = nImages++;
        }
        buttons.push_back(b);
    }

    while (SendMessage(TB_BUTTONCOUNT) > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    if (bReload) {
        // The control keeps the images it was given first at their size: a list of the new size
        // takes their place, and the one it replaces (if ours) goes.
        HIMAGELIST hList = ImageList_Create(m_sizeImage.cx, m_sizeImage.cy, ILC_COLOR32 | ILC_MASK, nImages, 0);
        if (!hList)
            return FALSE;
        if (ImageList_AddMasked(hList, hbm, ::GetSysColor(COLOR_3DFACE)) < 0) {
            ImageList_Destroy(hList);
            return FALSE;
        }
        SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(hList));
        if (m_hImageList)
            ImageList_Destroy(m_hImageList);
        m_hImageList = hList;
        SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(m_sizeImage.cx, m_sizeImage.cy));
        SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(m_sizeImage.cx + nMargin, m_sizeImage.cy + nMargin));
    } else {
        SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(m_sizeImage.cx, m_sizeImage.cy));
        SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(m_sizeImage.cx + nMargin, m_sizeImage.cy + nMargin));
        TBADDBITMAP tbab = {nullptr, reinterpret_cast<UINT_PTR>(hbm)};
        if (SendMessage(TB_ADDBITMAP, nImages, reinterpret_cast<LPARAM>(&tbab)) == -1)
            return FALSE;
    }
    return SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

int CToolBar::GetCount() const {
    return static_cast<int>(SendMessage(TB_BUTTONCOUNT));
}

int CToolBar::CommandToIndex(UINT nIDFind) const {
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nIDFind));
}

UINT CToolBar::GetItemID(int nIndex) const {
    TBBUTTON b = {};
    if (!SendMessage(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(&b)))
        return 0;
    return b.fsStyle & TBSTYLE_SEP ? ID_SEPARATOR : static_cast<UINT>(b.idCommand);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
    TBBUTTON b = {};
    SendMessage(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(&b));
    nID = static_cast<UINT>(b.idCommand);
    nStyle = b.fsStyle;
    iImage = b.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
    TBBUTTON old = {};
    if (!SendMessage(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(&old)))
        return;
    TBBUTTON b = {};
    b.idCommand = static_cast<int>(nID);
    b.fsStyle = static_cast<BYTE>(nStyle);
    b.fsState = old.fsState;
    b.iBitmap = iImage;
    SendMessage(TB_DELETEBUTTON, nIndex);
    SendMessage(TB_INSERTBUTTONA, nIndex, reinterpret_cast<LPARAM>(&b));
}

int CToolBar::CalcHeight(int) {
    DWORD size = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    return HIWORD(size) + 2 * kBarBorder;
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    int n = GetCount();
    for (int i = 0; i < n; ++i) {
        UINT nID = GetItemID(i);
        if (nID == ID_SEPARATOR)
            continue;
        CCmdUI state;
        state.m_pOther = this;
        state.m_nIndex = i;
        state.m_nID = nID;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}

void CToolBar::DrawGripper() {
    CClientDC dc(m_hWnd);
    CRect rc;
    GetClientRect(&rc);
    CRect grip(2, rc.top + 2, 5, rc.bottom - 2);
    ::DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
}

LRESULT CToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_IDLEUPDATECMDUI:
            if (CWnd* pParent = GetParent())
                OnUpdateCmdUI(pParent, static_cast<BOOL>(wParam));
            return 0;
        case WM_PAINT: {
            LRESULT r = DefWindowProc(message, wParam, lParam);
            if (m_dwStyle & CBRS_GRIPPER)
                DrawGripper();
            return r;
        }
        default:
            return CControlBar::WindowProc(message, wParam, lParam);
    }
}

// ---- CStatusBar -----------------------------------------------------------------------------

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD style = WS_CHILD | (dwStyle & WS_VISIBLE) | CCS_BOTTOM;
    return CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, style, 0, 0, 0, 0, pParentWnd->m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    if (nIDCount <= 0 || nIDCount > 255)
        return FALSE;
    m_panes.assign(nIDCount, Pane());
    for (int i = 0; i < nIDCount; ++i) {
        m_panes[i].nID = lpIDArray ? lpIDArray[i] : ID_SEPARATOR;
        m_panes[i].cxWidth = 100;
        if (m_panes[i].nID != ID_SEPARATOR)
            m_panes[i].strText.LoadString(m_panes[i].nID);
    }
    UpdateParts();
    for (int i = 0; i < nIDCount; ++i)
        SetPaneText(i, m_panes[i].strText);
    return TRUE;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
    const Pane& p = m_panes.at(nIndex);
    nID = p.nID;
    nStyle = p.nStyle;
    cxWidth = p.cxWidth;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
    Pane& p = m_panes.at(nIndex);
    p.nID = nID;
    p.nStyle = nStyle;
    p.cxWidth = cxWidth;
    UpdateParts();
    SetPaneText(nIndex, p.strText);
}

void CStatusBar::UpdateParts() {
    std::vector<int> edges;
    int right = 0;
    for (const Pane& p : m_panes) {
        right += p.cxWidth;
        edges.push_back((p.nStyle & SBPS_STRETCH) ? -1 : right);
    }
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate) {
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    Pane& p = m_panes[nIndex];
    p.strText = lpszNewText;
    UINT type = p.nStyle & (SBT_NOBORDERS | SBT_POPOUT);
    BOOL ok =
        static_cast<BOOL>(SendMessage(SB_SETTEXTA, nIndex | type, reinterpret_cast<LPARAM>(p.strText.GetString())));
    if (bUpdate)
        UpdateWindow();
    return ok;
}

CString CStatusBar::GetPaneText(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount())
        return CString();
    return m_panes[nIndex].strText;
}

int CStatusBar::CalcHeight(int) {
    CRect rc;
    GetWindowRect(&rc);
    return rc.Height();
}
