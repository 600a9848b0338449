#include "main/CTorvaneDlg.h"

// Update check; the update module fills these in.

void CTorvaneDlg::StartUpdateCheck()
{
}

void CTorvaneDlg::OnUpdateResult(int /*code*/)
{
}
