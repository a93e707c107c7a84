#include "framework/AfxStr.h"

#include "framework/AfxFile.h"

#include <mbstring.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <vector>

CString CString::Left(int nCount) const {
    nCount = std::max(0, std::min(nCount, GetLength()));
    return CString(m_str.substr(0, nCount));
}

CString CString::Right(int nCount) const {
    nCount = std::max(0, std::min(nCount, GetLength()));
    return CString(m_str.substr(m_str.size() - nCount));
}

CString CString::Mid(int nFirst) const {
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const {
    nFirst = std::max(0, std::min(nFirst, GetLength()));
    nCount = std::max(0, std::min(nCount, GetLength() - nFirst));
    return CString(m_str.substr(nFirst, nCount));
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0 || nStart > GetLength())
        return -1;
    size_t pos = m_str.find(ch, nStart);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* psz, int nStart) const {
    if (nStart < 0 || nStart > GetLength() || !psz)
        return -1;
    size_t pos = m_str.find(psz, nStart);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

namespace {
bool IsAscii(const char* psz) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(psz); *p; ++p)
        if (*p >= 0x80)
            return false;
    return true;
}

std::wstring ToWideString(const char* psz) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, psz, -1, &w[0], n);
    w.resize(wcslen(w.c_str()));
    return w;
}
}  // namespace

bool AfxIsUtf8CodePage() {
    return ::GetACP() == CP_UTF8;
}

int CString::Compare(const char* psz) const {
    // The run-time library's multi-byte functions know only double-byte code pages: UTF-8's
    // order is its bytes' order, which is also the order of the code points.
    if (AfxIsUtf8CodePage())
        return strcmp(m_str.c_str(), psz ? psz : "");
    return _mbscmp(reinterpret_cast<const unsigned char*>(m_str.c_str()),
                   reinterpret_cast<const unsigned char*>(psz ? psz : ""));
}

int CString::CompareNoCase(const char* psz) const {
    if (!psz)
        psz = "";
    if (AfxIsUtf8CodePage() && !(IsAscii(m_str.c_str()) && IsAscii(psz))) {
        std::wstring a = ToWideString(m_str.c_str()), b = ToWideString(psz);
        if (!a.empty())
            ::CharUpperBuffW(&a[0], static_cast<DWORD>(a.size()));
        if (!b.empty())
            ::CharUpperBuffW(&b[0], static_cast<DWORD>(b.size()));
        int r = a.compare(b);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    return _mbsicmp(reinterpret_cast<const unsigned char*>(m_str.c_str()), reinterpret_cast<const unsigned char*>(psz));
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
        return;
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(&out[0], out.size(), pszFormat, args);
    out.resize(n);
    m_str.swap(out);
}

BOOL CString::LoadString(UINT nID) {
    // A string resource is at most 4097 characters; the buffer covers it.
    char buf[4100];
    int n = ::LoadStringA(::GetModuleHandleA(nullptr), nID, buf, sizeof buf);
    m_str.assign(buf, n > 0 ? n : 0);
    return n > 0;
}

void CString::MakeUpper() {
    CharUpperBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
}

void CString::MakeLower() {
    CharLowerBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
}

char* CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength())
        m_str.resize(nMinBufLength);
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strlen(m_str.c_str()));
    m_str.resize(nNewLength);
}

void CRect::NormalizeRect() {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

wchar_t* AfxToWideBuffer(const char* psz, wchar_t* buf, int cch) {
    if (!buf || cch <= 0)
        return buf;
    memset(buf, 0, cch * sizeof(wchar_t));
    if (!psz)
        return buf;
    int nBytes = static_cast<int>(strlen(psz));
    int nNeeded = ::MultiByteToWideChar(CP_ACP, 0, psz, nBytes, nullptr, 0);
    if (nNeeded < cch) {
        ::MultiByteToWideChar(CP_ACP, 0, psz, nBytes, buf, cch - 1);
    } else if (nNeeded > 0) {
        // Too long for the buffer: keep what fits, without the first half of a surrogate pair.
        std::vector<wchar_t> wide(nNeeded);
        ::MultiByteToWideChar(CP_ACP, 0, psz, nBytes, wide.data(), nNeeded);
        int nKeep = cch - 1;
        if (nKeep > 0 && wide[nKeep - 1] >= 0xD800 && wide[nKeep - 1] <= 0xDBFF)
            --nKeep;
        memcpy(buf, wide.data(), nKeep * sizeof(wchar_t));
    }
    buf[cch - 1] = 0;
    return buf;
}

int AfxCharCount(const char* psz) {
    if (!psz || !*psz)
        return 0;
    int n = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    return n > 0 ? n - 1 : static_cast<int>(strlen(psz));
}

int AfxCharBoundary(const char* psz, int nBytes) {
    if (!psz || nBytes <= 0)
        return 0;
    int nLength = static_cast<int>(strlen(psz));
    if (nBytes >= nLength)
        return nLength;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(psz);
    if (AfxIsUtf8CodePage()) {
        // Back to the lead byte of the character that the cut would split.
        int n = nBytes;
        while (n > 0 && (p[n] & 0xC0) == 0x80)
            --n;
        return n;
    }
    // Double-byte code pages: only a walk from the start tells lead bytes from trail bytes.
    int n = 0;
    while (n < nBytes) {
        int nChar = (::IsDBCSLeadByte(p[n]) && p[n + 1]) ? 2 : 1;
        if (n + nChar > nBytes)
            break;
        n += nChar;
    }
    return n;
}

char* AfxCopyText(char* buf, const char* psz, int cb) {
    if (!buf || cb <= 0)
        return buf;
    int n = AfxCharBoundary(psz, cb - 1);
    if (n > 0)
        memcpy(buf, psz, n);
    buf[n] = 0;
    return buf;
}

bool AfxMakeTempFile(const char* pszFolder, const char* pszPrefix, std::string* pPath) {
    if (!pszFolder || !pPath)
        return false;
    // The name as GetTempFileName forms it (prefix, four hex digits, ".tmp"), made here so that
    // a folder of any length takes one: that call stops at MAX_PATH.
    std::string folder(pszFolder);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/' && folder.back() != ':')
        folder += '\\';
    std::string prefix(pszPrefix ? pszPrefix : "");
    if (prefix.size() > 3)
        prefix.resize(3);
    DWORD nStart = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
    for (DWORD i = 0; i < 0x10000; ++i) {
        DWORD nUnique = (nStart + i) & 0xFFFF;
        if (nUnique == 0)
            continue;
        char szName[16];
        wsprintfA(szName, "%s%04X.tmp", prefix.c_str(), nUnique);
        std::string path = folder + szName;
        HANDLE hFile = ::CreateFileW(AfxSystemPath(path.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            ::CloseHandle(hFile);
            pPath->swap(path);
            return true;
        }
        DWORD dwError = ::GetLastError();
        bool bTaken = dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS ||
                      (dwError == ERROR_ACCESS_DENIED &&
                       ::GetFileAttributesW(AfxSystemPath(path.c_str()).c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!bTaken) {
            ::SetLastError(dwError);
            return false;  // the folder is missing, full or cannot take a file
        }
    }
    return false;
}
