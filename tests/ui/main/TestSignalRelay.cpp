#include "main/SignalRelay.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

class TestSignalRelay : public QObject
{
    Q_OBJECT

  private slots:
    void signalsArriveThroughTheEventLoop();
};

void TestSignalRelay::signalsArriveThroughTheEventLoop()
{
    SignalRelay relay;
    QVERIFY(relay.isValid());
    QSignalSpy received(&relay, &SignalRelay::signalReceived);

    // Inside the handler nothing but a write happens: no slot runs yet.
    ::raise(SIGUSR1);
    ::raise(SIGHUP);
    QCOMPARE(received.count(), 0);

    QTRY_COMPARE(received.count(), 2);
    QCOMPARE(received.at(0).at(0).toInt(), SIGUSR1);
    QCOMPARE(received.at(1).at(0).toInt(), SIGHUP);

    ::raise(SIGTERM);
    ::raise(SIGINT);
    QTRY_COMPARE(received.count(), 4);
    QCOMPARE(received.at(2).at(0).toInt(), SIGTERM);
    QCOMPARE(received.at(3).at(0).toInt(), SIGINT);
}

QTEST_MAIN(TestSignalRelay)
#include "TestSignalRelay.moc"
