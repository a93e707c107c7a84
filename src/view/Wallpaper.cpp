#include "view/Wallpaper.h"

#include <objbase.h>
#include <wininet.h>  // the Active Desktop declarations need it first
#include <shlobj.h>

#include <string>

#include "framework/AfxStr.h"

namespace {
bool SetStyleValue(HKEY hKey, const char* pszName, char cDigit) {
    const BYTE data[4] = {static_cast<BYTE>(cDigit), 0, 0, 0};
    return ::RegSetValueExA(hKey, pszName, 0, REG_SZ, data, sizeof data) == ERROR_SUCCESS;
}
}  // namespace

bool WriteWallpaperStyle(char cStyle, char cTile) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return false;
    bool ok = SetStyleValue(hKey, "WallpaperStyle", cStyle);
    ok = SetStyleValue(hKey, "TileWallpaper", cTile) && ok;
    ::RegCloseKey(hKey);
    return ok;
}

ActiveDesktopResult SetActiveDesktopWallpaper(const char* pszPath) {
    if (FAILED(::CoInitialize(nullptr)))
        return kActiveDesktopNoCom;

    // Converted from the active code page: a name in another script is several bytes a character.
    wchar_t wszPath[MAX_PATH];
    AfxToWideBuffer(pszPath, wszPath, MAX_PATH);

    ActiveDesktopResult result = kActiveDesktopUnavailable;
    IActiveDesktop* pDesktop = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                                     reinterpret_cast<void**>(&pDesktop))) &&
        pDesktop) {
        result = kActiveDesktopRefused;
        if (SUCCEEDED(pDesktop->SetWallpaper(wszPath, 0)) &&
            SUCCEEDED(pDesktop->ApplyChanges(AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH)))
            result = kActiveDesktopApplied;
        pDesktop->Release();
    }
    ::CoUninitialize();
    return result;
}

BOOL SetClassicWallpaper(const char* pszPath) {
    // Whole, not cut to MAX_PATH bytes: in UTF-8 a path of MAX_PATH characters takes more.
    std::string path(pszPath ? pszPath : "");
    if (!path.empty() && ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    // Stored in the profile too: where the shell does not keep it (no Active Desktop), the
    // wallpaper would not outlive the session otherwise.
    return ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, &path[0], SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}
