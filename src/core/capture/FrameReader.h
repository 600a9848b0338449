#pragma once

#include "capture/FrameSource.h"

#include <cstdint>
#include <memory>
#include <thread>

// Runs a source on its own thread and always holds the newest frame, so that a
// grab never returns a frame that waited in a driver queue.
class FrameReader
{
public:
    explicit FrameReader(std::unique_ptr<FrameSource> source);
    ~FrameReader(); // stops

    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Waits up to timeout for a frame newer than sequence. On success swaps it
    // into frame (the caller's buffer goes back to the reader to be refilled),
    // and updates sequence and captureTime. False on time-out or when the source
    // has ended and holds nothing newer.
    bool TakeNewer(uint64_t& sequence, cv::Mat& frame, FrameSource::Clock::time_point& captureTime,
                   std::chrono::milliseconds timeout);
    // Interrupts the source and joins the thread.
    void Stop();

private:
    void Run();

    std::unique_ptr<FrameSource> m_source;
    std::mutex m_mutex;
    std::condition_variable m_newFrame;
    cv::Mat m_latest; // guarded by m_mutex
    FrameSource::Clock::time_point m_latestTime;
    uint64_t m_sequence = 0;
    bool m_ended = false;
    std::thread m_thread;
};
