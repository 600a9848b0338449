#include "main/ShellUtils.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {

QUrl TargetUrl(const QString& target)
{
    const QUrl url(target);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1 && !target.startsWith('/')) {
        return url;
    }
    return QUrl::fromLocalFile(target);
}

bool StartBrowser(const QString& program, const QString& target)
{
    if (program.isEmpty() || QStandardPaths::findExecutable(program).isEmpty()) {
        return false;
    }
    return QProcess::startDetached(program, {target});
}

} // namespace

bool OpenInBrowser(const std::string& target)
{
    const QString text = QString::fromStdString(target);
    if (text.isEmpty()) {
        return false;
    }
    if (QDesktopServices::openUrl(TargetUrl(text))) {
        return true;
    }
    // $BROWSER may list several programs separated by colons; each is a program
    // name, not a command line.
    const QStringList fromEnv = qEnvironmentVariable("BROWSER").split(':', Qt::SkipEmptyParts);
    for (const QString& program : fromEnv) {
        if (StartBrowser(program.trimmed(), text)) {
            return true;
        }
    }
    return StartBrowser(QStringLiteral("x-www-browser"), text) ||
           StartBrowser(QStringLiteral("sensible-browser"), text);
}

bool WaitWithMessages(int milliseconds)
{
    if (QCoreApplication::closingDown()) {
        return false;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(0); });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop,
                     [&loop] { loop.exit(1); });
    timer.start(milliseconds);
    return loop.exec() == 0;
}
