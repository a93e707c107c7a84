// The edit control as a window object.
#pragma once

#include "framework/AfxWin.h"

class CEdit : public CWnd {
public:
    // nStart 0 and nEnd -1 select the whole text.
    void SetSel(int nStart, int nEnd) { SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), nEnd); }
    void LimitText(int nChars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0); }
    void Clear() { SendMessage(WM_CLEAR); }
    // Replaces the selection (or inserts at the caret) with the text, also in a read-only box.
    void ReplaceSel(const char* lpszNewText, BOOL bCanUndo = FALSE) {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText));
    }
};
