#include "recording/CCaptureThread.h"

CCaptureThread::CCaptureThread(QObject* window, std::string recordFolder)
    : m_window(window), m_recordFolder(std::move(recordFolder))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

QImage CCaptureThread::ToImage(const cv::Mat& bgr)
{
    if (bgr.empty() || bgr.type() != CV_8UC3)
        return {};
    return QImage(bgr.data, bgr.cols, bgr.rows, static_cast<qsizetype>(bgr.step[0]), QImage::Format_BGR888)
        .copy();
}

void CCaptureThread::run()
{
    CaptureThreadProc(*this);
}

void CCaptureThread::ShowPreview(const CameraSlot& slot, const cv::Mat& frame)
{
    // The cell lives until OnRecordingEnded, which runs only while this thread
    // waits in RecordingEnded(); a frame still queued then is discarded with it.
    if (slot.cellWindow)
        QMetaObject::invokeMethod(slot.cellWindow, "ShowFrame", Qt::QueuedConnection,
                                  Q_ARG(QImage, ToImage(frame)));
}

void CCaptureThread::RecordingEnded()
{
    if (m_window)
        QMetaObject::invokeMethod(m_window, "OnRecordingEnded", Qt::BlockingQueuedConnection);
}
