#include "main/ShellUtils.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

namespace {

// A stand-in browser that writes each argument it receives on its own line.
QString MakeFakeBrowser(const QTemporaryDir& dir, const QString& logPath)
{
    const QString path = dir.filePath("fake-browser");
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly)) {
        return {};
    }
    script.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '%1'; done\n")
                     .arg(logPath)
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

} // namespace

class TestShellUtils : public QObject
{
    Q_OBJECT

  private slots:
    void fallbackBrowserGetsTheTargetAsOneArgument_data();
    void fallbackBrowserGetsTheTargetAsOneArgument();
    void emptyTargetOpensNothing();
    void waitDispatchesBlockingCallsFromWorkers();
};

void TestShellUtils::fallbackBrowserGetsTheTargetAsOneArgument_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("web address") << "https://torvane.example.org/?a=1&b=2";
    QTest::newRow("file with blanks and Chinese") << "/tmp/程序 目录/readme.html";
    QTest::newRow("shell characters stay text") << "/tmp/x; touch /tmp/torvane-pwned $(id) `id` \"q\" 'q'";
}

void TestShellUtils::fallbackBrowserGetsTheTargetAsOneArgument()
{
    // The offscreen platform has no desktop services, so the fallback must run.
    QFETCH(QString, target);
    QTemporaryDir dir;
    const QString log = dir.filePath("args.log");
    qputenv("BROWSER", ("/nonexistent/browser:" + MakeFakeBrowser(dir, log)).toUtf8());

    QVERIFY(OpenInBrowser(target.toStdString()));
    const auto contents = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QTRY_COMPARE(contents(), target + "\n");
    QVERIFY(!QFile::exists("/tmp/torvane-pwned"));
}

void TestShellUtils::emptyTargetOpensNothing()
{
    QVERIFY(!OpenInBrowser(""));
}

void TestShellUtils::waitDispatchesBlockingCallsFromWorkers()
{
    // A worker that reports with a blocking call completes while the GUI thread
    // waits; a GUI thread that slept instead would deadlock here.
    QObject receiver;
    bool handled = false;
    std::thread worker([&] {
        QMetaObject::invokeMethod(
            &receiver, [&] { handled = true; }, Qt::BlockingQueuedConnection);
    });
    QElapsedTimer clock;
    clock.start();
    while (!handled && clock.elapsed() < 2000) {
        QVERIFY(WaitWithMessages(100));
    }
    worker.join();
    QVERIFY(handled);

    clock.restart();
    QVERIFY(WaitWithMessages(120));
    QVERIFY(clock.elapsed() >= 115);
}

QTEST_MAIN(TestShellUtils)
#include "TestShellUtils.moc"
