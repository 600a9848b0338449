#include "recording/CAviWriter.h"
#include "recording/OpenRecordings.h"

#include "FrameStampDecoder.h"
#include "TempDir.h"
#include "VideoProbe.h"
#include "capture/FrameStamp.h"

#include <QFile>
#include <QTest>

#include <opencv2/imgproc.hpp>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <thread>

using namespace std::chrono;
using Clock = CAviWriter::Clock;

namespace {

// A frame that carries its slot number as a stamp, on a textured picture so
// the encoder has something to do.
cv::Mat StampedFrame(int64_t number, int width = 320, int height = 240)
{
    cv::Mat frame(height, width, CV_8UC3);
    cv::randu(frame, cv::Scalar::all(60), cv::Scalar::all(120));
    FrameStamp::Draw(frame, number, 1000 * number);
    return frame;
}

int64_t StampOf(const cv::Mat& frame)
{
    int64_t number = -1, timeMs = 0;
    return DecodeFrameStamp(frame, number, timeMs) ? number : -1;
}

off_t FileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

} // namespace

class TestCAviWriter : public QObject
{
    Q_OBJECT

  private slots:
    void slotOfRoundsToNearest_data();
    void slotOfRoundsToNearest();
    void pacesFramesByCaptureTime();
    void scalesOtherFrameSizes_data();
    void scalesOtherFrameSizes();
    void killedWriterLeavesFlushedFrames();
    void writeErrorEndsFileCleanly();
    void openFailsForMissingFolder();
    void quantiserMatchesTheReferenceEncoder();
};

void TestCAviWriter::slotOfRoundsToNearest_data()
{
    QTest::addColumn<int>("offsetUs");
    QTest::addColumn<qlonglong>("slot");
    QTest::newRow("at origin") << 0 << 0LL;
    QTest::newRow("just before origin") << -5000 << 0LL;
    QTest::newRow("half a slot before") << -20001 << -1LL;
    QTest::newRow("just under half a slot") << 19999 << 0LL;
    QTest::newRow("half a slot") << 20000 << 1LL;
    QTest::newRow("late slot 1") << 59999 << 1LL;
    QTest::newRow("one hour") << 2000000000 << 50000LL;
}

void TestCAviWriter::slotOfRoundsToNearest()
{
    QFETCH(int, offsetUs);
    QFETCH(qlonglong, slot);
    const auto origin = Clock::now();
    QCOMPARE(CAviWriter::SlotOf(origin, origin + microseconds(offsetUs)), slot);
}

// Frames arrive faster than 25 fps (duplicates in a slot), with gaps, and late:
// the file must play them at their capture times and last as long as they span.
void TestCAviWriter::pacesFramesByCaptureTime()
{
    TempDir dir;
    const std::string path = dir.file("paced.avi");
    const auto start = Clock::now();
    CAviWriter writer;
    QVERIFY(writer.Open(path));
    QVERIFY(OpenRecordings::Instance().Contains(path));

    // Capture times in ms after the first frame, and the slot each one gets
    // (-1: dropped, its slot is taken).
    const std::pair<int, int> schedule[] = {{0, 0},     {15, -1},   {21, 1},    {45, -1},  {61, 2},
                                            {99, -1},   {101, 3},   {400, 10},  {415, -1}, {1080, 27},
                                            {1119, 28}, {1141, 29}, {1180, 30}, {1900, 48}};
    std::vector<int64_t> writtenSlots;
    for (const auto& [timeMs, slot] : schedule) {
        const auto result = writer.WriteFrame(StampedFrame(slot), start + milliseconds(125 + timeMs));
        QCOMPARE(int(result),
                 int(slot < 0 ? CAviWriter::WriteResult::Dropped : CAviWriter::WriteResult::Written));
        if (slot >= 0)
            writtenSlots.push_back(slot);
    }
    QCOMPARE(writer.FramesWritten(), qint64(writtenSlots.size()));
    QCOMPARE(writer.SlotsCovered(), 49);
    QVERIFY(writer.Close());
    QVERIFY(!OpenRecordings::Instance().Contains(path));

    const VideoInfo info = ProbeVideo(path);
    QCOMPARE(FormatSummary(info), std::string("mpeg4 XVID 320x240 25/1"));
    // Slots 0..48: 49 slots of 40 ms, the span the frames cover.
    QCOMPARE(info.durationSec, 49 * 0.04);
    QVERIFY(DecodesCleanly(path));

    const auto frames = DecodeFrames(path);
    QCOMPARE(frames.size(), writtenSlots.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        QCOMPARE(StampOf(frames[i].image), writtenSlots[i]);
        QCOMPARE(qRound(frames[i].timeSec / 0.04), int(writtenSlots[i]));
    }
}

void TestCAviWriter::scalesOtherFrameSizes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("channels");
    QTest::newRow("640x480") << 640 << 480 << 3;
    QTest::newRow("160x120") << 160 << 120 << 3;
    QTest::newRow("odd 333x201") << 333 << 201 << 3;
    QTest::newRow("grey 320x240") << 320 << 240 << 1;
}

// Another size is scaled to 320 x 240, never dropped; the picture keeps its
// layout (the left half bright, the right half dark).
void TestCAviWriter::scalesOtherFrameSizes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, channels);
    TempDir dir;
    const std::string path = dir.file("scaled.avi");
    const auto start = Clock::now();
    CAviWriter writer;
    QVERIFY(writer.Open(path));
    cv::Mat frame(height, width, CV_8UC(channels), cv::Scalar::all(20));
    frame(cv::Rect(0, 0, width / 2, height)).setTo(cv::Scalar::all(230));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(int(writer.WriteFrame(frame, start + milliseconds(40 * i))),
                 int(CAviWriter::WriteResult::Written));
    QVERIFY(writer.Close());

    const auto frames = DecodeFrames(path);
    QCOMPARE(frames.size(), size_t(5));
    const cv::Mat& last = frames.back().image;
    QCOMPARE(last.cols, 320);
    QCOMPARE(last.rows, 240);
    QVERIFY(cv::mean(last(cv::Rect(10, 10, 140, 220)))[0] > 200);
    QVERIFY(cv::mean(last(cv::Rect(170, 10, 140, 220)))[0] < 50);
}

