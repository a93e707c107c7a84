#include "framework/AfxStr.h"

#include <mbstring.h>
#include <stdarg.h>
#include <stdio.h>

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

int CString::Compare(const char* psz) const {
    return _mbscmp(reinterpret_cast<const unsigned char*>(m_str.c_str()),
                   reinterpret_cast<const unsigned char*>(psz ? psz : ""));
}

int CString::CompareNoCase(const char* psz) const {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(m_str.c_str()),
                    reinterpret_cast<const unsigned char*>(psz ? psz : ""));
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
        // Too long for the buffer: keep what fits.
        std::vector<wchar_t> wide(nNeeded);
        ::MultiByteToWideChar(CP_ACP, 0, psz, nBytes, wide.data(), nNeeded);
        memcpy(buf, wide.data(), (cch - 1) * sizeof(wchar_t));
    }
    buf[cch - 1] = 0;
    return buf;
}
