// Winsock's header comes before the system's others, which would bring in its older one.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "framework/AfxInet.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

BOOL CInternetException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0)
        return FALSE;
    lpszError[0] = '\0';
    // WinINet's own codes have their texts in its module, the others in the system's table.
    char buf[512] = "";
    DWORD n = 0;
    if (HMODULE hWinInet = ::GetModuleHandleA("wininet.dll")) {
        n = ::FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, hWinInet, m_dwError, 0, buf,
                             sizeof buf, nullptr);
    }
    if (!n) {
        n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, m_dwError, 0, buf,
                             sizeof buf, nullptr);
    }
    if (!n)
        snprintf(buf, sizeof buf, "Internet error %lu", static_cast<unsigned long>(m_dwError));
    // Without the line break the system's texts end with.
    size_t len = strlen(buf);
    while (len && (buf[len - 1] == '\r' || buf[len - 1] == '\n' || buf[len - 1] == ' '))
        buf[--len] = '\0';
    lstrcpynA(lpszError, buf, static_cast<int>(nMaxError));
    return TRUE;
}

void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError) {
    if (dwError == 0)
        dwError = ::GetLastError();
    throw new CInternetException(dwError, dwContext);
}

// ---- files ----------------------------------------------------------------------------------

UINT CInternetFile::Read(void* lpBuf, UINT nCount) {
    DWORD nRead = 0;
    if (!::InternetReadFile(m_hFile, lpBuf, nCount, &nRead))
        AfxThrowInternetException(m_dwContext);
    m_nRead += nRead;
    return nRead;
}

void CInternetFile::Close() {
    if (m_hFile) {
        ::InternetCloseHandle(m_hFile);
        m_hFile = nullptr;
    }
}

namespace {
// Ends this process's one connection to the server's port, both ways, so that closing its request
// has nothing left to read. The request's socket is not handed out by WinINet: it is found among
// the process's sockets by its peer's port and the bytes waiting on it. Nothing is done when none,
// or more than one, is such.
void ShutDownConnectionTo(INTERNET_PORT nPort) {
    WSADATA wsa;
    if (nPort == 0 || ::WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return;
    SOCKET found = INVALID_SOCKET;
    int nFound = 0;
    for (UINT_PTR h = 4; h < 0x4000 && nFound < 2; h += 4) {
        sockaddr_storage peer = {};
        int nLength = sizeof peer;
        if (::getpeername(static_cast<SOCKET>(h), reinterpret_cast<sockaddr*>(&peer), &nLength) != 0)
            continue;
        USHORT nPeerPort = 0;
        if (peer.ss_family == AF_INET)
            nPeerPort = ntohs(reinterpret_cast<const sockaddr_in*>(&peer)->sin_port);
        else if (peer.ss_family == AF_INET6)
            nPeerPort = ntohs(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port);
        // The request's own has the rest of the answer waiting; another one kept for later has none.
        u_long nWaiting = 0;
        if (nPeerPort == nPort && ::ioctlsocket(static_cast<SOCKET>(h), FIONREAD, &nWaiting) == 0 && nWaiting > 0) {
            found = static_cast<SOCKET>(h);
            ++nFound;
        }
    }
    if (nFound == 1)
        ::shutdown(found, SD_BOTH);
    ::WSACleanup();
}
}  // namespace

void CHttpFile::Close() {
    // An answer of announced length not read to its end.
    char szLength[32] = "";
    DWORD dwSize = sizeof szLength;
    if (m_hFile && ::HttpQueryInfoA(m_hFile, HTTP_QUERY_CONTENT_LENGTH, szLength, &dwSize, nullptr) &&
        _strtoui64(szLength, nullptr, 10) > m_nRead)
        ShutDownConnectionTo(m_nPort);
    CInternetFile::Close();
    if (m_hConnect) {
        ::InternetCloseHandle(m_hConnect);
        m_hConnect = nullptr;
    }
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& dwStatusCode) const {
    return QueryInfo(HTTP_QUERY_STATUS_CODE, dwStatusCode);
}

BOOL CHttpFile::QueryInfo(DWORD dwInfoLevel, DWORD& dwResult) const {
    DWORD dwSize = sizeof dwResult;
    return ::HttpQueryInfoA(m_hFile, dwInfoLevel | HTTP_QUERY_FLAG_NUMBER, &dwResult, &dwSize, nullptr);
}

// ---- session --------------------------------------------------------------------------------

CInternetSession::CInternetSession(const char* pstrAgent,
                                   DWORD_PTR dwContext,
                                   DWORD dwAccessType,
                                   const char* pstrProxyName,
                                   const char* pstrProxyBypass,
                                   DWORD dwFlags)
    : m_dwContext(dwContext) {
    m_hSession = ::InternetOpenA(pstrAgent, dwAccessType, pstrProxyName, pstrProxyBypass, dwFlags);
    if (!m_hSession)
        AfxThrowInternetException(m_dwContext);
}

namespace {
bool IsTimeoutOption(DWORD dwOption) {
    switch (dwOption) {
        case INTERNET_OPTION_CONNECT_TIMEOUT:
        case INTERNET_OPTION_SEND_TIMEOUT:
        case INTERNET_OPTION_RECEIVE_TIMEOUT:
        case INTERNET_OPTION_DATA_SEND_TIMEOUT:
        case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT:
            return true;
        default:
            return false;
    }
}
}  // namespace

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue) {
    // Time-outs are also kept, to be given to every handle the session opens: some WinINet
    // versions do not pass a session's time-outs on to its requests.
    if (IsTimeoutOption(dwOption)) {
        for (Timeout& t : m_timeouts) {
            if (t.dwOption == 0 || t.dwOption == dwOption) {
                t.dwOption = dwOption;
                t.dwValue = dwValue;
                break;
            }
        }
    }
    return ::InternetSetOptionA(m_hSession, dwOption, &dwValue, sizeof dwValue);
}

