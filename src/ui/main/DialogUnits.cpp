#include "main/DialogUnits.h"

#include "layout/AnchorMath.h"

#include <QApplication>
#include <QFontMetrics>
#include <QRect>

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    DialogBaseUnits base;
    base.x = DialogBaseUnitX(
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")));
    base.y = metrics.height();
    return base;
}

QSize DialogUnitsToPixels(const QSize& units, const DialogBaseUnits& base)
{
    return QSize(DialogUnitsToPixelsX(units.width(), base.x), DialogUnitsToPixelsY(units.height(), base.y));
}

QRect DialogUnitsToPixels(const QRect& units, const DialogBaseUnits& base)
{
    return QRect(DialogUnitsToPixelsX(units.x(), base.x), DialogUnitsToPixelsY(units.y(), base.y),
                 DialogUnitsToPixelsX(units.width(), base.x), DialogUnitsToPixelsY(units.height(), base.y));
}

QFont MainDialogFont()
{
    QFont font(QStringLiteral("SimSun"), 9);
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei")});
    return font;
}

QFont ShellDialogFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}
