// The framework's exceptions and its WinINet classes: an internet session that opens URLs, and
// the files it returns, read block by block. Failures are thrown as CInternetException objects
// allocated with new; the catcher reads the message and calls Delete().
#pragma once

#include <windows.h>
#include <wininet.h>

#include "framework/AfxStr.h"

class CException {
public:
    CException() = default;
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;
    virtual ~CException() = default;

    // The text of the failure, cut to nMaxError - 1 characters and always terminated; FALSE when
    // there is no text.
    virtual BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const = 0;
    void Delete() { delete this; }
};

class CInternetException : public CException {
public:
    CInternetException(DWORD dwError, DWORD_PTR dwContext) : m_dwError(dwError), m_dwContext(dwContext) {}
    BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    DWORD m_dwError;        // a WinINet or system error code
    DWORD_PTR m_dwContext;  // the context value of the call that failed
};

// Throws a new CInternetException; dwError 0 takes the thread's last error.
[[noreturn]] void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError = 0);

// A file opened through an internet session. The destructor closes it.
class CInternetFile {
public:
    CInternetFile(HINTERNET hFile, DWORD_PTR dwContext) : m_hFile(hFile), m_dwContext(dwContext) {}
    CInternetFile(const CInternetFile&) = delete;
    CInternetFile& operator=(const CInternetFile&) = delete;
    virtual ~CInternetFile() { Close(); }

    // Up to nCount bytes into lpBuf; 0 at the end of the file. Throws on failure.
    UINT Read(void* lpBuf, UINT nCount);
    virtual void Close();
    operator HINTERNET() const { return m_hFile; }

protected:
    HINTERNET m_hFile;
    DWORD_PTR m_dwContext;
    ULONGLONG m_nRead = 0;  // bytes Read has given
};

// The answer to an HTTP request; it also holds the request's connection to the server. Closed
// before the end of an answer of announced length, it ends the connection first: this platform's
// close would otherwise read the rest, for as long as the server sends it.
class CHttpFile : public CInternetFile {
public:
    CHttpFile(HINTERNET hFile, HINTERNET hConnect, DWORD_PTR dwContext, INTERNET_PORT nPort = 0)
        : CInternetFile(hFile, dwContext), m_hConnect(hConnect), m_nPort(nPort) {}
    ~CHttpFile() override { Close(); }
    // The status code of the server's answer (200, 404, ...).
    BOOL QueryInfoStatusCode(DWORD& dwStatusCode) const;
    // A numeric header of the answer (HTTP_QUERY_CONTENT_LENGTH, ...); FALSE when it has none.
    BOOL QueryInfo(DWORD dwInfoLevel, DWORD& dwResult) const;
    void Close() override;

private:
    HINTERNET m_hConnect;
    INTERNET_PORT m_nPort;  // the server's
};

class CInternetSession {
public:
    // Opens the session; throws when WinINet cannot be started.
    explicit CInternetSession(const char* pstrAgent = nullptr,
                              DWORD_PTR dwContext = 1,
                              DWORD dwAccessType = PRE_CONFIG_INTERNET_ACCESS,
                              const char* pstrProxyName = nullptr,
                              const char* pstrProxyBypass = nullptr,
                              DWORD dwFlags = 0);
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;
    ~CInternetSession() { Close(); }

    // A numeric option of the session (time-outs and the like), inherited by what it opens.
    BOOL SetOption(DWORD dwOption, DWORD dwValue);
    // Opens a URL of any scheme WinINet knows; an http or https URL gives a CHttpFile. The caller
    // deletes the result. Throws on failure.
    CInternetFile* OpenURL(const char* pstrURL,
                           DWORD_PTR dwContext = 1,
                           DWORD dwFlags = INTERNET_FLAG_TRANSFER_ASCII,
                           const char* pstrHeaders = nullptr,
                           DWORD dwHeadersLength = 0);
    void Close();
    operator HINTERNET() const { return m_hSession; }

private:
    // An http or https URL: connection, request and its sending, each handle given the
    // session's time-outs.
    CHttpFile* OpenHttpURL(const char* pstrURL,
                           DWORD_PTR dwContext,
                           DWORD dwFlags,
                           const char* pstrHeaders,
                           DWORD dwHeadersLength);
    void ApplyTimeouts(HINTERNET hInternet) const;

    HINTERNET m_hSession = nullptr;
    DWORD_PTR m_dwContext;
    // The time-outs set on the session (option, value); 0 as option: not set.
    struct Timeout {
        DWORD dwOption;
        DWORD dwValue;
    };
    Timeout m_timeouts[5] = {};
};
