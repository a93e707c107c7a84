#include "framework/AfxInet.h"

#include <stdio.h>
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
    return nRead;
}

void CInternetFile::Close() {
    if (m_hFile) {
        ::InternetCloseHandle(m_hFile);
        m_hFile = nullptr;
    }
}

void CHttpFile::Close() {
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
    return new CHttpFile(hRequest, hConnect, dwContext);
}

void CInternetSession::Close() {
    if (m_hSession) {
        ::InternetCloseHandle(m_hSession);
        m_hSession = nullptr;
    }
}
