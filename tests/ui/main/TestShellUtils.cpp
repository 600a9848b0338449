#include "FakeBrowser.h"
#include "main/ShellUtils.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

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
    FakeBrowser browser(dir.path());

    QVERIFY(OpenInBrowser(target.toStdString()));
    QTRY_COMPARE(browser.Received(), target + "\n");
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
