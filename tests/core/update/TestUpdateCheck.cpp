#include "LoopbackHttpServer.h"
#include "update/UpdateCheck.h"
#include "update/UpdateInfo.h"

#include <QtTest>

namespace {

using Response = LoopbackHttpServer::Response;

enum class Serve
{
    Answer,
    NeverAnswer,
    Refused,
};

Response Document(const std::string& body, int status = 200)
{
    Response response;
    response.status = status;
    response.body = body;
    return response;
}

std::string Entry(const std::string& name, const std::string& version, const std::string& help)
{
    return "<soft><name>" + name + "</name><version>" + version + "</version><help>" + help +
           "</help></soft>";
}

std::string Updates(const std::string& entries)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<updates>\n" + entries + "\n</updates>\n";
}

constexpr int kNothingReported = -1;
const char* const kSite = "https://www.torvane.example.com/";

} // namespace

Q_DECLARE_METATYPE(LoopbackHttpServer::Response)
Q_DECLARE_METATYPE(Serve)

class TestUpdateCheck : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void documents_data();
    void documents();
    void everyFieldOfTheEntryIsKept();
    void twoChecksAtOnceAreIndependent();
};

void TestUpdateCheck::initTestCase()
{
    qputenv("no_proxy", "127.0.0.1");
}

// expectedCode: the code handed to the main window, or kNothingReported.
// expectedNewHelp: the site address from now on, empty when it stays.
void TestUpdateCheck::documents_data()
{
    QTest::addColumn<Serve>("serve");
    QTest::addColumn<Response>("response");
    QTest::addColumn<int>("expectedFound");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedVersion");
    QTest::addColumn<QString>("expectedHelp");
    QTest::addColumn<int>("expectedCode");
    QTest::addColumn<QString>("expectedNewHelp");

    const std::string site = kSite;
    const Serve answer = Serve::Answer;

    QTest::newRow("matching entry, newer version")
        << answer << Document(Updates(Entry("Torvane", "10.12.0", site))) << 1 << "Torvane"
        << "10.12.0" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("lower-case name with blanks")
        << answer << Document(Updates(Entry("  torvane \t\n", "10.12.0", site))) << 1 << "torvane"
        << "10.12.0" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("upper-case name") << answer << Document(Updates(Entry("TORVANE", "11", site))) << 1
                                     << "TORVANE"
                                     << "11" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("equal version with blanks")
        << answer << Document(Updates(Entry("Torvane", "\n  10.11.12  ", site))) << 1 << "Torvane"
        << "10.11.12" << kSite << kNothingReported << kSite;
    QTest::newRow("older version") << answer << Document(Updates(Entry("Torvane", "10.11.11", site))) << 1
                                   << "Torvane"
                                   << "10.11.11" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("version with a suffix")
        << answer << Document(Updates(Entry("Torvane", "10.11.12a", site))) << 1 << "Torvane"
        << "10.11.12a" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("equal version, no help element")
        << answer << Document(Updates("<soft><name>Torvane</name><version>10.11.12 </version></soft>")) << 1
        << "Torvane"
        << "10.11.12"
        << "" << kNothingReported << "";
    QTest::newRow("missing version") << answer
                                     << Document(Updates("<soft><name>Torvane</name><help>" + site +
                                                         "</help></soft>"))
                                     << 1 << "Torvane"
                                     << "" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("empty version element")
        << answer << Document(Updates("<soft><name>Torvane</name><version/></soft>")) << 1 << "Torvane"
        << ""
        << "" << kUpdateResultNewer << "";
    QTest::newRow("two matching entries, the first wins")
        << answer
        << Document(Updates(Entry("Torvane", "10.11.12", site) +
                            Entry("TORVANE", "99", "https://second.example/")))
        << 1 << "Torvane"
        << "10.11.12" << kSite << kNothingReported << kSite;
    QTest::newRow("other programs before ours")
        << answer
        << Document(Updates(Entry("Quillon", "1", "https://other.example/") +
                            "<soft><version>2</version></soft>" + Entry("Torvane", "11", site)))
        << 1 << "Torvane"
        << "11" << kSite << kUpdateResultNewer << kSite;
    QTest::newRow("name only as a prefix")
        << answer << Document(Updates(Entry("Torvane2", "11", site))) << 0 << ""
        << ""
        << "" << kUpdateResultNone << "";
    QTest::newRow("empty help keeps the site")
        << answer << Document(Updates(Entry("Torvane", "11", ""))) << 1 << "Torvane"
        << "11"
        << "" << kUpdateResultNewer << "";
    QTest::newRow("help taken as it is, unsafe with blanks")
        << answer << Document(Updates(Entry("Torvane", "11", " " + site + " "))) << 1 << "Torvane"
        << "11"
        << " " + QString(kSite) + " " << kUpdateResultNewer << "";
    QTest::newRow("file help is refused")
        << answer << Document(Updates(Entry("Torvane", "11", "file:///etc/passwd"))) << 1 << "Torvane"
        << "11"
        << "file:///etc/passwd" << kUpdateResultNewer << "";
    QTest::newRow("javascript help is refused, equal version")
        << answer << Document(Updates(Entry("Torvane", "10.11.12", "javascript:alert(1)"))) << 1 << "Torvane"
        << "10.11.12"
        << "javascript:alert(1)" << kNothingReported << "";
    QTest::newRow("help changes the site also when versions are equal")
        << answer << Document(Updates(Entry("Torvane", "10.11.12", "http://mirror.example/torvane"))) << 1
        << "Torvane"
        << "10.11.12"
        << "http://mirror.example/torvane" << kNothingReported << "http://mirror.example/torvane";
    QTest::newRow("root with another name")
        << answer << Document("<whatever><soft><name>Torvane</name><version>1</version></soft></whatever>")
        << 1 << "Torvane"
        << "1"
        << "" << kUpdateResultNewer << "";
    QTest::newRow("soft nested deeper")
        << answer << Document(Updates("<group>" + Entry("Torvane", "11", site) + "</group>")) << 0 << ""
        << ""
        << "" << kUpdateResultNone << "";
    QTest::newRow("name not text first")
        << answer << Document(Updates("<soft><name><b>Torvane</b></name><version>11</version></soft>")) << 0
        << ""
        << ""
        << "" << kUpdateResultNone << "";
    QTest::newRow("404 with a valid document")
        << answer << Document(Updates(Entry("Torvane", "11", site)), 404) << 0 << ""
        << ""
        << "" << kUpdateResultNone << "";
    QTest::newRow("not XML") << answer << Document("<html><body>Torvane 11</p></html") << 0 << ""
                             << ""
                             << "" << kUpdateResultNone << "";
    QTest::newRow("empty body") << answer << Document("") << 0 << ""
                                << ""
                                << "" << kUpdateResultNone << "";
    QTest::newRow("5 MiB body") << answer
                                << Document(Updates(Entry("Torvane", "11", site) + "<!--" +
                                                    std::string(5 * 1024 * 1024, 'x') + "-->"))
                                << 0 << ""
                                << ""
                                << "" << kUpdateResultNone << "";
    QTest::newRow("connection refused") << Serve::Refused << Document("") << 0 << ""
                                        << ""
                                        << "" << kUpdateResultNone << "";
    QTest::newRow("accepts and never answers") << Serve::NeverAnswer << Document("") << 0 << ""
                                               << ""
                                               << "" << kUpdateResultNone << "";
}

