// The view's Update... command.
#include "view/NorvelView.h"

#include "dialogs/UpdateDlg.h"

void CNorvelView::OnCheckUpdate() {
    CUpdateDlg dlg;
    dlg.DoModal();
}
