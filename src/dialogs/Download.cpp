#include "dialogs/Download.h"

#include <memory>

const char kDownloadSucceeded[] = "YES";

namespace {
const UINT kBlockSize = 512;
const UINT kMaxErrorText = 255;  // 254 characters and the end

// A local file opened for writing, closed on every path.
class CLocalFile {
public:
    explicit CLocalFile(const char* pszPath)
        : m_hFile(::CreateFileA(pszPath,
                                GENERIC_WRITE,
                                FILE_SHARE_DELETE,
                                nullptr,
                                CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL,
                                nullptr)) {}
    ~CLocalFile() { Close(); }
    CLocalFile(const CLocalFile&) = delete;
    CLocalFile& operator=(const CLocalFile&) = delete;
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    bool Write(const void* p, DWORD n) {
        DWORD nWritten = 0;
        return ::WriteFile(m_hFile, p, n, &nWritten, nullptr) && nWritten == n;
    }
    bool Close() {
        if (m_hFile == INVALID_HANDLE_VALUE)
            return true;
        bool ok = ::CloseHandle(m_hFile) != FALSE;
        m_hFile = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_hFile;
};

CString SystemErrorText(DWORD dwError) {
    char buf[kMaxErrorText] = "";
    if (!::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, buf,
                          sizeof buf, nullptr))
        wsprintfA(buf, "Error %lu", dwError);
    return CString(buf);
}
}  // namespace

