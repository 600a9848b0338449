#include "main/CTorvaneDlg.h"

#include "options/COptionsDlg.h"

// Menu item and toolbar button. The dialog writes config.ini and the logon entry
// itself; its result is not needed here.
void CTorvaneDlg::OnMenuOptions()
{
    // Owned by the main window so it stays above it when "topmost" is on.
    COptionsDlg dialog(this);
    dialog.exec();
}
