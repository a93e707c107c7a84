// The animation common control, which plays an AVI clip from the program's resources.
#pragma once

#include "framework/AfxWin.h"

class CAnimateCtrl : public CWnd {
public:
    // Opens clip nID of the program's resources (and plays it at once with ACS_AUTOPLAY).
    BOOL Open(UINT nID) {
        return static_cast<BOOL>(SendMessage(ACM_OPENA, reinterpret_cast<WPARAM>(AfxGetResourceHandle()),
                                             reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(nID))));
    }
    // Frames nFrom to nTo (0xFFFF: the last), nRep times (-1: without end).
    BOOL Play(UINT nFrom, UINT nTo, UINT nRep) {
        return static_cast<BOOL>(SendMessage(ACM_PLAY, nRep, MAKELPARAM(nFrom, nTo)));
    }
    BOOL Stop() { return static_cast<BOOL>(SendMessage(ACM_STOP)); }
    BOOL Close() { return static_cast<BOOL>(SendMessage(ACM_OPENA)); }
};