namespace {
// The time left of a download begun at dwStart; 0 once it is over.
DWORD TimeLeft(DWORD dwStart, DWORD dwTotalMs) {
    DWORD dwElapsed = ::GetTickCount() - dwStart;
    return dwElapsed >= dwTotalMs ? 0 : dwTotalMs - dwElapsed;
}

// Every wait of the handle cut to what is left of the download (and to kDownloadTimeoutMs).
void LimitWaits(HINTERNET hInternet, DWORD dwLeft) {
    DWORD dwWait = dwLeft < kDownloadTimeoutMs ? dwLeft : kDownloadTimeoutMs;
    for (DWORD dwOption :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
          INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        ::InternetSetOptionA(hInternet, dwOption, &dwWait, sizeof dwWait);
}

bool IsRedirect(DWORD dwStatus) {
    return dwStatus == 301 || dwStatus == 302 || dwStatus == 303 || dwStatus == 307 || dwStatus == 308;
}

// The address a redirect answer points to, made absolute against the request's own; empty when
// it has none.
CString RedirectTarget(HINTERNET hRequest, const CString& strBase) {
    char szLocation[INTERNET_MAX_URL_LENGTH] = "";
    DWORD dwSize = sizeof szLocation;
    if (!::HttpQueryInfoA(hRequest, HTTP_QUERY_LOCATION, szLocation, &dwSize, nullptr) || !szLocation[0])
        return CString();
    char szUrl[INTERNET_MAX_URL_LENGTH] = "";
    DWORD dwUrl = sizeof szUrl;
    if (!::InternetCombineUrlA(strBase, szLocation, szUrl, &dwUrl, ICU_NO_ENCODE))
        return CString();
    return CString(szUrl);
}

void ThrowIfOver(DWORD dwStart, const CDownloadBounds& bounds) {
    if (TimeLeft(dwStart, bounds.dwTotalMs) == 0)
        AfxThrowInternetException(1, ERROR_INTERNET_TIMEOUT);
}
}  // namespace

CString DownloadFile(const CString& strURL, const CString& strLocalFile, const CDownloadBounds& bounds) {
    CString strResult = kDownloadSucceeded;
    bool bFileBegun = false;
    const DWORD dwStart = ::GetTickCount();
    try {
        CInternetSession session(nullptr, 1, PRE_CONFIG_INTERNET_ACCESS, nullptr, nullptr, 0);
        // Without these, a server that accepts and never answers holds the program for good.
        DWORD dwFirstWait = TimeLeft(dwStart, bounds.dwTotalMs);
        if (dwFirstWait > kDownloadTimeoutMs)
            dwFirstWait = kDownloadTimeoutMs;
        for (DWORD dwOption :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
              INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
            session.SetOption(dwOption, dwFirstWait);
        // Redirects are followed here, each one counted: the platform would follow a loop for ever.
        std::unique_ptr<CInternetFile> pFile;
        CString strAt = strURL;
        for (int nRedirects = 0;; ++nRedirects) {
            ThrowIfOver(dwStart, bounds);
            pFile.reset(session.OpenURL(
                strAt, 1, INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_AUTO_REDIRECT,
                nullptr, 0));
            CHttpFile* pHttp = dynamic_cast<CHttpFile*>(pFile.get());
            DWORD dwStatus = 0;
            if (!pHttp || !pHttp->QueryInfoStatusCode(dwStatus) || !IsRedirect(dwStatus))
                break;
            CString strNext = RedirectTarget(*pHttp, strAt);
            if (strNext.IsEmpty())
                break;  // a redirect to nowhere: its status says what it is
            if (nRedirects >= bounds.nMaxRedirects) {
                strResult.Format("More than %d redirects", bounds.nMaxRedirects);
                return strResult;
            }
            pFile.reset();
            strAt = strNext;
        }

        // A 404 page or a proxy's error page is no published file.
        // An answer of announced length ends there: a server that keeps the connection open
        // would otherwise hold the last read until its time-out.
        bool bLengthKnown = false;
        DWORD dwLeft = 0;
        if (CHttpFile* pHttp = dynamic_cast<CHttpFile*>(pFile.get())) {
            DWORD dwStatus = 0;
            if (!pHttp->QueryInfoStatusCode(dwStatus))
                AfxThrowInternetException(1);
            if (dwStatus < 200 || dwStatus > 299) {
                strResult.Format("The server answered with HTTP status %lu", static_cast<unsigned long>(dwStatus));
                return strResult;
            }
            bLengthKnown = pHttp->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, dwLeft) != FALSE;
        }
        // Whole answers longer than the bound are refused before a byte is read.
        if (bLengthKnown && bounds.dwEnoughBytes == 0 && dwLeft > bounds.dwMaxBytes) {
            strResult.Format("The answer is longer than %lu bytes", static_cast<unsigned long>(bounds.dwMaxBytes));
            return strResult;
        }

        CLocalFile local(strLocalFile);
        if (!local.IsOpen())
            return SystemErrorText(::GetLastError());
        bFileBegun = true;
        char buf[kBlockSize];
        DWORD dwRead = 0;
        while (!bLengthKnown || dwLeft > 0) {
            if (bounds.dwEnoughBytes && dwRead >= bounds.dwEnoughBytes)
                break;
            ThrowIfOver(dwStart, bounds);
            LimitWaits(*pFile, TimeLeft(dwStart, bounds.dwTotalMs));
            // Only what has arrived is read: a read for more waits until it is all there, and a
            // server that trickles would hold it for as long as it trickles.
            DWORD dwAvailable = 0;
            if (!::InternetQueryDataAvailable(*pFile, &dwAvailable, 0, 0))
                AfxThrowInternetException(1);
            if (dwAvailable == 0)
                break;  // the end of the answer
            UINT nWant = dwAvailable < sizeof buf ? static_cast<UINT>(dwAvailable) : sizeof buf;
            if (bLengthKnown && dwLeft < nWant)
                nWant = static_cast<UINT>(dwLeft);
            if (bounds.dwEnoughBytes && bounds.dwEnoughBytes - dwRead < nWant)
                nWant = bounds.dwEnoughBytes - dwRead;
            if (dwRead + nWant > bounds.dwMaxBytes) {
                strResult.Format("The answer is longer than %lu bytes", static_cast<unsigned long>(bounds.dwMaxBytes));
                break;
            }
            UINT n = pFile->Read(buf, nWant);
            if (n == 0)
                break;
            ThrowIfOver(dwStart, bounds);
            if (!local.Write(buf, n)) {
                strResult = SystemErrorText(::GetLastError());
                break;
            }
            dwRead += n;
            if (bLengthKnown)
                dwLeft -= n < dwLeft ? n : dwLeft;
        }
        if (!local.Close() && strResult == kDownloadSucceeded)
            strResult = SystemErrorText(::GetLastError());
        pFile->Close();
        session.Close();
    } catch (CException* e) {
        char szError[kMaxErrorText] = "";
        e->GetErrorMessage(szError, sizeof szError);
        e->Delete();
        strResult = szError[0] ? szError : "Download failed";
    }
    if (strResult != kDownloadSucceeded && bFileBegun)
        ::DeleteFileA(strLocalFile);
    return strResult;
}

BOOL ReadPublishedVersion(const CString& strLocalFile, CString& strVersion) {
    strVersion.Empty();
    HANDLE hFile = ::CreateFileA(strLocalFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    char buf[4] = {};
    DWORD nRead = 0;
    BOOL ok = ::ReadFile(hFile, buf, sizeof buf, &nRead, nullptr);
    ::CloseHandle(hFile);
    if (!ok)
        return FALSE;
    DWORD n = 0;
    while (n < nRead && buf[n] != '\0' && buf[n] != '\r' && buf[n] != '\n')
        ++n;
    strVersion = CString(buf, static_cast<int>(n));
    return TRUE;
}

CString MakeDownloadFileName() {
    char szFolder[AFX_MAX_PATH_BYTES] = "";
    char szFile[AFX_MAX_PATH_BYTES] = "";
    DWORD n = ::GetTempPathA(sizeof szFolder, szFolder);
    if (n == 0 || n >= sizeof szFolder)
        return CString();
    if (!::GetTempFileNameA(szFolder, "upd", 0, szFile))
        return CString();
    return CString(szFile);
}

BOOL IsVersionText(const CString& strVersion) {
    if (strVersion.IsEmpty() || strVersion[0] < '0' || strVersion[0] > '9')
        return FALSE;
    for (int i = 1; i < strVersion.GetLength(); ++i) {
        char c = strVersion[i];
        if ((c < '0' || c > '9') && c != '.')
            return FALSE;
    }
    return TRUE;
}

CDownloadTempFile::CDownloadTempFile() : m_strPath(MakeDownloadFileName()), m_hHold(INVALID_HANDLE_VALUE) {
    if (m_strPath.IsEmpty())
        return;
    // Held open for deletion on close: the system removes the file when this handle closes,
    // also when the process ends in the middle of a check (a window closed while it hung).
    m_hHold = ::CreateFileA(m_strPath, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

CDownloadTempFile::~CDownloadTempFile() {
    if (m_hHold != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hHold);
    if (!m_strPath.IsEmpty())
        ::DeleteFileA(m_strPath);  // when it could not be held, or the system kept it
}
