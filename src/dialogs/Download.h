// The update check's download: one URL copied into a local file over WinINet, and the published
// version read back from that file.
#pragma once

#include "framework/Afx.h"

// What DownloadFile returns when the whole answer was copied.
extern const char kDownloadSucceeded[];  // "YES"
// Connection, send and receive time-out of the download, in milliseconds.
const DWORD kDownloadTimeoutMs = 5000;

// Copies the URL into the local file (created or truncated) in blocks of 512 bytes, up to the
// answer's announced length when it has one. Returns "YES" when the server answered with a 2xx
// status and the whole answer was written; otherwise the failure's text (at most 254
// characters), and a file that was begun is removed. An unreachable or silent server fails
// after kDownloadTimeoutMs.
CString DownloadFile(const CString& strURL, const CString& strLocalFile);

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
