// Loading menus into owner-drawn popups, images for their items, and keeping the item records
// in step with the items. Measuring and drawing are in BitmapMenuDraw.cpp.
#include "controls/BitmapMenu.h"

#include "framework/AfxDpi.h"

#include <algorithm>
#include <string>

namespace {
// Layout of a toolbar resource (type 241): version, button size, count, command ids.
const WORD kToolBarResourceType = 241;
const int kMaxPadding = 256;  // spaces AlignShortcutTexts may add to one text

std::wstring MenuStringW(HMENU hMenu, UINT nPos) {
    wchar_t buf[512];
    int n = ::GetMenuStringW(hMenu, nPos, buf, sizeof buf / sizeof buf[0], MF_BYPOSITION);
    return n > 0 ? std::wstring(buf, static_cast<size_t>(n)) : std::wstring();
}

int TextWidth(HDC hDC, const std::wstring& s) {
    SIZE size = {0, 0};
    if (!s.empty())
        ::GetTextExtentPoint32W(hDC, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
}

// Every popup ever created through a bitmap menu that still exists goes at program exit.
struct PopupListCleanup {
    ~PopupListCleanup();
};
}  // namespace

std::vector<HMENU> CBitmapMenu::s_allPopups;
int CBitmapMenu::s_nWinClass = CBitmapMenu::ComputeWinClass();
static PopupListCleanup s_popupListCleanup;

PopupListCleanup::~PopupListCleanup() {
    std::vector<HMENU> left;
    left.swap(CBitmapMenu::s_allPopups);
    for (HMENU h : left) {
        if (::IsMenu(h))
            ::DestroyMenu(h);
    }
}

HFONT CreateMenuFont() {
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof ncm.lfMenuFont, &ncm.lfMenuFont);
    return ::CreateFontIndirectA(&ncm.lfMenuFont);
}

std::vector<std::pair<UINT, int>> ReadToolBarButtons(UINT nToolBarId) {
    std::vector<std::pair<UINT, int>> buttons;
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(nToolBarId), MAKEINTRESOURCEA(kToolBarResourceType));
    if (!hRsrc)
        return buttons;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const WORD* p = hGlobal ? static_cast<const WORD*>(::LockResource(hGlobal)) : nullptr;
    DWORD nWords = ::SizeofResource(hInst, hRsrc) / sizeof(WORD);
    if (!p || nWords < 4 || p[0] != 1)
        return buttons;
    int nImage = 0;
    for (DWORD i = 0; i < p[3] && 4 + i < nWords; ++i) {
        UINT nID = p[4 + i];
        if (nID != 0)
            buttons.emplace_back(nID, nImage++);
    }
    return buttons;
}

// ---- CBitmapMenuItem ----

CBitmapMenuItem::~CBitmapMenuItem() {
    delete m_pImages;
    delete[] m_pwszText;
}

void CBitmapMenuItem::SetWideText(const wchar_t* pszText) {
    delete[] m_pwszText;
    m_pwszText = nullptr;
    if (!pszText || !*pszText)
        return;
    size_t n = wcslen(pszText);
    m_pwszText = new wchar_t[n + 1];
    wmemcpy(m_pwszText, pszText, n + 1);
}

void CBitmapMenuItem::SetText(const char* pszText) {
    if (!pszText) {
        SetWideText(nullptr);
        return;
    }
    int n = ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, &w[0], n);
    SetWideText(w.c_str());
}

CString CBitmapMenuItem::GetText() const {
    CString s;
    if (!m_pwszText)
        return s;
    int n = ::WideCharToMultiByte(CP_ACP, 0, m_pwszText, -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
        ::WideCharToMultiByte(CP_ACP, 0, m_pwszText, -1, s.GetBuffer(n), n, nullptr, nullptr);
        s.ReleaseBuffer();
    }
    return s;
}

// ---- CBitmapMenu ----

int CBitmapMenu::ComputeWinClass() {
    DWORD v = ::GetVersion();
    if (!(v & 0x80000000)) {
        OSVERSIONINFOA vi = {};
        vi.dwOSVersionInfoSize = sizeof vi;
        return (::GetVersionExA(&vi) && vi.dwMajorVersion >= 4) ? 3 : 2;
    }
    return LOBYTE(LOWORD(v)) < 4 ? 0 : 1;
}

