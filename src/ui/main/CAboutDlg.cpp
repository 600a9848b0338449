#include "main/CAboutDlg.h"

#include "app/Product.h"
#include "main/DialogUnits.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于 Torvane"));
    setFont(MainDialogFont());
    const DialogBaseUnits base = BaseUnitsOf(font());
    setFixedSize(DialogUnitsToPixels(QSize(235, 55), base));

    auto* icon = new QLabel(this);
    icon->setObjectName("aboutIcon");
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/torvane.png"))
                        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setGeometry(DialogUnitsToPixels(QRect(11, 14, 21, 20), base));

    auto* version = new QLabel(QStringLiteral("Torvane 1.0 版"), this);
    version->setObjectName("aboutVersion");
    version->setGeometry(DialogUnitsToPixels(QRect(40, 14, 119, 8), base));

    auto* second = new QLabel(
        QStringLiteral("%1 v%2").arg(QString::fromUtf8(kProductTitle), QString::fromUtf8(kProductVersion)),
        this);
    second->setObjectName("aboutDetail");
    second->setGeometry(DialogUnitsToPixels(QRect(40, 26, 140, 8), base));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName("aboutOk");
    ok->setDefault(true);
    ok->setGeometry(DialogUnitsToPixels(QRect(178, 7, 50, 14), base));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
