#include "LoopbackHttpServer.h"
#include "ModalDriver.h"
#include "TempDir.h"
#include "app/Product.h"
#include "app/ProgramPaths.h"
#include "main/CTorvaneDlg.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <memory>

namespace {

using Response = LoopbackHttpServer::Response;

const char* const kBuiltInSite = "https://built-in.torvane.example/";
const char* const kNewSite = "https://www.torvane.example.com/new";
const char* const kNewerVersionMessage = "发现有更新的版本，请到官网下载最新版本!";
// Time a finished check needs to reach the window once its request was answered.
constexpr int kSettleMs = 400;

Response Document(const std::string& version, const std::string& help, int status = 200)
{
    Response response;
    response.status = status;
    response.body = "<?xml version=\"1.0\"?>\n<updates><soft><name>Torvane</name><version>" + version +
                    "</version><help>" + help + "</help></soft></updates>\n";
    return response;
}

// Stands in for the desktop's browser: records what OpenInBrowser asked for.
class UrlRecorder : public QObject
{
    Q_OBJECT

  public:
    QStringList opened;

  public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

} // namespace

Q_DECLARE_METATYPE(LoopbackHttpServer::Response)

class TestCTorvaneDlgUpdate : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void checkReportsToTheWindow_data();
    void checkReportsToTheWindow();
    void onlyCodeTwoIsShown_data();
    void onlyCodeTwoIsShown();
    void twoChecksAtOnceShowTwoMessages();
    void windowDestroyedDuringTheCheckHearsNothing();
    void windowDestroyedWhileTheMessageIsUp();
    void processEndsWithACheckUnderWay_data();
    void processEndsWithACheckUnderWay();

  private:
    void WaitForRequests(size_t count);

    UrlRecorder m_browser;
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<LoopbackHttpServer> m_server;
    std::unique_ptr<CTorvaneDlg> m_dlg;
};

void TestCTorvaneDlgUpdate::initTestCase()
{
    qputenv("no_proxy", "127.0.0.1");
    QDesktopServices::setUrlHandler("http", &m_browser, "open");
    QDesktopServices::setUrlHandler("https", &m_browser, "open");
}

void TestCTorvaneDlgUpdate::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
}

void TestCTorvaneDlgUpdate::init()
{
    m_dir = std::make_unique<TempDir>();
    g_programDir = m_dir->path();
    g_configPath = g_programDir + "config.ini";
    g_helpUrl = kBuiltInSite;
    m_browser.opened.clear();
    m_server = std::make_unique<LoopbackHttpServer>();
    QVERIFY(m_server->isListening());
    qputenv("TORVANE_UPDATE_URL", QByteArray::fromStdString(m_server->url("/Torvane.xml")));
    m_dlg = std::make_unique<CTorvaneDlg>();
    m_dlg->OnInitDialog(CTorvaneDlg::StartRequests::None);
    m_dlg->show();
}

void TestCTorvaneDlgUpdate::cleanup()
{
    m_dlg.reset();
    m_server.reset();
    m_dir.reset();
}

void TestCTorvaneDlgUpdate::WaitForRequests(size_t count)
{
    QTRY_COMPARE(m_server->requests().size(), count);
    QTest::qWait(kSettleMs);
}

void TestCTorvaneDlgUpdate::checkReportsToTheWindow_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<bool>("messageShown");
    QTest::addColumn<QString>("siteAfter");

    QTest::newRow("newer version") << Document("10.12.0", kNewSite) << true << kNewSite;
    QTest::newRow("older version, empty help") << Document("10.11.11", "") << true << kBuiltInSite;
    QTest::newRow("equal version still moves the site")
        << Document(" 10.11.12\n", kNewSite) << false << kNewSite;
    QTest::newRow("file help is not taken") << Document("11", "file:///etc/passwd") << true << kBuiltInSite;
    QTest::newRow("help with a blank is not taken")
        << Document("11", "https://x.example/a b") << true << kBuiltInSite;
    QTest::newRow("404") << Document("11", kNewSite, 404) << false << kBuiltInSite;
    Response notXml;
    notXml.body = "Torvane 11";
    QTest::newRow("not XML") << notXml << false << kBuiltInSite;
}

void TestCTorvaneDlgUpdate::checkReportsToTheWindow()
{
    QFETCH(Response, response);
    QFETCH(bool, messageShown);
    QFETCH(QString, siteAfter);

    m_server->setResponse("/Torvane.xml", response);
    ModalDriver driver;
    if (messageShown) {
        driver.AnswerMessage(QMessageBox::Ok);
    }
    m_dlg->StartUpdateCheck();

    if (messageShown) {
        QTRY_COMPARE(driver.messages.size(), size_t(1));
        QCOMPARE(driver.messages[0].text, QString::fromUtf8(kNewerVersionMessage));
        QCOMPARE(driver.messages[0].icon, QMessageBox::Information);
        // The site page opens after the box, with the address as it is by then.
        QTRY_COMPARE(m_browser.opened, QStringList{siteAfter});
    }
    QTRY_COMPARE(QString::fromStdString(g_helpUrl), siteAfter);
    WaitForRequests(1);
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join("; ")));
    QCOMPARE(driver.messages.size(), size_t(messageShown ? 1 : 0));
    QCOMPARE(m_browser.opened.size(), messageShown ? 1 : 0);
    QCOMPARE(QString::fromStdString(g_helpUrl), siteAfter);
}

