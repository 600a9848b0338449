#include "recording/CCaptureThread.h"
#include "recording/CPreviewCell.h"

#include "app/RunState.h"

#include <QTest>

#include <thread>

class TestCPreviewCell : public QObject
{
    Q_OBJECT

  private slots:
    void captionUntilFirstFrame();
    void frameIsStretchedToTheCellSize();
    void framesCrossThreadsAsCopies();
};

void TestCPreviewCell::captionUntilFirstFrame()
{
    QWidget panel;
    CPreviewCell cell("Camera #3", &panel);
    QCOMPARE(cell.parentWidget(), &panel);
    QCOMPARE(cell.Caption(), QString("Camera #3"));
    QVERIFY(!cell.HasFrame());
    cell.ShowFrame(QImage(8, 8, QImage::Format_RGB888));
    QVERIFY(cell.HasFrame());
}

// The frame fills (0, 0, g_cellWidth, g_cellHeight), aspect ratio not kept:
// a left-red/right-blue 320x240 frame in a 100x30 cell.
void TestCPreviewCell::frameIsStretchedToTheCellSize()
{
    g_cellWidth = 100;
    g_cellHeight = 30;
    QWidget panel;
    panel.resize(300, 200);
    CPreviewCell cell("Camera #1", &panel);
    cell.setGeometry(0, 0, 200, 100);
    QImage frame(320, 240, QImage::Format_RGB888);
    frame.fill(Qt::blue);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 160; ++x)
            frame.setPixelColor(x, y, Qt::red);
    cell.ShowFrame(frame);

    const QImage shot = cell.grab().toImage();
    QCOMPARE(shot.pixelColor(20, 15), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(80, 15), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(80, 28), QColor(Qt::blue));
    // Outside the cell rectangle nothing of the frame is drawn.
    QVERIFY(shot.pixelColor(150, 15) != QColor(Qt::blue));
    QVERIFY(shot.pixelColor(20, 60) != QColor(Qt::red));
}

// The capture thread's frame buffer is reused at once: the cell must get a copy.
void TestCPreviewCell::framesCrossThreadsAsCopies()
{
    QWidget panel;
    CPreviewCell cell("Camera #1", &panel);
    cv::Mat frame(240, 320, CV_8UC3, cv::Scalar(0, 0, 255)); // BGR red
    std::thread worker([&] {
        QMetaObject::invokeMethod(&cell, "ShowFrame", Qt::QueuedConnection,
                                  Q_ARG(QImage, CCaptureThread::ToImage(frame)));
        frame.setTo(cv::Scalar(255, 0, 0)); // overwritten before the GUI runs
    });
    worker.join();
    QVERIFY(!cell.HasFrame()); // queued, not called on the worker
    QTRY_VERIFY(cell.HasFrame());
    g_cellWidth = 320;
    g_cellHeight = 240;
    cell.setGeometry(0, 0, 320, 240);
    QCOMPARE(cell.grab().toImage().pixelColor(100, 100), QColor(Qt::red));
}

QTEST_MAIN(TestCPreviewCell)
#include "TestCPreviewCell.moc"
