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

    ApplySkin();

    CTorvaneDlg dialog;
    QObject::connect(&signalRelay, &SignalRelay::signalReceived, &dialog, [&dialog](int signalNumber) {
        if (signalNumber == SIGUSR1) {
            dialog.OnMenuSnapshot();
            return;
        }
        // Modal dialogs (device choice, about box) go first, as if cancelled.
        while (QWidget* modal = QApplication::activeModalWidget()) {
            if (modal == &dialog || !modal->close()) {
                break;
            }
        }
        dialog.close();
        QCoreApplication::quit();
    });
    dialog.OnInitDialog();
    dialog.show();
    return app.exec();
}