CBitmapMenu::CBitmapMenu() = default;

CBitmapMenu::~CBitmapMenu() {
    DestroyMenu();
}

BOOL CBitmapMenu::LoadMenu(UINT nIDResource) {
    return LoadMenu(MAKEINTRESOURCEA(nIDResource));
}

BOOL CBitmapMenu::LoadMenu(const char* lpszResourceName) {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceA(hInst, lpszResourceName, MAKEINTRESOURCEA(4));  // RT_MENU
    HGLOBAL hGlobal = hRsrc ? ::LoadResource(hInst, hRsrc) : nullptr;
    const BYTE* pData = hGlobal ? static_cast<const BYTE*>(::LockResource(hGlobal)) : nullptr;
    if (!pData)
        return FALSE;
    const DWORD nSize = ::SizeofResource(hInst, hRsrc);
    if (nSize < 4)
        return FALSE;
    if (m_hMenu)
        DestroyMenu();
    if (!CreateMenu())
        return FALSE;

    // Reads one 16-bit word or a zero-terminated wide text, never past the resource's end.
    DWORD pos = 4 + *reinterpret_cast<const WORD*>(pData + 2);
    bool bBad = false;
    auto readWord = [&]() -> WORD {
        if (pos + 2 > nSize) {
            bBad = true;
            return 0;
        }
        WORD w;
        memcpy(&w, pData + pos, 2);
        pos += 2;
        return w;
    };
    auto readText = [&]() -> std::wstring {
        std::wstring s;
        for (WORD c; (c = readWord()) != 0 && !bBad;)
            s += static_cast<wchar_t>(c);
        return s;
    };

    struct Level {
        CBitmapMenu* pMenu;
        bool bEnded;
    };
    std::vector<Level> stack;
    stack.push_back({this, false});
    while (!stack.empty()) {
        WORD wFlags = readWord();
        bool bEnd = (wFlags & MF_END) != 0;
        UINT nFlags = wFlags & ~MF_END;
        if (nFlags & MF_POPUP) {
            std::wstring text = readText();
            if (bBad)
                break;
            if (bEnd)
                stack.back().bEnded = true;
            CBitmapMenu* pChild = new CBitmapMenu;
            pChild->m_nSelectedCheckId = m_nSelectedCheckId;
            pChild->SetImageDpi(m_nImageDpi);
            pChild->m_nUnselectedCheckId = m_nUnselectedCheckId;
            pChild->m_pCheckImages = m_pCheckImages;
            pChild->m_bSharedCheckImages = TRUE;
            if (!pChild->CreatePopupMenu()) {
                delete pChild;
                bBad = true;
                break;
            }
            stack.back().pMenu->AppendImageItem(text.c_str(), nFlags, reinterpret_cast<UINT_PTR>(pChild->m_hMenu));
            stack.push_back({pChild, false});
        } else {
            WORD wID = readWord();
            std::wstring text = readText();
            if (bBad)
                break;
            stack.back().pMenu->AppendImageItem(text.c_str(), nFlags, wID);
            if (bEnd) {
                stack.back().bEnded = true;
                while (!stack.empty() && stack.back().bEnded) {
                    stack.back().pMenu->AlignShortcutTexts();
                    stack.pop_back();
                }
            }
        }
    }

    if (bBad || !stack.empty()) {
        DestroyMenu();  // a template cut short: nothing half-built stays
        return FALSE;
    }

    // The menu bar goes back to plain text items.
    for (size_t i = 0; i < m_items.size(); ++i) {
        CBitmapMenuItem* pItem = m_items[i];
        const wchar_t* pszText = pItem->m_pwszText ? pItem->m_pwszText : L"";
        UINT nPos = static_cast<UINT>(i);
        if (pItem->m_nFlags & MF_POPUP) {
            pItem->m_nFlags = MF_POPUP | MF_BYPOSITION;
            ::ModifyMenuW(m_hMenu, nPos, MF_BYPOSITION | MF_POPUP | MF_STRING, pItem->m_nId, pszText);
        } else {
            pItem->m_nFlags = MF_STRING | MF_BYPOSITION;
            ::ModifyMenuW(m_hMenu, nPos, MF_BYPOSITION | MF_STRING, pItem->m_nId, pszText);
        }
    }
    return TRUE;
}

