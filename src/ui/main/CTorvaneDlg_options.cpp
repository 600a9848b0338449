#include "main/CTorvaneDlg.h"

// Options dialog; the options module fills this in.

void CTorvaneDlg::OnMenuOptions()
{
}
