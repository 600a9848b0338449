#include "FrameStampDecoder.h"
#include "TempDir.h"
#include "VideoProbe.h"
#include "capture/FrameStamp.h"
#include "capture/PatternSource.h"

#include <QStandardPaths>
#include <QtTest>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <fstream>

namespace {

// Frames of the synthetic camera with the recorder's time label burnt in at
// the bottom left, as they reach a recording.
std::vector<cv::Mat> LabelledPatternFrames(int count)
{
    SourceSpec spec;
    spec.framesPerSecond = 500.0;
    PatternSource source(spec, 320, 240);
    std::vector<cv::Mat> frames;
    for (int i = 0; i < count; ++i) {
        cv::Mat frame;
        FrameSource::Clock::time_point captureTime;
        if (!source.Read(frame, captureTime))
            break;
        cv::putText(frame, "2026-12-11 11:45:33", cv::Point(4, 232), cv::FONT_HERSHEY_SIMPLEX, 0.5,
                    cv::Scalar(255, 255, 255), 1);
        frames.push_back(frame);
    }
    return frames;
}

} // namespace

class TestFrameStamp : public QObject
{
    Q_OBJECT

  private slots:
    void roundTrips_data();
    void roundTrips();
    void rejectsWhatIsNotAStamp();
    void survivesJpeg();
    void survivesMpeg4AtAModerateBitrate();
};

void TestFrameStamp::roundTrips_data()
{
    QTest::addColumn<qint64>("frameNumber");
    QTest::addColumn<qint64>("timeMs");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("first frame") << qint64(0) << qint64(1796000000000) << 320 << 240;
    QTest::newRow("all ones") << qint64((1 << 24) - 1) << qint64((int64_t(1) << 44) - 1) << 320 << 240;
    QTest::newRow("large picture") << qint64(123456) << qint64(1796012345678) << 1280 << 720;
    QTest::newRow("width not a multiple of the columns") << qint64(77) << qint64(1796000000001) << 330 << 240;
}

void TestFrameStamp::roundTrips()
{
    QFETCH(qint64, frameNumber);
    QFETCH(qint64, timeMs);
    QFETCH(int, width);
    QFETCH(int, height);

    cv::Mat frame(height, width, CV_8UC3, cv::Scalar(30, 200, 90));
    FrameStamp::Draw(frame, frameNumber, timeMs);
    int64_t number = -1, time = -1;
    QVERIFY(DecodeFrameStamp(frame, number, time));
    QCOMPARE(number, frameNumber);
    QCOMPARE(time, timeMs);
}

void TestFrameStamp::rejectsWhatIsNotAStamp()
{
    int64_t number, time;
    cv::Mat plain(240, 320, CV_8UC3, cv::Scalar(128, 128, 128));
    QVERIFY(!DecodeFrameStamp(plain, number, time));
    QVERIFY(!DecodeFrameStamp(cv::Mat(), number, time));
    cv::Mat gray(240, 320, CV_8UC1, cv::Scalar(0));
    QVERIFY(!DecodeFrameStamp(gray, number, time));

    // One flipped block is caught by the check bits.
    cv::Mat stamped(240, 320, CV_8UC3, cv::Scalar(0, 0, 0));
    FrameStamp::Draw(stamped, 4242, 1796000000000);
    const int block = FrameStamp::BlockWidth(320);
    cv::Mat flipped = stamped.clone();
    cv::Mat target = flipped(cv::Rect(20 * block, 0, block, 2 * block));
    cv::bitwise_not(target, target);
    QVERIFY(!DecodeFrameStamp(flipped, number, time));
}

void TestFrameStamp::survivesJpeg()
{
    const std::vector<cv::Mat> frames = LabelledPatternFrames(10);
    QCOMPARE(frames.size(), size_t(10));
    int64_t previous = -1;
    for (const cv::Mat& frame : frames) {
        std::vector<uchar> jpeg;
        QVERIFY(cv::imencode(".jpg", frame, jpeg, {cv::IMWRITE_JPEG_QUALITY, 50}));
        const cv::Mat decoded = cv::imdecode(jpeg, cv::IMREAD_COLOR);
        int64_t number, time;
        QVERIFY(DecodeFrameStamp(decoded, number, time));
        int64_t expectedNumber, expectedTime;
        QVERIFY(DecodeFrameStamp(frame, expectedNumber, expectedTime));
        QCOMPARE(number, expectedNumber);
        QCOMPARE(time, expectedTime);
        QVERIFY(number > previous);
        previous = number;
    }
}

void TestFrameStamp::survivesMpeg4AtAModerateBitrate()
{
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is not installed");
    TempDir dir;
    const std::vector<cv::Mat> frames = LabelledPatternFrames(50);
    QCOMPARE(frames.size(), size_t(50));
    {
        std::ofstream raw(dir.file("frames.bgr"), std::ios::binary);
        for (const cv::Mat& frame : frames)
            raw.write(reinterpret_cast<const char*>(frame.data),
                      std::streamsize(frame.total() * frame.elemSize()));
    }
    QVERIFY(EncodeXvidAvi(dir.file("frames.bgr"), dir.file("out.avi"), {"-b:v", "200k", "-g", "25"}));

    cv::VideoCapture reader(dir.file("out.avi"), cv::CAP_FFMPEG);
    QVERIFY(reader.isOpened());
    cv::Mat decoded;
    size_t index = 0;
    for (; reader.read(decoded); ++index) {
        QVERIFY(index < frames.size());
        int64_t number, time, expectedNumber, expectedTime;
        QVERIFY(DecodeFrameStamp(frames[index], expectedNumber, expectedTime));
        QVERIFY2(DecodeFrameStamp(decoded, number, time), qPrintable(QString("frame %1").arg(index)));
        QCOMPARE(number, expectedNumber);
        QCOMPARE(time, expectedTime);
    }
    QCOMPARE(index, frames.size());
}

QTEST_GUILESS_MAIN(TestFrameStamp)
#include "TestFrameStamp.moc"
