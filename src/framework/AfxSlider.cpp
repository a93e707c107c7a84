#include "framework/AfxSlider.h"

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
    if (pDX->m_bFailed)
        return;
    HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (!hCtl)
        return;
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hCtl, TBM_GETPOS, 0, 0));
    else
        ::SendMessageA(hCtl, TBM_SETPOS, TRUE, value);
}
