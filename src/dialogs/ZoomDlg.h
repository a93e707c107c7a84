// The Zoom dialog: a ratio in percent typed into an edit box and confirmed with the Apply icon
// button. Every change of the box is taken at once, so the ratio typed last counts however the
// dialog is closed; the caller reads it from the dialog afterwards.
#pragma once

#include "controls/IconButton.h"
#include "framework/Afx.h"

class CZoomDlg : public CDialog {
public:
    explicit CZoomDlg(CWnd* pParent = nullptr);

    CIconButton m_btnApply;
    int m_nRatio;
    // Whether a ratio was taken (the box changed, or Apply): only then does m_nRatio count.
    BOOL RatioTaken() const { return m_bRatioTaken; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnChangeRatio();

    BOOL m_bRatioTaken;

    DECLARE_MESSAGE_MAP()
};

// The message shown when Apply or Enter confirms a ratio outside 5 % to 1600 %.
extern const char kZoomRangeMessage[];
