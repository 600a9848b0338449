#pragma once

#include <QFont>
#include <QSize>

// Converts dialog-template sizes to pixels with the average character size of
// the dialog's font, as the template's dialog units are defined.
struct DialogBaseUnits
{
    int x = 6;
    int y = 12;
};

DialogBaseUnits BaseUnitsOf(const QFont& font);
QSize DialogUnitsToPixels(const QSize& units, const DialogBaseUnits& base);
QRect DialogUnitsToPixels(const QRect& units, const DialogBaseUnits& base);

// Fonts of the templates: the main window and the about box use 宋体 9 pt, the
// toolbar and the preview panel the shell dialog font 8 pt. Missing families fall
// back to what fontconfig substitutes (a CJK font on a Debian desktop).
QFont MainDialogFont();
QFont ShellDialogFont();
