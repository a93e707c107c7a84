// The trackbar as a dialog control: its position exchanged with a member, and the horizontal
// scroll notification that a trackbar sends its parent.
#pragma once

#include "framework/AfxDlg.h"
#include "framework/AfxEdit.h"

// The trackbar's position: read into the member, or the member written as the position (the
// control keeps it within its range).
void DDX_Slider(CDataExchange* pDX, int nIDC, int& value);

// WM_HSCROLL: the notification code, the position of a thumb-track code, and the window object
// of the sending control (null for a control not attached to one).
#define ON_WM_HSCROLL()                                                                                  \
    AFX_ENTRY(WM_HSCROLL, 0, 0, 0,                                                                       \
              AFX_THIS->OnHScroll(LOWORD(wParam), static_cast<UINT>(static_cast<short>(HIWORD(wParam))), \
                                  CWnd::FromHandlePermanent(reinterpret_cast<HWND>(lParam)));            \
              return 0;)
