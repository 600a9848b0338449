#pragma once

#include "capture/FrameSource.h"

#include <opencv2/videoio.hpp>

#include <memory>
#include <string>

// Frames from an OpenCV capture: a V4L2 node, a video file or a network stream.
class VideoCaptureSource : public FrameSource
{
public:
    enum class Pacing
    {
        Live,       // deliver frames as the device or stream sends them
        LoopedFile, // play at the file's own rate and start again at its end
    };

    // nullptr when the capture cannot be opened.
    static std::unique_ptr<VideoCaptureSource> OpenV4l2(const std::string& path, bool preferMjpeg, int width,
                                                        int height);
    static std::unique_ptr<VideoCaptureSource> OpenFile(const std::string& path);
    static std::unique_ptr<VideoCaptureSource> OpenUrl(const std::string& url);

    bool Read(cv::Mat& frame, Clock::time_point& captureTime) override;

private:
    VideoCaptureSource(std::unique_ptr<cv::VideoCapture> capture, Pacing pacing, const std::string& location);
    bool ReadLive(cv::Mat& frame, Clock::time_point& captureTime);
    bool ReadFile(cv::Mat& frame, Clock::time_point& captureTime);

    std::unique_ptr<cv::VideoCapture> m_capture;
    Pacing m_pacing;
    std::string m_location;
    Clock::time_point m_lastFrame;
    // File playback: frame slots on a grid of the file's own rate.
    Clock::duration m_interval{};
    Clock::time_point m_start;
    int64_t m_slot = 0;
};

// Sets OPENCV_VIDEOIO_V4L_SELECT_TIMEOUT unless the user has set it. OpenCV's
// default of 10 s would hold a dead camera's reader that long; it reads the
// value once, at the first wait for a V4L2 frame.
void EnsureV4l2SelectTimeout();
