#include "capture/PatternSource.h"

#include "capture/FrameStamp.h"

#include <opencv2/imgproc.hpp>

PatternSource::PatternSource(const SourceSpec& spec, int width, int height)
    : m_interval(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / spec.framesPerSecond))),
      m_stallAfterFrames(spec.stallAfterFrames), m_start(Clock::now())
{
    if (spec.width > 0 && spec.height > 0) {
        width = spec.width;
        height = spec.height;
    }
    // A fixed colour ramp, drawn once; every frame starts as a copy of it.
    m_background.create(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        cv::Vec3b* row = m_background.ptr<cv::Vec3b>(y);
        for (int x = 0; x < width; ++x)
            row[x] = cv::Vec3b(uchar(64 + 128 * x / width), uchar(64 + 128 * y / height), 96);
    }
}

void PatternSource::DrawPicture(cv::Mat& frame, int64_t frameNumber)
{
    m_background.copyTo(frame);
    // A bar sweeping across and a disc bouncing up and down, so that motion
    // and frame order are visible in a preview.
    const int width = frame.cols;
    const int height = frame.rows;
    const int barWidth = std::max(4, width / 16);
    const int barX = int(frameNumber * 4 % std::max(1, width - barWidth));
    cv::rectangle(frame, cv::Rect(barX, height / 4, barWidth, height / 2), cv::Scalar(0, 200, 255),
                  cv::FILLED);
    const int radius = std::max(4, height / 12);
    const int span = std::max(1, height - 2 * radius - height / 4);
    const int phase = int(frameNumber * 3 % (2 * span));
    const int discY = height / 4 + radius + (phase < span ? phase : 2 * span - phase);
    cv::circle(frame, cv::Point(width - 2 * radius, std::min(height - radius, discY)), radius,
               cv::Scalar(255, 80, 40), cv::FILLED);
}

bool PatternSource::Read(cv::Mat& frame, Clock::time_point& captureTime)
{
    if (m_stallAfterFrames > 0 && m_frameNumber >= m_stallAfterFrames) {
        // Like an unplugged camera: nothing more arrives, nothing ends.
        while (SleepUntil(Clock::now() + std::chrono::hours(1))) {
        }
        return false;
    }
    // Frames fall due on a fixed grid; a late reader skips the missed slots
    // rather than catching up with a burst.
    Clock::time_point due = m_start + m_interval * m_frameNumber;
    const Clock::time_point now = Clock::now();
    if (due + m_interval < now) {
        m_frameNumber = (now - m_start) / m_interval;
        due = m_start + m_interval * m_frameNumber;
    }
    if (!SleepUntil(due))
        return false;

    captureTime = Clock::now();
    const int64_t wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    DrawPicture(frame, m_frameNumber);
    FrameStamp::Draw(frame, m_frameNumber, wallMs);
    ++m_frameNumber;
    return true;
}