BOOL CBitmapMenu::AppendImageItem(const wchar_t* pszText, UINT nFlags, UINT_PTR nID, int nImageId) {
    if (nID == 0)
        nFlags = MF_SEPARATOR | MF_OWNERDRAW | (nFlags & MF_BYPOSITION);
    else
        nFlags |= MF_OWNERDRAW;
    if (nFlags & MF_POPUP) {
        s_allPopups.push_back(reinterpret_cast<HMENU>(nID));
        m_popups.push_back(reinterpret_cast<HMENU>(nID));
    }
    CBitmapMenuItem* pItem = new CBitmapMenuItem;
    m_items.push_back(pItem);
    pItem->SetWideText(pszText);
    pItem->m_nImageSource = nImageId;
    pItem->m_nImage = -1;
    if (nImageId >= 0)
        SetRecordImage(pItem, static_cast<UINT>(nID), nImageId);
    pItem->m_nFlags = nFlags;
    pItem->m_nId = static_cast<UINT>(nID);
    return ::AppendMenuW(m_hMenu, nFlags, nID, reinterpret_cast<const wchar_t*>(pItem));
}

BOOL CBitmapMenu::SetRecordImage(CBitmapMenuItem* pItem, UINT nCommand, int nImageId) {
    pItem->m_nImageSource = nImageId;
    pItem->m_nImage = 0;
    FindToolBarImage(nCommand, nImageId, &pItem->m_nImage);
    if (!pItem->m_pImages)
        pItem->m_pImages = new CImageList;
    pItem->m_pImages->Create(m_cxImage, m_cyImage, ILC_COLORDDB | ILC_MASK, 1, 1);
    if (!pItem->m_pImages->GetSafeHandle() || !AddResourceImage(*pItem->m_pImages, nImageId)) {
        delete pItem->m_pImages;
        pItem->m_pImages = nullptr;
        pItem->m_nImage = -1;
        pItem->m_nImageSource = -1;
        return FALSE;
    }
    return TRUE;
}

void CBitmapMenu::FindToolBarImage(UINT nCommand, int nToolBarId, int* pnImage) {
    for (const auto& button : ReadToolBarButtons(static_cast<UINT>(nToolBarId))) {
        if (button.first == nCommand) {
            if (button.second > 0)
                *pnImage = button.second;
            return;
        }
    }
}

void CBitmapMenu::SetImageDpi(UINT nDpi) {
    m_nImageDpi = nDpi;
    const int nPercent = AfxDpiImagePercent(nDpi);
    m_cxImage = kImageWidth * nPercent / 100;
    m_cyImage = kImageHeight * nPercent / 100;
}

void CBitmapMenu::ReloadImages(UINT nDpi) {
    SetImageDpi(nDpi);
    for (CBitmapMenuItem* pItem : m_items)
        if (pItem->m_pImages && pItem->m_nImageSource >= 0)
            SetRecordImage(pItem, pItem->m_nId, pItem->m_nImageSource);
    // Setting an item's data again has the system measure it anew, for the wider column.
    if (m_hMenu) {
        const int n = ::GetMenuItemCount(m_hMenu);
        for (int i = 0; i < n; ++i) {
            MENUITEMINFOW mii = {};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_DATA;
            if (::GetMenuItemInfoW(m_hMenu, static_cast<UINT>(i), TRUE, &mii))
                ::SetMenuItemInfoW(m_hMenu, static_cast<UINT>(i), TRUE, &mii);
        }
    }
    for (HMENU hPopup : m_popups)
        if (CBitmapMenu* pPopup = dynamic_cast<CBitmapMenu*>(FromHandlePermanent(hPopup)))
            pPopup->ReloadImages(nDpi);
}

BOOL CBitmapMenu::AddResourceImage(CImageList& images, int nResourceId) {
    if (m_bIconHandles)
        return images.Add(reinterpret_cast<HICON>(static_cast<INT_PTR>(nResourceId))) >= 0;
    CBitmap bitmap;  // the image list copies it
    if (!bitmap.Attach(
            AfxLoadSysColorBitmap(AfxGetResourceHandle(), AfxDpiBitmapId(static_cast<UINT>(nResourceId), m_nImageDpi))))
        return FALSE;
    return images.Add(static_cast<HBITMAP>(bitmap), m_bUseImageMask ? m_crImageMask : ::GetSysColor(COLOR_3DFACE)) >= 0;
}

