// Sizes on screens of any DPI: a size given for 96 dpi, scaled by the window's DPI / 96.
#pragma once

#include <windows.h>

const UINT kAfxDefaultDpi = 96;

// The messages of a DPI change, for headers older than the systems that send them.
const UINT kAfxWmDpiChanged = 0x02E0;             // WM_DPICHANGED, to a top-level window
const UINT kAfxWmDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT, to its children

// The DPI a window is drawn at: its own where the system tracks it per window (Windows 10
// version 1607 and later), else the screen's. A null window gives the DPI of the system.
UINT AfxGetWindowDpi(HWND hWnd);

// n pixels at 96 dpi, at nDpi (rounded half away from zero, as MulDiv does).
int AfxScaleByDpi(int n, UINT nDpi);

// The picture size drawn nearest to nDpi, in percent: 100, 150 or 200.
int AfxDpiImagePercent(UINT nDpi);

// The resource id of the bitmap drawn nearest to nDpi: nId itself at 100 %, else its 150 % or
// 200 % copy (AFX_ID_SCALED_150, AFX_ID_SCALED_200).
UINT AfxDpiBitmapId(UINT nId, UINT nDpi);

// Tells every window inside hWnd, at any depth, that the DPI is now nDpi: the message the system
// sends them after the top-level window's WM_DPICHANGED (with wParam 0 where the system sends it;
// nDpi here), for the systems that send it to none.
void AfxTellChildrenDpi(HWND hWnd, UINT nDpi);

// Makes the calling process aware of each monitor's DPI (per-monitor v2, else per-monitor) where
// the system has the call (Windows 10 version 1703 and later), before its first window: for a
// program without the manifest that asks the same, such as a test program running the
// application's windows. Does nothing elsewhere, or when the manifest has already decided.
void AfxEnableDpiAwareness();