void TestUpdateCheck::documents()
{
    QFETCH(Serve, serve);
    QFETCH(Response, response);
    QFETCH(int, expectedFound);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedVersion);
    QFETCH(QString, expectedHelp);
    QFETCH(int, expectedCode);
    QFETCH(QString, expectedNewHelp);

    auto server = std::make_unique<LoopbackHttpServer>();
    QVERIFY(server->isListening());
    response.neverAnswer = serve == Serve::NeverAnswer;
    server->setResponse("/Torvane.xml", response);
    const std::string url = server->url("/Torvane.xml");
    if (serve == Serve::Refused)
        server.reset();

    UpdateInfo info;
    QCOMPARE(QueryUpdateInfo("Torvane", url, info, 1), expectedFound);
    QCOMPARE(QString::fromStdString(info.name), expectedName);
    QCOMPARE(QString::fromStdString(info.version), expectedVersion);
    QCOMPARE(QString::fromStdString(info.help), expectedHelp);

    const UpdateCheckOutcome outcome = RunUpdateCheck(url, 1);
    QCOMPARE(outcome.report ? outcome.code : kNothingReported, expectedCode);
    QCOMPARE(QString::fromStdString(outcome.helpUrl), expectedNewHelp);
}

void TestUpdateCheck::everyFieldOfTheEntryIsKept()
{
    LoopbackHttpServer server;
    server.setResponse("/Torvane.xml",
                       Document("<r><soft><name>Torvane</name><version>11</version><help> h </help>"
                                "<downurl> http://d1/ </downurl><downurl2>\thttp://d2/\n</downurl2>"
                                "<bbs> b </bbs><news> n </news><urgent> u </urgent><unknown>x</unknown>"
                                "</soft></r>"));
    UpdateInfo info;
    QCOMPARE(QueryUpdateInfo("Torvane", server.url("/Torvane.xml"), info, 1), 1);
    QCOMPARE(info.help, std::string(" h "));
    QCOMPARE(info.downurl, std::string("http://d1/"));
    QCOMPARE(info.downurl2, std::string("http://d2/"));
    QCOMPARE(info.bbs, std::string(" b "));
    QCOMPARE(info.news, std::string(" n "));
    QCOMPARE(info.urgent, std::string(" u "));
}

void TestUpdateCheck::twoChecksAtOnceAreIndependent()
{
    LoopbackHttpServer server;
    Response slow = Document(Updates(Entry("Torvane", "11", kSite)));
    slow.delayMs = 300;
    server.setResponse("/Torvane.xml", slow);

    UpdateCheckOutcome first;
    UpdateCheckOutcome second;
    std::thread a([&] { first = RunUpdateCheck(server.url("/Torvane.xml"), 2); });
    std::thread b([&] { second = RunUpdateCheck(server.url("/Torvane.xml"), 2); });
    a.join();
    b.join();
    QCOMPARE(first.code, kUpdateResultNewer);
    QCOMPARE(second.code, kUpdateResultNewer);
    QCOMPARE(server.requests().size(), size_t(2));
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "TestUpdateCheck.moc"