CBitmapMenu* CBitmapMenu::FindItemByCommand(UINT nID, int* pnPosition) {
    int n = GetMenuItemCount();
    for (int i = 0; i < n; ++i) {
        HMENU hSub = ::GetSubMenu(m_hMenu, i);
        if (hSub) {
            CBitmapMenu* pSub = dynamic_cast<CBitmapMenu*>(FromHandlePermanent(hSub));
            if (pSub) {
                if (CBitmapMenu* pFound = pSub->FindItemByCommand(nID, pnPosition))
                    return pFound;
            }
        } else if (GetMenuItemID(i) == nID) {
            *pnPosition = i;
            return this;
        }
    }
    *pnPosition = -1;
    return nullptr;
}

BOOL CBitmapMenu::SetItemImage(const wchar_t* pszText, UINT nID, int nImageId) {
    int nPos = -1;
    CBitmapMenu* pMenu = FindItemByCommand(nID, &nPos);
    CBitmapMenuItem* pItem = nullptr;
    if (pMenu && nPos >= 0 && static_cast<size_t>(nPos) < pMenu->m_items.size())
        pItem = pMenu->m_items[static_cast<size_t>(nPos)];
    if (!pItem) {
        pItem = new CBitmapMenuItem;  // no item refers to it; it goes with this menu
        m_items.push_back(pItem);
    }
    if (pszText)
        pItem->SetWideText(pszText);
    pItem->m_nImage = -1;
    pItem->m_nImageSource = -1;
    if (nImageId >= 0)
        SetRecordImage(pItem, nID, nImageId);
    pItem->m_nFlags = MF_OWNERDRAW;
    pItem->m_nId = nID;
    return ::ModifyMenuW(m_hMenu, nID, MF_BYCOMMAND | MF_OWNERDRAW, nID, reinterpret_cast<const wchar_t*>(pItem));
}

BOOL CBitmapMenu::AttachToolBarImages(UINT nToolBarId) {
    std::vector<std::pair<UINT, int>> buttons = ReadToolBarButtons(nToolBarId);
    if (buttons.empty())
        return FALSE;
    for (const auto& button : buttons) {
        if (GetMenuState(button.first, MF_BYCOMMAND) != static_cast<UINT>(-1))
            SetItemImage(nullptr, button.first, static_cast<int>(nToolBarId));
    }
    return TRUE;
}

void CBitmapMenu::AlignShortcutTexts() {
    CFont font;  // declared first: the DC lets it go before it is deleted
    font.Attach(CreateMenuFont());
    CWnd* pMain = AfxGetMainWnd();
    CClientDC dc(pMain ? pMain->m_hWnd : nullptr);
    HDC hDC = dc;
    dc.SelectObject(font);

    int nLargest = 0;
    for (CBitmapMenuItem* pItem : m_items) {
        std::wstring text = pItem->m_pwszText ? pItem->m_pwszText : L"";
        nLargest = std::max(nLargest, TextWidth(hDC, text.substr(0, text.find(L'\t')) + L" "));
    }
    for (CBitmapMenuItem* pItem : m_items) {
        std::wstring text = pItem->m_pwszText ? pItem->m_pwszText : L"";
        size_t tab = text.find(L'\t');
        if (tab == std::wstring::npos)
            continue;
        std::wstring left = text.substr(0, tab);
        for (int i = 0; i < kMaxPadding && TextWidth(hDC, left) < nLargest; ++i)
            left += L' ';
        pItem->SetWideText((left + text.substr(tab)).c_str());
    }
}

BOOL CBitmapMenu::IsBitmapPopup(HMENU hPopup) {
    return hPopup && std::find(s_allPopups.begin(), s_allPopups.end(), hPopup) != s_allPopups.end();
}

BOOL CBitmapMenu::IsBitmapPopup(CMenu* pPopup) {
    return pPopup && IsBitmapPopup(pPopup->m_hMenu);
}

void CBitmapMenu::RefreshPopup(CMenu* pPopup) {
    if (CBitmapMenu* p = dynamic_cast<CBitmapMenu*>(pPopup))
        p->SyncItems();
}

