#include "app/CommandLine.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "main/CTorvaneDlg.h"
#include "main/SignalRelay.h"
#include "main/Skin.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[])
{
    // The process's arguments stay available for the whole run ("task", "delete").
    std::vector<std::string> arguments(argv, argv + argc);
    SetProcessArguments(arguments);

    QApplication app(argc, argv);
    // No application name is set: message boxes take the executable's name as
    // their caption, which is Qt's default application name.
    InitProgramPaths();

    // SIGINT, SIGTERM and SIGHUP close the window the way the close box does, so
    // the geometry is stored and a running recording is finished; SIGUSR1 asks
    // for a snapshot like the menu item.
    SignalRelay signalRelay;
    bool quitRequested = false;
    QObject::connect(&signalRelay, &SignalRelay::signalReceived, &app, [&quitRequested](int signalNumber) {
        if (signalNumber == SIGUSR1) {
            g_captureState = kCaptureSnapshotRequested;
            return;
        }
        quitRequested = true;
        // Modal windows (device choice, about box, a message) go first, as if cancelled.
        while (QWidget* modal = QApplication::activeModalWidget()) {
            if (modal == g_mainDlg || !modal->close()) {
                break;
            }
        }
        if (g_mainDlg) {
            g_mainDlg->close();
        }
        QCoreApplication::quit();
    });

    ApplySkin(g_programDir);
    if (quitRequested) {
        return 0;
    }

    CTorvaneDlg dialog;
    dialog.OnInitDialog();
    dialog.show();
    return app.exec();
}
