// The update check's download: one URL copied into a local file over WinINet, and the published
// version read back from that file.
#pragma once

#include "framework/Afx.h"

// What DownloadFile returns when the whole answer was copied.
extern const char kDownloadSucceeded[];  // "YES"
// Connection, send and receive time-out of the download, in milliseconds.
const DWORD kDownloadTimeoutMs = 5000;

// The limits of one download; past any of them it fails.
struct CDownloadBounds {
    int nMaxRedirects = 10;        // redirects followed
    DWORD dwTotalMs = 15000;       // the whole download, from the connection to the last byte
    DWORD dwMaxBytes = 64 * 1024;  // bytes of the answer read
    DWORD dwEnoughBytes = 0;       // the download ends once this many are in (0: the whole answer)
};

// Copies the URL into the local file (created or truncated) in blocks of up to 512 bytes, up to
// the answer's announced length when it has one, following redirects itself. Returns "YES" when
// the server answered with a 2xx status and the whole answer (or the first dwEnoughBytes of it)
// was written; otherwise the failure's text (at most 254 characters), and a file that was begun
// is removed. A silent server fails after kDownloadTimeoutMs; every wait is also cut to what is
// left of the whole download's time.
CString DownloadFile(const CString& strURL,
                     const CString& strLocalFile,
                     const CDownloadBounds& bounds = CDownloadBounds());

// The published version in the first bytes of a downloaded file: at most 4 characters, ending at
// the first zero byte or line break. Returns FALSE when the file cannot be read.
BOOL ReadPublishedVersion(const CString& strLocalFile, CString& strVersion);

// Whether the published text is a version: digits and dots, beginning with a digit.
BOOL IsVersionText(const CString& strVersion);

// A unique new file in the user's temporary folder for the download, or empty when none can be
// made. The caller removes it.
CString MakeDownloadFileName();

// A file of MakeDownloadFileName for one check, removed when the object ends, and by the system
// when the process ends before that. DownloadFile and ReadPublishedVersion may open it meanwhile.
class CDownloadTempFile {
public:
    CDownloadTempFile();
    ~CDownloadTempFile();
    CDownloadTempFile(const CDownloadTempFile&) = delete;
    CDownloadTempFile& operator=(const CDownloadTempFile&) = delete;
    // Empty when no file could be made.
    const CString& Path() const { return m_strPath; }

private:
    CString m_strPath;
    HANDLE m_hHold;  // open for deletion on close
};