void TestCTorvaneDlgUpdate::onlyCodeTwoIsShown_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("shown");
    QTest::newRow("0") << 0 << false;
    QTest::newRow("1") << 1 << false;
    QTest::newRow("2") << 2 << true;
    QTest::newRow("3") << 3 << false;
    QTest::newRow("404") << 404 << false;
    QTest::newRow("-1") << -1 << false;
}

void TestCTorvaneDlgUpdate::onlyCodeTwoIsShown()
{
    QFETCH(int, code);
    QFETCH(bool, shown);
    ModalDriver driver;
    if (shown) {
        driver.AnswerMessage(QMessageBox::Ok);
    }
    m_dlg->OnUpdateResult(code);
    QCOMPARE(driver.messages.size(), size_t(shown ? 1 : 0));
    QVERIFY(driver.unexpected.isEmpty());
    QCOMPARE(m_browser.opened, shown ? QStringList{kBuiltInSite} : QStringList{});
}

void TestCTorvaneDlgUpdate::twoChecksAtOnceShowTwoMessages()
{
    Response slow = Document("11", kNewSite);
    slow.delayMs = 200;
    m_server->setResponse("/Torvane.xml", slow);
    ModalDriver driver;
    driver.AnswerMessage(QMessageBox::Ok);
    driver.AnswerMessage(QMessageBox::Ok);

    m_dlg->StartUpdateCheck();
    m_dlg->StartUpdateCheck();

    QTRY_COMPARE(driver.messages.size(), size_t(2));
    QTRY_COMPARE(m_browser.opened, (QStringList{kNewSite, kNewSite}));
    WaitForRequests(2);
    QVERIFY(driver.unexpected.isEmpty());
    QCOMPARE(driver.messages.size(), size_t(2));
}

void TestCTorvaneDlgUpdate::windowDestroyedDuringTheCheckHearsNothing()
{
    Response slow = Document("11", kNewSite);
    slow.delayMs = 300;
    m_server->setResponse("/Torvane.xml", slow);
    ModalDriver driver;

    m_dlg->StartUpdateCheck();
    m_dlg.reset();
    QCOMPARE(g_mainDlg, nullptr);

    WaitForRequests(1);
    QTest::qWait(slow.delayMs);
    QVERIFY(driver.unexpected.isEmpty());
    QVERIFY(m_browser.opened.isEmpty());
    QCOMPARE(g_helpUrl, std::string(kBuiltInSite));
}

void TestCTorvaneDlgUpdate::windowDestroyedWhileTheMessageIsUp()
{
    m_server->setResponse("/Torvane.xml", Document("11", kNewSite));
    ModalDriver driver;
    bool sawBox = false;
    // Instead of answering the box, the window goes away under it.
    driver.Expect([&](QWidget* modal) {
        sawBox = qobject_cast<QMessageBox*>(modal) != nullptr;
        m_dlg.reset();
    });
    QPointer<QWidget> window = m_dlg.get();

    m_dlg->StartUpdateCheck();
    QTRY_VERIFY(sawBox);
    QTRY_VERIFY(window.isNull());
    WaitForRequests(1);
    QVERIFY(driver.unexpected.isEmpty());
    // The box was not answered, so the site page does not open.
    QVERIFY(m_browser.opened.isEmpty());
}

void TestCTorvaneDlgUpdate::processEndsWithACheckUnderWay_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expectedOutput");

    Response silent;
    silent.neverAnswer = true;
    // The worker is inside its transfer (10 s time-out) when the application ends.
    QTest::newRow("server never answers") << silent << QStringList{"200", "0"} << "leaving";

    // The answer comes after the event loop has stopped, before the window is destroyed.
    Response late = Document("11", kNewSite);
    late.delayMs = 300;
    QTest::newRow("answer after the loop ended") << late << QStringList{"100", "1000"} << "leaving";

    // The application quits while the newer-version message is up.
    QTest::newRow("quit with the message up")
        << Document("11", kNewSite) << QStringList{"0", "300", "box"} << "box shown";
}

void TestCTorvaneDlgUpdate::processEndsWithACheckUnderWay()
{
    QFETCH(Response, response);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expectedOutput);

    m_server->setResponse("/Torvane.xml", response);
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TORVANE_UPDATE_URL", QString::fromStdString(m_server->url("/Torvane.xml")));
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);

    QElapsedTimer clock;
    clock.start();
    probe.start(UPDATE_EXIT_PROBE, QStringList{QString::fromStdString(m_dir->path())} + arguments);
    QVERIFY(probe.waitForStarted());
    // Well below the 10 s the transfer could otherwise run: the exit cuts it short.
    const bool ended = probe.waitForFinished(8000);
    const QString output = QString::fromUtf8(probe.readAll());
    if (!ended) {
        probe.kill();
        probe.waitForFinished();
    }
    QVERIFY2(ended, qPrintable(output));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    QVERIFY2(output.contains(expectedOutput) && output.contains("leaving"), qPrintable(output));
    qInfo("probe ended after %lld ms", static_cast<long long>(clock.elapsed()));
}

QTEST_MAIN(TestCTorvaneDlgUpdate)
#include "TestCTorvaneDlgUpdate.moc"
