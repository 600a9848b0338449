#include "LoopbackHttpServer.h"
#include "update/HttpGetText.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

namespace {

using Response = LoopbackHttpServer::Response;

Response Answer(int status, const std::string& body)
{
    Response response;
    response.status = status;
    response.body = body;
    return response;
}

Response Redirect(const std::string& location)
{
    Response response = Answer(302, "moved");
    response.headers.push_back({"Location", location});
    return response;
}

} // namespace

Q_DECLARE_METATYPE(LoopbackHttpServer::Response)

class TestHttpGetText : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void answers_data();
    void answers();
    void requestCarriesTheAgent();
    void silentServerEndsAfterTheTimeout();
    void steadyTrickleOutlastsTheTimeout();
    void refusedConnectionFails();
    void nonWebSchemesAreRefused_data();
    void nonWebSchemesAreRefused();
    void proxyIsTakenFromTheEnvironment();
    // Leaves every later transfer failing: keep it the last test.
    void abortEndsRunningAndLaterTransfers();
};

void TestHttpGetText::initTestCase()
{
    // A proxy configured on the test machine must not intercept the loopback server.
    qputenv("no_proxy", "127.0.0.1");
}

void TestHttpGetText::answers_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<QByteArray>("expectedText");

    const std::string mebibyte(1024 * 1024, 'x');
    const std::string fiveMebibytes(5 * 1024 * 1024, 'x');

    QTest::newRow("200 with lines") << Answer(200, "<a>\n<b/>\n</a>\n") << 0
                                    << QByteArray("<a>\n<b/>\n</a>\n");
    QTest::newRow("crlf and no final newline") << Answer(200, "one\r\ntwo") << 0 << QByteArray("one\ntwo\n");
    QTest::newRow("blank lines kept") << Answer(200, "a\n\nb\n") << 0 << QByteArray("a\n\nb\n");
    QTest::newRow("204 without body") << Answer(204, "") << 0 << QByteArray();
    QTest::newRow("404 body not read") << Answer(404, "<soft/>") << 404 << QByteArray();
    QTest::newRow("500") << Answer(500, "oops") << 500 << QByteArray();
    QTest::newRow("followed redirect") << Redirect("/final") << 0 << QByteArray("final text\n");
    QTest::newRow("redirect loop") << Redirect("/start") << kHttpGetFailure << QByteArray();
    QTest::newRow("exactly 1 MiB") << Answer(200, mebibyte) << 0
                                   << QByteArray::fromStdString(mebibyte + "\n");

    Response declaredHuge = Answer(200, fiveMebibytes);
    QTest::newRow("5 MiB with length") << declaredHuge << kHttpGetFailure << QByteArray();
    Response undeclaredHuge = declaredHuge;
    undeclaredHuge.sendContentLength = false;
    QTest::newRow("5 MiB without length") << undeclaredHuge << kHttpGetFailure << QByteArray();
    Response justOver = Answer(200, mebibyte + "y");
    justOver.sendContentLength = false;
    QTest::newRow("1 MiB + 1 without length") << justOver << kHttpGetFailure << QByteArray();

    Response hugeError = Answer(404, fiveMebibytes);
    hugeError.sendContentLength = false;
    QTest::newRow("404 with a 5 MiB body") << hugeError << 404 << QByteArray();

    Response stallsInBody = Answer(200, "<doc>partial</doc>");
    stallsInBody.pieceBytes = 5;
    stallsInBody.pauseMs = 60000;
    QTest::newRow("stalls inside the body") << stallsInBody << kHttpGetFailure << QByteArray();
}

void TestHttpGetText::answers()
{
    QFETCH(Response, response);
    QFETCH(int, expectedResult);
    QFETCH(QByteArray, expectedText);

    LoopbackHttpServer server;
    QVERIFY(server.isListening());
    server.setResponse("/start", response);
    server.setResponse("/final", Answer(200, "final text"));

    std::string text = "left over";
    const int result = HttpGetText(server.url("/start"), text, 1);
    QCOMPARE(result, expectedResult);
    if (expectedResult == 0)
        QCOMPARE(QByteArray::fromStdString(text), expectedText);
    else
        QVERIFY(text.empty());
}

void TestHttpGetText::requestCarriesTheAgent()
{
    LoopbackHttpServer server;
    server.setResponse("/Torvane.xml", Answer(200, "<x/>"));
    std::string text;
    QCOMPARE(HttpGetText(server.url("/Torvane.xml"), text, 1), 0);

    const auto requests = server.requests();
    QCOMPARE(requests.size(), size_t(1));
    QCOMPARE(requests[0].method, std::string("GET"));
    QCOMPARE(requests[0].target, std::string("/Torvane.xml"));
    QCOMPARE(requests[0].headers.at("user-agent"), std::string("HttpClient"));
}

