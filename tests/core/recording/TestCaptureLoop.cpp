#include "recording/CaptureLoop.h"

#include "RecordingChecks.h"
#include "TempDir.h"
#include "VideoProbe.h"
#include "app/IniFile.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <opencv2/imgcodecs.hpp>

#include <map>
#include <mutex>
#include <thread>

namespace {

// The window's part: counts previews and tears the run down like the stop handler.
class FakeHost : public ICaptureHost
{
  public:
    std::string folder;
    std::atomic<int> endedCalls{0};

    void ShowPreview(const CameraSlot& slot, const cv::Mat& frame) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_previews[slot.deviceIndex];
        m_last[slot.deviceIndex] = frame.clone();
    }
    std::string RecordFolder() override { return folder; }
    void RecordingEnded() override
    {
        ++endedCalls;
        for (CameraSlot& slot : g_cameraSlots) {
            if (slot.active)
                slot.camera->Close();
            if (slot.writer)
                slot.writer->Close();
        }
    }
    int Previews(int device)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_previews[device];
    }
    void Reset()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_previews.clear();
        m_last.clear();
        endedCalls = 0;
    }
    cv::Mat Last(int device)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_last[device].clone();
    }

  private:
    std::mutex m_mutex;
    std::map<int, int> m_previews;
    std::map<int, cv::Mat> m_last;
};

} // namespace

class TestCaptureLoop : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void recordsPreviewsAndSnapshots();
    void labelSwitch_data();
    void labelSwitch();
    void lostCameraIsDroppedOthersGoOn();
    void stopWhileCamerasOpenEndsTheRun();

  private:
    void StartSlots(const std::vector<int>& devices, bool withWriters);
    void StartThread();
    void StopThread();

    std::unique_ptr<TempDir> m_dir;
    FakeHost m_host;
    std::thread m_thread;
};

void TestCaptureLoop::initTestCase()
{
    // Device 0 stalls after 8 frames like an unplugged camera; 1 and 2 run on.
    qputenv("TORVANE_SOURCES", "pattern,stall=8;pattern;pattern@15");
}

void TestCaptureLoop::init()
{
    m_dir = std::make_unique<TempDir>();
    g_programDir = m_dir->path();
    g_configPath = m_dir->file("config.ini");
    m_host.folder = m_dir->path();
    m_host.Reset();
}

void TestCaptureLoop::cleanup()
{
    if (m_thread.joinable())
        StopThread();
    g_cameraSlots.clear();
}

void TestCaptureLoop::StartSlots(const std::vector<int>& devices, bool withWriters)
{
    for (int device : devices) {
        CameraSlot slot;
        slot.deviceIndex = device;
        slot.windowName = "Camera #" + std::to_string(device + 1);
        slot.fileName = m_dir->file("[run]#" + std::to_string(device + 1) + ".avi");
        if (withWriters) {
            slot.writer = std::make_unique<CAviWriter>();
            QVERIFY(slot.writer->Open(slot.fileName));
        }
        g_cameraSlots.push_back(std::move(slot));
    }
}

void TestCaptureLoop::StartThread()
{
    g_captureState = kCaptureSnapshotRequested; // left over from before the run
    BeginCaptureRun();
    QCOMPARE(g_captureState.load(), int(kCaptureRunning));
    m_thread = std::thread([this] { CaptureThreadProc(m_host); });
}

void TestCaptureLoop::StopThread()
{
    g_captureState = kCaptureStopRequested;
    m_thread.join();
}

