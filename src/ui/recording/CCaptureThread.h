#pragma once

#include "recording/CaptureLoop.h"

#include <QImage>
#include <QThread>

#include <string>

// The capture thread of one run. It hands every labelled frame to the slot's
// preview cell (a CPreviewCell) as a QImage copy through a queued invocation,
// and ends the run with a blocking-queued invocation of the window's
// OnRecordingEnded. Widgets are never touched from this thread. The object
// deletes itself when the thread has finished.
class CCaptureThread : public QThread, private ICaptureHost
{
    Q_OBJECT

  public:
    CCaptureThread(QObject* window, std::string recordFolder);

    // QImage copy of a BGR frame.
    static QImage ToImage(const cv::Mat& bgr);

  protected:
    void run() override;

  private:
    void ShowPreview(const CameraSlot& slot, const cv::Mat& frame) override;
    std::string RecordFolder() override { return m_recordFolder; }
    void RecordingEnded() override;

    QObject* const m_window; // the main window outlives every run
    const std::string m_recordFolder;
};