void TestHttpGetText::silentServerEndsAfterTheTimeout()
{
    LoopbackHttpServer server;
    Response silent;
    silent.neverAnswer = true;
    server.setResponse("/silent", silent);

    QElapsedTimer clock;
    clock.start();
    std::string text;
    QCOMPARE(HttpGetText(server.url("/silent"), text, 1), kHttpGetFailure);
    // Ended by the idle time-out of 1 s (checked about once a second), well before
    // the bound on the whole transfer.
    QVERIFY2(clock.elapsed() >= 900 && clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(server.requests().size(), size_t(1));
}

void TestHttpGetText::steadyTrickleOutlastsTheTimeout()
{
    // Data every 300 ms for about 2 s: never idle for the 1 s time-out.
    LoopbackHttpServer server;
    Response trickle = Answer(200, "<doc>0123456789abcdefghijklmnopqrstuvwxyz</doc>");
    trickle.pieceBytes = 7;
    trickle.pauseMs = 300;
    server.setResponse("/slow", trickle);

    std::string text;
    QCOMPARE(HttpGetText(server.url("/slow"), text, 1), 0);
    QCOMPARE(text, std::string("<doc>0123456789abcdefghijklmnopqrstuvwxyz</doc>\n"));
}

void TestHttpGetText::refusedConnectionFails()
{
    std::string url;
    {
        LoopbackHttpServer gone;
        url = gone.url("/Torvane.xml");
    }
    std::string text = "stale";
    QCOMPARE(HttpGetText(url, text, 1), kHttpGetFailure);
    QVERIFY(text.empty());
}

void TestHttpGetText::nonWebSchemesAreRefused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("viaRedirect");
    const char* const addresses[] = {"file:///etc/hostname", "ftp://127.0.0.1:%1/x", "dict://127.0.0.1:%1/x",
                                     "gopher://127.0.0.1:%1/x", "telnet://127.0.0.1:%1"};
    for (const bool viaRedirect : {false, true}) {
        for (const char* address : addresses) {
            const QString scheme = QString(address).section(':', 0, 0);
            QTest::addRow("%s%s", qPrintable(scheme), viaRedirect ? " via redirect" : "")
                << QString(address) << viaRedirect;
        }
    }
}

void TestHttpGetText::nonWebSchemesAreRefused()
{
    QFETCH(QString, address);
    QFETCH(bool, viaRedirect);
    LoopbackHttpServer server;
    const std::string target =
        address.contains("%1") ? address.arg(server.port()).toStdString() : address.toStdString();
    server.setResponse("/start", Redirect(target));

    std::string text;
    QCOMPARE(HttpGetText(viaRedirect ? server.url("/start") : target, text, 1), kHttpGetFailure);
    QVERIFY(text.empty());
    // Nothing reached the server but the redirecting request: no other protocol was spoken.
    QCOMPARE(server.connectionCount(), viaRedirect ? 1 : 0);
}

void TestHttpGetText::proxyIsTakenFromTheEnvironment()
{
    LoopbackHttpServer proxy;
    const std::string target = "http://update.torvane.invalid/Torvane.xml";
    proxy.setResponse(target, Answer(200, "<via-proxy/>"));

    const QByteArray savedProxy = qgetenv("http_proxy");
    qputenv("http_proxy", QByteArray::fromStdString(proxy.url("")));
    std::string text;
    const int result = HttpGetText(target, text, 1);
    if (savedProxy.isNull())
        qunsetenv("http_proxy");
    else
        qputenv("http_proxy", savedProxy);

    QCOMPARE(result, 0);
    QCOMPARE(text, std::string("<via-proxy/>\n"));
    QCOMPARE(proxy.requests().size(), size_t(1));
    QCOMPARE(proxy.requests()[0].target, target);
}

void TestHttpGetText::abortEndsRunningAndLaterTransfers()
{
    LoopbackHttpServer server;
    Response silent;
    silent.neverAnswer = true;
    server.setResponse("/silent", silent);
    server.setResponse("/ok", Answer(200, "<x/>"));

    // A time-out far longer than the test may take: only the abort can end it.
    int result = 0;
    std::thread worker([&] {
        std::string text;
        result = HttpGetText(server.url("/silent"), text, 60);
    });
    QTRY_COMPARE(server.requests().size(), size_t(1));

    QElapsedTimer clock;
    clock.start();
    const bool allEnded = AbortHttpTransfers(5000);
    const qint64 waitedMs = clock.elapsed();
    worker.join();
    QVERIFY(allEnded);
    QVERIFY2(waitedMs < 3000, qPrintable(QString::number(waitedMs)));
    QCOMPARE(result, kHttpGetFailure);

    std::string text;
    QCOMPARE(HttpGetText(server.url("/ok"), text, 1), kHttpGetFailure);
    QCOMPARE(server.connectionCount(), 1);
}

QTEST_GUILESS_MAIN(TestHttpGetText)
#include "TestHttpGetText.moc"
