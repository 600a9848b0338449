// UpdateExitProbe <program dir> <quit after ms> <linger ms> [box]
// Starts an update check against TORVANE_UPDATE_URL, quits the application after
// the given time (or, with "box", as soon as the newer-version message is up),
// then stays alive for the linger time with the event loop stopped before the
// window and the application object are destroyed. Exits 0 when nothing crashed.
#include "app/ProgramPaths.h"
#include "main/CTorvaneDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

// Stands in for the desktop's browser.
class UrlSink : public QObject
{
    Q_OBJECT

  public slots:
    void open(const QUrl& url) { std::printf("opened %s\n", qPrintable(url.toString())); }
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        return 2;
    }
    QApplication app(argc, argv);
    g_programDir = std::string(argv[1]) + "/";
    g_configPath = g_programDir + "config.ini";
    const int quitAfterMs = std::atoi(argv[2]);
    const int lingerMs = std::atoi(argv[3]);
    const bool quitOnBox = argc > 4 && std::string(argv[4]) == "box";

    UrlSink sink;
    QDesktopServices::setUrlHandler("http", &sink, "open");
    QDesktopServices::setUrlHandler("https", &sink, "open");
    {
        CTorvaneDlg dialog;
        dialog.show();
        dialog.StartUpdateCheck();
        QTimer poll;
        if (quitOnBox) {
            QObject::connect(&poll, &QTimer::timeout, [] {
                if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    std::printf("box shown\n");
                    QCoreApplication::quit();
                }
            });
            poll.start(10);
        } else {
            QTimer::singleShot(quitAfterMs, [] { QCoreApplication::quit(); });
        }
        app.exec();
        std::fflush(stdout);
        QThread::msleep(static_cast<unsigned long>(lingerMs));
    }
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
    std::printf("leaving\n");
    return 0;
}

#include "UpdateExitProbe.moc"
