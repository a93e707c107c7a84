// GDI+ running for the lifetime of one object: the program keeps one for its whole life.
#pragma once

#include <windows.h>

class CGdiPlusSession {
public:
    CGdiPlusSession();
    ~CGdiPlusSession();
    CGdiPlusSession(const CGdiPlusSession&) = delete;
    CGdiPlusSession& operator=(const CGdiPlusSession&) = delete;

    // False when GDI+ did not start: every picture then loads as 0 x 0 and nothing is drawn.
    bool Started() const { return m_bStarted; }

private:
    ULONG_PTR m_token;
    bool m_bStarted;
};
