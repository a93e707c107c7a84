// Profile settings under HKEY_CURRENT_USER\Software\<registry key>\<profile name>, and the
// recent-file list kept there.
#include <algorithm>

#include "framework/AfxApp.h"

namespace {
// Closes a registry key at the end of its scope.
class CRegKey {
public:
    explicit CRegKey(HKEY hKey = nullptr) : m_hKey(hKey) {}
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey() {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey;
};

HKEY CreateSubKey(HKEY hParent, const char* lpszName) {
    HKEY hKey = nullptr;
    DWORD dw;
    if (!hParent || ::RegCreateKeyExA(hParent, lpszName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                      nullptr, &hKey, &dw) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}
}  // namespace

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
    m_strRegistryKey = lpszRegistryKey;
    m_strProfileName = m_strAppName;
}

HKEY CWinApp::GetAppRegistryKey() {
    if (m_strRegistryKey.IsEmpty() || m_strProfileName.IsEmpty())
        return nullptr;
    CRegKey software(CreateSubKey(HKEY_CURRENT_USER, "Software"));
    CRegKey company(CreateSubKey(software, m_strRegistryKey));
    return CreateSubKey(company, m_strProfileName);
}

HKEY CWinApp::GetSectionKey(const char* lpszSection) {
    CRegKey app(GetAppRegistryKey());
    return CreateSubKey(app, lpszSection);
}

UINT CWinApp::GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) {
    CRegKey section(GetSectionKey(lpszSection));
    DWORD value = 0, type = 0, size = sizeof value;
    if (!section ||
        ::RegQueryValueExA(section, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return static_cast<UINT>(nDefault);
    return value;
}

BOOL CWinApp::WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue) {
    CRegKey section(GetSectionKey(lpszSection));
    DWORD value = static_cast<DWORD>(nValue);
    return section && ::RegSetValueExA(section, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                       sizeof value) == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszDefault) {
    CString result(lpszDefault);
    CRegKey section(GetSectionKey(lpszSection));
    DWORD type = 0, size = 0;
    if (!section || ::RegQueryValueExA(section, lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return result;
    // The value is kept in UTF-16 and converted to the active code page on reading; the size
    // asked first may be short of the converted text, so a short buffer is grown and read again.
    std::string buf;
    LONG lResult = ERROR_MORE_DATA;
    for (int nTry = 0; nTry < 4 && lResult == ERROR_MORE_DATA; ++nTry) {
        size = (size + 1) * (nTry ? 2 : 1);
        buf.assign(size + 1, '\0');
        lResult = ::RegQueryValueExA(section, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &size);
    }
    if (lResult != ERROR_SUCCESS)
        return result;
    buf.resize(strlen(buf.c_str()));
    return CString(buf);
}

BOOL CWinApp::WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue) {
    if (!lpszEntry) {
        // No entry: remove the whole section.
        CRegKey app(GetAppRegistryKey());
        return app && ::RegDeleteKeyA(app, lpszSection) == ERROR_SUCCESS;
    }
    CRegKey section(GetSectionKey(lpszSection));
    if (!section)
        return FALSE;
    if (!lpszValue)
        return ::RegDeleteValueA(section, lpszEntry) == ERROR_SUCCESS;
    return ::RegSetValueExA(section, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                            static_cast<DWORD>(strlen(lpszValue) + 1)) == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (nMaxMRU > 0) {
        m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", static_cast<int>(nMaxMRU));
        m_pRecentFileList->ReadList();
    }
    m_nNumPreviewPages = GetProfileInt("Settings", "PreviewPages", 0);
}

void CWinApp::SaveStdProfileSettings() {
    if (m_strRegistryKey.IsEmpty())
        return;
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList();
    WriteProfileInt("Settings", "PreviewPages", static_cast<int>(m_nNumPreviewPages));
}

// ---- CRecentFileList ---------------------------------------------------------------------------

CRecentFileList::CRecentFileList(UINT nStart, const char* lpszSection, const char* lpszEntryFormat, int nSize)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat), m_arrNames(nSize) {}

void CRecentFileList::Add(const char* lpszPathName) {
    if (m_arrNames.empty() || !lpszPathName || !*lpszPathName)
        return;
    CString path(lpszPathName);
    auto same = std::find_if(m_arrNames.begin(), m_arrNames.end(),
                             [&](const CString& s) { return s.CompareNoCase(path) == 0; });
    if (same != m_arrNames.end())
        m_arrNames.erase(same);
    else
        m_arrNames.pop_back();
    m_arrNames.insert(m_arrNames.begin(), path);
}

void CRecentFileList::Remove(int nIndex) {
    m_arrNames.erase(m_arrNames.begin() + nIndex);
    m_arrNames.push_back(CString());
}

void CRecentFileList::ReadList() {
    CWinApp* pApp = AfxGetApp();
    for (size_t i = 0; i < m_arrNames.size() && pApp; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, static_cast<int>(i + 1));
        m_arrNames[i] = pApp->GetProfileString(m_strSectionName, entry);
    }
}

void CRecentFileList::WriteList() {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return;
    pApp->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (size_t i = 0; i < m_arrNames.size(); ++i) {
        if (m_arrNames[i].IsEmpty())
            continue;
        CString entry;
        entry.Format(m_strEntryFormat, static_cast<int>(i + 1));
        pApp->WriteProfileString(m_strSectionName, entry, m_arrNames[i]);
    }
}
