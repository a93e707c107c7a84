// The slide show's set-up dialog: a trackbar for the delay between pictures in tenths of a
// second (5 to 100), a read-only box showing it in milliseconds, and Apply, which stores the
// position in the registry. Cancel stores nothing.
#pragma once

#include "controls/IconButton.h"
#include "framework/Afx.h"

class CSlideSetupDlg : public CDialog {
public:
    explicit CSlideSetupDlg(CWnd* pParent = nullptr);

    CEdit m_editDelay;
    CIconButton m_btnCancel;
    CIconButton m_btnApply;
    int m_nSliderPos;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);
    // Replaces the whole text of the delay box (select all, clear, insert).
    void ShowDelayText(const CString& strText);

    DECLARE_MESSAGE_MAP()
};

// The slider's range, in tenths of a second.
const int kSlideDelayMin = 5;
const int kSlideDelayMax = 100;

// The stored delay in tenths of a second: entry "timer" of section "SLIDE", 5 when it is
// missing or 0. Any other value is returned as stored, also one outside the slider's range.
UINT ReadSlideDelay();
// The timer interval in milliseconds for a delay: delay x 100, held at the platform's largest
// timer interval so that no stored value gives a zero or wrapped interval.
UINT SlideIntervalMs(UINT nDelay);
// The text of the delay box: the delay in milliseconds, in decimal.
CString SlideDelayText(UINT nDelay);
// The slider position that shows a delay: the delay kept within 5..100.
int SlideSliderPos(UINT nDelay);
// Writes the delay as "timer" (REG_DWORD) under HKCU "Software\Morvane of ZENTARO\Morvane\SLIDE".
// FALSE when the key cannot be created or opened or the value not written.
BOOL StoreSlideDelay(DWORD nDelay);