void TestCaptureLoop::recordsPreviewsAndSnapshots()
{
    StartSlots({1, 2, 7}, true); // device 7 does not exist
    StartThread();
    QTRY_VERIFY(m_host.Previews(1) >= 5 && m_host.Previews(2) >= 3);
    QCOMPARE(g_cameraSlots[2].active, 0);

    g_captureState = kCaptureSnapshotRequested;
    QTRY_COMPARE(g_captureState.load(), int(kCaptureRunning)); // served, then running again
    const QStringList shots = QDir(QString::fromStdString(m_dir->path())).entryList({"*.jpg"}, QDir::Files);
    QCOMPARE(shots.size(), 2);
    const QRegularExpression name(R"(^\[\d{14}\]#[23]\.jpg$)");
    for (const QString& shot : shots) {
        QVERIFY2(name.match(shot).hasMatch(), qPrintable(shot));
        const cv::Mat image = cv::imread(m_dir->file(shot.toStdString()));
        QCOMPARE(image.cols, 320);
        QVERIFY(RedLabelPixels(image) > 50);
    }
    QVERIFY(shots[0].left(16) == shots[1].left(16)); // one pass time for all cameras

    StopThread();
    QCOMPARE(m_host.endedCalls.load(), 1);
    QCOMPARE(g_captureState.load(), int(kCaptureStopRequested));
    QVERIFY(g_cameraSlots[0].writer->FramesWritten() >= 5);
    QVERIFY(g_cameraSlots[1].writer->FramesWritten() >= 3);
    QCOMPARE(g_cameraSlots[2].writer->FramesWritten(), 0);
}

void TestCaptureLoop::labelSwitch_data()
{
    QTest::addColumn<QString>("tmlabel"); // empty: key absent
    QTest::addColumn<bool>("drawn");
    QTest::newRow("absent") << QString() << true;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("2") << "2" << false;
    QTest::newRow("-1") << "-1" << false;
}

void TestCaptureLoop::labelSwitch()
{
    QFETCH(QString, tmlabel);
    QFETCH(bool, drawn);
    if (!tmlabel.isEmpty())
        IniSetString(g_configPath, "main", "tmlabel", tmlabel.toStdString());
    StartSlots({1}, false);
    StartThread();
    QTRY_VERIFY(m_host.Previews(1) >= 2);
    // Read once per run: changing it now does not matter.
    IniSetInt(g_configPath, "main", "tmlabel", drawn ? 0 : 1);
    QTRY_VERIFY(m_host.Previews(1) >= 4);
    const int red = RedLabelPixels(m_host.Last(1));
    QVERIFY2(drawn ? red > 50 : red == 0, qPrintable(QString::number(red)));
}

void TestCaptureLoop::lostCameraIsDroppedOthersGoOn()
{
    StartSlots({0, 1}, true);
    StartThread();
    // After its 8th frame the grab on device 0 times out and the camera is
    // dropped; until then every pass waits for it.
    QTRY_COMPARE(m_host.Previews(0), 8);
    const int before = m_host.Previews(1);
    QTRY_VERIFY_WITH_TIMEOUT(m_host.Previews(1) >= before + 15, 10000);
    QCOMPARE(m_host.Previews(0), 8);
    // What a crash would leave now: the dropped camera's frames are on disk.
    const std::string copy = m_dir->file("crashed.avi");
    QVERIFY(QFile::copy(QString::fromStdString(g_cameraSlots[0].fileName), QString::fromStdString(copy)));
    StopThread();
    QCOMPARE(int64_t(DecodeFrames(copy).size()), g_cameraSlots[0].writer->FramesWritten());
    QCOMPARE(g_cameraSlots[0].active, 0);
    QCOMPARE(g_cameraSlots[1].active, 1);
    // Its file ends at its last frames (a 30 fps source loses some to pacing).
    QVERIFY(g_cameraSlots[0].writer->FramesWritten() >= 1);
    QVERIFY(g_cameraSlots[0].writer->FramesWritten() <= 8);
    QCOMPARE(m_host.endedCalls.load(), 1);
}


void TestCaptureLoop::stopWhileCamerasOpenEndsTheRun()
{
    StartSlots({1, 2}, true);
    BeginCaptureRun();
    g_captureState = kCaptureStopRequested; // the user stops before the first pass
    m_thread = std::thread([this] { CaptureThreadProc(m_host); });
    QTRY_COMPARE(m_host.endedCalls.load(), 1);
    m_thread.join();
    QCOMPARE(g_captureState.load(), int(kCaptureStopRequested));
    QCOMPARE(m_host.Previews(1) + m_host.Previews(2), 0);
}

QTEST_GUILESS_MAIN(TestCaptureLoop)
#include "TestCaptureLoop.moc"
