#include "update/UpdateAddress.h"

#include <QtTest>

class TestUpdateAddress : public QObject
{
    Q_OBJECT

  private slots:
    void builtInAddressNamesTheDocument();
    void environmentOverridesTheAddress();
    void webUrlSafety_data();
    void webUrlSafety();
};

void TestUpdateAddress::builtInAddressNamesTheDocument()
{
    qunsetenv("TORVANE_UPDATE_URL");
    const std::string url = GetUpdateUrl();
    QCOMPARE(url, std::string(TORVANE_UPDATE_URL));
    QVERIFY(IsSafeWebUrl(url));
    QVERIFY(QString::fromStdString(url).endsWith("/Torvane.xml"));
}

void TestUpdateAddress::environmentOverridesTheAddress()
{
    qputenv("TORVANE_UPDATE_URL", "http://127.0.0.1:8080/t/Torvane.xml");
    QCOMPARE(GetUpdateUrl(), std::string("http://127.0.0.1:8080/t/Torvane.xml"));
    // An empty variable counts as unset.
    qputenv("TORVANE_UPDATE_URL", "");
    QCOMPARE(GetUpdateUrl(), std::string(TORVANE_UPDATE_URL));
    qunsetenv("TORVANE_UPDATE_URL");
}

void TestUpdateAddress::webUrlSafety_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<bool>("safe");

    QTest::newRow("https") << QByteArray("https://www.torvane.example.com/") << true;
    QTest::newRow("http with port, path, query, fragment")
        << QByteArray("http://mirror.example:8080/a/b.html?x=1&y=%20#top") << true;
    QTest::newRow("upper-case scheme") << QByteArray("HTTPS://example.com/") << true;
    QTest::newRow("ip address") << QByteArray("http://192.0.2.7/") << true;

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("file") << QByteArray("file:///etc/passwd") << false;
    QTest::newRow("javascript") << QByteArray("javascript:alert(1)") << false;
    QTest::newRow("ftp") << QByteArray("ftp://example.com/") << false;
    QTest::newRow("local path") << QByteArray("/usr/bin/xterm") << false;
    QTest::newRow("relative") << QByteArray("www.example.com/page") << false;
    QTest::newRow("option-like") << QByteArray("--new-window") << false;
    QTest::newRow("no host") << QByteArray("http:///path") << false;
    QTest::newRow("scheme without slashes") << QByteArray("http:example.com") << false;
    QTest::newRow("leading blank") << QByteArray(" https://example.com/") << false;
    QTest::newRow("trailing newline") << QByteArray("https://example.com/\n") << false;
    QTest::newRow("inner blank") << QByteArray("https://example.com/a b") << false;
    QTest::newRow("tab") << QByteArray("https://example.com/\tx") << false;
    QTest::newRow("carriage return") << QByteArray("https://example.com/\rx") << false;
    QTest::newRow("nul inside") << QByteArray("https://example.com/\0x", 22) << false;
    QTest::newRow("escape") << QByteArray("https://example.com/\x1b[2J") << false;
    QTest::newRow("delete") << QByteArray("https://example.com/\x7f") << false;
    QTest::newRow("raw utf-8") << QByteArray("https://example.com/监控") << false;
    QTest::newRow("backslashes") << QByteArray("http:\\\\example.com\\") << false;
}

void TestUpdateAddress::webUrlSafety()
{
    QFETCH(QByteArray, url);
    QFETCH(bool, safe);
    QCOMPARE(IsSafeWebUrl(url.toStdString()), safe);
}

QTEST_GUILESS_MAIN(TestUpdateAddress)
#include "TestUpdateAddress.moc"
