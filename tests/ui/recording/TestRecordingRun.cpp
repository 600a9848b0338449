#include "main/CTorvaneDlg.h"

#include "app/CommandLine.h"
#include "app/IniFile.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "main/CPreviewDlg.h"
#include "main/CToolBarDlg.h"
#include "main/PreviewCells.h"
#include "recording/CPreviewCell.h"
#include "recording/CaptureLoop.h"

#include "RecordingChecks.h"
#include "TempDir.h"
#include "VideoProbe.h"

#include <QRegularExpression>
#include <QTest>

// A run in the main window, started the way a "task" start does (the device
// dialog confirms itself with every synthetic camera).
class TestRecordingRun : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startRecordStop();
    void runNeverOverwritesAnEarlierRecording();
    void gridFromSettings_data();
    void gridFromSettings();

  private:
    void Stop();
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<CTorvaneDlg> m_dlg;
};

void TestRecordingRun::initTestCase()
{
    SetProcessArguments({"Torvane", "task"});
    setenv("TORVANE_NO_V4L2", "1", 1); // only the synthetic cameras, whatever is plugged in
}

void TestRecordingRun::init()
{
    m_dir = std::make_unique<TempDir>();
    g_programDir = m_dir->path();
    g_configPath = g_programDir + "config.ini";
    g_captureState = kCaptureStopRequested;
    m_dlg = std::make_unique<CTorvaneDlg>();
    m_dlg->OnInitDialog(CTorvaneDlg::StartRequests::None);
    m_dlg->resize(800, 600);
    m_dlg->show();
}

void TestRecordingRun::cleanup()
{
    if (m_dlg && m_dlg->m_runEnded == 0)
        Stop();
    m_dlg.reset();
    unsetenv("TORVANE_SOURCES");
}

void TestRecordingRun::Stop()
{
    // A run is marked running from its start, so the stop command is never lost.
    QCOMPARE(g_captureState.load(), int(kCaptureRunning));
    g_captureState = kCaptureStopRequested;
    QTRY_COMPARE(m_dlg->m_runEnded, 1);
}

void TestRecordingRun::startRecordStop()
{
    setenv("TORVANE_SOURCES", "pattern;pattern", 1);
    m_dlg->OnStartRecording();

    const std::string folder = g_programDir + "监控录像/";
    QCOMPARE(m_dlg->m_recordFolder, folder);
    QCOMPARE(IniGetString(g_configPath, "main", "savepath"), folder);
    QCOMPARE(m_dlg->m_runEnded, 0);
    QVERIFY(!m_dlg->m_toolBar->IsStartEnabled());
    QVERIFY(m_dlg->IsTimer1Active());
    QCOMPARE(m_dlg->StatusText(0), QStringLiteral("正在监控录像中……"));
    QCOMPARE(m_dlg->StatusText(1), QStringLiteral("视频设备：2个 排列布局：2行2列"));
    QVERIFY(m_dlg->m_captureThread);

    QCOMPARE(g_previewCells.size(), size_t(2));
    QCOMPARE(g_cameraSlots.size(), size_t(2));
    const QRegularExpression fileName(QStringLiteral("^\\[\\d{14}\\]#%1\\.avi$"));
    for (int i = 0; i < 2; ++i) {
        auto* cell = qobject_cast<CPreviewCell*>(g_previewCells[i]);
        QVERIFY(cell);
        QCOMPARE(cell->parentWidget(), static_cast<QWidget*>(m_dlg->m_preview));
        QCOMPARE(cell->Caption(), QString("Camera #%1").arg(i + 1));
        QCOMPARE(cell->geometry(), QRect(i * (g_cellWidth + 4), 0, g_cellWidth, g_cellHeight));
        const std::string& name = g_cameraSlots[i].fileName;
        QCOMPARE(name.substr(0, folder.size()), folder);
        QVERIFY(QRegularExpression(fileName.pattern().arg(i + 1))
                    .match(QString::fromStdString(name.substr(folder.size())))
                    .hasMatch());
    }
    const std::vector<std::string> files{g_cameraSlots[0].fileName, g_cameraSlots[1].fileName};
    QCOMPARE(IndexRows(g_programDir + "video.db"), files);

    // Frames reach the cells on the GUI thread.
    QTRY_VERIFY(qobject_cast<CPreviewCell*>(g_previewCells[0])->HasFrame() &&
                qobject_cast<CPreviewCell*>(g_previewCells[1])->HasFrame());
    QTest::qWait(600);

    Stop();
    QVERIFY(g_previewCells.empty());
    QVERIFY(g_cameraSlots.empty());
    QCOMPARE(m_dlg->StatusText(0), QStringLiteral("监控录像已停止"));
    QCOMPARE(m_dlg->StatusText(1), QStringLiteral("视频设备：2个 排列布局：2行2列"));
    QVERIFY(m_dlg->m_toolBar->IsStartEnabled());
    QVERIFY(m_dlg->IsTimer1Active());     // a stop leaves the disk-space check running
    QTRY_VERIFY(!m_dlg->m_captureThread); // the thread object is gone with its thread
    for (const std::string& file : files) {
        const VideoInfo info = ProbeVideo(file);
        QCOMPARE(info.tag, std::string("XVID"));
        QVERIFY(info.durationSec > 0.3);
        QVERIFY(DecodesCleanly(file));
    }
}