void CInternetSession::ApplyTimeouts(HINTERNET hInternet) const {
    for (const Timeout& t : m_timeouts) {
        if (t.dwOption) {
            DWORD dwValue = t.dwValue;
            ::InternetSetOptionA(hInternet, t.dwOption, &dwValue, sizeof dwValue);
        }
    }
}

CInternetFile* CInternetSession::OpenURL(const char* pstrURL,
                                         DWORD_PTR dwContext,
                                         DWORD dwFlags,
                                         const char* pstrHeaders,
                                         DWORD dwHeadersLength) {
    if (pstrHeaders && dwHeadersLength == 0)
        dwHeadersLength = static_cast<DWORD>(-1);  // a terminated string
    bool bHttp = _strnicmp(pstrURL, "http://", 7) == 0 || _strnicmp(pstrURL, "https://", 8) == 0;
    if (bHttp)
        return OpenHttpURL(pstrURL, dwContext, dwFlags, pstrHeaders, dwHeadersLength);
    HINTERNET hFile =
        ::InternetOpenUrlA(m_hSession, pstrURL, pstrHeaders, pstrHeaders ? dwHeadersLength : 0, dwFlags, dwContext);
    if (!hFile)
        AfxThrowInternetException(dwContext);
    return new CInternetFile(hFile, dwContext);
}

CHttpFile* CInternetSession::OpenHttpURL(const char* pstrURL,
                                         DWORD_PTR dwContext,
                                         DWORD dwFlags,
                                         const char* pstrHeaders,
                                         DWORD dwHeadersLength) {
    char szHost[INTERNET_MAX_HOST_NAME_LENGTH] = "";
    char szPath[INTERNET_MAX_URL_LENGTH] = "";
    char szUser[INTERNET_MAX_USER_NAME_LENGTH] = "";
    char szPassword[INTERNET_MAX_PASSWORD_LENGTH] = "";
    char szExtra[INTERNET_MAX_URL_LENGTH] = "";
    URL_COMPONENTSA uc = {};
    uc.dwStructSize = sizeof uc;
    uc.lpszHostName = szHost;
    uc.dwHostNameLength = sizeof szHost;
    uc.lpszUrlPath = szPath;
    uc.dwUrlPathLength = sizeof szPath;
    uc.lpszUserName = szUser;
    uc.dwUserNameLength = sizeof szUser;
    uc.lpszPassword = szPassword;
    uc.dwPasswordLength = sizeof szPassword;
    uc.lpszExtraInfo = szExtra;
    uc.dwExtraInfoLength = sizeof szExtra;
    if (!::InternetCrackUrlA(pstrURL, 0, 0, &uc))
        AfxThrowInternetException(dwContext);
    if (uc.nScheme == INTERNET_SCHEME_HTTPS)
        dwFlags |= INTERNET_FLAG_SECURE;
    // The path with its query, as the URL gives it; "/" for none.
    CString strObject = szPath[0] ? szPath : "/";
    strObject += szExtra;

    HINTERNET hConnect = ::InternetConnectA(m_hSession, szHost, uc.nPort, szUser[0] ? szUser : nullptr,
                                            szPassword[0] ? szPassword : nullptr, INTERNET_SERVICE_HTTP, 0, dwContext);
    if (!hConnect)
        AfxThrowInternetException(dwContext);
    ApplyTimeouts(hConnect);
    const char* acceptTypes[] = {"*/*", nullptr};
    HINTERNET hRequest =
        ::HttpOpenRequestA(hConnect, "GET", strObject, nullptr, nullptr, acceptTypes, dwFlags, dwContext);
    if (!hRequest) {
        DWORD dwError = ::GetLastError();
        ::InternetCloseHandle(hConnect);
        AfxThrowInternetException(dwContext, dwError);
    }
    ApplyTimeouts(hRequest);
    if (!::HttpSendRequestA(hRequest, pstrHeaders, pstrHeaders ? dwHeadersLength : 0, nullptr, 0)) {
        DWORD dwError = ::GetLastError();
        ::InternetCloseHandle(hRequest);
        ::InternetCloseHandle(hConnect);
        AfxThrowInternetException(dwContext, dwError);
    }
    return new CHttpFile(hRequest, hConnect, dwContext, uc.nPort);
}

void CInternetSession::Close() {
    if (m_hSession) {
        ::InternetCloseHandle(m_hSession);
        m_hSession = nullptr;
    }
}