CBitmapMenuItem* CBitmapMenu::TakeRecord(UINT_PTR nID) {
    for (CBitmapMenuItem* pItem : m_items) {
        if (pItem->m_nId == static_cast<UINT>(nID) && !pItem->m_bSynced) {
            pItem->m_bSynced = TRUE;
            return pItem;
        }
    }
    return nullptr;
}

CBitmapMenuItem* CBitmapMenu::MakeOwnerDrawn(int nPosition, UINT nFlags, UINT_PTR nID, const wchar_t* pszText) {
    CBitmapMenuItem* pItem = new CBitmapMenuItem;
    pItem->SetWideText(pszText);
    pItem->m_nFlags = nFlags;
    pItem->m_nId = static_cast<UINT>(nID);
    if (nFlags & MF_POPUP)
        s_allPopups.push_back(reinterpret_cast<HMENU>(nID));
    UINT nPos = static_cast<UINT>(nPosition);
    if (nFlags & MF_OWNERDRAW)
        ::ModifyMenuW(m_hMenu, nPos, nFlags, nID, reinterpret_cast<const wchar_t*>(pItem));
    else
        ::ModifyMenuW(m_hMenu, nPos, nFlags, nID, pszText);
    return pItem;
}

void CBitmapMenu::SyncItems() {
    for (CBitmapMenuItem* pItem : m_items)
        pItem->m_bSynced = FALSE;
    std::vector<CBitmapMenuItem*> synced;
    int n = GetMenuItemCount();
    for (int j = 0; j < n; ++j) {
        UINT nPos = static_cast<UINT>(j);
        UINT state = GetMenuState(nPos, MF_BYPOSITION);
        CBitmapMenuItem* pItem = nullptr;
        if (state & MF_POPUP) {
            HMENU hSub = ::GetSubMenu(m_hMenu, j);
            UINT_PTR nID = reinterpret_cast<UINT_PTR>(hSub);
            pItem = TakeRecord(nID);
            std::wstring s = MenuStringW(m_hMenu, nPos);
            if (!pItem)
                pItem = MakeOwnerDrawn(j, (state & 0xFF) | MF_BYPOSITION | MF_POPUP | MF_OWNERDRAW, nID, s.c_str());
            else if (!s.empty())
                pItem->SetWideText(s.c_str());
        } else if (state & MF_SEPARATOR) {
            pItem = TakeRecord(0);
            UINT nFlags = state | MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW;
            if (!pItem)
                pItem = MakeOwnerDrawn(j, nFlags, 0, L"");
            else
                ::ModifyMenuW(m_hMenu, nPos, nFlags, 0, reinterpret_cast<const wchar_t*>(pItem));
        } else {
            UINT nID = GetMenuItemID(j);
            pItem = TakeRecord(nID);
            std::wstring s = MenuStringW(m_hMenu, nPos);
            UINT nFlags = state | MF_BYPOSITION | MF_OWNERDRAW;
            if (!pItem) {
                pItem = MakeOwnerDrawn(j, nFlags, nID, s.c_str());
            } else {
                pItem->m_nFlags = nFlags;
                if (!s.empty())
                    pItem->SetWideText(s.c_str());
                ::ModifyMenuW(m_hMenu, nPos, nFlags, nID, reinterpret_cast<const wchar_t*>(pItem));
            }
        }
        if (pItem)
            synced.push_back(pItem);
    }
    for (CBitmapMenuItem* pItem : m_items) {
        if (!pItem->m_bSynced)
            delete pItem;
    }
    m_items.swap(synced);
}

BOOL CBitmapMenu::DestroyMenu() {
    auto forget = [](HMENU h) {
        s_allPopups.erase(std::remove(s_allPopups.begin(), s_allPopups.end(), h), s_allPopups.end());
    };
    if (m_hMenu)
        forget(m_hMenu);
    for (auto it = m_popups.rbegin(); it != m_popups.rend(); ++it) {
        forget(*it);
        delete FromHandlePermanent(*it);
    }
    m_popups.clear();
    for (CBitmapMenuItem* pItem : m_items) {
        // Popups a refresh found in this menu belong to nobody else either.
        if (pItem->m_nFlags & MF_POPUP)
            forget(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(pItem->m_nId)));
        delete pItem;
    }
    m_items.clear();
    if (!m_bSharedCheckImages)
        delete m_pCheckImages;
    m_pCheckImages = nullptr;
    return CMenu::DestroyMenu();
}
