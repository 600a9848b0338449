// Renders the main window offscreen into a PNG for the documentation:
//   QT_QPA_PLATFORM=offscreen torvane_screenshot <out.png> [about.png]
// Settings go to a temporary folder, so no config.ini is left behind.
#include "app/ProgramPaths.h"
#include "main/CAboutDlg.h"
#include "main/CTorvaneDlg.h"
#include "main/Skin.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <out.png> [about.png]\n", argv[0]);
        return 2;
    }
    QString styleSheet;
    if (LoadSkinStyleSheet(QStringLiteral(TORVANE_SOURCE_SKIN), &styleSheet)) {
        app.setStyleSheet(styleSheet);
    }
    QTemporaryDir dir;
    g_programDir = dir.path().toStdString() + "/";
    g_configPath = g_programDir + "config.ini";

    CTorvaneDlg dialog;
    dialog.OnInitDialog(CTorvaneDlg::StartRequests::None);
    dialog.SetStatusText(0, QStringLiteral("监控录像已停止"));
    dialog.SetStatusText(1, QStringLiteral("视频设备：%1个 排列布局：%2行%3列").arg(0).arg(0).arg(0));
    dialog.SetStatusText(3, QStringLiteral("视频保存文件夹：/home/user/Torvane/监控录像/"));
    dialog.show();
    app.processEvents();
    if (argc == 3) {
        CAboutDlg about(&dialog);
        about.show();
        app.processEvents();
        if (!about.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            return 1;
        }
    }
    return dialog.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
