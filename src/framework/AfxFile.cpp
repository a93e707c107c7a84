#include "framework/AfxFile.h"

#include <string.h>

#include "framework/AfxRes.h"
#include "framework/AfxWin.h"

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
        case NO_ERROR:
            return none;
        case ERROR_FILE_NOT_FOUND:
            return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_FILENAME_EXCED_RANGE:
            return badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
        case ERROR_WRITE_PROTECT:
        case ERROR_CANNOT_MAKE:
            return accessDenied;
        case ERROR_INVALID_HANDLE:
            return invalidFile;
        case ERROR_CURRENT_DIRECTORY:
            return removeCurrentDir;
        case ERROR_NO_MORE_FILES:
            return directoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
            return badSeek;
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
            return hardIO;
        case ERROR_SHARING_VIOLATION:
            return sharingViolation;
        case ERROR_LOCK_VIOLATION:
        case ERROR_LOCK_FAILED:
            return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return diskFull;
        case ERROR_HANDLE_EOF:
            return endOfFile;
        default:
            return genericException;
    }
}

CString CFileException::GetErrorMessage() const {
    int cause = m_cause >= none && m_cause <= endOfFile ? m_cause : genericException;
    CString text;
    if (!text.LoadString(AFX_IDP_FILE_NONE + cause))
        text = "A file error occurred while accessing %1.";
    CString name = m_strFileName.IsEmpty() ? CString("an unnamed file") : m_strFileName;
    CString result;
    const char* p = text;
    for (; *p; ++p) {
        if (p[0] == '%' && p[1] == '1') {
            result += name;
            ++p;
        } else {
            result += *p;
        }
    }
    return result;
}

int CFileException::ReportError(UINT nType) const {
    return AfxMessageBox(GetErrorMessage(), nType);
}

namespace {
// Whether a component of the path ends in a dot or a space (".." and "." excepted, which the
// \\?\ form cannot take anyway).
bool HasNameTheSystemTrims(const std::wstring& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos)
            end = path.size();
        std::wstring name = path.substr(start, end - start);
        if (!name.empty() && name != L"." && name != L".." && (name.back() == L'.' || name.back() == L' '))
            return true;
        start = end + 1;
    }
    return false;
}

// Whether the path can be put in the \\?\ form as it stands: drive-absolute or UNC, and no
// component that the ordinary form would resolve ("." and "..").
bool CanTakeSystemForm(const std::wstring& path) {
    bool bDrive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    bool bUnc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
    if (!bDrive && !bUnc)
        return false;
    std::wstring p = L"\\" + path + L"\\";
    for (wchar_t& c : p)
        if (c == L'/')
            c = L'\\';
    return p.find(L"\\.\\") == std::wstring::npos && p.find(L"\\..\\") == std::wstring::npos;
}

std::wstring WidePath(const char* pszPath) {
    if (!pszPath || !*pszPath)
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, pszPath, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, pszPath, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

bool NeedsSystemForm(const std::wstring& path) {
    return (path.size() >= MAX_PATH - 12 || HasNameTheSystemTrims(path)) && CanTakeSystemForm(path);
}
}  // namespace

bool AfxNeedsSystemForm(const char* pszPath) {
    return NeedsSystemForm(WidePath(pszPath));
}

std::wstring AfxSystemPath(const char* pszPath) {
    std::wstring path = WidePath(pszPath);
    if (!NeedsSystemForm(path))
        return path;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    if (path[0] == L'\\')
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

namespace {
// A new name that differs from the old one only in letter case. Some file systems take that for
// no change at all and report success: the file goes through a unique name of its folder first.
BOOL MoveChangingCase(const char* lpszOldName, const char* lpszNewName) {
    const char* pSlash = strrchr(lpszOldName, '\\');
    const std::string folder = pSlash ? std::string(lpszOldName, pSlash + 1) : std::string(".");
    const std::wstring oldName = AfxSystemPath(lpszOldName), newName = AfxSystemPath(lpszNewName);
    std::string strTemp;
    if (!AfxMakeTempFile(folder.c_str(), "ren", &strTemp))  // creates the empty file that reserves the name
        return ::MoveFileW(oldName.c_str(), newName.c_str());
    const std::wstring temp = AfxSystemPath(strTemp.c_str());
    if (!::MoveFileExW(oldName.c_str(), temp.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD dwError = ::GetLastError();
        ::DeleteFileW(temp.c_str());
        ::SetLastError(dwError);
        return FALSE;
    }
    if (!::MoveFileW(temp.c_str(), newName.c_str())) {
        DWORD dwError = ::GetLastError();
        ::MoveFileW(temp.c_str(), oldName.c_str());
        ::SetLastError(dwError);
        return FALSE;
    }
    return TRUE;
}
}  // namespace

BOOL CFile::Rename(const char* lpszOldName, const char* lpszNewName, CFileException* pError) {
    BOOL bCaseOnly = CString(lpszOldName).CompareNoCase(lpszNewName) == 0 && strcmp(lpszOldName, lpszNewName) != 0;
    if (bCaseOnly ? MoveChangingCase(lpszOldName, lpszNewName)
                  : ::MoveFileW(AfxSystemPath(lpszOldName).c_str(), AfxSystemPath(lpszNewName).c_str()))
        return TRUE;
    LONG lError = static_cast<LONG>(::GetLastError());
    if (pError)
        *pError = CFileException(CFileException::OsErrorToException(lError), lError);
    return FALSE;
}
