// Files: the framework's file error, with its cause taken from the system's error and its
// message from the string table, and the file operations that report one.
#pragma once

#include <windows.h>

#include <string>

#include "framework/AfxStr.h"

// The UTF-16 form of an 8-bit path (active code page) for the system's wide file calls. An
// absolute path the ordinary form cannot reach comes in the \\?\ form, which the system takes
// as it stands: one of MAX_PATH - 12 characters or more (the folder limit), or one with a name
// ending in a dot or a space, which the ordinary form drops. Other paths come unchanged.
std::wstring AfxSystemPath(const char* pszPath);
// Whether the ordinary form of the path would change or miss it (see AfxSystemPath).
bool AfxNeedsSystemForm(const char* pszPath);

class CFileException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    CFileException() = default;
    CFileException(int cause, LONG lOsError, const char* lpszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

    // The cause that a system error code stands for.
    static int OsErrorToException(LONG lOsError);
    // The message of the cause (string AFX_IDP_FILE_NONE + cause), with the file's name, or
    // "an unnamed file" when it has none, in place of %1.
    CString GetErrorMessage() const;
    // Shows that message in a message box with a stop icon; returns the button pressed.
    int ReportError(UINT nType = MB_OK | MB_ICONSTOP) const;

    int m_cause = none;
    LONG m_lOsError = 0;
    CString m_strFileName;
};

class CFile {
public:
    // Moves a file to a new name. On failure fills *pError (when given) from the system's
    // error, without a file name, and returns FALSE; nothing is thrown.
    static BOOL Rename(const char* lpszOldName, const char* lpszNewName, CFileException* pError = nullptr);
};
