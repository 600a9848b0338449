#include "capture/VideoCaptureSource.h"

#include <cmath>
#include <cstdlib>

namespace {

// A live source that has delivered nothing for this long is given up.
constexpr std::chrono::milliseconds kLiveFailureMs{2000};
constexpr int kUrlOpenTimeoutMs = 5000;
constexpr int kUrlReadTimeoutMs = 2000;
// Seconds; OpenCV takes whole seconds.
constexpr const char* kV4l2SelectTimeout = "1";

} // namespace

void EnsureV4l2SelectTimeout()
{
    // Without overwrite a value already there (the user's, or ours from an
    // earlier open) is left alone and the environment is not rewritten.
    setenv("OPENCV_VIDEOIO_V4L_SELECT_TIMEOUT", kV4l2SelectTimeout, 0);
}

VideoCaptureSource::VideoCaptureSource(std::unique_ptr<cv::VideoCapture> capture, Pacing pacing,
                                       const std::string& location)
    : m_capture(std::move(capture)), m_pacing(pacing), m_location(location), m_lastFrame(Clock::now()),
      m_start(Clock::now())
{
    if (pacing == Pacing::LoopedFile) {
        double fps = m_capture->get(cv::CAP_PROP_FPS);
        if (!std::isfinite(fps) || fps < 1.0 || fps > 240.0)
            fps = 25.0;
        m_interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps));
    }
}

std::unique_ptr<VideoCaptureSource> VideoCaptureSource::OpenV4l2(const std::string& path, bool preferMjpeg,
                                                                 int width, int height)
{
    EnsureV4l2SelectTimeout();
    // The format first: the driver picks the sizes it offers for that format.
    std::vector<int> params;
    if (preferMjpeg)
        params = {cv::CAP_PROP_FOURCC, cv::VideoWriter::fourcc('M', 'J', 'P', 'G')};
    params.insert(params.end(), {cv::CAP_PROP_FRAME_WIDTH, width, cv::CAP_PROP_FRAME_HEIGHT, height});
    auto capture = std::make_unique<cv::VideoCapture>();
    if (!capture->open(path, cv::CAP_V4L2, params) || !capture->isOpened())
        return nullptr;
    // Drivers choose the nearest size they have; frames of another size are
    // scaled by the camera object, so the answer is not checked here.
    capture->set(cv::CAP_PROP_BUFFERSIZE, 2);
    return std::unique_ptr<VideoCaptureSource>(
        new VideoCaptureSource(std::move(capture), Pacing::Live, path));
}

std::unique_ptr<VideoCaptureSource> VideoCaptureSource::OpenFile(const std::string& path)
{
    auto capture = std::make_unique<cv::VideoCapture>();
    if (!capture->open(path, cv::CAP_FFMPEG) || !capture->isOpened())
        return nullptr;
    return std::unique_ptr<VideoCaptureSource>(
        new VideoCaptureSource(std::move(capture), Pacing::LoopedFile, path));
}

std::unique_ptr<VideoCaptureSource> VideoCaptureSource::OpenUrl(const std::string& url)
{
    auto capture = std::make_unique<cv::VideoCapture>();
    const std::vector<int> params = {cv::CAP_PROP_OPEN_TIMEOUT_MSEC, kUrlOpenTimeoutMs,
                                     cv::CAP_PROP_READ_TIMEOUT_MSEC, kUrlReadTimeoutMs};
    if (!capture->open(url, cv::CAP_FFMPEG, params) || !capture->isOpened())
        return nullptr;
    return std::unique_ptr<VideoCaptureSource>(new VideoCaptureSource(std::move(capture), Pacing::Live, url));
}

bool VideoCaptureSource::Read(cv::Mat& frame, Clock::time_point& captureTime)
{
    if (Interrupted())
        return false;
    return m_pacing == Pacing::LoopedFile ? ReadFile(frame, captureTime) : ReadLive(frame, captureTime);
}

bool VideoCaptureSource::ReadLive(cv::Mat& frame, Clock::time_point& captureTime)
{
    // A corrupt frame or a single time-out is not the end of a camera; only a
    // source that delivers nothing for a while is.
    while (!m_capture->read(frame) || frame.empty()) {
        if (Clock::now() - m_lastFrame > kLiveFailureMs)
            return false;
        if (!SleepUntil(Clock::now() + std::chrono::milliseconds(10)))
            return false;
    }
    captureTime = m_lastFrame = Clock::now();
    return true;
}

bool VideoCaptureSource::ReadFile(cv::Mat& frame, Clock::time_point& captureTime)
{
    if (!m_capture->read(frame) || frame.empty()) {
        // End of the file: start it again. A file that gives no frame even
        // right after opening has nothing to play.
        auto reopened = std::make_unique<cv::VideoCapture>();
        if (!reopened->open(m_location, cv::CAP_FFMPEG) || !reopened->read(frame) || frame.empty())
            return false;
        m_capture = std::move(reopened);
    }
    Clock::time_point due = m_start + m_interval * m_slot;
    const Clock::time_point now = Clock::now();
    if (due + m_interval < now) {
        // Decoding fell behind (or the reader was starved): resume from now
        // instead of rushing through the missed frames.
        m_start = now;
        m_slot = 0;
        due = now;
    }
    if (!SleepUntil(due))
        return false;
    ++m_slot;
    captureTime = Clock::now();
    return true;
}
