// Runs the real Torvane executable (offscreen) from a copy of the program
// directory and ends it with signals, as a session logout or a service manager would.
#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

bool CopyProgram(const QString& to, bool withSkin = true)
{
    const QString from = qEnvironmentVariable("TORVANE_PROGRAM_DIR");
    for (const char* name : {"Torvane", "skin.qss", "readme.html"}) {
        if (!withSkin && QByteArray(name) == "skin.qss") {
            continue;
        }
        if (!QFile::copy(from + "/" + name, to + "/" + name)) {
            return false;
        }
    }
    return QFile::setPermissions(to + "/Torvane", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestTorvaneProcess : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void signalClosesLikeTheCloseBox_data();
    void signalClosesLikeTheCloseBox();
    void usr1RequestsASnapshotAndKeepsRunning();
    void signalDuringTheSkinMessageEndsCleanly();

  private:
    bool Start();
    bool StartAndWaitUntilUp();

    QTemporaryDir* m_dir = nullptr;
    QProcess* m_process = nullptr;
    std::string m_config;
};

void TestTorvaneProcess::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(QDir(m_dir->path()).mkpath("bin") && QDir(m_dir->path()).mkpath("elsewhere"));
    const bool withSkin = QByteArray(QTest::currentTestFunction()) != "signalDuringTheSkinMessageEndsCleanly";
    QVERIFY(CopyProgram(m_dir->filePath("bin"), withSkin));
    m_config = m_dir->filePath("bin/config.ini").toStdString();
    m_process = new QProcess;
}

void TestTorvaneProcess::cleanup()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    delete m_process;
    delete m_dir;
}

bool TestTorvaneProcess::Start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    m_process->setProcessEnvironment(env);
    // Started from another folder: its files still go beside the executable.
    m_process->setWorkingDirectory(m_dir->filePath("elsewhere"));
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(m_dir->filePath("bin/Torvane"), {});
    return m_process->waitForStarted(5000);
}

bool TestTorvaneProcess::StartAndWaitUntilUp()
{
    if (!Start()) {
        return false;
    }
    // The window's initialisation writes "topmost" just before it is shown.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000 && m_process->state() == QProcess::Running) {
        if (IniGetInt(m_config, "main", "topmost", -1) == 0) {
            QTest::qWait(300); // into its event loop
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

void TestTorvaneProcess::signalClosesLikeTheCloseBox_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestTorvaneProcess::signalClosesLikeTheCloseBox()
{
    QFETCH(int, signalNumber);
    QVERIFY(StartAndWaitUntilUp());
    QVERIFY(IniGetString(m_config, "window", "right").empty());

    QCOMPARE(::kill(static_cast<pid_t>(m_process->processId()), signalNumber), 0);
    QVERIFY(m_process->waitForFinished(15000));
    QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process->exitCode(), 0);

    const int left = IniGetInt(m_config, "window", "left", 0);
    const int top = IniGetInt(m_config, "window", "top", 0);
    const int right = IniGetInt(m_config, "window", "right", 0);
    const int bottom = IniGetInt(m_config, "window", "bottom", 0);
    QVERIFY2(right - left > 500 && bottom - top > 300,
             qPrintable(QString("window %1,%2,%3,%4").arg(left).arg(top).arg(right).arg(bottom)));
    QVERIFY(!QFile::exists(m_dir->filePath("elsewhere/config.ini")));
}

void TestTorvaneProcess::usr1RequestsASnapshotAndKeepsRunning()
{
    QVERIFY(StartAndWaitUntilUp());
    const qint64 pid = m_process->processId();
    QCOMPARE(::kill(static_cast<pid_t>(pid), SIGUSR1), 0);
    // The default action of SIGUSR1 would have ended the process.
    QVERIFY(!m_process->waitForFinished(500));
    QCOMPARE(m_process->state(), QProcess::Running);

    QCOMPARE(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
    QVERIFY(m_process->waitForFinished(15000));
    QCOMPARE(m_process->exitCode(), 0);
}

void TestTorvaneProcess::signalDuringTheSkinMessageEndsCleanly()
{
    // Without skin.qss the start-up stops at the skin message, before any window.
    QVERIFY(Start());
    QVERIFY(!m_process->waitForFinished(1500));
    QVERIFY(!QFile::exists(QString::fromStdString(m_config)));

    QCOMPARE(::kill(static_cast<pid_t>(m_process->processId()), SIGTERM), 0);
    QVERIFY(m_process->waitForFinished(15000));
    QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process->exitCode(), 0);
}

QTEST_MAIN(TestTorvaneProcess)
#include "TestTorvaneProcess.moc"
