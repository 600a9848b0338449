#include "main/CPreviewDlg.h"

#include "main/DialogUnits.h"

CPreviewDlg::CPreviewDlg(QWidget* parent) : QWidget(parent)
{
    setObjectName("preview");
    setAttribute(Qt::WA_StyledBackground);
    setFont(ShellDialogFont());
    resize(DialogUnitsToPixels(QSize(375, 219), BaseUnitsOf(font())));
}
