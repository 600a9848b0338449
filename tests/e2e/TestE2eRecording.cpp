#include "recording/CVideoDb.h"
#include "recording/VideoIndex.h"

#include "FrameStampDecoder.h"
#include "RecordingChecks.h"
#include "TempDir.h"
#include "VideoProbe.h"
#include "app/IniFile.h"
#include "app/ProgramPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <opencv2/imgcodecs.hpp>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>

using namespace std::chrono;

namespace {

int64_t NowMs()
{
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

QStringList FilesIn(const std::string& folder, const QString& pattern)
{
    QStringList names = QDir(QString::fromStdString(folder)).entryList({pattern}, QDir::Files, QDir::Name);
    for (QString& name : names)
        name = QString::fromStdString(folder) + name;
    return names;
}

struct StampedFrame
{
    int64_t number = -1;
    int64_t timeMs = 0;
    double positionSec = 0;
    cv::Mat image;
};

std::vector<StampedFrame> StampedFrames(const std::string& path)
{
    std::vector<StampedFrame> frames;
    for (DecodedFrame& decoded : DecodeFrames(path)) {
        StampedFrame f;
        if (DecodeFrameStamp(decoded.image, f.number, f.timeMs)) {
            f.positionSec = decoded.timeSec;
            f.image = decoded.image;
            frames.push_back(std::move(f));
        }
    }
    return frames;
}

// A program folder of its own: the executable and its files, config.ini,
// video.db and the recordings beside it.
class ProgramFolder
{
  public:
    ProgramFolder()
    {
        const QDir bin(qEnvironmentVariable("TORVANE_PROGRAM_DIR"));
        // Program files only: the settings and the index of earlier runs stay behind.
        const QStringList state{"config.ini", "video.db"};
        for (const QString& name : bin.entryList(QDir::Files))
            if (!state.contains(name))
                QFile::copy(bin.filePath(name), QString::fromStdString(m_dir.file(name.toStdString())));
        QFile::setPermissions(QString::fromStdString(m_dir.file("Torvane")),
                              QFile::permissions(bin.filePath("Torvane")));
    }
    std::string Path() const { return m_dir.path(); }
    std::string File(const std::string& name) const { return m_dir.file(name); }
    std::string RecordFolder() const { return m_dir.file("监控录像/"); }

    void Start(QProcess& process, const QString& sources = "pattern;pattern")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TORVANE_SOURCES", sources);
        env.insert("TORVANE_NO_V4L2", "1"); // only the synthetic cameras, whatever is plugged in
        env.insert("TORVANE_UPDATE_URL", "http://127.0.0.1:9/Torvane.xml"); // closed port
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QDir::tempPath()); // files must not follow the working directory
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QString::fromStdString(File("Torvane")), {"task"});
    }

  private:
    TempDir m_dir;
};

