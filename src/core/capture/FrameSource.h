#pragma once

#include <opencv2/core/mat.hpp>

#include <chrono>
#include <condition_variable>
#include <mutex>

// Where a camera's frames come from. Read runs on the camera's reader thread
// only; Interrupt may be called from any thread.
class FrameSource
{
public:
    using Clock = std::chrono::steady_clock;

    virtual ~FrameSource() = default;
    // Blocks until the next frame, stores it in frame (any size, 8-bit BGR,
    // gray or BGRA) with the time it was captured. False at end of stream, on a
    // device error, or once interrupted.
    virtual bool Read(cv::Mat& frame, Clock::time_point& captureTime) = 0;
    // Makes a waiting or future Read return false as soon as it can.
    void Interrupt();

protected:
    bool Interrupted();
    // Sleeps until deadline; false when interrupted first.
    bool SleepUntil(Clock::time_point deadline);

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
};