// The muxer output reaches the OS at least once a second: a copy of the open
// file (what a crash would leave) already decodes up to the last second.
void TestCAviWriter::killedWriterLeavesFlushedFrames()
{
    TempDir dir;
    const std::string path = dir.file("open.avi");
    const auto start = Clock::now();
    CAviWriter writer;
    QVERIFY(writer.Open(path));
    int64_t slot = 0;
    const auto until = Clock::now() + milliseconds(1300);
    while (Clock::now() < until) {
        writer.WriteFrame(StampedFrame(slot), start + milliseconds(40 * slot));
        ++slot;
        std::this_thread::sleep_for(milliseconds(10));
    }
    const std::string copy = dir.file("crashed.avi");
    QVERIFY(QFile::copy(QString::fromStdString(path), QString::fromStdString(copy)));

    auto frames = DecodeFrames(copy);
    // The file may end inside a chunk; the picture decoded from that cut
    // packet is damaged and is not counted.
    if (frames.size() > 1 && StampOf(frames.back().image) != int64_t(frames.size() - 1))
        frames.pop_back();
    QVERIFY2(!frames.empty(), "nothing reached the file");
    const int64_t lastStamp = StampOf(frames.back().image);
    // Frames written in the last second may still sit in the buffer, no more.
    QVERIFY2(double(slot - 1 - lastStamp) * 0.04 <= 1.05,
             qPrintable(QString("last frame in file %1 of %2").arg(lastStamp).arg(slot - 1)));
    for (size_t i = 0; i < frames.size(); ++i)
        QCOMPARE(StampOf(frames[i].image), int64_t(i));
    QVERIFY(writer.Close());
}

// A write error (here the file-size limit, as a full disk would) ends the file
// with its trailer, reports Failed, and every later write fails quietly.
void TestCAviWriter::writeErrorEndsFileCleanly()
{
    TempDir dir;
    const std::string path = dir.file("full.avi");
    const auto start = Clock::now();
    CAviWriter writer;
    QVERIFY(writer.Open(path));

    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 150 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

    CAviWriter::WriteResult result = CAviWriter::WriteResult::Written;
    int64_t slot = 0;
    const auto giveUp = Clock::now() + seconds(10);
    while (result != CAviWriter::WriteResult::Failed && Clock::now() < giveUp) {
        cv::Mat noise(240, 320, CV_8UC3);
        cv::randu(noise, cv::Scalar::all(0), cv::Scalar::all(255));
        result = writer.WriteFrame(noise, start + milliseconds(40 * slot++));
        if (slot % 10 == 0)
            std::this_thread::sleep_for(milliseconds(120)); // lets the one-second flush come round
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(int(result), int(CAviWriter::WriteResult::Failed));
    QVERIFY(writer.HasFailed());
    QVERIFY(!writer.IsOpen());
    QVERIFY(!OpenRecordings::Instance().Contains(path));
    QCOMPARE(int(writer.WriteFrame(StampedFrame(0), start + seconds(100))),
             int(CAviWriter::WriteResult::Failed));
    QVERIFY(!writer.Close());
    QVERIFY(FileSize(path) > 0);
    QVERIFY(FileSize(path) <= 150 * 1024);
    QVERIFY(!DecodeFrames(path).empty());
}

void TestCAviWriter::openFailsForMissingFolder()
{
    TempDir dir;
    CAviWriter writer;
    QVERIFY(!writer.Open(dir.file("no/such/folder/x.avi")));
    QVERIFY(!writer.IsOpen());
    QCOMPARE(int(writer.WriteFrame(StampedFrame(0), Clock::now())), int(CAviWriter::WriteResult::Failed));
}

// The fixed quantiser must really reach the encoder: the same frames through
// the ffmpeg tool with the same settings give a file of the same size.
void TestCAviWriter::quantiserMatchesTheReferenceEncoder()
{
    TempDir dir;
    const std::string raw = dir.file("frames.bgr");
    const std::string ours = dir.file("ours.avi");
    const std::string reference = dir.file("reference.avi");
    CAviWriter writer;
    QVERIFY(writer.Open(ours));
    {
        std::ofstream out(raw, std::ios::binary);
        const auto start = Clock::now();
        for (int i = 0; i < 30; ++i) {
            cv::Mat frame = StampedFrame(i);
            cv::circle(frame, cv::Point(40 + 8 * i, 140), 30, cv::Scalar(30, 200, 90), cv::FILLED);
            out.write(reinterpret_cast<const char*>(frame.data),
                      std::streamsize(frame.total() * frame.elemSize()));
            QCOMPARE(int(writer.WriteFrame(frame, start + milliseconds(40 * i))),
                     int(CAviWriter::WriteResult::Written));
        }
    }
    QVERIFY(writer.Close());
    QVERIFY(EncodeReferenceAvi(raw, reference, CAviWriter::kQuantiser, CAviWriter::kGopFrames));
    const double ratio = double(FileSize(ours)) / double(FileSize(reference));
    QVERIFY2(std::abs(ratio - 1.0) < 0.02, qPrintable(QString("size ratio %1").arg(ratio)));
}

QTEST_GUILESS_MAIN(TestCAviWriter)
#include "TestCAviWriter.moc"
