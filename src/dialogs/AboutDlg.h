// The About box: the version lines and the maker's contact rows. The home-page and support
// values are links that open the browser and a mail message; Exit closes the box.
#pragma once

#include "controls/IconButton.h"
#include "controls/Label.h"
#include "framework/Afx.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    CLabel m_lblHomePage;   // 1003, a link
    CLabel m_lblSupport;    // 1004, a link to a mail message
    CLabel m_lblTelephone;  // 1013
    CLabel m_lblFacsimile;  // 1014
    CIconButton m_btnExit;  // IDOK

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
