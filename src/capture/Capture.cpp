#include "capture/Capture.h"

#include "capture/BitmapFile.h"

#include <shlobj.h>

const char kCaptureFile[] = "c:\\morvane.bmp";

namespace {
// Whether the capture file can be written at pszPath the way it is written: a new file made
// beside it and moved over it, which an existing read-only file refuses.
bool CanWriteCaptureFileAt(const char* pszPath) {
    std::string strTemp;
    if (!AfxMakeTempFile(FolderOf(pszPath).c_str(), "mrv", &strTemp))
        return false;
    const char* szTemp = strTemp.c_str();
    // Some systems report a name even when the file could not be made: open it as the write does.
    HANDLE hTemp = ::CreateFileA(szTemp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hTemp == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(hTemp);
    ::DeleteFileA(szTemp);
    if (::GetFileAttributesA(pszPath) == INVALID_FILE_ATTRIBUTES)
        return true;
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError() != ERROR_ACCESS_DENIED;  // a file held open by a program is no closed place
    ::CloseHandle(hFile);
    return true;
}

// The user's local application data folder, or "" where the system has none. Looked up at run
// time: the systems without it have no SHGetFolderPath in shell32 either.
std::string LocalAppDataFolder() {
    // The wide call: the 8-bit one cuts the folder at MAX_PATH bytes, which a user's name in
    // another script can exceed in UTF-8.
    typedef HRESULT(WINAPI * GetFolderPathFn)(HWND, int, HANDLE, DWORD, LPWSTR);
    std::string folder;
    for (const char* pszDll : {"shell32.dll", "shfolder.dll"}) {
        HMODULE hDll = ::LoadLibraryA(pszDll);
        if (!hDll)
            continue;
        GetFolderPathFn pfn =
            reinterpret_cast<GetFolderPathFn>(reinterpret_cast<void*>(::GetProcAddress(hDll, "SHGetFolderPathW")));
        wchar_t wszPath[MAX_PATH] = L"";
        char szPath[AFX_MAX_PATH_BYTES] = "";
        if (pfn && SUCCEEDED(pfn(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, wszPath)) &&
            ::WideCharToMultiByte(CP_ACP, 0, wszPath, -1, szPath, sizeof szPath, nullptr, nullptr) > 0)
            folder = szPath;
        ::FreeLibrary(hDll);
        if (!folder.empty())
            break;
    }
    return folder;
}

std::string g_strCapturePath;
std::string g_strPreferredPlace = kCaptureFile;
std::string g_strFallbackPlace;
bool g_bFallbackGiven = false;
// The area the display's device context shows: every monitor, or the primary screen where the
// system knows of no others.
CRect ScreenRect() {
    int cx = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (cx <= 0 || cy <= 0)
        return CRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return CRect(x, y, x + cx, y + cy);
}
}  // namespace

std::string ChooseCaptureFile(const char* pszPreferred, const char* pszFallbackFolder) {
    if (CanWriteCaptureFileAt(pszPreferred))
        return pszPreferred;
    if (pszFallbackFolder && *pszFallbackFolder) {
        std::string folder(pszFallbackFolder);
        if (folder.back() != '\\' && folder.back() != '/')
            folder += '\\';
        folder += "Morvane";
        ::CreateDirectoryA(folder.c_str(), nullptr);  // fails harmlessly when it is there
        std::string path = folder + "\\morvane.bmp";
        if (CanWriteCaptureFileAt(path.c_str()))
            return path;
    }
    return pszPreferred;
}

const char* CaptureFilePath() {
    if (g_strCapturePath.empty()) {
        std::string fallback = g_bFallbackGiven ? g_strFallbackPlace : LocalAppDataFolder();
        g_strCapturePath = ChooseCaptureFile(g_strPreferredPlace.c_str(), fallback.c_str());
    }
    return g_strCapturePath.c_str();
}

void ResetCaptureFilePath(const char* pszPreferred, const char* pszFallbackFolder) {
    g_strCapturePath.clear();
    g_strPreferredPlace = pszPreferred ? pszPreferred : kCaptureFile;
    g_bFallbackGiven = pszFallbackFolder != nullptr;
    g_strFallbackPlace = pszFallbackFolder ? pszFallbackFolder : "";
}

HBITMAP CaptureScreenToFile(int x, int y, int cx, int cy) {
    if (cx <= 0 || cy <= 0)
        return nullptr;
    CDeviceDC screen("DISPLAY");
    CBitmap bitmap;
    if (!screen.GetSafeHdc() || !bitmap.CreateCompatibleBitmap(screen, cx, cy))
        return nullptr;
    {
        CMemDC mem(screen.GetSafeHdc());
        if (!mem.GetSafeHdc())
            return nullptr;
        mem.SelectObject(bitmap);  // deselected when the DC goes
        // Only the part on the screen is copied, the rest stays black: some systems copy
        // nothing at all from a source rectangle that reaches past the screen's edge.
        mem.PatBlt(0, 0, cx, cy, BLACKNESS);
        CRect rcOnScreen;
        if (::IntersectRect(&rcOnScreen, CRect(x, y, x + cx, y + cy), ScreenRect()))
            mem.BitBlt(rcOnScreen.left - x, rcOnScreen.top - y, rcOnScreen.Width(), rcOnScreen.Height(), screen,
                       rcOnScreen.left, rcOnScreen.top, SRCCOPY);
    }
    WriteBitmapFile(screen, bitmap, CaptureFilePath());
    return static_cast<HBITMAP>(bitmap.Detach());
}

bool GiveToClipboard(HWND hOwner, UINT nFormat, HANDLE hData) {
    bool bGiven = false;
    if (::OpenClipboard(hOwner)) {
        if (::EmptyClipboard())
            bGiven = ::SetClipboardData(nFormat, hData) != nullptr;
        ::CloseClipboard();
    }
    return bGiven;
}

void PutBitmapOnClipboard(HBITMAP hBitmap, CWnd* pOwner) {
    if (hBitmap && !GiveToClipboard(pOwner ? pOwner->GetSafeHwnd() : nullptr, CF_BITMAP, hBitmap))
        ::DeleteObject(hBitmap);
}

void CaptureScreenRect(int x, int y, int cx, int cy, CWnd* pOwner) {
    PutBitmapOnClipboard(CaptureScreenToFile(x, y, cx, cy), pOwner);
}
