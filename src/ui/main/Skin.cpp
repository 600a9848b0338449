#include "main/Skin.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

const char* const kSkinFailureMessage =
    "初始化皮肤库失败，可能是杀软误报所致，\n您可以暂时关闭杀软防护或者让杀软放行本软件！\n"
    "然后重新启动本软件进行尝试，如有问题可以联系作者！";

bool LoadSkinStyleSheet(const QString& path, QString* styleSheet)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError || text.trimmed().isEmpty()) {
        return false;
    }
    *styleSheet = text;
    return true;
}

bool ApplySkin(const std::string& programDir)
{
    QString styleSheet;
    if (!LoadSkinStyleSheet(QString::fromStdString(programDir + "skin.qss"), &styleSheet)) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                        QString::fromUtf8(kSkinFailureMessage), QMessageBox::Ok);
        box.exec();
        return false;
    }
    qApp->setStyleSheet(styleSheet);
    return true;
}
