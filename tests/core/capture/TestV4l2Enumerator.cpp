#include "FakeV4l2Io.h"
#include "capture/V4l2Enumerator.h"

#include <QtTest>

#include <linux/videodev2.h>

Q_DECLARE_METATYPE(std::vector<FakeV4l2Node>)

namespace {

FakeV4l2Node MetadataNode(const std::string& path, const std::string& card)
{
    // What uvcvideo adds beside each camera: same card, metadata only.
    FakeV4l2Node node = FakeV4l2Io::CaptureNode(path, card);
    node.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT;
    node.formats = {};
    return node;
}

FakeV4l2Node OldDriverNode(const std::string& path, const std::string& card)
{
    // No V4L2_CAP_DEVICE_CAPS: capabilities is all there is.
    FakeV4l2Node node;
    node.path = path;
    node.card = card;
    node.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    node.deviceCaps = 0;
    return node;
}

FakeV4l2Node CodecNode(const std::string& path)
{
    FakeV4l2Node node;
    node.path = path;
    node.card = "bcm2835-codec-decode";
    node.capabilities = V4L2_CAP_VIDEO_M2M_MPLANE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
    node.deviceCaps = V4L2_CAP_VIDEO_M2M_MPLANE | V4L2_CAP_STREAMING;
    return node;
}

} // namespace

class TestV4l2Enumerator : public QObject
{
    Q_OBJECT

private slots:
    void keepsCaptureNodesInNodeOrder_data();
    void keepsCaptureNodesInNodeOrder();
    void findsMjpegOnlyWhenOffered();
};

void TestV4l2Enumerator::keepsCaptureNodesInNodeOrder_data()
{
    QTest::addColumn<std::vector<FakeV4l2Node>>("nodes");
    QTest::addColumn<QStringList>("expected"); // "path=name"

    const std::string dir = "/nonexistent/";
    QTest::newRow("no nodes") << std::vector<FakeV4l2Node>{} << QStringList{};
    QTest::newRow("capture node") << std::vector<FakeV4l2Node>{FakeV4l2Io::CaptureNode(dir + "video0",
                                                                                       "HD Webcam")}
                                  << QStringList{"/nonexistent/video0=HD Webcam"};
    QTest::newRow("UVC metadata node dropped")
        << std::vector<FakeV4l2Node>{FakeV4l2Io::CaptureNode(dir + "video0", "HD Webcam"),
                                     MetadataNode(dir + "video1", "HD Webcam")}
        << QStringList{"/nonexistent/video0=HD Webcam"};
    QTest::newRow("no device caps: capabilities decide")
        << std::vector<FakeV4l2Node>{OldDriverNode(dir + "video0", "Old Grabber")}
        << QStringList{"/nonexistent/video0=Old Grabber"};
    FakeV4l2Node readOnly = OldDriverNode(dir + "video0", "Read Only");
    readOnly.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE;
    QTest::newRow("capture without streaming dropped")
        << std::vector<FakeV4l2Node>{readOnly} << QStringList{};
    QTest::newRow("memory-to-memory codec dropped")
        << std::vector<FakeV4l2Node>{CodecNode(dir + "video10"),
                                     FakeV4l2Io::CaptureNode(dir + "video11", "Cam")}
        << QStringList{"/nonexistent/video11=Cam"};
    FakeV4l2Node locked = FakeV4l2Io::CaptureNode(dir + "video0", "Locked");
    locked.openFails = true;
    FakeV4l2Node mute = FakeV4l2Io::CaptureNode(dir + "video1", "Mute");
    mute.queryFails = true;
    QTest::newRow("node that fails to open or to answer skipped")
        << std::vector<FakeV4l2Node>{locked, mute, FakeV4l2Io::CaptureNode(dir + "video2", "Cam")}
        << QStringList{"/nonexistent/video2=Cam"};
    QTest::newRow("gaps and numeric order")
        << std::vector<FakeV4l2Node>{FakeV4l2Io::CaptureNode(dir + "video10", "Ten"),
                                     FakeV4l2Io::CaptureNode(dir + "video2", "Two"),
                                     FakeV4l2Io::CaptureNode(dir + "video0", "Zero")}
        << QStringList{"/nonexistent/video0=Zero", "/nonexistent/video2=Two", "/nonexistent/video10=Ten"};
    FakeV4l2Node byId = FakeV4l2Io::CaptureNode(dir + "video-camera0", "Link");
    QTest::newRow("names that are not videoN ignored")
        << std::vector<FakeV4l2Node>{byId, FakeV4l2Io::CaptureNode(dir + "video", "Bare")} << QStringList{};
    QTest::newRow("card name filling its field")
        << std::vector<FakeV4l2Node>{FakeV4l2Io::CaptureNode(dir + "video0", std::string(40, 'c'))}
        << QStringList{QString("/nonexistent/video0=") + QString(32, 'c')};
    QTest::newRow("two identical cameras keep their names")
        << std::vector<FakeV4l2Node>{FakeV4l2Io::CaptureNode(dir + "video0", "Cam"),
                                     MetadataNode(dir + "video1", "Cam"),
                                     FakeV4l2Io::CaptureNode(dir + "video2", "Cam"),
                                     MetadataNode(dir + "video3", "Cam")}
        << QStringList{"/nonexistent/video0=Cam", "/nonexistent/video2=Cam"};
}

void TestV4l2Enumerator::keepsCaptureNodesInNodeOrder()
{
    QFETCH(std::vector<FakeV4l2Node>, nodes);
    QFETCH(QStringList, expected);

    FakeV4l2Io io(nodes);
    QStringList listed;
    for (const V4l2Node& node : EnumerateV4l2Nodes(io))
        listed << QString::fromStdString(node.path + "=" + node.name);
    QCOMPARE(listed, expected);
    QCOMPARE(io.OpenDescriptors(), size_t(0));
}

void TestV4l2Enumerator::findsMjpegOnlyWhenOffered()
{
    FakeV4l2Node mjpeg = FakeV4l2Io::CaptureNode("/nonexistent/video0", "A");
    FakeV4l2Node yuyvOnly = FakeV4l2Io::CaptureNode("/nonexistent/video1", "B");
    yuyvOnly.formats = {V4L2_PIX_FMT_YUYV};
    FakeV4l2Io io({mjpeg, yuyvOnly});

    QVERIFY(V4l2OffersFormat(io, mjpeg.path, V4L2_PIX_FMT_MJPEG));
    QVERIFY(!V4l2OffersFormat(io, yuyvOnly.path, V4L2_PIX_FMT_MJPEG));
    QVERIFY(!V4l2OffersFormat(io, "/nonexistent/video7", V4L2_PIX_FMT_MJPEG));
    QCOMPARE(io.OpenDescriptors(), size_t(0));
}

QTEST_GUILESS_MAIN(TestV4l2Enumerator)
#include "TestV4l2Enumerator.moc"