bool WaitForFiles(const std::string& folder, const QString& pattern, int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (FilesIn(folder, pattern).size() >= count)
            return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TestE2eRecording : public QObject
{
    Q_OBJECT

  private slots:
    void recordsTwoCamerasUntilSigterm();
    void sigkillLosesAtMostASecond();
    void recyclesOnASmallFilesystem();
};

void TestE2eRecording::recordsTwoCamerasUntilSigterm()
{
    ProgramFolder program;
    QProcess torvane;
    program.Start(torvane);
    QVERIFY(torvane.waitForStarted());
    const std::string folder = program.RecordFolder();
    QVERIFY2(WaitForFiles(folder, "*.avi", 2, 10000), "no recordings appeared");

    QTest::qWait(5000);
    ::kill(torvane.processId(), SIGUSR1);
    QVERIFY2(WaitForFiles(folder, "*.jpg", 2, 3000), "no snapshots");
    QTest::qWait(5000);
    ::kill(torvane.processId(), SIGTERM);
    QVERIFY(torvane.waitForFinished(15000));
    QCOMPARE(torvane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(torvane.exitCode(), 0);

    const QStringList videos = FilesIn(folder, "*.avi");
    QCOMPARE(videos.size(), 2);
    const QRegularExpression videoName(R"(^\[\d{14}\]#([12])\.avi$)");
    for (int i = 0; i < 2; ++i) {
        const std::string path = videos[i].toStdString();
        const auto match = videoName.match(QFileInfo(videos[i]).fileName());
        QVERIFY2(match.hasMatch(), qPrintable(videos[i]));
        QCOMPARE(match.captured(1).toInt(), i + 1);

        const VideoInfo info = ProbeVideo(path);
        QCOMPARE(FormatSummary(info), std::string("mpeg4 XVID 320x240 25/1"));
        std::string errors;
        QVERIFY2(DecodesCleanly(path, &errors), errors.c_str());

        const auto frames = StampedFrames(path);
        QVERIFY(frames.size() > 100);
        QCOMPARE(frames.front().positionSec, 0.0);
        // Playing time = the wall time the file covers, first frame to last
        // frame plus its own 40 ms.
        const double wallSec = (frames.back().timeMs - frames.front().timeMs) / 1000.0 + 0.04;
        qInfo("%s: %zu frames, playing %.3f s, wall %.3f s", qPrintable(QFileInfo(videos[i]).fileName()),
              frames.size(), info.durationSec, wallSec);
        QVERIFY2(wallSec > 9.0, qPrintable(QString::number(wallSec)));
        QVERIFY2(std::abs(info.durationSec - wallSec) <= 0.01 * wallSec,
                 qPrintable(QString("playing %1 s, wall %2 s").arg(info.durationSec).arg(wallSec)));
        // Every frame in order, at the position its capture time gives.
        for (size_t k = 1; k < frames.size(); ++k) {
            QVERIFY(frames[k].number > frames[k - 1].number);
            const double expected = (frames[k].timeMs - frames.front().timeMs) / 40.0;
            const double actual = frames[k].positionSec / 0.04;
            QVERIFY2(std::abs(expected - actual) <= 1.0,
                     qPrintable(QString("frame %1 at slot %2, captured for slot %3")
                                    .arg(frames[k].number)
                                    .arg(actual)
                                    .arg(expected)));
        }
        QVERIFY(RedLabelPixels(frames[frames.size() / 2].image, 150, 100) > 50);
    }

    const QStringList shots = FilesIn(folder, "*.jpg");
    QCOMPARE(shots.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(QRegularExpression(QString(R"(^\[\d{14}\]#%1\.jpg$)").arg(i + 1))
                    .match(QFileInfo(shots[i]).fileName())
                    .hasMatch());
        const cv::Mat shot = cv::imread(shots[i].toStdString());
        QCOMPARE(shot.cols, 320);
        QCOMPARE(shot.rows, 240);
        QVERIFY(RedLabelPixels(shot, 150, 100) > 50);
    }

    QCOMPARE(IndexRows(program.File("video.db")),
             (std::vector<std::string>{videos[0].toStdString(), videos[1].toStdString()}));
    QCOMPARE(IniGetInt(program.File("config.ini"), "main", "row", 0), 2);
    QCOMPARE(IniGetInt(program.File("config.ini"), "main", "col", 0), 2);
    QCOMPARE(IniGetString(program.File("config.ini"), "main", "savepath"), folder);
}

void TestE2eRecording::sigkillLosesAtMostASecond()
{
    ProgramFolder program;
    QProcess torvane;
    program.Start(torvane);
    QVERIFY(torvane.waitForStarted());
    const std::string folder = program.RecordFolder();
    QVERIFY(WaitForFiles(folder, "*.avi", 2, 10000));
    QTest::qWait(4300);
    const int64_t killMs = NowMs();
    ::kill(torvane.processId(), SIGKILL);
    QVERIFY(torvane.waitForFinished(5000));

    for (const QString& video : FilesIn(folder, "*.avi")) {
        auto frames = StampedFrames(video.toStdString());
        // The file may end inside a chunk: a picture decoded from that cut
        // packet may repeat the previous stamp, and is not counted.
        if (frames.size() > 1 && frames.back().number <= frames[frames.size() - 2].number)
            frames.pop_back();
        QVERIFY2(frames.size() > 50, qPrintable(video));
        const int64_t lostMs = killMs - frames.back().timeMs;
        qInfo("%s: last decodable frame %lld ms before the kill", qPrintable(QFileInfo(video).fileName()),
              static_cast<long long>(lostMs));
        QVERIFY2(lostMs <= 1200,
                 qPrintable(QString("%1: last frame %2 ms before the kill").arg(video).arg(lostMs)));
        for (size_t k = 1; k < frames.size(); ++k)
            QVERIFY(frames[k].number > frames[k - 1].number);
    }
}

// A real ext4 filesystem of 40 MiB (always below 0.3 GiB, so always low):
// the oldest indexed files go first, one per timer tick, and the files the
// run is writing stay.
void TestE2eRecording::recyclesOnASmallFilesystem()
{
    if (geteuid() != 0)
        QSKIP("needs root to mount a loop filesystem");
    TempDir scratch;
    const std::string image = scratch.file("disk.img");
    const std::string mountPoint = scratch.file("disk");
    QDir().mkpath(QString::fromStdString(mountPoint));
    {
        std::ofstream(image).close();
    }
    if (QProcess::execute("truncate", {"-s", "40M", QString::fromStdString(image)}) != 0 ||
        QProcess::execute("mkfs.ext4", {"-q", "-F", QString::fromStdString(image)}) != 0)
        QSKIP("cannot make an ext4 image here");
    if (QProcess::execute(
            "mount", {"-o", "loop", QString::fromStdString(image), QString::fromStdString(mountPoint)}) != 0)
        QSKIP("loop devices do not work here");
    struct Unmount
    {
        std::string path;
        ~Unmount() { QProcess::execute("umount", {"-l", QString::fromStdString(path)}); }
    } unmount{mountPoint};

    ProgramFolder program;
    const std::string recordFolder = mountPoint + "/rec/";
    QDir().mkpath(QString::fromStdString(recordFolder));
    IniSetString(program.File("config.ini"), "main", "savepath", recordFolder);

    // Three older recordings, indexed oldest first, before this run.
    std::vector<std::string> old;
    for (int i = 0; i < 3; ++i) {
        old.push_back(recordFolder + "[2024010100000" + std::to_string(i) + "]#1.avi");
        std::ofstream(old.back()) << std::string(1 << 20, 'x');
    }
    {
        g_programDir = program.Path();
        CVideoDb index;
        OpenVideoIndex(index);
        for (const auto& name : old)
            AddToVideoIndex(index, name);
        CloseVideoIndex(index);
    }

    QProcess torvane;
    program.Start(torvane);
    QVERIFY(torvane.waitForStarted());

    // Watch the old files go.
    std::vector<std::pair<size_t, qint64>> deletions;
    QElapsedTimer clock;
    clock.start();
    while (deletions.size() < old.size() && clock.elapsed() < 15000) {
        for (size_t i = 0; i < old.size(); ++i) {
            const bool seen =
                std::any_of(deletions.begin(), deletions.end(), [i](auto& d) { return d.first == i; });
            if (!seen && !PathExists(old[i]))
                deletions.emplace_back(i, clock.elapsed());
        }
        QTest::qWait(20);
    }
    QCOMPARE(deletions.size(), old.size());
    for (size_t k = 0; k < deletions.size(); ++k) {
        QCOMPARE(deletions[k].first, k); // oldest first
        if (k > 0)                       // one per tick of the one-second timer
            QVERIFY2(deletions[k].second - deletions[k - 1].second >= 700,
                     qPrintable(QString("deletion %1 after %2 ms")
                                    .arg(k)
                                    .arg(deletions[k].second - deletions[k - 1].second)));
    }

    // Now the oldest rows name the files being written: they must survive.
    QTest::qWait(3000);
    const QStringList live = FilesIn(recordFolder, "*.avi");
    QCOMPARE(live.size(), 2);
    QCOMPARE(IndexRows(program.File("video.db")),
             (std::vector<std::string>{live[0].toStdString(), live[1].toStdString()}));
    ::kill(torvane.processId(), SIGTERM);
    QVERIFY(torvane.waitForFinished(15000));
    for (const QString& video : live) {
        std::string errors;
        QVERIFY2(DecodesCleanly(video.toStdString(), &errors), errors.c_str());
        QVERIFY(ProbeVideo(video.toStdString()).durationSec > 2.5);
    }
}

QTEST_GUILESS_MAIN(TestE2eRecording)
#include "TestE2eRecording.moc"