void TestRecordingRun::runNeverOverwritesAnEarlierRecording()
{
    // Recordings of a run started (and stopped) moments ago carry this second's
    // name, and the next one's: a new run must not reuse and truncate them.
    setenv("TORVANE_SOURCES", "pattern;pattern", 1);
    const std::string folder = ReadSaveFolder(g_configPath);
    std::vector<std::string> earlier;
    const time_t now = time(nullptr);
    for (time_t t = now; t <= now + 2; ++t) {
        char stamp[32];
        struct tm local;
        localtime_r(&t, &local);
        strftime(stamp, sizeof stamp, "[%Y%m%d%H%M%S]", &local);
        for (int device = 1; device <= 2; ++device) {
            earlier.push_back(folder + stamp + "#" + std::to_string(device) + ".avi");
            QFile file(QString::fromStdString(earlier.back()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("earlier recording");
        }
    }

    m_dlg->OnStartRecording();
    QCOMPARE(g_cameraSlots.size(), size_t(2));
    const std::string first = g_cameraSlots[0].fileName;
    const std::string second = g_cameraSlots[1].fileName;
    QTRY_VERIFY(qobject_cast<CPreviewCell*>(g_previewCells[0])->HasFrame());
    QTest::qWait(300);
    Stop();

    for (const std::string& file : earlier) {
        QVERIFY2(file != first && file != second, file.c_str());
        QCOMPARE(QFileInfo(QString::fromStdString(file)).size(), qint64(17));
    }
    // Both cameras of the new run share one start time.
    QCOMPARE(first.substr(0, first.size() - 6), second.substr(0, second.size() - 6));
    QVERIFY(DecodesCleanly(first));
}

void TestRecordingRun::gridFromSettings_data()
{
    QTest::addColumn<int>("cameras");
    QTest::addColumn<QString>("row"); // empty: not set
    QTest::addColumn<QString>("col");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::newRow("3, no setting") << 3 << ""
                                   << "" << 2 << 2;
    QTest::newRow("5, no setting") << 5 << ""
                                   << "" << 3 << 3;
    QTest::newRow("3 in 1x4 kept") << 3 << "1"
                                   << "4" << 1 << 4;
    QTest::newRow("3 in 2x1 too small") << 3 << "2"
                                        << "1" << 2 << 2;
    QTest::newRow("1 with zero col") << 1 << "3"
                                     << "0" << 1 << 1;
    QTest::newRow("2 with negative grid") << 2 << "-2"
                                          << "-2" << 2 << 2;
}

void TestRecordingRun::gridFromSettings()
{
    QFETCH(int, cameras);
    QFETCH(QString, row);
    QFETCH(QString, col);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QStringList sources;
    for (int i = 0; i < cameras; ++i)
        sources << "pattern";
    setenv("TORVANE_SOURCES", sources.join(';').toUtf8().constData(), 1);
    if (!row.isEmpty()) {
        IniSetString(g_configPath, "main", "row", row.toStdString());
        IniSetString(g_configPath, "main", "col", col.toStdString());
    }
    m_dlg->OnStartRecording();
    QCOMPARE(g_gridRows, rows);
    QCOMPARE(g_gridCols, cols);
    QCOMPARE(IniGetInt(g_configPath, "main", "row", -1), rows);
    QCOMPARE(IniGetInt(g_configPath, "main", "col", -1), cols);
    QCOMPARE(m_dlg->StatusText(1),
             QStringLiteral("视频设备：%1个 排列布局：%2行%3列").arg(cameras).arg(rows).arg(cols));
    const int panelWidth = m_dlg->m_preview->width();
    QCOMPARE(g_cellWidth.load(), std::max(1, (panelWidth + 4) / cols - 4));
    // Row by row, cols to a row.
    for (int i = 0; i < cameras; ++i)
        QCOMPARE(g_previewCells[i]->pos(),
                 QPoint(i % cols * (g_cellWidth + 4), i / cols * (g_cellHeight + 4)));
    Stop();
}

QTEST_MAIN(TestRecordingRun)
#include "TestRecordingRun.moc"
