// Renders the main window offscreen into a PNG for the documentation:
//   QT_QPA_PLATFORM=offscreen torvane_screenshot <out.png> [about.png]
//   QT_QPA_PLATFORM=offscreen TORVANE_SOURCES="pattern;pattern;pattern" \
//       torvane_screenshot --recording <out.png>
// Settings and recordings go to a temporary folder, so nothing is left behind.
#include "app/CommandLine.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "main/CAboutDlg.h"
#include "main/CTorvaneDlg.h"
#include "main/Skin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool recording = argc == 3 && QByteArray(argv[1]) == "--recording";
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <out.png> [about.png] | --recording <out.png>\n", argv[0]);
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
    if (recording) {
        // A run as a "task" start makes it: every listed camera, confirmed by itself.
        SetProcessArguments({"Torvane", "task"});
        dialog.OnStartRecording();
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < 1500) {
            app.processEvents(QEventLoop::AllEvents, 50);
        }
        const bool saved = dialog.grab().save(QString::fromLocal8Bit(argv[2]), "PNG");
        g_captureState = kCaptureStopRequested;
        while (dialog.m_runEnded == 0) {
            app.processEvents(QEventLoop::AllEvents, 50);
        }
        return saved ? 0 : 1;
    }
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
