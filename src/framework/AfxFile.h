// Files: the framework's file error, with its cause taken from the system's error and its
// message from the string table, and the file operations that report one.
#pragma once

#include <windows.h>

#include "framework/AfxStr.h"

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
